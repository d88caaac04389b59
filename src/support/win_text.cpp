#include "support/win_text.h"

#include <algorithm>

#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/unique_resource.h"

namespace jl {

namespace {

std::string narrow(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return {};
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                        nullptr);
    return result;
}

std::wstring widen(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), length);
    return result;
}

} // namespace

std::string toAnsiString(std::wstring_view text) { return narrow(CP_THREAD_ACP, text); }
bool fitsAnsiCodePage(std::wstring_view text) {
    // Every ANSI code page holds ASCII, and most paths are nothing else.
    if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) return true;
    UINT codePage = CP_ACP;
    GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<wchar_t*>(&codePage), sizeof codePage / sizeof(wchar_t));
    if (codePage == CP_UTF8) return true;
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                        nullptr, &usedDefault);
    return !usedDefault;
}

std::wstring fromAnsiString(std::string_view text) { return widen(CP_THREAD_ACP, text); }
std::string toUtf8(std::wstring_view text) { return narrow(CP_UTF8, text); }
std::wstring fromUtf8(std::string_view text) { return widen(CP_UTF8, text); }

void expandEnvironment(std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return;
    expanded.resize(wcsnlen(expanded.c_str(), expanded.size()));
    text = std::move(expanded);
}

std::wstring environmentVariable(const wchar_t* name) {
    std::wstring value(64, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // length includes the terminator when the buffer was too small
    }
}

bool modulePath(std::wstring& path) {
    // Grow past MAX_PATH rather than accept a silently cut path.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) break;
        if (length < buffer.size() && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            buffer.resize(length);
            path = std::move(buffer);
            return true;
        }
        if (buffer.size() >= 32768) break;
        buffer.resize(buffer.size() * 2);
    }
    const DWORD error = GetLastError();
    showErrorMessage(kMsgWindowsException, loadString(kMsgModulePathFailed), static_cast<int32_t>(error));
    return false;
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    UniqueFile file = adoptFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (DWORD read = 0;;) {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}

bool pathExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    return adoptFind(FindFirstFileW(path.c_str(), &data)).valid();
}

} // namespace jl
