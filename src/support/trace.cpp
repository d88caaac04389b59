#include "support/trace.h"

#include <windows.h>

#include <cstdio>

#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

constexpr wchar_t kTraceVariable[] = L"JLAUNCHER_LOG";

// Milliseconds since the process was created, so every line doubles as a timing.
double millisecondsSinceProcessStart() {
    FILETIME creation, exit, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0.0;
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    const uint64_t start = ticks(creation), current = ticks(now);
    return current > start ? static_cast<double>(current - start) / 10000.0 : 0.0;
}

} // namespace

bool traceEnabled() { return GetEnvironmentVariableW(kTraceVariable, nullptr, 0) > 1; }

void writeTraceLine(std::wstring_view line) {
    const DWORD lastError = GetLastError();
    const std::wstring path = environmentVariable(kTraceVariable);
    if (!path.empty()) {
        UniqueFile file = UniqueFile(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            char prefix[64];
            std::snprintf(prefix, sizeof prefix, "[%lu +%.3f ms] ", GetCurrentProcessId(),
                          millisecondsSinceProcessStart());
            std::string text = prefix + toUtf8(line) + "\r\n";
            DWORD written = 0;
            WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }
    SetLastError(lastError);
}

} // namespace jl
