// What only the Win32 windows do: both windows built and drawn from their layout at two DPIs, the keys through
// the dialog manager, the lists driven by the messages the system sends, the about window, the real message box
// and the progress window. What the events do is the form's (form_test).
#include <gtest/gtest.h>

#include <set>

#include "tests/support/memory_disk.h"
#include "win32/converter.h"

#include <commctrl.h>  // after windows.h

namespace tcc::win32 {
namespace {

struct FakeVolumes : VolumeSource {
    std::vector<Volume> Volumes() override { return {{"/vol/a", "A"}, {"/vol/b", "B"}}; }
    bool IsReady(const Volume&) override { return true; }
};

std::string TextOf(HWND hwnd) {
    std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
    return Utf8(text.substr(0, GetWindowTextW(hwnd, text.data(), int(text.size()))));
}
std::string ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return Utf8(name);
}
RECT RectIn(HWND window, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
auto Tie(const RECT& r) { return std::tuple(r.left, r.top, r.right - r.left, r.bottom - r.top); }
void Pump() {
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageW(&m);
}
bool QuitPosted() {
    MSG m;
    return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}
// What a control draws of itself: the colours of its pixels.
std::set<COLORREF> Drawn(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::set<COLORREF> colours;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) colours.insert(GetPixel(dc, x, y));
    SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc), ReleaseDC(nullptr, screen);
    return colours;
}

// A main window over an in-memory disk with the volumes /vol/a and /vol/b, shown and active; its message boxes
// are answered with their last button, and their texts kept.
struct Harness {
    Harness() {
        for (const char* file : {"/vol/a/Cache/b.uxx", "/vol/a/Cache/c.uxx", "/vol/a/Cache/sub/x", "/vol/b/y"}) disk.AddFile(file);
        window = std::make_unique<Converter>(disk, std::make_unique<FakeVolumes>());
        window->SetMessageHook([this](const Message& m) { return asked.push_back(m.text), ChoicesOf(m.buttons).back().answer; });
        window->Show(SW_SHOW);
        SetForegroundWindow(window->hwnd());
        Pump();
    }
    HWND operator[](ControlId id) const { return (*window)[id]; }
    // The notification a control sends when the user acts on it.
    void Notify(ControlId id, UINT code) const {
        SendMessageW(GetParent((*this)[id]), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID((*this)[id]), code), LPARAM((*this)[id]));
    }
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
    std::string Focused() const {
        for (const ControlLayout& c : ConverterLayout().controls)
            if ((*this)[c.id] == GetFocus()) return c.name;
        return "?";
    }
    std::string Chosen() const { return window->form().state().currentFolder ? window->form().state().currentFolder->path : "none"; }
    std::vector<std::string> Entries(ControlId list) const {
        std::vector<std::string> entries;
        for (int i = 0; i < SendMessageW((*this)[list], LB_GETCOUNT, 0, 0); ++i) {
            wchar_t text[256] = {};
            SendMessageW((*this)[list], LB_GETTEXT, i, LPARAM(text));
            entries.push_back(Utf8(text));
        }
        return entries;
    }

    MemoryDisk disk;
    std::unique_ptr<Converter> window;
    std::vector<std::string> asked;
};

// The window as its layout says at a DPI: size, title, background, icon, frame; each control's class, place,
// font, text, what is shown, enabled and takes the focus, what it draws (its background or face and its text,
// greyed when disabled), and the pointing hand (hot spot at the fingertip) over the clickable ones.
void ExpectBuiltFrom(HWND window, const WindowLayout& layout, const std::function<HWND(ControlId)>& control, int dpi) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    RECT client;
    GetClientRect(window, &client);
    LOGBRUSH background;
    GetObjectW(HBRUSH(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), sizeof background, &background);
    const LONG frame = GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU | WS_THICKFRAME);
    EXPECT_EQ(std::tuple(client.right, client.bottom, TextOf(window), background.lbColor, GetClassLongPtrW(window, GCLP_HICON) != 0, frame),
              std::tuple(px(layout.width), px(layout.height), layout.title, ColourRef(layout.background), true,
                         WS_SYSMENU | WS_THICKFRAME | (layout.minimiseAndMaximise ? WS_MINIMIZEBOX | WS_MAXIMIZEBOX : 0)));
    ICONINFO hand;
    ASSERT_TRUE(GetIconInfo(HandCursor(), &hand));
    EXPECT_EQ(std::tuple(hand.xHotspot, hand.yHotspot), std::tuple(12u, 1u));
    for (const ControlLayout& c : layout.controls) {
        SCOPED_TRACE(c.name);
        HWND h = control(c.id);
        LOGFONTW font;
        GetObjectW(HFONT(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        const FontSpec& spec = c.font.family ? c.font : kProgramFont;
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        SendMessageW(window, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const char* kinds[] = {"Static", "Static", "Static", "Button", "ComboBox", "ListBox", "ListBox"};
        EXPECT_EQ(std::tuple(ClassOf(h), Tie(RectIn(window, h)), Utf8(font.lfFaceName), font.lfHeight, bool(font.lfItalic),
                             (style & WS_VISIBLE) != 0, IsWindowEnabled(h) != 0, (style & WS_TABSTOP) != 0, GetCursor() == HandCursor()),
                  std::tuple(std::string(kinds[int(c.kind)]), std::tuple(px(c.left), px(c.top), px(c.width), px(c.height)), std::string(spec.family),
                             -int(spec.points * dpi / 72 + 0.5), spec.italic, c.Shown(), c.Enabled(), c.TakesFocus(), c.Clickable()));
        if (c.kind == ControlKind::DriveList) continue;
        EXPECT_EQ(TextOf(h), c.kind == ControlKind::Button ? c.caption : c.PlainCaption().empty() ? c.ReaderName() : c.PlainCaption());
        if (c.TakesFocus() && c.kind != ControlKind::Button) continue;  // the lists are the system's
        const std::set<COLORREF> drawn = Drawn(h);
        const bool shows = !c.PlainCaption().empty() || c.kind == ControlKind::Image;
        const int face = c.kind == ControlKind::Button ? kButtonFace : c.background != kNoColour ? c.background : layout.background;
        const COLORREF text = c.kind == ControlKind::Button ? GetSysColor(COLOR_BTNTEXT) : !c.Enabled() ? GetSysColor(COLOR_GRAYTEXT)
                              : c.kind == ControlKind::Image ? RGB(200, 40, 40)  // the logo's top tile
                              : c.text != kNoColour ? ColourRef(c.text) : GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_EQ(std::tuple(drawn.count(ColourRef(face)), shows && drawn.count(text)), std::tuple(1u, shows));
    }
}

// Both windows as laid out, also on a screen of 144 DPI; then the start focus, the tab order, the access keys,
// Enter and Escape of the main window.
TEST(Win32Look, BothWindowsLaidOutThenFocusTabOrderAndKeys) {
    Harness h;
    const auto main = [&h](ControlId id) { return h[id]; };
    ExpectBuiltFrom(h.window->hwnd(), ConverterLayout(), main, 96);
    h.Notify(ControlId::lblInfo, STN_CLICKED);
    Info& info = *h.window->info();
    ExpectBuiltFrom(info.hwnd(), InfoLayout(), [&info](ControlId id) { return info[id]; }, 96);
    for (auto [window, layout] : {std::pair(info.hwnd(), &InfoLayout()), std::pair(h.window->hwnd(), &ConverterLayout())}) {
        RECT at{0, 0, TwipsToPixels(layout->width, 144), TwipsToPixels(layout->height, 144)};  // as the system proposes it
        AdjustWindowRectExForDpi(&at, GetWindowLongW(window, GWL_STYLE), FALSE, 0, GetDpiForWindow(window));
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&at));
    }
    ExpectBuiltFrom(h.window->hwnd(), ConverterLayout(), main, 144);
    ExpectBuiltFrom(info.hwnd(), InfoLayout(), [&info](ControlId id) { return info[id]; }, 144);
    info.Close();

    SetForegroundWindow(h.window->hwnd()), Pump();
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i, h.Key(VK_TAB)) order.push_back(h.Focused());
    EXPECT_EQ(order, (std::vector<std::string>{"drvDriveBox", "dirDirBox", "filFileBox", "cmdExit", "drvDriveBox"}));
    EXPECT_EQ(h.Chosen(), "none") << "the file list getting the focus is no file click";
    for (WPARAM key : {'c', 'r', 's'}) h.Key(key, true);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) h.Key(key);
    EXPECT_TRUE(h.asked.empty() && IsWindowVisible(h.window->hwnd())) << "hidden buttons answer no key; no default or cancel button";

    h.window->form().SetFolder("/vol/a/Cache");
    SetFocus(h[ControlId::drvDriveBox]);
    order.clear();
    for (int i = 0; i < 8; ++i, h.Key(VK_TAB)) order.push_back(h.Focused());
    EXPECT_EQ(order, (std::vector<std::string>{"drvDriveBox", "dirDirBox", "filFileBox", "cmdGetCache", "cmdExit", "cmdRefresh",
                                               "cmdSort", "drvDriveBox"}));
    for (WPARAM key : {'c', 'R', 's'}) h.Key(key, true);  // each command tells something of this folder
    SetFocus(h[ControlId::cmdSort]), h.Key(VK_RETURN), h.Key(VK_SPACE);
    SendMessageW(h[ControlId::cmdSort], WM_KEYUP, VK_SPACE, 0), h.Key(VK_ESCAPE);  // Space presses when let go
    ASSERT_EQ(h.asked.size(), 5u) << "Alt+C, Alt+R, Alt+S, Enter and Space";
    EXPECT_EQ(std::vector(h.asked.begin() + 2, h.asked.end()), std::vector(3, h.asked[2])) << "the focused Sort pressed";
    EXPECT_NE(h.asked[0], h.asked[1]);
    h.Key('x', true);
    EXPECT_TRUE(!h.window->hwnd() && QuitPosted()) << "Alt+X closes the window and ends the program";
}

// The mouse and the keys on the lists as the system's controls report them, and the about window on screen.
TEST(Win32Input, TheListsAndTheAboutWindow) {
    Harness h;
    HWND drives = h[ControlId::drvDriveBox], dirs = h[ControlId::dirDirBox];
    SendMessageW(drives, CB_SETCURSEL, 0, 0), h.Notify(ControlId::drvDriveBox, CBN_SELCHANGE);
    EXPECT_EQ(std::tuple(h.Entries(ControlId::dirDirBox), int(SendMessageW(dirs, LB_GETCURSEL, 0, 0)), h.Entries(ControlId::filFileBox).size()),
              std::tuple(std::vector<std::string>{"/", "vol", "a", "Cache"}, 2, 0u)) << "the drive change opens /vol/a";
    SetFocus(drives), SendMessageW(drives, CB_SHOWDROPDOWN, TRUE, 0), SendMessageW(drives, WM_KEYDOWN, VK_DOWN, 0);
    const int whileDropped = h.window->form().drives().Selected();
    SendMessageW(drives, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(std::tuple(whileDropped, h.window->form().drives().Selected(), h.window->form().folders().Path()), std::tuple(0, 1, "/vol/b"))
        << "the dropped list chooses when it closes on an entry";
    h.window->form().SetFolder("/vol/a");

    h.Click(ControlId::dirDirBox, 3, true);
    EXPECT_EQ(std::tuple(h.Chosen(), TextOf(h[ControlId::lblFolder]), h.Entries(ControlId::filFileBox)),
              std::tuple("/vol/a/Cache", "/vol/a/Cache", std::vector<std::string>{"b.uxx", "c.uxx"})) << "a double click opens";
    RECT list;
    GetClientRect(dirs, &list);
    h.Click(ControlId::dirDirBox, 4);  // sub
    SendMessageW(dirs, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, list.bottom - 2));
    EXPECT_EQ(std::tuple(h.Chosen(), h.window->form().folders().Path()), std::tuple("/vol/a/Cache", "/vol/a/Cache"))
        << "a single click only highlights; a double click below the entries opens nothing";
    h.Click(ControlId::filFileBox, 1);
    const std::string clicked = h.Chosen();
    h.Click(ControlId::dirDirBox, 3), h.Click(ControlId::filFileBox, 1);
    EXPECT_EQ(std::tuple(clicked, h.Chosen()), std::tuple("/vol/a/Cache/sub", "/vol/a/Cache")) << "a click, then the file clicked again";
    h.Click(ControlId::dirDirBox, 4), SendMessageW(h[ControlId::filFileBox], WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(h.Chosen(), "/vol/a/Cache/sub") << "the arrow keys select as the mouse does";
    SetFocus(dirs), h.Key(VK_RETURN);
    EXPECT_EQ(h.window->form().folders().Path(), "/vol/a/Cache/sub") << "Enter opens";

    // One modeless, centred about window with Back focused; the program ends when both windows are closed.
    const auto aboutWindows = [] {
        int n = 0;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM n) { return *reinterpret_cast<int*>(n) += IsWindowVisible(w) && ClassOf(w) == "TarnelCacheConverter.Info", TRUE; }, LPARAM(&n));
        return n;
    };
    for (int twice = 0; twice < 2; ++twice) h.Notify(ControlId::lblInfo, twice ? STN_DBLCLK : STN_CLICKED);
    Info& info = *h.window->info();
    const auto offCentre = [&info] {
        RECT frame;
        GetWindowRect(info.hwnd(), &frame);
        MONITORINFO screen{sizeof screen, {}, {}, 0};
        GetMonitorInfoW(MonitorFromWindow(info.hwnd(), MONITOR_DEFAULTTONEAREST), &screen);
        return std::abs(frame.left + frame.right - screen.rcWork.left - screen.rcWork.right) / 2 +
               std::abs(frame.top + frame.bottom - screen.rcWork.top - screen.rcWork.bottom) / 2;
    };
    Pump();
    EXPECT_EQ(std::tuple(aboutWindows(), GetWindow(info.hwnd(), GW_OWNER), offCentre(), GetFocus() == info[ControlId::cmdBack]),
              std::tuple(1, HWND(nullptr), 0, true));
    SetWindowPos(info.hwnd(), nullptr, 0, 0, 500, 400, SWP_NOZORDER);
    SendMessageW(info.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(info[ControlId::cmdBack]), BN_CLICKED), LPARAM(info[ControlId::cmdBack]));
    EXPECT_EQ(aboutWindows(), 0);
    h.Notify(ControlId::lblInfo, STN_CLICKED);
    RECT client;
    GetClientRect(info.hwnd(), &client);
    EXPECT_EQ(std::tuple(aboutWindows(), h.window->info(), client.right, client.bottom, offCentre()), std::tuple(1, &info, 312, 213, 0));

    h.Notify(ControlId::cmdExit, BN_CLICKED);
    EXPECT_EQ(std::tuple(h.window->hwnd(), aboutWindows(), QuitPosted()), std::tuple(HWND(nullptr), 1, false));
    SetForegroundWindow(info.hwnd()), SetFocus(info.hwnd()), Pump();  // the window given the focus: Back holds it
    MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(h.window->TranslateKeys(enter));
    EXPECT_EQ(std::tuple(aboutWindows(), QuitPosted()), std::tuple(0, true));
}

// The real message box of each kind, read and answered with a key from a timer in its own message loop.
struct Box { Buttons buttons; Icon icon; WPARAM key; Answer answer; };
struct Seen { std::string title, text, captions, defaultButton; HICON icon; };
Box box;
Seen seen;
void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND dialog = FindWindowW(L"#32770", L"A title");
    seen = {TextOf(dialog)};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const bool picture = (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && ClassOf(c) == "Static";
        if (ClassOf(c) == "Button") seen.captions += (seen.captions.empty() ? "" : " ") + TextOf(c);
        if (ClassOf(c) == "Button" && (SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) seen.defaultButton = TextOf(c);
        if (picture && IsWindowVisible(c)) seen.icon = HICON(SendMessageW(c, STM_GETICON, 0, 0));
        if (ClassOf(c) == "Static" && !picture && !TextOf(c).empty()) seen.text = TextOf(c);
    }
    MSG key{GetFocus(), WM_KEYDOWN, box.key, 0, 0, {}};
    IsDialogMessageW(dialog, &key);
}

TEST(Win32Commands, TheMessageBoxOfEachKind) {
    const Box boxes[] = {
        {Buttons::Ok, Icon::None, VK_RETURN, Answer::Ok},
        {Buttons::YesNo, Icon::Warning, VK_RETURN, Answer::Yes},
        {Buttons::YesNo, Icon::Warning, VK_ESCAPE, Answer::No},
        {Buttons::RetryCancel, Icon::Error, VK_ESCAPE, Answer::Cancel},
    };
    Harness h;
    h.window->SetMessageHook(nullptr);
    for (const Box& b : boxes) {
        box = b, seen = {};
        std::string captions;
        for (const Choice& choice : ChoicesOf(b.buttons)) captions += (captions.empty() ? "" : " ") + std::string(choice.caption);
        SetTimer(nullptr, 0, 100, &AnswerTheBox);
        EXPECT_EQ(h.window->Ask({"Some & text.", "A title", b.buttons, b.icon}), b.answer);
        EXPECT_EQ(std::tuple(seen.title, seen.text, seen.captions, seen.defaultButton, seen.icon),
                  std::tuple("A title", "Some & text.", captions, captions.substr(0, captions.find(' ')),
                             b.icon == Icon::None ? nullptr : LoadIconW(nullptr, b.icon == Icon::Error ? IDI_ERROR : IDI_WARNING)));
    }
}

// While a command runs: its progress, that nothing dismisses, and neither window taking input; the focus comes
// back after it.
TEST(Win32Commands, TheProgressThatNoInputGetsPast) {
    Harness h;
    h.window->form().SetFolder("/vol/a/Cache");
    h.Notify(ControlId::lblInfo, STN_CLICKED);
    SetForegroundWindow(h.window->hwnd()), SetFocus(h[ControlId::cmdSort]);
    h.window->TakeInput(false);
    h.window->ShowProgress("Converting the cache...");
    h.window->SetProgress(500);
    HWND progress = h.window->progress(), bar = FindWindowExW(progress, nullptr, PROGRESS_CLASSW, nullptr);
    ASSERT_NE(bar, nullptr);
    SendMessageW(progress, WM_CLOSE, 0, 0), SendMessageW(progress, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageW(progress, WM_KEYDOWN, VK_ESCAPE, 0), Pump();
    EXPECT_EQ(std::tuple(IsWindowVisible(progress), GetWindow(progress, GW_OWNER), TextOf(progress), GetWindowLongW(progress, GWL_STYLE) & WS_SYSMENU,
                         TextOf(FindWindowExW(progress, nullptr, L"Static", nullptr)), SendMessageW(bar, PBM_GETPOS, 0, 0),
                         SendMessageW(bar, PBM_GETRANGE, FALSE, 0), IsWindowEnabled(h.window->hwnd()), IsWindowEnabled(h.window->info()->hwnd())),
              std::tuple(TRUE, h.window->hwnd(), "Tarnel Cache Converter", 0, "Converting the cache...", 500, 1000, FALSE, FALSE));
    h.window->HideProgress();
    h.window->TakeInput(true);
    EXPECT_EQ(std::tuple(IsWindow(progress), IsWindowEnabled(h.window->hwnd()), IsWindowEnabled(h.window->info()->hwnd()), h.Focused()),
              std::tuple(FALSE, TRUE, TRUE, "cmdSort"));
}

}  // namespace
}  // namespace tcc::win32
