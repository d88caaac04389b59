#include "support/error_message.h"

#include <windows.h>

#include "launcher/launcher.h"
#include "support/message_format.h"
#include "support/trace.h"

namespace jl {

std::wstring loadString(unsigned id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource.
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

void showErrorText(const std::wstring& text) {
    trace(L"error message shown: ", Quoted{text});
    Launcher* launcher = Launcher::current();
    HWND owner = launcher ? launcher->messageOwner : nullptr;
    MessageBoxW(owner, text.c_str(), nullptr, MB_ICONERROR | MB_OK);
}

void showErrorMessage(unsigned id) { showErrorText(loadString(id)); }

void showErrorMessage(unsigned formatId, std::wstring_view text, int32_t number) {
    showErrorText(formatMessage(loadString(formatId), {text, number}));
}

void showErrorMessage(unsigned formatId, std::wstring_view first, std::wstring_view second) {
    showErrorText(formatMessage(loadString(formatId), {first, second}));
}

void showErrorMessage(unsigned formatId, std::wstring_view text) {
    showErrorText(formatMessage(loadString(formatId), {text}));
}

} // namespace jl
