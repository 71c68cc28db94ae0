#include "win32/info.h"

#include <windowsx.h>

namespace tcc::win32 {

Info::Info(std::function<void()> back, std::function<void()> closed)
    : back_(std::move(back)), closed_(std::move(closed)) {}

void Info::Open(HWND screenOf) {
    if (!IsOpen()) window_.Create(InfoLayout(), &WindowProc<Info>, this);
    window_.Centre(screenOf);
    ShowWindow(hwnd(), SW_SHOW);
    Raise();
}

void Info::Raise() {
    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
}

void Info::Close() { SendMessageW(hwnd(), WM_CLOSE, 0, 0); }

LRESULT Info::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (window_.Handle(message, wParam, lParam, &result)) return result;
    switch (message) {
        HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
        HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
        HANDLE_MSG(hwnd, WM_CLOSE, OnClose);
    case WM_SETFOCUS: SetFocus(window_[ControlId::cmdBack]); return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Info::OnCommand(HWND, int id, HWND control, UINT code) {
    // Enter comes as IDOK (IsDialogMessage); Escape, as IDCANCEL, does
    // nothing.
    if (id == IDOK || (control == window_[ControlId::cmdBack] && (code == BN_CLICKED || code == BN_DOUBLECLICKED)))
        back_();
}

void Info::OnActivate(HWND, UINT state, HWND, BOOL) {
    // Back is the window's only control that takes the focus.
    if (state != WA_INACTIVE) SetFocus(window_[ControlId::cmdBack]);
}

void Info::OnClose(HWND) {
    window_.Destroy();
    closed_();
}

}  // namespace tcc::win32
