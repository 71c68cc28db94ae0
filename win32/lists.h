#pragma once

#include <functional>
#include <string>
#include <vector>

#include "form/view.h"
#include "win32/draw_layout.h"

namespace tcc::win32 {

// The three lists draw what the form tells them; their owner reports what
// the user does with them. Showing entries reports nothing: the system
// sends no notification for a selection set by its owner.

// The drive list (a drop-down list): its entries, kept when they are the
// same, and the selected one.
void ShowDrives(HWND list, const std::vector<std::string>& entries, int selected);

// A folder picture, the system's (else the program's own), drawn at a size
// in pixels.
HICON FolderIcon(bool open, int size);

// A list box of the system subclassed as in the classic samples: its window
// procedure replaced, the object in the list's user data. (The common
// controls' own subclassing reads a window property at every message, a
// call to the server under Wine, where a big list then fills a hundred
// times slower.)
class SubclassedList {
public:
    SubclassedList() = default;
    SubclassedList(const SubclassedList&) = delete;
    SubclassedList& operator=(const SubclassedList&) = delete;
    virtual ~SubclassedList() = default;
    void Attach(HWND list);

protected:
    // The messages to the list; Default hands one to the list itself.
    virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // The entry at a point of the client area (a mouse message's), or -1.
    int RowAt(LPARAM point) const;
    int Selected() const { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC original_ = nullptr;
};

// The folder list (an owner-drawn list box): each entry indented by its
// depth, with an open or a closed folder, and the highlighted entry. A
// double click opens only the entry it is on: one on the empty stretch
// below the entries is no double click.
class FolderListBox : public SubclassedList {
public:
    void Show(const std::vector<FolderRow>& rows, int highlighted);
    // Lets the list scroll sideways as far as its widest entry reaches in
    // its font (at a new DPI, a new one).
    void FitWidth();
    static void Draw(const DRAWITEMSTRUCT& item);

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The file list. The user choosing an entry, with the mouse or the keys, is
// a click, and so is a click on the entry already selected, which the
// system's list box does not report; the list getting the focus selects
// nothing.
class FileListBox : public SubclassedList {
public:
    using Clicked = std::function<void(int row)>;
    explicit FileListBox(Clicked clicked) : clicked_(std::move(clicked)) {}
    // Fills the list anew only when the names changed, since a command
    // shows a big folder again and again.
    void Show(const std::vector<std::string>& names, int selected);
    void FitWidth();
    // The list's selection changed (LBN_SELCHANGE).
    void SelectionChanged();

protected:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Clicked clicked_;
    std::vector<std::string> shown_;
    std::wstring longest_;  // the longest of them
    int selected_ = -1;     // the selection last shown or reported
    int pressed_ = -1;      // the selected entry the mouse went down on
};

}  // namespace tcc::win32
