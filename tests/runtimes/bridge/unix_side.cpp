// What HotSpot needs from the Unix side of the process before it starts: text in
// UTF-8, Unix paths, the Windows environment, and the Windows standard handles
// as file descriptors 1 and 2.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "bridge.h"

extern "C" LONG CDECL wine_server_handle_to_fd(HANDLE handle, unsigned int access, int* unixFd, unsigned int* options);

namespace bridge {
namespace {

std::string adoptWineString(const char* raw) {
    std::string text = raw;
    HeapFree(GetProcessHeap(), 0, const_cast<char*>(raw));
    return text;
}

// Wine answers with .../dosdevices/z:/...; the longest prefix that exists is
// resolved with realpath(), the rest is kept as written.
std::string withoutDosDevices(const std::string& path) {
    std::string head = path;
    std::string tail;
    for (;;) {
        if (char* resolved = realpath(head.c_str(), nullptr)) {
            std::string result = resolved;
            free(resolved);
            if (tail.empty()) return result;
            return (result == "/" ? "" : result) + "/" + tail;
        }
        const size_t slash = head.rfind('/');
        if (slash == std::string::npos || slash == 0) return path;
        tail = head.substr(slash + 1) + (tail.empty() ? "" : "/" + tail);
        head.resize(slash);
    }
}

} // namespace

std::u16string toUtf16(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    std::u16string wide(MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0),
                        u'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<WCHAR*>(wide.data()),
                        static_cast<int>(wide.size()));
    return wide;
}

std::string toUtf8(std::u16string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    std::string narrow(WideCharToMultiByte(CP_UTF8, 0, win(text.data()), length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, win(text.data()), length, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                        nullptr);
    return narrow;
}

std::string unixPath(std::u16string_view windowsPath) {
    if (windowsPath.empty() || windowsPath[0] == u'/') return toUtf8(windowsPath);
    // wine_get_unix_file_name fails when more than the last component is
    // missing: translate the longest part it accepts and append the rest.
    std::u16string head(windowsPath);
    std::string tail;
    for (;;) {
        if (const char* raw = wine_get_unix_file_name(win(head.c_str()))) {
            return withoutDosDevices(adoptWineString(raw) + (tail.empty() ? "" : "/" + tail));
        }
        const size_t separator = head.find_last_of(u"\\/");
        if (separator == std::u16string::npos || separator == 0) return toUtf8(windowsPath);
        const std::string component = toUtf8(std::u16string_view(head).substr(separator + 1));
        tail = component + (tail.empty() ? "" : "/" + tail);
        head.resize(separator);
    }
}

std::string unixPathList(std::u16string_view windowsPaths) {
    std::string list;
    size_t start = 0;
    while (start <= windowsPaths.size()) {
        size_t end = windowsPaths.find(u';', start);
        if (end == std::u16string_view::npos) end = windowsPaths.size();
        if (end > start) list += (list.empty() ? "" : ":") + unixPath(windowsPaths.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

void copyEnvironmentToUnix() {
    // Wine gives a process no Unix copy of its Windows environment, and Java reads
    // only the Unix one. Variables only the Unix side has are left in place.
    WCHAR* block = GetEnvironmentStringsW();
    for (const char16_t* entry = utf16(block); *entry; entry += std::char_traits<char16_t>::length(entry) + 1) {
        const std::u16string_view text(entry);
        const size_t equals = text.find(u'=', 1);  // "=C:=C:\..." entries start with "="
        if (equals == std::u16string_view::npos) continue;
        setenv(toUtf8(text.substr(0, equals)).c_str(), toUtf8(text.substr(equals + 1)).c_str(), 1);
    }
    FreeEnvironmentStringsW(block);
}

void connectStandardStreams() {
    // Java writes to file descriptors 1 and 2, which under Wine need not be the
    // process's standard handles (a child started with handles of its own still
    // has its parent's descriptors).
    const struct {
        DWORD handle;
        int descriptor;
    } streams[] = {{STD_OUTPUT_HANDLE, 1}, {STD_ERROR_HANDLE, 2}};
    for (const auto& stream : streams) {
        const HANDLE handle = GetStdHandle(stream.handle);
        int descriptor = -1;
        if (!handle || handle == INVALID_HANDLE_VALUE) {
            descriptor = open("/dev/null", O_WRONLY);
        } else if (wine_server_handle_to_fd(handle, 0, &descriptor, nullptr) != 0) {
            continue;  // a console handle has no descriptor: leave the terminal in place
        }
        if (descriptor < 0) continue;
        if (descriptor != stream.descriptor) {
            dup2(descriptor, stream.descriptor);
            close(descriptor);
        }
    }
}

} // namespace bridge
