#pragma once

#include <functional>

#include "win32/draw_layout.h"

namespace tcc::win32 {

// The about window: who wrote the tool, how to reach them, and the version.
// A top-level window of its own with no owner, made anew at each opening.
// Back holds the focus whenever the window is active.
class Info {
public:
    // back: Back was pressed (a click, Enter or Space); closed: the window
    // was closed, by its close box or by Close.
    Info(std::function<void()> back, std::function<void()> closed);

    // Makes the window as laid out, centred on the screen of `screenOf`,
    // shows it modeless and brings it to the front.
    void Open(HWND screenOf);
    void Raise();
    void Close();
    bool IsOpen() const { return window_.hwnd() != nullptr; }
    // The open window (null when closed) and its controls.
    HWND hwnd() const { return window_.hwnd(); }
    HWND operator[](ControlId id) const { return window_[id]; }

    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void OnCommand(HWND hwnd, int id, HWND control, UINT code);
    void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimised);
    void OnClose(HWND hwnd);

    std::function<void()> back_, closed_;
    LayoutWindow window_;
};

}  // namespace tcc::win32
