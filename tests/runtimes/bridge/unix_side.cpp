// What HotSpot needs from the Unix side of the process before it starts: text in
// UTF-8, Unix paths, the Windows environment, and the Windows standard handles
// as file descriptors 1 and 2.

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "bridge.h"

#include <winternl.h>

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

namespace {

// A Windows pipe has no Unix descriptor under Wine: HotSpot writes into a Unix
// pipe whose other end a Wine thread copies into the Windows handle.
struct StreamRelay {
    int source = -1;
    HANDLE target = nullptr;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
};
StreamRelay relays[2];

[[gnu::noinline]] void copyStream(StreamRelay& relay) {
    char buffer[65536];
    for (;;) {
        pollfd ready{relay.source, POLLIN, 0};
        if (poll(&ready, 1, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        // Held while bytes are between the two pipes, so a flush can tell.
        pthread_mutex_lock(&relay.lock);
        const ssize_t count = read(relay.source, buffer, sizeof buffer);
        DWORD written = 0;
        if (count > 0) WriteFile(relay.target, buffer, static_cast<DWORD>(count), &written, nullptr);
        pthread_mutex_unlock(&relay.lock);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) return;
    }
}

DWORD WINAPI runRelay(void* relay) {
    copyStream(*static_cast<StreamRelay*>(relay));
    return 0;
}

[[gnu::noinline]] bool startRelay(StreamRelay& relay, HANDLE target, int descriptor) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    relay.source = ends[0];
    relay.target = target;
    dup2(ends[1], descriptor);
    close(ends[1]);
    HANDLE thread = CreateThread(nullptr, 0, runRelay, &relay, 0, nullptr);
    if (thread) CloseHandle(thread);
    return thread != nullptr;
}

// Standard input the other way round: a Wine thread copies the Windows pipe
// into a Unix pipe whose reading end is HotSpot's descriptor 0, and closes it
// when the Windows side ends, so System.in sees the end of the input.
[[gnu::noinline]] void copyInput(HANDLE source, int target) {
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(source, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        for (DWORD done = 0; done < count;) {
            const ssize_t written = write(target, buffer + done, count - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) {
                close(target);
                return;
            }
            done += static_cast<DWORD>(written);
        }
    }
    close(target);
}

struct InputRelay {
    HANDLE source;
    int target;
};
InputRelay inputRelay;

DWORD WINAPI runInputRelay(void* relay) {
    copyInput(static_cast<InputRelay*>(relay)->source, static_cast<InputRelay*>(relay)->target);
    return 0;
}

[[gnu::noinline]] void connectStandardInput() {
    const HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (!handle || handle == INVALID_HANDLE_VALUE) return;
    int descriptor = -1;
    if (wine_server_handle_to_fd(handle, 0, &descriptor, nullptr) == 0 && descriptor >= 0) {
        if (descriptor != 0) {
            dup2(descriptor, 0);
            close(descriptor);
        }
        return;
    }
    if (GetFileType(handle) != FILE_TYPE_PIPE) return;  // a console keeps the terminal
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    dup2(ends[0], 0);
    close(ends[0]);
    inputRelay = {handle, ends[1]};
    HANDLE thread = CreateThread(nullptr, 0, runInputRelay, &inputRelay, 0, nullptr);
    if (thread) CloseHandle(thread);
}

} // namespace

void connectStandardStreams() {
    connectStandardInput();
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
            // A console keeps the terminal; a pipe gets a relay.
            if (GetFileType(handle) == FILE_TYPE_PIPE) startRelay(relays[stream.descriptor - 1], handle, stream.descriptor);
            continue;
        }
        if (descriptor < 0) continue;
        // A handle that may only append appends on Windows whoever else writes
        // to the file; the descriptor must too.
        OBJECT_BASIC_INFORMATION access{};
        if (NtQueryObject(handle, ObjectBasicInformation, &access, sizeof access, nullptr) == 0 &&
            (access.GrantedAccess & FILE_APPEND_DATA) && !(access.GrantedAccess & FILE_WRITE_DATA)) {
            fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_APPEND);
        }
        if (descriptor != stream.descriptor) {
            dup2(descriptor, stream.descriptor);
            close(descriptor);
        }
    }
}

void flushStandardStreams() {
    for (StreamRelay& relay : relays) {
        for (int wait = 0; relay.source >= 0 && wait < 2000; ++wait) {
            pthread_mutex_lock(&relay.lock);
            int pending = 0;
            ioctl(relay.source, FIONREAD, &pending);
            pthread_mutex_unlock(&relay.lock);
            if (pending == 0) break;
            usleep(1000);
        }
    }
}

} // namespace bridge
