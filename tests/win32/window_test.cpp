// What only the Win32 windows do: both windows built and drawn from their layout at two DPIs, the keys through
// the dialog manager, the lists driven by the messages the system sends, the about window, the real message box
// and the progress window. What the events do is the form's (form_test); the start focus, Enter on the folder
// list and Alt+X are played with real keys by tools/test-windows.
#include <gtest/gtest.h>

#include <set>

#include "tests/support/fake_volumes.h"
#include "tests/support/memory_disk.h"
#include "win32/converter.h"

#include <commctrl.h>  // after windows.h
#include <oleacc.h>

namespace tcc::win32 {
namespace {

using Strings = std::vector<std::string>;

std::string TextOf(HWND hwnd) { wchar_t text[512]; return ToUtf8(std::wstring(text, GetWindowTextW(hwnd, text, 512))); }
std::string ClassOf(HWND hwnd) { wchar_t name[64]; return ToUtf8(std::wstring(name, GetClassNameW(hwnd, name, 64))); }
void Pump() { for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageW(&m); }
// Lets the window manager's focus settle: it comes through the X server, a while after a window asks for it.
void Settle() { for (const DWORD end = GetTickCount() + 300; GetTickCount() < end; Sleep(10)) Pump(); }
bool QuitPosted() { MSG m; return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE); }
// The notification a control sends its window when the user acts on it.
void Notify(HWND c, UINT code) { SendMessageW(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), code), LPARAM(c)); }
// The pixels a control draws of itself, row by row, and their colours.
std::vector<COLORREF> Pixels(HWND control) {
    RECT r;
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = (GetClientRect(control, &r), CreateCompatibleBitmap(screen, r.right, r.bottom)), old = HBITMAP(SelectObject(dc, bitmap));
    SendMessageW(control, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < r.right * r.bottom; ++i) pixels.push_back(GetPixel(dc, i % r.right, i / r.right));
    SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc), ReleaseDC(nullptr, screen);
    return pixels;
}
std::set<COLORREF> Drawn(HWND control) { const auto pixels = Pixels(control); return {pixels.begin(), pixels.end()}; }

// A main window over an in-memory disk with the volumes /vol/a and /vol/b, shown and active; its message boxes
// are answered with their last button, and their texts kept.
struct Harness {
    Harness() {
        for (const char* file : {"/vol/a/Cache/b.uxx", "/vol/a/Cache/c.uxx", "/vol/a/Cache/sub/x", "/vol/b/y"}) disk.AddFile(file);
        window = std::make_unique<Converter>(disk, std::make_unique<FakeVolumes>());
        window->SetMessageHook([this](const Message& m) { return asked.push_back(m.text), ChoicesOf(m.buttons).back().answer; });
        window->Show(SW_SHOW);
        SetForegroundWindow(window->hwnd()), Settle();
    }
    HWND operator[](ControlId id) const { return (*window)[id]; }
    // A key as the message loop hands it on: to the focused control, first through the dialog manager.
    void Key(WPARAM key, bool alt = false) const {
        MSG m{GetFocus(), UINT(alt ? WM_SYSCHAR : WM_KEYDOWN), key, alt ? 1 << 29 : 0, 0, {}};
        if (!window->TranslateKeys(m)) TranslateMessage(&m), DispatchMessageW(&m);
    }
    // The mouse on a list's entry: a click, or a double click.
    void Click(ControlId list, int row, bool twice = false) const {
        RECT r;
        SendMessageW((*this)[list], LB_GETITEMRECT, row, LPARAM(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        for (UINT down : {UINT(WM_LBUTTONDOWN), twice ? UINT(WM_LBUTTONDBLCLK) : 0u})
            if (down) SendMessageW((*this)[list], down, MK_LBUTTON, at), SendMessageW((*this)[list], WM_LBUTTONUP, 0, at);
    }
    // Where Tab takes the focus, from the drive list on.
    Strings TabCycle(int presses) const {
        Strings order;
        SetFocus((*this)[ControlId::drvDriveBox]);
        for (int i = 0; i < presses; ++i, Key(VK_TAB))
            for (const ControlLayout& c : ConverterLayout().controls)
                if ((*this)[c.id] == GetFocus()) order.push_back(c.name);
        return order;
    }
    std::string Chosen() const { return ChosenFolder(window->form()); }
    Strings Entries(ControlId list) const {
        Strings entries;
        for (wchar_t text[256]; int(entries.size()) < SendMessageW((*this)[list], LB_GETCOUNT, 0, 0);)
            entries.push_back(ToUtf8(std::wstring(text, SendMessageW((*this)[list], LB_GETTEXT, entries.size(), LPARAM(text)))));
        return entries;
    }

    MemoryDisk disk;
    std::unique_ptr<Converter> window;
    Strings asked;
};

// A window (the main or the about one) moved to a screen of a DPI, then as its layout says there: size, title,
// background, icon, frame; each control's class, place, font, text, what is shown, enabled and takes the focus,
// what it draws (its background or face and its text, greyed when disabled; in high contrast, the system's
// colours), and the pointing hand over the clickable ones.
template <typename Shown>
void ExpectBuiltFrom(const Shown& shown, const WindowLayout& layout, int dpi, bool contrast = false) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    HWND window = shown.hwnd();
    RECT at{0, 0, px(layout.width), px(layout.height)}, client;  // the window as the system proposes it
    AdjustWindowRectExForDpi(&at, GetWindowLongW(window, GWL_STYLE), FALSE, 0, GetDpiForWindow(window));
    if (dpi != 96) SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&at));
    LOGBRUSH background;
    GetClientRect(window, &client), GetObjectW(HBRUSH(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), sizeof background, &background);
    const LONG frame = GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU | WS_THICKFRAME);
    EXPECT_EQ(std::tuple(client.right, client.bottom, TextOf(window), background.lbColor, GetClassLongPtrW(window, GCLP_HICON) != 0, frame),
              std::tuple(px(layout.width), px(layout.height), layout.title, ColourRef(layout.background), true,
                         WS_SYSMENU | WS_THICKFRAME | (layout.minimiseAndMaximise ? WS_MINIMIZEBOX | WS_MAXIMIZEBOX : 0)));
    for (const ControlLayout& c : layout.controls) {
        SCOPED_TRACE(c.name);
        HWND h = shown[c.id];
        RECT r;
        LOGFONTW font;
        GetWindowRect(h, &r), MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        GetObjectW(HFONT(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        const FontStyle& want = c.font.family ? c.font : kProgramFont;
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        SendMessageW(window, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const char* kinds[] = {"Static", "Static", "Static", "Button", "ComboBox", "ListBox", "ListBox"};
        EXPECT_EQ(std::tuple(ClassOf(h), r.left, r.top, r.right - r.left, r.bottom - r.top, ToUtf8(font.lfFaceName), font.lfHeight,
                             bool(font.lfItalic), font.lfPitchAndFamily, (style & WS_VISIBLE) != 0, IsWindowEnabled(h) != 0, (style & WS_TABSTOP) != 0,
                             GetCursor() == HandCursor()),
                  std::tuple(std::string(kinds[int(c.kind)]), px(c.left), px(c.top), px(c.width), px(c.height), std::string(want.family),
                             -int(want.points * dpi / 72 + 0.5), want.italic, BYTE(want.fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH),
                             c.Shown(), c.Enabled(), c.TakesFocus(), c.Clickable()));
        if (c.kind == ControlKind::DriveList) continue;
        EXPECT_EQ(TextOf(h), c.kind == ControlKind::Button ? c.caption : c.PlainCaption().empty() ? c.ReaderName() : c.PlainCaption());
        if (c.TakesFocus() && c.kind != ControlKind::Button) continue;  // the lists are the system's
        const std::set<COLORREF> drawn = Drawn(h);
        const bool shows = !c.PlainCaption().empty() || c.kind == ControlKind::Image;
        const bool button = c.kind == ControlKind::Button;
        const COLORREF face = contrast ? GetSysColor(button ? COLOR_BTNFACE : COLOR_WINDOW)
                              : ColourRef(button ? kButtonFace : c.background != kNoColour ? c.background : layout.background);
        const COLORREF text = button ? (contrast ? GetSysColor(COLOR_BTNTEXT) : ColourRef(kButtonText)) : !c.Enabled() ? GetSysColor(COLOR_GRAYTEXT)
                              : c.kind == ControlKind::Image ? RGB(200, 40, 40)  // the logo's top tile
                              : c.text != kNoColour && !contrast ? ColourRef(c.text) : GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_EQ(std::tuple(drawn.count(face), shows && drawn.count(text)), std::tuple(1u, shows));
    }
}

// Both windows as laid out, also on a screen of 144 DPI, the hand's hot spot at the fingertip; then the tab
// order, the access keys, Enter, Space and Escape of the main window.
TEST(Win32Look, BothWindowsLaidOutThenFocusTabOrderAndKeys) {
    Harness h;
    Notify(h[ControlId::lblInfo], STN_CLICKED);
    Info& info = *h.window->info();
    h.window->ShowFiles({"a-rather-long-name.unr", "b.u"}, -1), h.window->ShowFolders({{"Cache", "/Cache", 2, true}}, 0);
    std::vector<LRESULT> extents;  // the lists' widths to scroll to, at each DPI
    for (int dpi : {96, 144}) {
        ExpectBuiltFrom(*h.window, ConverterLayout(), dpi);
        ExpectBuiltFrom(info, InfoLayout(), dpi);
        for (ControlId list : {ControlId::dirDirBox, ControlId::filFileBox}) extents.push_back(SendMessageW(h[list], LB_GETHORIZONTALEXTENT, 0, 0));
    }
    std::vector<LONG> iconWidths;  // the folder pictures made at their size
    for (int size : {16, 24}) {
        ICONINFO made;
        BITMAP image;
        for (bool open : {false, true})
            GetIconInfo(FolderIcon(open, size), &made), GetObjectW(made.hbmColor, sizeof image, &image), iconWidths.push_back(image.bmWidth);
    }
    EXPECT_EQ(std::tuple(extents[2] > extents[0], extents[3] > extents[1] * 1.3, iconWidths), std::tuple(true, true, std::vector<LONG>{16, 16, 24, 24}))
        << "at a new DPI the lists scroll as far as their entries reach, and the folder pictures are made at the size";
    h.window->ShowFiles({}, -1), h.window->ShowFolders({}, -1);
    AnswerHighContrast(true);
    ExpectBuiltFrom(*h.window, ConverterLayout(), 144, true), ExpectBuiltFrom(info, InfoLayout(), 144, true);
    AnswerHighContrast(std::nullopt);
    ICONINFO hand;
    EXPECT_TRUE(GetIconInfo(HandCursor(), &hand) && hand.xHotspot == 12 && hand.yHotspot == 1);
    info.Close();

    // A long path keeps its end: two that differ there alone are drawn apart.
    std::vector<std::vector<COLORREF>> paths;
    for (const char* end : {"\\Cache", "\\Other"})
        h.window->SetCaption(ControlId::lblFolder, "C:" + std::string(40, 'x') + std::string(100, 'W') + end), paths.push_back(Pixels(h[ControlId::lblFolder]));
    EXPECT_NE(paths[0], paths[1]);

    SetForegroundWindow(h.window->hwnd()), Settle();
    EXPECT_EQ(h.TabCycle(5), (Strings{"drvDriveBox", "dirDirBox", "filFileBox", "cmdExit", "drvDriveBox"}));
    EXPECT_EQ(h.Chosen(), "none") << "the file list getting the focus is no file click";
    for (WPARAM key : {'c', 'r', 's'}) h.Key(key, true);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) h.Key(key);
    EXPECT_TRUE(h.asked.empty() && IsWindowVisible(h.window->hwnd())) << "hidden buttons answer no key; no default or cancel button";

    h.window->form().SetFolder("/vol/a/Cache");
    EXPECT_EQ(h.TabCycle(8), (Strings{"drvDriveBox", "dirDirBox", "filFileBox", "cmdGetCache", "cmdExit", "cmdRefresh", "cmdSort", "drvDriveBox"}));
    for (WPARAM key : {'c', 'R', 's'}) h.Key(key, true);  // each command tells something of this folder
    SetFocus(h[ControlId::cmdSort]), h.Key(VK_RETURN), h.Key(VK_SPACE);
    SendMessageW(h[ControlId::cmdSort], WM_KEYUP, VK_SPACE, 0), h.Key(VK_ESCAPE);  // Space presses when let go
    ASSERT_EQ(h.asked.size(), 5u) << "Alt+C, Alt+R, Alt+S, Enter and Space";
    EXPECT_TRUE(h.asked[0] != h.asked[1] && Strings(h.asked.begin() + 2, h.asked.end()) == Strings(3, h.asked[2])) << "the focused Sort pressed";
}

// The mouse and the keys on the lists as the system's controls report them, and the about window on screen.
TEST(Win32Input, TheListsAndTheAboutWindow) {
    Harness h;
    HWND drives = h[ControlId::drvDriveBox], dirs = h[ControlId::dirDirBox];
    const auto& form = h.window->form();
    SendMessageW(drives, CB_SETCURSEL, 0, 0), Notify(drives, CBN_SELCHANGE);
    EXPECT_EQ(std::tuple(h.Entries(ControlId::dirDirBox), int(SendMessageW(dirs, LB_GETCURSEL, 0, 0)), h.Entries(ControlId::filFileBox)),
              std::tuple(Strings{"/", "vol", "a", "Cache"}, 2, Strings{})) << "the drive change opens /vol/a";
    SetFocus(drives), SendMessageW(drives, CB_SHOWDROPDOWN, TRUE, 0), SendMessageW(drives, WM_KEYDOWN, VK_DOWN, 0);
    const int whileDropped = form.drives().Selected();
    SendMessageW(drives, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(std::tuple(whileDropped, form.drives().Selected(), form.folders().Path()), std::tuple(0, 1, "/vol/b"))
        << "the dropped list chooses when it closes on an entry";

    h.window->form().SetFolder("/vol/a");
    h.Click(ControlId::dirDirBox, 3, true);
    EXPECT_EQ(std::tuple(h.Chosen(), TextOf(h[ControlId::lblFolder]), h.Entries(ControlId::filFileBox)),
              std::tuple("/vol/a/Cache", "/vol/a/Cache", Strings{"b.uxx", "c.uxx"})) << "a double click opens";
    RECT list;
    h.Click(ControlId::dirDirBox, 4), GetClientRect(dirs, &list);  // sub
    SendMessageW(dirs, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, list.bottom - 2));
    EXPECT_EQ(std::tuple(h.Chosen(), form.folders().Path()), std::tuple("/vol/a/Cache", "/vol/a/Cache"))
        << "a single click only highlights; a double click below the entries opens nothing";
    h.Click(ControlId::filFileBox, 1);
    const std::string clicked = h.Chosen();
    h.Click(ControlId::dirDirBox, 3), h.Click(ControlId::filFileBox, 1);
    EXPECT_EQ(std::tuple(clicked, h.Chosen()), std::tuple("/vol/a/Cache/sub", "/vol/a/Cache")) << "a click, then the file clicked again";
    h.Click(ControlId::dirDirBox, 4), SendMessageW(h[ControlId::filFileBox], WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(h.Chosen(), "/vol/a/Cache/sub") << "the arrow keys select as the mouse does";

    // One modeless, centred about window with Back focused; the program ends when both windows are closed.
    const auto aboutWindows = [] {
        int n = 0;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM n) { return *reinterpret_cast<int*>(n) += IsWindowVisible(w) && ClassOf(w) == "TarnelCacheConverter.Info", TRUE; }, LPARAM(&n));
        return n;
    };
    // "Information" opens when the mouse, pressed on it, is let go inside it (below), and by a screen reader's
    // default action, "Press".
    HWND label = h[ControlId::lblInfo];
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(-5, 5));
    EXPECT_EQ(h.window->info(), nullptr) << "not on the press, nor let go outside";
    IAccessible* reader = nullptr;
    BSTR action = nullptr, name = nullptr;
    VARIANT self;
    VariantInit(&self), self.vt = VT_I4, self.lVal = CHILDID_SELF;
    ASSERT_EQ(AccessibleObjectFromWindow(label, DWORD(OBJID_CLIENT), __uuidof(IAccessible), reinterpret_cast<void**>(&reader)), S_OK);
    EXPECT_EQ(std::tuple(reader->get_accDefaultAction(self, &action), reader->get_accName(self, &name), reader->accDoDefaultAction(self)),
              std::tuple(S_OK, S_OK, S_OK));
    EXPECT_EQ(std::tuple(std::wstring(action), std::wstring(name)), std::tuple(L"Press", L"Information"));
    SysFreeString(action), SysFreeString(name), reader->Release(), Pump();
    ASSERT_NE(h.window->info(), nullptr);
    Info& info = *h.window->info();
    const auto offCentre = [&info] {  // from the middle of the screen's work area (the virtual display has one screen)
        RECT f, s;
        GetWindowRect(info.hwnd(), &f), SystemParametersInfoW(SPI_GETWORKAREA, 0, &s, 0);
        return std::abs(f.left + f.right - s.left - s.right) / 2 + std::abs(f.top + f.bottom - s.top - s.bottom) / 2;
    };
    Settle();
    EXPECT_EQ(std::tuple(aboutWindows(), GetWindow(info.hwnd(), GW_OWNER), offCentre(), GetForegroundWindow(), GetFocus()),
              std::tuple(1, HWND(nullptr), 0, info.hwnd(), info[ControlId::cmdBack])) << "in front, Back focused";
    SetWindowPos(info.hwnd(), nullptr, 0, 0, 500, 400, SWP_NOZORDER);
    Notify(info[ControlId::cmdBack], BN_CLICKED);
    EXPECT_EQ(aboutWindows(), 0);
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)), SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(std::tuple(aboutWindows(), h.window->info(), offCentre()), std::tuple(1, &info, 0)) << "opened again as laid out";
    ExpectBuiltFrom(info, InfoLayout(), 96);

    Notify(h[ControlId::cmdExit], BN_CLICKED);
    EXPECT_EQ(std::tuple(h.window->hwnd(), aboutWindows(), QuitPosted()), std::tuple(HWND(nullptr), 1, false));
    SetForegroundWindow(info.hwnd()), Settle(), SetFocus(info.hwnd());  // the window given the focus: Back holds it
    h.Key(VK_RETURN);
    EXPECT_EQ(std::tuple(aboutWindows(), QuitPosted()), std::tuple(0, true));
}

// The real message box of each kind, read and answered with a key from a timer in its own message loop: its
// title, text, buttons, default button and icon.
WPARAM answerKey;
Strings seen;
HWND windows[2];  // the main and the about window: neither takes input while a box is open
void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowW(L"#32770", L"A title");
    seen = {TextOf(dialog), "", "", "", "no icon", std::to_string(IsWindowEnabled(windows[0]) + IsWindowEnabled(windows[1]))};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const bool button = ClassOf(c) == "Button", picture = !button && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (button) seen[2] += (seen[2].empty() ? "" : " ") + TextOf(c);
        if (button && (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) seen[3] = TextOf(c);
        const HICON icon = picture && IsWindowVisible(c) ? HICON(SendMessageW(c, STM_GETICON, 0, 0)) : nullptr;
        if (icon) seen[4] = icon == LoadIconW(nullptr, IDI_ERROR) ? "error" : icon == LoadIconW(nullptr, IDI_WARNING) ? "warning" : "other";
        if (!button && !picture && !TextOf(c).empty()) seen[1] = TextOf(c);
    }
    MSG key{GetFocus(), WM_KEYDOWN, answerKey, 0, 0, {}};
    IsDialogMessageW(dialog, &key);
}

// Each kind of message box; then, while a command runs, its progress, that nothing dismisses, and neither window
// taking input; the focus comes back after it.
TEST(Win32Commands, TheMessageBoxOfEachKindAndTheProgressThatNoInputGetsPast) {
    const std::tuple<Buttons, Icon, WPARAM, Answer, const char*, const char*, const char*> boxes[] = {
        {Buttons::Ok, Icon::None, VK_RETURN, Answer::Ok, "OK", "OK", "no icon"},
        {Buttons::YesNo, Icon::Warning, VK_RETURN, Answer::Yes, "&Yes &No", "&Yes", "warning"},
        {Buttons::YesNo, Icon::Warning, VK_ESCAPE, Answer::No, "&Yes &No", "&Yes", "warning"},
        {Buttons::RetryCancel, Icon::Error, VK_ESCAPE, Answer::Cancel, "&Retry Cancel", "&Retry", "error"},
    };
    Harness h;
    h.window->SetMessageHook(nullptr);
    Notify(h[ControlId::lblInfo], STN_CLICKED);
    windows[0] = h.window->hwnd(), windows[1] = h.window->info()->hwnd();
    const auto enabled = [&h] { return std::tuple(IsWindowEnabled(h.window->hwnd()), IsWindowEnabled(h.window->info()->hwnd())); };
    for (const auto& [buttons, icon, key, answer, captions, byDefault, shown] : boxes) {
        answerKey = key;
        SetTimer(nullptr, 0, 100, &AnswerTheBox);
        EXPECT_EQ(h.window->Ask({"Some & text.", "A title", buttons, icon}), answer);
        EXPECT_EQ(seen, (Strings{"A title", "Some & text.", captions, byDefault, shown, "0"}));
        EXPECT_EQ(enabled(), std::tuple(TRUE, TRUE));
    }

    // Another program's window behind: when the progress or a box over the disabled window goes, the main window
    // comes to the front, not that one.
    HWND other = CreateWindowExW(0, L"Static", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    h.window->form().SetFolder("/vol/a/Cache");
    SetForegroundWindow(h.window->hwnd()), Settle(), SetFocus(h[ControlId::cmdSort]);
    const LRESULT endSession = SendMessageW(h.window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    h.window->TakeInput(false);
    std::vector<HWND> inFront;
    for (int twice = 0; twice < 2; ++twice) {
        h.window->ShowProgress("Converting the cache..."), Settle(), h.window->HideProgress(), Settle();
        inFront.push_back(GetForegroundWindow());
    }
    answerKey = VK_RETURN, SetTimer(nullptr, 0, 100, &AnswerTheBox);
    h.window->Ask({"Some & text.", "A title", Buttons::Ok, Icon::None}), Settle();
    inFront.push_back(GetForegroundWindow());
    EXPECT_EQ(std::tuple(inFront, enabled(), endSession, SendMessageW(h.window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)),
              std::tuple(std::vector<HWND>(3, h.window->hwnd()), std::tuple(FALSE, FALSE), TRUE, FALSE))
        << "the main window in front, still taking no input; the session may not end while a command runs";
    DestroyWindow(other);
    h.window->ShowProgress("Converting the cache...");
    h.window->SetProgress(500);
    HWND progress = h.window->progress(), bar = FindWindowExW(progress, nullptr, PROGRESS_CLASSW, nullptr);
    SendMessageW(progress, WM_CLOSE, 0, 0), SendMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(progress, WM_KEYDOWN, VK_ESCAPE, 0), Pump();
    EXPECT_EQ(std::tuple(IsWindowVisible(progress), GetWindow(progress, GW_OWNER), TextOf(progress), GetWindowLongW(progress, GWL_STYLE) & WS_SYSMENU,
                         TextOf(FindWindowExW(progress, nullptr, L"Static", nullptr)), SendMessageW(bar, PBM_GETPOS, 0, 0),
                         SendMessageW(bar, PBM_GETRANGE, FALSE, 0), enabled()),
              std::tuple(TRUE, h.window->hwnd(), "Tarnel Cache Converter", 0, "Converting the cache...", 500, 1000, std::tuple(FALSE, FALSE)));
    h.window->HideProgress();
    h.window->TakeInput(true);
    EXPECT_EQ(std::tuple(IsWindow(progress), enabled(), GetFocus(), SendMessageW(h.window->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF)),
              std::tuple(FALSE, std::tuple(TRUE, TRUE), h[ControlId::cmdSort], TRUE));
}

}  // namespace
}  // namespace tcc::win32
