#include "support/console_output.h"

#include <windows.h>

#include <span>
#include <string>

#include "support/module.h"
#include "support/pe_headers.h"
#include "support/win_text.h"

namespace jl {

bool isConsoleProgram() {
    // The loader maps the headers as the image's first page, and keeps it
    // readable for the life of the process.
    constexpr size_t kHeaderPage = 4096;
    const auto* base = reinterpret_cast<const uint8_t*>(programInstance());
    if (!base) return false;
    return readPeSubsystem(std::span(base, kHeaderPage)) == kSubsystemWindowsConsole;
}

void writeStandardErrorLine(std::wstring_view text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE) return;
    // The messages end their lines with "\n" for the message box; a console
    // program ends them as Windows text does, and with exactly one line end.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.remove_suffix(1);
    std::wstring line;
    for (const wchar_t c : text) {
        if (c == L'\n' && (line.empty() || line.back() != L'\r')) line += L'\r';
        line += c;
    }
    line += L"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = toUtf8(line);
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace jl
