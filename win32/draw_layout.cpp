// Both windows' frames and controls made from the layout table, and what is
// drawn here rather than by the system: the labels, the image and the
// buttons' face.
#include "win32/draw_layout.h"

#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>
#include <windowsx.h>

#include <map>
#include <tuple>

#include "win32/resource.h"

namespace tcc::win32 {

namespace {

using K = ControlKind;

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

// The annotation service that gives a control of the system a screen
// reader's name and description; null where the system has none (it is
// asked once, on the thread that makes the windows).
IAccPropServices* ReaderService() {
    static IAccPropServices* const service = [] {
        static const GUID kService = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
        static const GUID kInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
        IAccPropServices* found = nullptr;
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(CoCreateInstance(kService, nullptr, CLSCTX_INPROC_SERVER, kInterface,
                                    reinterpret_cast<void**>(&found))))
            return static_cast<IAccPropServices*>(nullptr);
        return found;
    }();
    return service;
}

void TellReader(HWND hwnd, const std::string& name, const std::string& description) {
    static const GUID kName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    static const GUID kDescription = {0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
    IAccPropServices* service = ReaderService();
    if (!service) return;
    for (const auto& [property, text] : {std::pair(&kName, &name), std::pair(&kDescription, &description)})
        if (!text->empty())
            service->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, *property, ToUtf16(*text).c_str());
}

// What a screen reader finds of a clickable label: the system's own account
// of a static control, and the default action "Press", which clicks it as
// the mouse does. The standard object answers everything else.
class PressableLabel final : public IAccessible {
public:
    PressableLabel(HWND label, IAccessible* standard) : label_(label), standard_(standard) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id != __uuidof(IUnknown) && id != __uuidof(IDispatch) && id != __uuidof(IAccessible)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --count_;
        if (!left) {
            standard_->Release();
            delete this;
        }
        return left;
    }

    // The action.
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        *action = SysAllocString(L"Press");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        // Posted: the reader's call returns at once, the window acts after.
        PressLabel(label_, PostMessageW);
        return S_OK;
    }

    // The rest as the system's object says.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return standard_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
        return standard_->GetTypeInfo(i, l, t);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT n, LCID l, DISPID* ids) override {
        return standard_->GetIDsOfNames(id, names, n, l, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID id, LCID l, WORD f, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e,
                                     UINT* a) override {
        return standard_->Invoke(d, id, l, f, p, r, e, a);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return standard_->get_accParent(p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* n) override { return standard_->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** d) override { return standard_->get_accChild(c, d); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT c, BSTR* s) override { return standard_->get_accName(c, s); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override { return standard_->get_accValue(c, s); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* s) override {
        return standard_->get_accDescription(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return standard_->get_accRole(c, r); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* r) override { return standard_->get_accState(c, r); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* s) override { return standard_->get_accHelp(c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
        return standard_->get_accHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* s) override {
        return standard_->get_accKeyboardShortcut(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* r) override { return standard_->get_accFocus(r); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* r) override { return standard_->get_accSelection(r); }
    HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return standard_->accSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT c) override {
        return standard_->accLocation(x, y, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* r) override {
        return standard_->accNavigate(d, s, r);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* r) override { return standard_->accHitTest(x, y, r); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR s) override { return standard_->put_accName(c, s); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR s) override { return standard_->put_accValue(c, s); }

private:
    HWND label_;
    IAccessible* standard_;
    ULONG count_ = 1;
};

// A clickable label clicks when the left button, pressed on it, is let go
// inside it, as a button does; and it answers a screen reader's question for
// its accessible object with a PressableLabel.
LRESULT CALLBACK ClickLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: SetCapture(label); return 0;
    case WM_LBUTTONUP: {
        if (GetCapture() != label) return 0;
        ReleaseCapture();
        RECT box;
        GetClientRect(label, &box);
        if (PtInRect(&box, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) PressLabel(label, SendMessageW);
        return 0;
    }
    case WM_GETOBJECT: {
        IAccessible* standard = nullptr;
        if (static_cast<LONG>(lParam) != OBJID_CLIENT ||
            FAILED(CreateStdAccessibleObject(label, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&standard))))
            break;
        auto* reader = new PressableLabel(label, standard);
        const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, reader);
        reader->Release();
        return result;
    }
    default: break;
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

struct ControlClass {
    const wchar_t* name;
    DWORD style, exStyle;
};

// Each control that takes the focus is a group of its own, so that the
// arrow keys move nothing but what is inside a list.
ControlClass ClassOf(ControlKind kind) {
    constexpr DWORD kFocus = WS_TABSTOP | WS_GROUP;
    constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | kFocus;
    switch (kind) {
    case K::Button: return {WC_BUTTONW, BS_OWNERDRAW | kFocus, 0};
    case K::DriveList: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | kFocus, 0};
    case K::FolderList: return {WC_LISTBOXW, kList | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, WS_EX_CLIENTEDGE};
    case K::FileList: return {WC_LISTBOXW, kList, WS_EX_CLIENTEDGE};
    case K::ClickLabel: return {WC_STATICW, SS_OWNERDRAW | SS_NOTIFY, 0};
    case K::Label:
    case K::Image: break;
    }
    return {WC_STATICW, SS_OWNERDRAW, 0};
}

DWORD FrameStyle(const WindowLayout& layout) {
    return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN |
           (layout.minimiseAndMaximise ? WS_MINIMIZEBOX | WS_MAXIMIZEBOX : 0);
}

// The window class of a layout, registered at its first window.
const wchar_t* ClassFor(const WindowLayout& layout, WNDPROC proc) {
    static std::map<const WindowLayout*, std::wstring> registered;
    auto [entry, fresh] = registered.try_emplace(&layout, L"TarnelCacheConverter." + ToUtf16(layout.name));
    if (fresh) {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = proc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = CreateSolidBrush(ColourRef(layout.background));
        c.hIcon = ArtworkIcon(layout.icons.front(), GetSystemMetrics(SM_CXICON));
        c.hIconSm = ArtworkIcon(layout.icons.front(), GetSystemMetrics(SM_CXSMICON));
        c.lpszClassName = entry->second.c_str();
        RegisterClassExW(&c);
    }
    return entry->second.c_str();
}

}  // namespace

std::optional<bool> highContrast;

bool HighContrast() {
    if (highContrast) return *highContrast;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void AnswerHighContrast(std::optional<bool> on) { highContrast = on; }

HFONT FontOf(const FontStyle& style, int dpi) {
    const FontStyle& font = style.family ? style : kProgramFont;
    static std::map<std::tuple<std::string, int, bool, int>, HFONT> made;
    const int height = -static_cast<int>(font.points * dpi / 72 + 0.5);
    HFONT& handle = made[{font.family, height, font.italic, dpi}];
    // A face standing in for a fixed-pitch family is of fixed pitch too.
    const BYTE pitch = font.fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH;
    if (!handle)
        handle = CreateFontW(height, 0, 0, 0, FW_NORMAL, font.italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, ToUtf16(font.family).c_str());
    return handle;
}

HCURSOR HandCursor() {
    static const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINTER));
    return hand;
}

HICON ArtworkIcon(const char* file, int size) {
    static const std::map<std::string, int> kResources = {
        {"converter-icon.png", IDI_PROGRAM}, {"logo.png", IDI_LOGO},           {"info-icon-32.png", IDI_INFO},
        {"info-icon-16.png", IDI_INFO},      {"folder-open", IDI_FOLDER_OPEN}, {"folder-closed", IDI_FOLDER_CLOSED},
    };
    static std::map<std::pair<int, int>, HICON> loaded;
    const int id = kResources.at(file);
    HICON& icon = loaded[{id, size}];
    if (!icon)
        icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    return icon;
}

LayoutWindow::~LayoutWindow() { Destroy(); }

HWND LayoutWindow::Create(const WindowLayout& layout, WNDPROC proc, void* self) {
    layout_ = &layout;
    hwnd_ = CreateWindowExW(0, ClassFor(layout, proc), ToUtf16(layout.title).c_str(), FrameStyle(layout), CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                            self);
    TellReader(hwnd_, "", layout.description);
    controls_.clear();
    int id = 100;
    for (const ControlLayout& c : layout.controls) {
        const ControlClass made = ClassOf(c.kind);
        const DWORD style = WS_CHILD | made.style | (c.Shown() ? WS_VISIBLE : 0) | (c.Enabled() ? 0 : WS_DISABLED);
        // A label shows its caption; a list or the image has its reader's
        // name as its text. The drive list's text is its selected entry.
        const std::string text = c.kind == K::Button        ? c.caption
                                 : c.kind == K::DriveList   ? std::string()
                                 : c.PlainCaption().empty() ? c.ReaderName()
                                                            : c.PlainCaption();
        HWND control = CreateWindowExW(made.exStyle, made.name, ToUtf16(text).c_str(), style, 0, 0, 0, 0, hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), GetModuleHandleW(nullptr),
                                       nullptr);
        TellReader(control, c.accessName, c.description);
        if (c.kind == K::ClickLabel) SetWindowSubclass(control, ClickLabelProc, 0, 0);
        controls_.push_back(control);
    }
    LayOut(static_cast<int>(GetDpiForWindow(hwnd_)));
    return hwnd_;
}

void LayoutWindow::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    controls_.clear();
}

HWND LayoutWindow::operator[](ControlId id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (layout_->controls[i].id == id) return controls_[i];
    return nullptr;
}

const ControlLayout* LayoutWindow::Find(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == control) return &layout_->controls[i];
    return nullptr;
}

void LayoutWindow::LayOut(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlLayout& c = layout_->controls[i];
        HWND control = controls_[i];
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(c.font, dpi)), FALSE);
        // A drop-down list's height is that of its list dropped down; its
        // field is given the layout's height through its entries' height.
        const int dropped = c.kind == K::DriveList ? Scaled(200, dpi) : 0;
        SetWindowPos(control, nullptr, px(c.left), px(c.top), px(c.width), px(c.height) + dropped,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        // Set twice: Wine reads the field's height other than it sets it.
        auto entry = SendMessageW(control, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        for (int pass = 0; c.kind == K::DriveList && pass < 2; ++pass) {
            RECT field;
            GetWindowRect(control, &field);
            entry += px(c.height) - (field.bottom - field.top);
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), entry);
        }
        if (c.kind == K::FolderList) SendMessageW(control, LB_SETITEMHEIGHT, 0, Scaled(18, dpi));
        InvalidateRect(control, nullptr, TRUE);
    }
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    RECT frame{0, 0, px(layout_->width), px(layout_->height)};
    AdjustWindowRectExForDpi(&frame, FrameStyle(*layout_), FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayoutWindow::Centre(HWND on) {
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(on ? on : hwnd_, MONITOR_DEFAULTTONEAREST), &screen);
    RECT frame;
    GetWindowRect(hwnd_, &frame);
    const RECT& work = screen.rcWork;
    SetWindowPos(hwnd_, nullptr, (work.left + work.right - (frame.right - frame.left)) / 2,
                 (work.top + work.bottom - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool LayoutWindow::Draw(const DRAWITEMSTRUCT& item) const {
    const ControlLayout* c = Find(item.hwndItem);
    if (!c || (item.CtlType != ODT_BUTTON && item.CtlType != ODT_STATIC)) return false;
    if (c->kind != K::Button) {
        DrawLabel(*c, item);
        return true;
    }
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pushed = item.itemState & ODS_SELECTED, contrast = HighContrast();
    SetDCBrushColor(dc, contrast ? GetSysColor(COLOR_BTNFACE) : ColourRef(kButtonFace));
    FillRect(dc, &face, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    DrawEdge(dc, &face, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    wchar_t caption[128] = {};
    GetWindowTextW(item.hwndItem, caption, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, item.itemState & ODS_DISABLED ? GetSysColor(COLOR_GRAYTEXT)
                     : contrast                    ? GetSysColor(COLOR_BTNTEXT)
                                                   : ColourRef(kButtonText));
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    RECT text = face;
    if (pushed) OffsetRect(&text, 1, 1);
    DrawTextW(dc, caption, -1, &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | (item.itemState & ODS_NOACCEL ? DT_HIDEPREFIX : 0));
    SelectObject(dc, font);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&face, -Scaled(4, dpi_), -Scaled(4, dpi_));
        DrawFocusRect(dc, &face);
    }
    return true;
}

void LayoutWindow::DrawLabel(const ControlLayout& c, const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    // No background of its own: the window's shows through.
    const bool contrast = HighContrast();
    SetDCBrushColor(dc, contrast ? GetSysColor(COLOR_WINDOW)
                                 : ColourRef(c.background != kNoColour ? c.background : layout_->background));
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (c.kind == K::Image) {
        // The picture at its own size, not stretched to the box.
        const int size = Scaled(32, dpi_);
        DrawIconEx(dc, box.left, box.top, ArtworkIcon(c.caption.c_str(), size), size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    // A disabled label is drawn greyed, as the system draws its own.
    const COLORREF colour = !IsWindowEnabled(item.hwndItem)    ? GetSysColor(COLOR_GRAYTEXT)
                            : !contrast && c.text != kNoColour ? ColourRef(c.text)
                                                               : GetSysColor(COLOR_WINDOWTEXT);
    if (c.Framed()) {
        SetDCBrushColor(dc, colour);
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    const int length = GetWindowTextLengthW(item.hwndItem);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(item.hwndItem, caption.data(), length + 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    const UINT align = c.align == Align::Left ? DT_LEFT : c.align == Align::Right ? DT_RIGHT : DT_CENTER;
    const UINT lines = c.Framed()     ? DT_SINGLELINE | DT_VCENTER
                       : c.Wraps()    ? DT_WORDBREAK
                       : c.PathText() ? DT_SINGLELINE | DT_PATH_ELLIPSIS
                                      : DT_SINGLELINE;
    DrawTextW(dc, caption.c_str(), length, &box, DT_NOPREFIX | align | lines);
    SelectObject(dc, font);
}

bool LayoutWindow::SetCursor(HWND control, UINT hitTest) const {
    const ControlLayout* c = Find(control);
    if (!c || !c->Clickable() || hitTest != HTCLIENT) return false;
    ::SetCursor(HandCursor());
    return true;
}

bool LayoutWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_DRAWITEM: *result = TRUE; return Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_SETCURSOR: *result = TRUE; return SetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    case WM_DPICHANGED:
        *result = 0;
        LayOut(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return true;
    case WM_ERASEBKGND: {
        // The class's brush is the layout's background.
        if (!HighContrast()) return false;
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
        *result = TRUE;
        return true;
    }
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // High contrast may have come or gone.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return false;
    default: return false;
    }
}

}  // namespace tcc::win32
