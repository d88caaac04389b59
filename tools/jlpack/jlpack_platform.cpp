#include "jlpack_platform.h"

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>

#include <cwchar>
#include <vector>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#endif


#include "packer.h"

namespace jlpack {

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& text) {
    std::wstring out(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()));
    return out;
}

std::string systemError(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    for (const wchar_t* c = text; c && *c; ++c) message += static_cast<char16_t>(*c);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' ')) message.pop_back();
    return "error " + std::to_string(error) + (message.empty() ? "" : ": " + utf8FromUtf16(message));
}

void write(DWORD stream, const std::string& text) {
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0, mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring w = wide(text);
        WriteConsoleW(handle, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
    return full;
}

} // namespace

std::optional<Bytes> readWholeFile(const std::string& path, std::string& error) {
    HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemError(GetLastError());
        return std::nullopt;
    }
    Bytes bytes;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1ll << 30);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    const DWORD lastError = GetLastError();
    CloseHandle(file);
    if (!ok) {
        error = systemError(lastError);
        return std::nullopt;
    }
    return bytes;
}

bool replaceFile(const std::string& path, const Bytes& bytes, std::string& error) {
    const std::wstring target = wide(path);
    const std::wstring temporary = target + L".jlpack-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemError(GetLastError());
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size() &&
              FlushFileBuffers(file);
    DWORD lastError = GetLastError();
    CloseHandle(file);
    if (ok) {
        ok = MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        lastError = GetLastError();
    }
    if (!ok) {
        DeleteFileW(temporary.c_str());
        error = systemError(lastError);
    }
    return ok;
}

bool fileExists(const std::string& path) { return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool samePath(const std::string& a, const std::string& b) {
    return _wcsicmp(fullPath(wide(a)).c_str(), fullPath(wide(b)).c_str()) == 0;
}

bool randomBytes(std::span<std::uint8_t> bytes) {
    return BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

void writeOutput(const std::string& text) { write(STD_OUTPUT_HANDLE, text); }
void writeError(const std::string& text) { write(STD_ERROR_HANDLE, text); }

#else

namespace {

std::string systemError(int error) { return "error " + std::to_string(error) + ": " + std::strerror(error); }

bool writeAll(int fd, const std::uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

} // namespace

std::optional<Bytes> readWholeFile(const std::string& path, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = systemError(errno);
        return std::nullopt;
    }
    Bytes bytes;
    std::uint8_t buffer[65536];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    const bool failed = std::ferror(file);
    const int lastError = errno;
    std::fclose(file);
    if (failed) {
        error = systemError(lastError);
        return std::nullopt;
    }
    return bytes;
}

bool replaceFile(const std::string& path, const Bytes& bytes, std::string& error) {
    const std::string temporary = path + ".jlpack-" + std::to_string(getpid()) + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int lastError = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        lastError = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        error = systemError(lastError);
    }
    return ok;
}

bool fileExists(const std::string& path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0;
}

bool samePath(const std::string& a, const std::string& b) {
    struct stat first{}, second{};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool randomBytes(std::span<std::uint8_t> bytes) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) break;
        got += static_cast<size_t>(read);
    }
    ::close(fd);
    return got == bytes.size();
}

void writeOutput(const std::string& text) { writeAll(1, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }
void writeError(const std::string& text) { writeAll(2, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }

#endif

} // namespace jlpack
