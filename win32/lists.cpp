#include "win32/lists.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <utility>

namespace tcc::win32 {

namespace {

int Scaled(HWND list, int pixels) { return MulDiv(pixels, static_cast<int>(GetDpiForWindow(list)), 96); }

// A folder row's indent per level, and the room of its folder picture.
int Indent(HWND list, int depth) { return Scaled(list, 2 + 10 * depth); }
int PictureRoom(HWND list) { return Scaled(list, 16 + 4); }

int TextWidth(HWND list, const std::wstring& text) {
    HDC dc = GetDC(list);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, font);
    ReleaseDC(list, dc);
    return size.cx;
}

// Lets the list scroll sideways as far as its widest entry reaches.
void SetWidth(HWND list, int widest) {
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scaled(list, 4)), 0);
}

std::wstring EntryText(HWND list, WPARAM row) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

}  // namespace

// Made from its image of that size, not a small one stretched; kept for the
// program's life.
HICON FolderIcon(bool open, int size) {
    static std::map<std::pair<bool, int>, HICON> made;
    HICON& icon = made[{open, size}];
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (!icon && SUCCEEDED(SHGetStockIconInfo(open ? SIID_FOLDEROPEN : SIID_FOLDER, SHGSI_ICONLOCATION, &info)))
        SHDefExtractIconW(info.szPath, info.iIcon, 0, &icon, nullptr, static_cast<UINT>(size));
    if (!icon) icon = ArtworkIcon(open ? "folder-open" : "folder-closed", size);
    return icon;
}

void ShowDrives(HWND list, const std::vector<std::string>& entries, int selected) {
    bool same = SendMessageW(list, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(entries.size());
    for (std::size_t i = 0; same && i < entries.size(); ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        same = text.c_str() == ToUtf16(entries[i]);
    }
    if (!same) {
        SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& entry : entries)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToUtf16(entry).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void SubclassedList::Attach(HWND list) {
    hwnd_ = list;
    original_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_WNDPROC));
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedList::Proc));
}

LRESULT CALLBACK SubclassedList::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return reinterpret_cast<SubclassedList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))->Handle(message, wParam, lParam);
}

LRESULT SubclassedList::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(original_, hwnd_, message, wParam, lParam);
}

int SubclassedList::RowAt(LPARAM point) const {
    const auto at = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, point);
    return HIWORD(at) ? -1 : static_cast<int>(LOWORD(at));
}

void FolderListBox::Show(const std::vector<FolderRow>& rows, int highlighted) {
    const HWND list = hwnd_;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const FolderRow& row : rows) {
        const auto index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToUtf16(row.text).c_str()));
        SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), row.depth * 2 + row.open);
    }
    FitWidth();
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(highlighted), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FolderListBox::FitWidth() {
    int widest = 0;
    for (WPARAM row = 0; row < static_cast<WPARAM>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); ++row) {
        const int depth = static_cast<int>(SendMessageW(hwnd_, LB_GETITEMDATA, row, 0) / 2);
        widest = std::max(widest, Indent(hwnd_, depth) + PictureRoom(hwnd_) + TextWidth(hwnd_, EntryText(hwnd_, row)));
    }
    SetWidth(hwnd_, widest);
}

LRESULT FolderListBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK && RowAt(lParam) < 0) return 0;
    return Default(message, wParam, lParam);
}

void FolderListBox::Draw(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HWND list = item.hwndItem;
    HDC dc = item.hDC;
    RECT row = item.rcItem;
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(dc, &row, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int depth = static_cast<int>(item.itemData / 2), size = Scaled(list, 16);
    int x = row.left + Indent(list, depth);
    DrawIconEx(dc, x, row.top + (row.bottom - row.top - size) / 2, FolderIcon(item.itemData % 2, size), size, size, 0,
               nullptr, DI_NORMAL);
    const std::wstring text = EntryText(list, item.itemID);
    RECT room{x + PictureRoom(list), row.top, row.right, row.bottom};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), -1, &room, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &row);
}

void FileListBox::Show(const std::vector<std::string>& names, int selected) {
    if (names != shown_) {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
        std::size_t characters = 0;
        for (const std::string& name : names) characters += name.size() + 1;
        SendMessageW(hwnd_, LB_INITSTORAGE, names.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
        longest_.clear();
        for (const std::string& name : names) {
            std::wstring text = ToUtf16(name);
            SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            if (text.size() > longest_.size()) longest_ = std::move(text);
        }
        shown_ = names;
        FitWidth();
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    selected_ = selected;
}

void FileListBox::FitWidth() {
    // The list's font is of fixed pitch: the longest name is the widest.
    SetWidth(hwnd_, TextWidth(hwnd_, longest_));
}

void FileListBox::SelectionChanged() {
    const int row = Selected();
    if (row == selected_) return;
    selected_ = row;
    if (row >= 0) clicked_(row);
}

LRESULT FileListBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        pressed_ = RowAt(lParam) == Selected() ? Selected() : -1;
    } else if (message == WM_LBUTTONUP) {
        const LRESULT result = Default(message, wParam, lParam);
        const int row = std::exchange(pressed_, -1);
        if (row >= 0 && RowAt(lParam) == row && Selected() == row) {
            selected_ = row;
            clicked_(row);
        }
        return result;
    }
    return Default(message, wParam, lParam);
}

}  // namespace tcc::win32
