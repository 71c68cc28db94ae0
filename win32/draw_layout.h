#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <vector>

#include "core/utf16.h"
#include "form/layout.h"

namespace tcc::win32 {

// 0xRRGGBB as the system takes a colour.
constexpr COLORREF ColourRef(int rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The font of the layout at a screen's dots per inch; a style without a
// family is the program's font. Made once and kept for the program's life.
HFONT FontOf(const FontStyle& style, int dpi);

// Does the system ask for high contrast (SPI_GETHIGHCONTRAST)? Every control
// is then drawn in the system's colours; otherwise each in the layout's, a
// fixed background always with a fixed text colour. Tests may answer for the
// system (nullopt: the system answers again).
bool HighContrast();
void AnswerHighContrast(std::optional<bool> on);

// The pointing hand over every clickable control, its hot spot at the
// fingertip.
HCURSOR HandCursor();

// Clicks a clickable label: tells its window STN_CLICKED, through send (the
// mouse) or post (a screen reader's action).
template <typename Deliver>
void PressLabel(HWND label, Deliver deliver) {
    deliver(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
            reinterpret_cast<LPARAM>(label));
}

// An icon of the program's resources by its artwork's name (the layout's
// file names), at a size in pixels.
HICON ArtworkIcon(const char* file, int size);

// A top-level window built from its layout: its frame, background, title
// and icon, and its controls made in table order, which is the order Tab
// moves the focus in (WS_TABSTOP on those that take it). Labels and the
// image are drawn here (owner-drawn statics), and so are the buttons with
// their own face; the lists are the system's and their owner fills them.
// Each control's window text is its caption, or what a screen reader reads
// when it shows none; the reader's name and description are also given to
// the system's accessibility proxies where it takes them.
class LayoutWindow {
public:
    LayoutWindow() = default;
    LayoutWindow(const LayoutWindow&) = delete;
    LayoutWindow& operator=(const LayoutWindow&) = delete;
    ~LayoutWindow();

    // Makes the window, hidden, with self as its window procedure's object
    // (see WindowProc), and its controls; then lays it out for the DPI of
    // the screen it is on.
    HWND Create(const WindowLayout& layout, WNDPROC proc, void* self);
    void Destroy();

    HWND hwnd() const { return hwnd_; }
    HWND operator[](ControlId id) const;
    // The layout of one of this window's controls, or null.
    const ControlLayout* Find(HWND control) const;
    int dpi() const { return dpi_; }

    // Places every control and sets its font for a screen of dpi dots per
    // inch; sizes the window's client area to the layout unless the system
    // gave the window's new place (WM_DPICHANGED).
    void LayOut(int dpi, const RECT* suggested = nullptr);
    // Centres the window's frame on the work area of the screen that holds
    // `on` (or its own).
    void Centre(HWND on);

    // What the window procedure hands on: draws a label, the image or a
    // button (WM_DRAWITEM), shows the hand over a clickable control
    // (WM_SETCURSOR). True when done.
    bool Draw(const DRAWITEMSTRUCT& item) const;
    bool SetCursor(HWND control, UINT hitTest) const;
    // The messages common to both windows (drawing, the pointer, a new
    // DPI); true when handled, with the result in *result.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

private:
    void DrawLabel(const ControlLayout& c, const DRAWITEMSTRUCT& item) const;

    const WindowLayout* layout_ = nullptr;
    HWND hwnd_ = nullptr;
    std::vector<HWND> controls_;  // in the layout's order
    int dpi_ = 96;
};

// The window procedure of a window whose object (T, with
// LRESULT Handle(HWND, UINT, WPARAM, LPARAM)) was given at its creation.
template <typename T>
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(hwnd, message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tcc::win32
