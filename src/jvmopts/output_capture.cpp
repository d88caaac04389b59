#include "jvmopts/output_capture.h"

#include <cwctype>
#include <string_view>

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

// A GUI process may be handed its parent's handle values without the handles
// themselves.
bool isUsableHandle(HANDLE handle) {
    if (!handle || handle == INVALID_HANDLE_VALUE) return false;
    SetLastError(NO_ERROR);
    return GetFileType(handle) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

} // namespace

// Shared by the launcher and the drain thread, which may outlive it.
struct CapturedText {
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
            if (text.size() > kKeptBytes) text.erase(0, text.size() - kKeptBytes);
        }
        ReleaseSRWLockExclusive(&lock);
        WakeAllConditionVariable(&changed);
    }

    static DWORD WINAPI drain(void* parameter) {
        auto* handed = static_cast<std::shared_ptr<CapturedText>*>(parameter);
        const std::shared_ptr<CapturedText> captured = std::move(*handed);
        delete handed;
        char chunk[16384];
        DWORD count = 0;
        while (ReadFile(captured->reader.get(), chunk, sizeof chunk, &count, nullptr)) {
            if (count > 0) captured->take(chunk, count);
        }
        return 0;
    }
};

StartupCapture::~StartupCapture() { stop(); }

void StartupCapture::captureMissingHandles(const OutputFiles& files) {
    // A stream sent to a file has a usable handle by now.
    const bool outputMissing = !isUsableHandle(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errorMissing = !isUsableHandle(GetStdHandle(STD_ERROR_HANDLE));
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    if ((outputMissing || errorMissing) && CreatePipe(&reader, &writer, nullptr, 65536)) {
        captured_ = std::make_shared<CapturedText>();
        captured_->reader.reset(reader);
        writer_.reset(writer);
        auto* handed = new std::shared_ptr<CapturedText>(captured_);
        const UniqueHandle drainer(CreateThread(nullptr, 0, &CapturedText::drain, handed, 0, nullptr));
        if (!drainer) {
            delete handed;
            captured_.reset();
            writer_.reset();
        }
    }
    if (outputMissing && writer_) SetStdHandle(STD_OUTPUT_HANDLE, writer_.get());
    if (errorMissing && writer_) SetStdHandle(STD_ERROR_HANDLE, writer_.get());
    const auto target = [&](DWORD stream) {
        const HANDLE handle = GetStdHandle(stream);
        if (writer_ && handle == writer_.get()) return L"kept in memory";
        const bool toFile = (files.output.handle && handle == files.output.handle.get()) ||
                            (files.error.handle && handle == files.error.handle.get());
        return toFile ? L"to its file" : L"as the process was given it";
    };
    trace<TraceTopic::streams>("standard output {}, standard error {}", target(STD_OUTPUT_HANDLE),
                               target(STD_ERROR_HANDLE));
}

void StartupCapture::stop() {
    if (!captured_) return;
    AcquireSRWLockExclusive(&captured_->lock);
    captured_->keeping = false;
    captured_->text.clear();
    captured_->text.shrink_to_fit();
    ReleaseSRWLockExclusive(&captured_->lock);
}

std::string StartupCapture::capturedSoFar() {
    if (!captured_) return {};
    AcquireSRWLockExclusive(&captured_->lock);
    const unsigned awaited = captured_->marksSeen + 1;
    ReleaseSRWLockExclusive(&captured_->lock);
    DWORD written = 0;
    const bool marked =
        WriteFile(writer_.get(), kSyncMark.data(), static_cast<DWORD>(kSyncMark.size()), &written, nullptr);
    AcquireSRWLockExclusive(&captured_->lock);
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (marked && captured_->keeping && captured_->marksSeen < awaited && GetTickCount64() < deadline) {
        SleepConditionVariableSRW(&captured_->changed, &captured_->lock, 100, 0);
    }
    std::string bytes = captured_->text;
    ReleaseSRWLockExclusive(&captured_->lock);
    return bytes;
}

std::wstring StartupCapture::runtimeWords(const OutputFiles& files) {
    // HotSpot prints in the ANSI code page, Java's streams often in UTF-8.
    std::wstring words = fromUtf8OrAnsi(capturedSoFar() + files.writtenSinceOpened(kKeptBytes));
    while (!words.empty() && iswspace(words.back())) words.pop_back();
    if (words.size() > kShownCharacters) {
        const size_t lineStart = words.find(L'\n', words.size() - kShownCharacters);
        words.erase(0, lineStart == std::wstring::npos ? words.size() - kShownCharacters : lineStart + 1);
    }
    return words;
}

} // namespace jl
