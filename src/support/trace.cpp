#include "support/trace.h"

#include <windows.h>

#include <cstdarg>

#include "support/number_text.h"
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
    const uint64_t start = fileTimeTicks(creation), current = fileTimeTicks(now);
    return current > start ? static_cast<double>(current - start) / 10000.0 : 0.0;
}

} // namespace

bool traceEnabled() { return GetEnvironmentVariableW(kTraceVariable, nullptr, 0) > 1; }

namespace {

void writeTraceLine(std::wstring_view line) {
    const DWORD lastError = GetLastError();
    const std::wstring path = environmentVariable(kTraceVariable);
    if (!path.empty()) {
        UniqueFile file = UniqueFile(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            // "[pid +milliseconds.xxx ms] ", written out by hand: the C library's
            // formatting of a double would be the largest part of a small program.
            const double milliseconds = millisecondsSinceProcessStart();
            const unsigned long long thousandths = static_cast<unsigned long long>(milliseconds * 1000.0 + 0.5);
            std::wstring prefix = L"[";
            appendDecimal(prefix, static_cast<unsigned long long>(GetCurrentProcessId()));
            prefix += L" +";
            appendDecimal(prefix, thousandths / 1000);
            prefix += L'.';
            const unsigned fraction = static_cast<unsigned>(thousandths % 1000);
            prefix += static_cast<wchar_t>(L'0' + fraction / 100);
            prefix += static_cast<wchar_t>(L'0' + fraction / 10 % 10);
            prefix += static_cast<wchar_t>(L'0' + fraction % 10);
            prefix += L" ms] ";
            std::string text = toUtf8(prefix) + toUtf8(line) + "\r\n";
            DWORD written = 0;
            WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }
    SetLastError(lastError);
}

void appendAscii(std::wstring& line, const char* text) {
    for (; *text; ++text) line += static_cast<wchar_t>(static_cast<unsigned char>(*text));
}

void appendPiece(std::wstring& line, unsigned char kind, const void* piece) {
    switch (kind) {
    case 'w': line += static_cast<const wchar_t*>(piece); break;
    case 'p': {
        const wchar_t* text = *static_cast<const wchar_t* const*>(piece);
        line += text ? text : L"(null)";
        break;
    }
    case 'n': appendAscii(line, static_cast<const char*>(piece)); break;
    case 'P': appendAscii(line, *static_cast<const char* const*>(piece)); break;
    case 's': line += *static_cast<const std::wstring*>(piece); break;
    case 'v': line += *static_cast<const std::wstring_view*>(piece); break;
    case 'B': line += *static_cast<const bool*>(piece) ? L"yes" : L"no"; break;
    case 'c': appendDecimal(line, static_cast<long long>(*static_cast<const signed char*>(piece))); break;
    case 'h': appendDecimal(line, static_cast<long long>(*static_cast<const short*>(piece))); break;
    case 'x': appendDecimal(line, static_cast<long long>(*static_cast<const int*>(piece))); break;
    case 'l': appendDecimal(line, *static_cast<const long long*>(piece)); break;
    case 'C': appendDecimal(line, static_cast<unsigned long long>(*static_cast<const unsigned char*>(piece))); break;
    case 'H': appendDecimal(line, static_cast<unsigned long long>(*static_cast<const unsigned short*>(piece))); break;
    case 'X': appendDecimal(line, static_cast<unsigned long long>(*static_cast<const unsigned*>(piece))); break;
    case 'L': appendDecimal(line, *static_cast<const unsigned long long*>(piece)); break;
    }
}

// The topics' names in the order of TraceTopic, after the nameless none.
constexpr char kTopicNames[] = "\0launch\0settings\0embedded settings\0options\0runtime\0registry\0vendor\0scan\0"
                               "jvm\0class data\0single instance\0service\0splash\0streams\0phase";

void appendTopic(std::wstring& line, unsigned char topic) {
    const char* name = kTopicNames;
    for (unsigned char index = static_cast<unsigned char>(TraceTopic::none); index < topic; ++index) {
        while (*name) ++name;
        ++name;
    }
    if (!*name) return;
    appendAscii(line, name);
    line += L": ";
}

} // namespace

void writeTrace(const char* format, const char* kinds, ...) {
    if (!traceEnabled()) return;
    va_list pieces;
    va_start(pieces, kinds);
    std::wstring line;
    appendTopic(line, static_cast<unsigned char>(*kinds++));
    for (const char* text = format; *text; ++text) {
        if (text[0] != '{' || text[1] != '}' || !*kinds) {
            line += static_cast<wchar_t>(static_cast<unsigned char>(*text));
            continue;
        }
        const unsigned char kind = static_cast<unsigned char>(*kinds++);
        const void* piece = va_arg(pieces, const void*);
        const bool quoted = (kind & detail::kQuotedKind) != 0;
        if (quoted) line += L'"';
        appendPiece(line, kind & ~detail::kQuotedKind, piece);
        if (quoted) line += L'"';
        ++text;
    }
    va_end(pieces);
    writeTraceLine(line);
}

} // namespace jl
