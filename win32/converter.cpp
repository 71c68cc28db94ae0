// The main window on Win32: the form's controls, the user's input handed to
// the form, and the message boxes, the progress and the about window it
// asks for.
#include "win32/converter.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "commands/reporter.h"

namespace tcc::win32 {

namespace {

using K = ControlKind;

std::string ProcessFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(n, L'\0');
    folder.resize(GetCurrentDirectoryW(n, folder.data()));
    return ToUtf8(folder);
}

int Selection(HWND list, UINT message = LB_GETCURSEL) { return static_cast<int>(SendMessageW(list, message, 0, 0)); }

// The progress of a command: no close box, and its close (Alt+F4) does
// nothing; as no dialog box, it takes no Escape either.
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

const wchar_t* ProgressClass() {
    static const wchar_t* const name = [] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = ProgressProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        c.lpszClassName = L"TarnelCacheConverter.Progress";
        RegisterClassExW(&c);
        return c.lpszClassName;
    }();
    return name;
}

// Lets the windows draw and the progress take its messages.
void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A message box with Yes and No has no Cancel button, and the system lets
// neither Escape nor its close box answer it; for ours they answer the last
// button, as for every other box. Set while a box of ours is made.
LRESULT CALLBACK MessageBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, IDCANCEL);
        return 0;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t kind[16] = {};
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && GetClassNameW(box, kind, 16) && std::wstring(kind) == L"#32770" &&
        SetWindowSubclass(box, MessageBoxProc, 1, 0))
        EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

Answer AnswerOf(int id) {
    switch (id) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDRETRY: return Answer::Retry;
    case IDCANCEL: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

}  // namespace

Converter::Converter() : Converter(nullptr, MakeSystemVolumeSource()) {}

Converter::Converter(Disk& disk, std::unique_ptr<VolumeSource> volumes) : Converter(&disk, std::move(volumes)) {}

Converter::Converter(Disk* disk, std::unique_ptr<VolumeSource> volumes) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    window_.Create(ConverterLayout(), &WindowProc<Converter>, this);
    focus_ = window_[ControlId::drvDriveBox];
    folders_.Attach(window_[ControlId::dirDirBox]);
    files_.Attach(window_[ControlId::filFileBox]);
    form_ = std::make_unique<ConverterForm>(*this, disk ? *disk : realDisk_, std::move(volumes), ProcessFolder());
    form_->Start();
}

Converter::~Converter() {
    // The form goes first: nothing the windows report on their way reaches it.
    HideProgress();
    form_.reset();
    info_.reset();
    window_.Destroy();
}

void Converter::Show(int how) {
    ShowWindow(hwnd(), how);
    UpdateWindow(hwnd());
}

int Converter::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateKeys(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

bool Converter::TranslateKeys(MSG& message) {
    for (HWND window : {hwnd(), info_ ? info_->hwnd() : nullptr})
        if (window && IsDialogMessageW(window, &message)) return true;
    return false;
}

LRESULT Converter::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (window_.Handle(message, wParam, lParam, &result)) {
        // At a new DPI the lists' fonts, and so their entries' widths, changed.
        if (message == WM_DPICHANGED) folders_.FitWidth(), files_.FitWidth();
        return result;
    }
    switch (message) {
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_DRAWITEM, OnDrawItem);
        HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(hwnd, WM_CLOSE, OnClose);
    // A command cannot stop halfway: the session waits for its end.
    case WM_QUERYENDSESSION: return !commandRunning_;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- What the user does ------------------------------------------------------

void Converter::OnCommand(HWND, int id, HWND control, UINT code) {
    if (!form_) return;
    // Enter comes as IDOK (IsDialogMessage); Escape, as IDCANCEL, presses
    // nothing.
    if (id == IDOK) return PressFocused();
    const ControlLayout* c = window_.Find(control);
    if (!c) return;
    switch (c->kind) {
    case K::Button:
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) form_->Pressed(c->id);
        break;
    case K::ClickLabel:
        if (code == STN_CLICKED) form_->Pressed(c->id);
        break;
    case K::DriveList: OnDriveList(control, code); break;
    case K::FolderList:
        if (code == LBN_SELCHANGE) form_->FolderHighlighted(Selection(control));
        if (code == LBN_DBLCLK && Selection(control) >= 0) form_->FolderOpened(Selection(control));
        break;
    case K::FileList:
        if (code == LBN_SELCHANGE) files_.SelectionChanged();
        break;
    default: break;
    }
}

void Converter::OnDriveList(HWND list, UINT code) {
    // The arrow keys on the closed list choose at once; in the dropped list
    // an entry is chosen when the list has closed on it (its message boxes
    // then stand over no dropped list).
    switch (code) {
    case CBN_DROPDOWN: form_->DriveListOpening(); break;
    case CBN_SELCHANGE:
        if (!Selection(list, CB_GETDROPPEDSTATE)) form_->DriveChosen(Selection(list, CB_GETCURSEL));
        break;
    case CBN_SELENDOK: drivePicked_ = true; break;
    case CBN_SELENDCANCEL:
        drivePicked_ = false;
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(form_->drives().Selected()), 0);
        break;
    case CBN_CLOSEUP:
        if (std::exchange(drivePicked_, false)) form_->DriveChosen(Selection(list, CB_GETCURSEL));
        break;
    default: break;
    }
}

void Converter::PressFocused() {
    HWND focus = GetFocus();
    const ControlLayout* c = window_.Find(focus);
    if (c && c->kind == K::Button) form_->Pressed(c->id);
    if (c && c->kind == K::FolderList && Selection(focus) >= 0) form_->FolderOpened(Selection(focus));
}

void Converter::OnDrawItem(HWND, const DRAWITEMSTRUCT* item) {
    if (item->hwndItem == window_[ControlId::dirDirBox]) FolderListBox::Draw(*item);
}

void Converter::OnActivate(HWND, UINT state, HWND, BOOL) {
    // The window keeps the control that had the focus while it is inactive.
    if (state == WA_INACTIVE) RememberFocus();
    else RestoreFocus();
}

void Converter::RememberFocus() {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd(), focus)) focus_ = focus;
}

void Converter::RestoreFocus() {
    SetFocus(IsWindowVisible(focus_) && IsWindowEnabled(focus_) ? focus_ : window_[ControlId::drvDriveBox]);
}

void Converter::OnClose(HWND) {
    if (form_->MainClosing()) window_.Destroy();
}

// --- What the form asks for --------------------------------------------------

void Converter::ShowDrives(const std::vector<std::string>& entries, int selected) {
    win32::ShowDrives(window_[ControlId::drvDriveBox], entries, selected);
}

void Converter::ShowFolders(const std::vector<FolderRow>& rows, int highlighted) { folders_.Show(rows, highlighted); }

void Converter::ShowFiles(const std::vector<std::string>& names, int selected) { files_.Show(names, selected); }

void Converter::SetVisible(ControlId control, bool visible) {
    ShowWindow(window_[control], visible ? SW_SHOWNA : SW_HIDE);
}

void Converter::SetCaption(ControlId control, const std::string& caption) {
    SetWindowTextW(window_[control], ToUtf16(caption).c_str());
    InvalidateRect(window_[control], nullptr, TRUE);
}

Answer Converter::Ask(const Message& message) {
    if (messageHook_) return messageHook_(message);
    const std::vector<Choice> choices = ChoicesOf(message.buttons);
    const UINT buttons = message.buttons == Buttons::YesNo         ? MB_YESNO
                         : message.buttons == Buttons::RetryCancel ? MB_RETRYCANCEL
                                                                   : MB_OK;
    const UINT icon = message.icon == Icon::Error ? MB_ICONERROR : message.icon == Icon::Warning ? MB_ICONWARNING : 0;
    // Over the main window, or over the about window once that alone is open.
    HWND owner = hwnd() ? hwnd() : info_ ? info_->hwnd() : nullptr;
    // The box disables its owner and enables it again before it goes, so
    // that the owner, not another program, comes to the front: during a
    // command the owner is enabled for it, and disabled again after. The
    // other window, no owner of the box, takes no input meanwhile either.
    HWND other = info_ && info_->hwnd() != owner ? info_->hwnd() : nullptr;
    const bool ownerOff = owner && !IsWindowEnabled(owner), otherOn = other && IsWindowEnabled(other);
    if (otherOn) EnableWindow(other, FALSE);
    if (ownerOff) EnableWindow(owner, TRUE);
    HHOOK hook = SetWindowsHookExW(WH_CBT, MessageBoxHook, nullptr, GetCurrentThreadId());
    const int id = MessageBoxW(owner, ToUtf16(message.text).c_str(), ToUtf16(message.title).c_str(),
                               buttons | icon | MB_DEFBUTTON1);
    UnhookWindowsHookEx(hook);
    if (ownerOff) EnableWindow(owner, FALSE);
    if (otherOn) EnableWindow(other, TRUE);
    for (const Choice& choice : choices)
        if (choice.answer == AnswerOf(id)) return choice.answer;
    return choices.back().answer;
}

void Converter::ShowProgress(const std::string& text) {
    if (progress_) return;
    const int dpi = window_.dpi();
    const auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    constexpr DWORD style = WS_POPUP | WS_CAPTION;
    RECT frame{0, 0, px(320), px(76)}, main;
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_DLGMODALFRAME, static_cast<UINT>(dpi));
    GetWindowRect(hwnd(), &main);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    progress_ = CreateWindowExW(WS_EX_DLGMODALFRAME, ProgressClass(), ToUtf16(kAppTitle).c_str(), style,
                                (main.left + main.right - width) / 2, (main.top + main.bottom - height) / 2, width,
                                height, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND label = CreateWindowExW(0, WC_STATICW, ToUtf16(text).c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 px(12), px(12), px(296), px(20), progress_, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(kProgramFont, dpi)), FALSE);
    progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, px(12), px(40), px(296), px(20),
                                   progress_, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, kProgressSteps);
    ShowWindow(progress_, SW_SHOW);
    UpdateWindow(progress_);
}

void Converter::SetProgress(int step) {
    if (!progress_) return;
    SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(step), 0);
    Pump();
}

void Converter::HideProgress() {
    if (!progress_) return;
    // The system hands the activation of a window that goes to its owner
    // only while that is enabled, else to another program.
    const bool ownerOff = hwnd() && !IsWindowEnabled(hwnd());
    if (ownerOff) EnableWindow(hwnd(), TRUE);
    DestroyWindow(progress_);
    if (ownerOff) EnableWindow(hwnd(), FALSE);
    progress_ = progressBar_ = nullptr;
}

void Converter::TakeInput(bool take) {
    // A disabled window takes no mouse, key or close box; the progress and
    // the message boxes, windows of their own, still do.
    if (!take) RememberFocus();
    for (HWND window : {hwnd(), info_ ? info_->hwnd() : nullptr})
        if (window) EnableWindow(window, take);
    // Input is taken off exactly while a command runs: the end of the
    // session is refused meanwhile, with the reason the system shows.
    commandRunning_ = !take;
    if (hwnd() && !take)
        ShutdownBlockReasonCreate(hwnd(), L"Tarnel Cache Converter is moving files; wait for it to end.");
    if (hwnd() && take) ShutdownBlockReasonDestroy(hwnd());
    if (!take || !hwnd()) return;
    // The focus comes back where it was, also when the progress that had
    // it gave it to no window of this program.
    if (GetActiveWindow() == hwnd()) RestoreFocus();
    else if (!GetActiveWindow()) SetActiveWindow(hwnd());
}

void Converter::ShowAbout() {
    if (!info_)
        info_ = std::make_unique<Info>([this] { form_->Pressed(ControlId::cmdBack); },
                                       [this] { form_->AboutClosed(); });
    info_->Open(hwnd());
}

void Converter::RaiseAbout() { info_->Raise(); }

void Converter::CloseAbout() { info_->Close(); }

void Converter::CloseMain() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

// The message loop ends once the event that closed the last window returns.
void Converter::EndProgram() { PostQuitMessage(0); }

}  // namespace tcc::win32
