#include "support/win_text.h"

#include <algorithm>

#include "support/path_text.h"
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

std::wstring fromUtf8OrAnsi(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const bool utf8 = text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                          static_cast<int>(text.size()), nullptr, 0) > 0;
    return utf8 ? fromUtf8(text) : fromAnsiString(text);
}

std::optional<std::wstring> readGrowingText(FillCall call, size_t initialCapacity) {
    constexpr size_t kMaximumCapacity = 1u << 24;
    std::wstring buffer(initialCapacity, L'\0');
    for (;;) {
        const size_t answer = call(buffer.data(), buffer.size());
        if (answer == 0) return std::nullopt;
        if (answer < buffer.size()) {
            buffer.resize(answer);
            return buffer;
        }
        if (buffer.size() >= kMaximumCapacity) return std::nullopt;
        buffer.assign(std::max(answer, buffer.size() * 2), L'\0');
    }
}

void expandEnvironment(std::wstring& text) {
    // The system's expansion stops at 32K characters; a text without a variable
    // is not cut to that.
    if (text.find(L'%') == std::wstring::npos) return;
    const std::optional<std::wstring> expanded = readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer, static_cast<DWORD>(capacity));
        // The count includes the terminator; the text ends at its first NUL.
        return needed <= capacity && needed > 0 ? filledLength(buffer, capacity) : needed;
    }, text.size() + 64);
    if (expanded) text = *expanded;
}

std::wstring environmentVariable(const wchar_t* name) {
    return readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
               // Too small: the size needed including the terminator, never less than the capacity + 1.
               return GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(capacity));
           }, 64).value_or(std::wstring());
}

size_t filledLength(const wchar_t* buffer, size_t capacity) {
    size_t length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    return length;
}

std::wstring registryString(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) return {};
    // One more character than asked for: a stored value need not end in NUL.
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(filledLength(value.c_str(), size / sizeof(wchar_t)));
    return value;
}

std::optional<std::wstring> modulePath() {
    // Grown past MAX_PATH rather than accept a silently cut path.
    return readGrowingText([](wchar_t* buffer, size_t capacity) -> size_t {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));
        if (length == 0) return 0;
        return length < capacity && GetLastError() != ERROR_INSUFFICIENT_BUFFER ? length : capacity;
    }, MAX_PATH);
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    // A per-user copy below a deep profile folder, or a runtime's files, can lie beyond MAX_PATH.
    UniqueFile file = UniqueFile(CreateFileW(extendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
    return UniqueFind(FindFirstFileW(path.c_str(), &data)).valid();
}

} // namespace jl
