#pragma once
// A dialog's static text control turned into a link: its text is both the label
// and the address that the shell opens.

#include <windows.h>

#include <optional>
#include <string>

#include "support/unique_resource.h"

namespace jl {

class Hyperlink {
public:
    Hyperlink() = default;
    Hyperlink(const Hyperlink&) = delete;
    Hyperlink& operator=(const Hyperlink&) = delete;
    ~Hyperlink();

    // Subclasses the control; false when it could not be. Destroying the control
    // detaches it, and so does destroying this object first.
    [[nodiscard]] bool attach(HWND control);

private:
    static LRESULT CALLBACK subclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR self);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Empty when the message goes on to the control's own procedure.
    [[nodiscard]] std::optional<LRESULT> onMouse(UINT message, LPARAM lParam);
    void takeFont(HFONT font);
    void measureLabel();
    void paint(HDC dc);
    void open();
    void detach();

    HWND control_ = nullptr;
    std::wstring text_;  // label and target alike
    HFONT normalFont_ = nullptr;
    UniqueGdiObject ownedNormalFont_;  // the icon-title font, when the dialog gave none
    UniqueGdiObject linkFont_;
    UniqueWindow tooltip_;
    COLORREF linkColour_ = RGB(0, 0, 255);
    COLORREF visitedColour_ = RGB(128, 0, 128);
    RECT label_{};
    bool visited_ = false;
};

} // namespace jl
