#pragma once
// The probe runtime's recording, shared by its three DLLs and by the tests that
// read it back. Each event is one line "event key=value key=value ..." appended
// to the file that JL_PROBE_RECORD names (nothing is written without it).
// No value holds a space: narrow text is percent-encoded (printable ASCII stays;
// space, controls, '%' and bytes from 0x7F up become %XX), Java text is UTF-16
// with four hex digits per code unit. An empty value is just "key=".

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace probe {

inline std::string percentEncoded(std::string_view bytes) {
    std::string text;
    for (const unsigned char byte : bytes) {
        if (byte > 0x20 && byte < 0x7F && byte != '%') {
            text += static_cast<char>(byte);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            text += escaped;
        }
    }
    return text;
}

inline std::string utf16Hex(std::wstring_view units) {
    std::string text;
    for (const wchar_t unit : units) {
        char digits[5];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(unit));
        text += digits;
    }
    return text;
}

inline std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Appends one event line. The file is opened for each line so that every thread,
// every probe DLL and every process of a test writes to the same end of it.
inline void record(const std::string& line) {
    static std::mutex lock;
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"JL_PROBE_RECORD", path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return;
    const std::string bytes = line + "\n";
    const std::lock_guard guard(lock);
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// The "load" event every probe DLL writes when a process loads it.
inline void recordLoad(HMODULE module, const char* name) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 2);
    record(std::string("load module=") + name + " path=" + percentEncoded(utf8(std::wstring_view(path, length))));
}

// Reading a record back.

inline std::string percentDecoded(std::string_view text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            bytes += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

inline std::wstring utf16FromHex(std::string_view digits) {
    std::wstring units;
    for (size_t i = 0; i + 4 <= digits.size(); i += 4) {
        units += static_cast<wchar_t>(std::stoul(std::string(digits.substr(i, 4)), nullptr, 16));
    }
    return units;
}

// The record's lines in order; a missing file reads as no lines.
inline std::vector<std::string> readRecord(const std::wstring& path) {
    std::vector<std::string> lines;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
}

inline std::string eventOf(std::string_view line) { return std::string(line.substr(0, line.find(' '))); }

// The raw (still encoded) value of key in an event line.
inline std::optional<std::string> fieldOf(std::string_view line, std::string_view key) {
    std::string needle = " ";
    needle.append(key).append("=");
    const size_t at = line.find(needle);
    if (at == std::string_view::npos) return std::nullopt;
    const size_t start = at + needle.size();
    return std::string(line.substr(start, line.find(' ', start) - start));
}

} // namespace probe
