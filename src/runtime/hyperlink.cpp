#include "runtime/hyperlink.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <optional>

#include "runtime/link_colour.h"
#include "support/com_apartment.h"
#include "support/win_text.h"

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace jl {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kToolId = 1;

// One of the browser's link colours, when it is set and reads as "R,G,B".
std::optional<COLORREF> browserColour(HKEY key, const wchar_t* name) {
    const std::optional<RgbColour> colour = parseAnchorColour(registryString(key, name));
    if (!colour) return std::nullopt;
    return RGB(colour->red, colour->green, colour->blue);
}

UINT alignmentFlags(HWND control) {
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    if (style == SS_CENTER) return DT_CENTER;
    if (style == SS_RIGHT) return DT_RIGHT;
    return DT_LEFT;
}

} // namespace

Hyperlink::~Hyperlink() { detach(); }

bool Hyperlink::attach(HWND control) {
    if (control_ || !control) return false;
    const int length = GetWindowTextLengthW(control);
    text_.assign(static_cast<size_t>(length) + 1, L'\0');
    text_.resize(static_cast<size_t>(GetWindowTextW(control, text_.data(), length + 1)));

    UniqueKey settings;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0, KEY_READ,
                      settings.put()) == ERROR_SUCCESS) {
        linkColour_ = browserColour(settings.get(), L"Anchor Color").value_or(linkColour_);
        visitedColour_ = browserColour(settings.get(), L"Anchor Color Visited").value_or(visitedColour_);
    }

    if (!SetWindowSubclass(control, subclassProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    control_ = control;
    // A plain static text lets mouse input through to the dialog.
    SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);

    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, control, nullptr,
                                   reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(control, GWLP_HINSTANCE)), nullptr));
    if (tooltip_) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = control;
        tool.uId = kToolId;
        tool.lpszText = text_.data();
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
    }
    takeFont(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    return true;
}

void Hyperlink::detach() {
    if (!control_) return;
    RemoveWindowSubclass(control_, subclassProcedure, kSubclassId);
    control_ = nullptr;
    tooltip_.reset();
    linkFont_.reset();
    ownedNormalFont_.reset();
    normalFont_ = nullptr;
}

void Hyperlink::takeFont(HFONT font) {
    if (!font) {
        LOGFONTW iconTitle{};
        if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0)) {
            ownedNormalFont_.reset(CreateFontIndirectW(&iconTitle));
        }
        font = static_cast<HFONT>(ownedNormalFont_.get());
    } else {
        ownedNormalFont_.reset();
    }
    normalFont_ = font;
    LOGFONTW underlined{};
    if (font && GetObjectW(font, sizeof underlined, &underlined)) {
        underlined.lfUnderline = TRUE;
        linkFont_.reset(CreateFontIndirectW(&underlined));
    }
    measureLabel();
}

void Hyperlink::measureLabel() {
    RECT client{};
    GetClientRect(control_, &client);
    RECT measured = client;
    if (HDC dc = GetDC(control_)) {
        const HGDIOBJ previous = SelectObject(dc, linkFont_ ? linkFont_.get() : normalFont_);
        DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &measured,
                  DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | alignmentFlags(control_));
        SelectObject(dc, previous);
        ReleaseDC(control_, dc);
    }
    const LONG width = measured.right - measured.left;
    const UINT alignment = alignmentFlags(control_);
    label_ = measured;
    if (alignment == DT_CENTER) label_.left = (client.right - width) / 2;
    if (alignment == DT_RIGHT) label_.left = client.right - width;
    label_.right = label_.left + width;
    if (tooltip_) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = control_;
        tool.uId = kToolId;
        tool.rect = label_;
        SendMessageW(tooltip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    InvalidateRect(control_, nullptr, TRUE);
}

void Hyperlink::paint(HDC dc) {
    RECT client{};
    GetClientRect(control_, &client);
    const HWND parent = GetParent(control_);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control_)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));

    const HGDIOBJ previous = SelectObject(dc, linkFont_ ? linkFont_.get() : normalFont_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(control_) ? GetSysColor(COLOR_GRAYTEXT)
                     : visited_                 ? visitedColour_
                                                : linkColour_);
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &client,
              DT_WORDBREAK | DT_NOPREFIX | alignmentFlags(control_));
    if (GetFocus() == control_) DrawFocusRect(dc, &label_);
    SelectObject(dc, previous);
}

void Hyperlink::open() {
    const ComApartment com;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", text_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) return;
    visited_ = true;
    InvalidateRect(control_, nullptr, TRUE);
}

LRESULT CALLBACK Hyperlink::subclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    auto* link = reinterpret_cast<Hyperlink*>(self);
    if (message == WM_NCDESTROY) {
        link->detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return link->onMessage(message, wParam, lParam);
}

// The label, not the whole control, is the link.
std::optional<LRESULT> Hyperlink::onMouse(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_SETCURSOR: {
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(control_, &cursor);
            if (!PtInRect(&label_, cursor)) return std::nullopt;
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        case WM_LBUTTONDOWN: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (PtInRect(&label_, point)) {
                SetFocus(control_);
                SetCapture(control_);
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            if (GetCapture() != control_) return 0;
            ReleaseCapture();
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (PtInRect(&label_, point)) open();
            return 0;
        }
        default:
            return std::nullopt;
    }
}

LRESULT Hyperlink::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && tooltip_) {
        MSG relayed{control_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            if (HDC dc = BeginPaint(control_, &ps)) {
                paint(dc);
                EndPaint(control_, &ps);
            }
            return 0;
        }
        case WM_PRINTCLIENT:
            paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the whole control
        case WM_SETFONT: {
            const LRESULT result = DefSubclassProc(control_, message, wParam, lParam);
            takeFont(reinterpret_cast<HFONT>(wParam));
            return result;
        }
        case WM_SIZE:
        case WM_DPICHANGED_AFTERPARENT: {
            const LRESULT result = DefSubclassProc(control_, message, wParam, lParam);
            measureLabel();
            return result;
        }
        case WM_SETCURSOR:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (std::optional<LRESULT> handled = onMouse(message, lParam)) return *handled;
            break;
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                open();
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
            InvalidateRect(control_, nullptr, TRUE);
            break;
        default:
            break;
    }
    return DefSubclassProc(control_, message, wParam, lParam);
}

} // namespace jl
