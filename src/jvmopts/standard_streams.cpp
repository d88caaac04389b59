#include "jvmopts/standard_streams.h"

#include <algorithm>
#include <cwctype>
#include <string_view>

#include "support/module.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

// Enough for the runtime's last words, however much it printed before them.
constexpr size_t kKeptBytes = 64 * 1024;
constexpr size_t kShownCharacters = 3000;
// Written into the capture by the launcher itself: once the drain has seen it,
// everything written before it has been taken in.
constexpr std::string_view kSyncMark = "\x1b[jl-sync]\x1b";

bool isStandardHandle(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

// A GUI process may be handed its parent's handle values without the handles
// themselves.
bool isUsableHandle(HANDLE handle) {
    if (!isStandardHandle(handle)) return false;
    SetLastError(NO_ERROR);
    return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

void keepTail(std::string& text) {
    if (text.size() > kKeptBytes) text.erase(0, text.size() - kKeptBytes);
}

std::wstring decoded(std::string_view bytes) {
    // HotSpot prints in the ANSI code page, Java's streams often in UTF-8.
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    return length > 0 || bytes.empty() ? fromUtf8(bytes) : fromAnsiString(bytes);
}

// 1 or 2 for the C library's own standard output or error, else 0.
int standardStreamOf(HMODULE library, FILE* stream) {
    if (const auto streamNumbered = resolve<FILE*(__cdecl*)(unsigned)>(library, "__acrt_iob_func")) {
        for (const unsigned number : {1u, 2u}) {
            if (streamNumbered(number) == stream) return static_cast<int>(number);
        }
    } else if (const auto streams = resolve<FILE*(__cdecl*)()>(library, "__iob_func")) {
        for (const int number : {1, 2}) {
            if (streams() + number == stream) return number;
        }
    }
    return 0;
}

} // namespace

// What a process without standard handles writes, drained by a thread of its
// own so that no writer ever waits on a full pipe.
struct OutputCapture {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    std::string text;
    unsigned marksSeen = 0;
    bool keeping = true;
    UniqueHandle reader;

    void take(const char* bytes, DWORD count) {
        AcquireSRWLockExclusive(&lock);
        if (keeping) {
            const size_t searchFrom = text.size() >= kSyncMark.size() ? text.size() - kSyncMark.size() + 1 : 0;
            text.append(bytes, count);
            for (size_t mark = text.find(kSyncMark, searchFrom); mark != std::string::npos;
                 mark = text.find(kSyncMark, mark)) {
                text.erase(mark, kSyncMark.size());
                ++marksSeen;
            }
            keepTail(text);
        }
        ReleaseSRWLockExclusive(&lock);
        WakeAllConditionVariable(&changed);
    }

    static DWORD WINAPI drain(void* parameter) {
        const std::shared_ptr<OutputCapture> capture = std::move(*static_cast<std::shared_ptr<OutputCapture>*>(parameter));
        delete static_cast<std::shared_ptr<OutputCapture>*>(parameter);
        char chunk[16384];
        DWORD count = 0;
        while (ReadFile(capture->reader.get(), chunk, sizeof chunk, &count, nullptr)) {
            if (count > 0) capture->take(chunk, count);
        }
        return 0;
    }
};

StandardStreams::~StandardStreams() { stopCapture(); }

HANDLE StandardStreams::openForAppending(const std::wstring& name, bool append, WrittenFile& file) {
    createParentFolders(name);
    constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    if (!append) {
        // Emptied once here; from then on every writer appends, so the
        // launcher's handle and Java's stream never overwrite each other.
        UniqueFile emptied(CreateFileW(name.c_str(), GENERIC_WRITE, kShared, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!emptied) return nullptr;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    file.handle.reset(CreateFileW(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShared, &inheritable, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.handle) return nullptr;
    file.name = name;
    GetFileSizeEx(file.handle.get(), &file.start);
    return file.handle.get();
}

void StandardStreams::prepare(OutputRedirection& output) {
    expandOutputFileNames(output);
    // A file the user made read-only keeps its contents: neither the launcher
    // nor Java's stream is sent there.
    for (std::wstring* name : {&output.outputFile, &output.errorFile}) {
        const DWORD attributes = name->empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) continue;
        trace("streams: ", Quoted{*name}, " is read-only and is left alone");
        name->clear();
    }
    HANDLE outputHandle = nullptr;
    HANDLE errorHandle = nullptr;
    if (!output.outputFile.empty()) {
        outputHandle = openForAppending(output.outputFile, output.outputAppend, output_);
        if (outputHandle) output.outputAppend = true;
    }
    if (!output.errorFile.empty()) {
        const bool sameFile = outputHandle && CompareStringOrdinal(output.errorFile.c_str(), -1,
                                                                   output.outputFile.c_str(), -1, TRUE) == CSTR_EQUAL;
        errorHandle = sameFile ? outputHandle : openForAppending(output.errorFile, output.errorAppend, error_);
        if (errorHandle) output.errorAppend = true;
    }
    if (!outputHandle && !isUsableHandle(GetStdHandle(STD_OUTPUT_HANDLE))) outputHandle = INVALID_HANDLE_VALUE;
    if (!errorHandle && !isUsableHandle(GetStdHandle(STD_ERROR_HANDLE))) errorHandle = INVALID_HANDLE_VALUE;
    if (outputHandle == INVALID_HANDLE_VALUE || errorHandle == INVALID_HANDLE_VALUE) {
        HANDLE reader = nullptr;
        HANDLE writer = nullptr;
        if (CreatePipe(&reader, &writer, nullptr, 65536)) {
            capture_ = std::make_shared<OutputCapture>();
            capture_->reader.reset(reader);
            captureWriter_.reset(writer);
            auto* shared = new std::shared_ptr<OutputCapture>(capture_);
            UniqueHandle drainer(CreateThread(nullptr, 0, &OutputCapture::drain, shared, 0, nullptr));
            if (!drainer) {
                delete shared;
                capture_.reset();
                captureWriter_.reset();
            }
        }
        if (outputHandle == INVALID_HANDLE_VALUE) outputHandle = captureWriter_.get();
        if (errorHandle == INVALID_HANDLE_VALUE) errorHandle = captureWriter_.get();
    }
    if (outputHandle) SetStdHandle(STD_OUTPUT_HANDLE, outputHandle);
    if (errorHandle) SetStdHandle(STD_ERROR_HANDLE, errorHandle);
    const auto target = [this](HANDLE handle) {
        if (!handle) return L"as the process was given it";
        return handle == captureWriter_.get() ? L"kept in memory" : L"to its file";
    };
    trace("streams: standard output ", target(outputHandle), ", standard error ", target(errorHandle));
}

void StandardStreams::stopCapture() {
    if (!capture_) return;
    AcquireSRWLockExclusive(&capture_->lock);
    capture_->keeping = false;
    capture_->text.clear();
    capture_->text.shrink_to_fit();
    ReleaseSRWLockExclusive(&capture_->lock);
}

std::wstring StandardStreams::runtimeWords() {
    std::string bytes;
    if (capture_) {
        AcquireSRWLockExclusive(&capture_->lock);
        const unsigned awaited = capture_->marksSeen + 1;
        ReleaseSRWLockExclusive(&capture_->lock);
        DWORD written = 0;
        const bool marked = WriteFile(captureWriter_.get(), kSyncMark.data(), static_cast<DWORD>(kSyncMark.size()),
                                      &written, nullptr);
        AcquireSRWLockExclusive(&capture_->lock);
        const ULONGLONG deadline = GetTickCount64() + 2000;
        while (marked && capture_->keeping && capture_->marksSeen < awaited && GetTickCount64() < deadline) {
            SleepConditionVariableSRW(&capture_->changed, &capture_->lock, 100, 0);
        }
        bytes = capture_->text;
        ReleaseSRWLockExclusive(&capture_->lock);
    }
    for (const WrittenFile* file : {&output_, &error_}) {
        if (!file->handle) continue;
        UniqueFile reader(CreateFileW(file->name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end{};
        if (!reader || !GetFileSizeEx(reader.get(), &end) || end.QuadPart <= file->start.QuadPart) continue;
        LARGE_INTEGER from{};
        from.QuadPart = std::max(file->start.QuadPart, end.QuadPart - static_cast<LONGLONG>(kKeptBytes));
        std::string tail(static_cast<size_t>(end.QuadPart - from.QuadPart), '\0');
        DWORD read = 0;
        if (SetFilePointerEx(reader.get(), from, nullptr, FILE_BEGIN) &&
            ReadFile(reader.get(), tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr)) {
            tail.resize(read);
            bytes += tail;
        }
    }
    std::wstring words = decoded(bytes);
    while (!words.empty() && iswspace(words.back())) words.pop_back();
    if (words.size() > kShownCharacters) {
        const size_t lineStart = words.find(L'\n', words.size() - kShownCharacters);
        words.erase(0, lineStart == std::wstring::npos ? words.size() - kShownCharacters : lineStart + 1);
    }
    return words;
}

namespace {

// The system C library's printf spells the 64-bit size "I64" where C99 has
// "ll", "z", "j" and "t", and knows no "hh" (a char argument arrives promoted,
// so "h" prints it the same).
std::string systemPrintfFormat(const char* format) {
    std::string result;
    for (const char* c = format; *c;) {
        result += *c;
        if (*c++ != '%') continue;
        while (*c && std::string_view("-+ #0123456789.*").find(*c) != std::string_view::npos) result += *c++;
        if (c[0] == 'h' && c[1] == 'h') {
            result += 'h';
            c += 2;
        } else if (c[0] == 'l' && c[1] == 'l') {
            result += "I64";
            c += 2;
        } else if (*c == 'z' || *c == 'j' || *c == 't') {
            result += "I64";
            ++c;
        }
        if (*c) result += *c++;
    }
    return result;
}

} // namespace

jint JNICALL printVmMessage(FILE* stream, const char* format, va_list arguments) {
    const std::string systemFormat = systemPrintfFormat(format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = _vscprintf(systemFormat.c_str(), copy);
    va_end(copy);
    if (length < 0) return length;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    va_copy(copy, arguments);
    _vsnprintf(text.data(), text.size(), systemFormat.c_str(), copy);
    va_end(copy);
    text.resize(static_cast<size_t>(length));
    // The stream belongs to the runtime's C library: only that library may look
    // inside it. Its standard streams stand for the standard handles, which it
    // may have found missing when it started, before the launcher set them.
    HMODULE library = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(stream), &library)) {
        library = GetModuleHandleW(L"ucrtbase.dll");
    }
    HANDLE target = GetStdHandle(STD_ERROR_HANDLE);
    if (standardStreamOf(library, stream) == 1) {
        target = GetStdHandle(STD_OUTPUT_HANDLE);
    } else if (standardStreamOf(library, stream) == 0) {
        const auto fileNumber = resolve<int(__cdecl*)(FILE*)>(library, "_fileno");
        const auto osHandle = resolve<intptr_t(__cdecl*)(int)>(library, "_get_osfhandle");
        const int number = fileNumber && osHandle ? fileNumber(stream) : -1;
        if (number > 2) target = reinterpret_cast<HANDLE>(osHandle(number));
    }
    DWORD written = 0;
    if (isStandardHandle(target)) WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return length;
}

} // namespace jl
