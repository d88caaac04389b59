#pragma once
// Windows-bound text helpers shared by every subsystem.

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace jl {

// A FILETIME as its one 64-bit count of 100-nanosecond ticks.
[[nodiscard]] inline unsigned long long fileTimeTicks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Wide text to a narrow string in the thread's ANSI code page (CP_THREAD_ACP).
[[nodiscard]] std::string toAnsiString(std::wstring_view text);
// True when the thread's ANSI code page holds every character of the text.
[[nodiscard]] bool fitsAnsiCodePage(std::wstring_view text);
// Narrow text in the thread's ANSI code page to wide text.
[[nodiscard]] std::wstring fromAnsiString(std::string_view text);
[[nodiscard]] std::string toUtf8(std::wstring_view text);
[[nodiscard]] std::wstring fromUtf8(std::string_view text);
// UTF-8 when the bytes are valid UTF-8 (a byte-order mark dropped), else the ANSI code page.
[[nodiscard]] std::wstring fromUtf8OrAnsi(std::string_view text);

// ExpandEnvironmentStringsW in place; undefined variables stay as written and a
// failed call leaves the text unchanged.
void expandEnvironment(std::wstring& text);

// The value of an environment variable, whatever its length; empty when unset.
[[nodiscard]] std::wstring environmentVariable(const wchar_t* name);

// A buffer-filling call for readGrowingText, referred to and never copied: it
// lives as long as the expression that passes it, and a std::function would
// add a manager of its own for every caller.
class FillCall {
public:
    template <typename Call>
    FillCall(const Call& call)  // implicit: a lambda is passed as it is
        : call_(&call), invoke_([](const void* target, wchar_t* buffer, size_t capacity) -> size_t {
              return (*static_cast<const Call*>(target))(buffer, capacity);
          }) {}
    size_t operator()(wchar_t* buffer, size_t capacity) const { return invoke_(call_, buffer, capacity); }

private:
    const void* call_;
    size_t (*invoke_)(const void*, wchar_t*, size_t);
};

// Calls an API that fills a wide buffer until the buffer was large enough. The
// call gets the buffer and its capacity in characters and answers the length of
// the text it wrote (less than the capacity), a larger capacity it needs, or 0
// for failure. Empty on failure.
[[nodiscard]] std::optional<std::wstring> readGrowingText(FillCall call, size_t initialCapacity = 256);

// The characters before the first NUL of a buffer the system filled, at most its capacity.
[[nodiscard]] size_t filledLength(const wchar_t* buffer, size_t capacity);

// A registry string value (REG_SZ or REG_EXPAND_SZ, unexpanded) up to its first
// NUL; empty when it is missing, empty or not text.
[[nodiscard]] std::wstring registryString(HKEY key, const wchar_t* name);

// The program file's full path, however long; empty when it cannot be read, with
// the thread's last error set.
[[nodiscard]] std::optional<std::wstring> modulePath();

// A file's whole contents; nothing when it cannot be opened or read, and the last error then says why.
[[nodiscard]] std::optional<std::string> readFileBytes(const std::wstring& path);

// True when a find-first-file search on the path succeeds.
[[nodiscard]] bool pathExists(const std::wstring& path);

} // namespace jl
