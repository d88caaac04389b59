#include "support/error_message.h"

#include <atomic>

#include "support/console_output.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/module.h"
#include "support/trace.h"

namespace jl {

namespace {

// Written by the splash thread, read by whichever thread reports a failure.
std::atomic<HWND>& currentMessageOwner() {
    static std::atomic<HWND> owner{nullptr};
    return owner;
}

std::atomic<HANDLE>& pendingOwnerReady() {
    static std::atomic<HANDLE> ready{nullptr};
    return ready;
}

std::atomic<HANDLE>& eventLogSource() {
    static std::atomic<HANDLE> source{nullptr};
    return source;
}

constexpr DWORD kPendingOwnerWaitMs = 5000;
// The one entry of the program's message table, "%1": the event's text is the message itself.
constexpr DWORD kEventLogMessageId = 1;

} // namespace

void setMessageOwner(HWND owner) { currentMessageOwner().store(owner); }

void releaseMessageOwner(HWND owner) {
    HWND expected = owner;
    currentMessageOwner().compare_exchange_strong(expected, nullptr);
}

void setMessageEventSource(HANDLE source) { eventLogSource().store(source); }

bool messagesGoToEventLog() { return eventLogSource().load() != nullptr; }

void setMessageOwnerPending(HANDLE ready) { pendingOwnerReady().store(ready); }

HWND messageOwner() { return currentMessageOwner().load(); }

std::wstring loadString(unsigned id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource.
    const int length = LoadStringW(programInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

namespace {

// A service's messages go to the event log, and a console program, which has
// no windows of its own, writes them to standard error.
bool writtenToStandardError(const std::wstring& text) {
    if (const HANDLE source = eventLogSource().load()) {
        const wchar_t* strings[] = {text.c_str()};
        const bool reported =
            ReportEventW(source, EVENTLOG_ERROR_TYPE, 0, kEventLogMessageId, nullptr, 1, 0, strings, nullptr) != FALSE;
        trace("error message {}{}", reported ? "written to the event log: " : "could not be written to the event log: ",
              Quoted{text});
        return true;
    }
    if (!isConsoleProgram()) {
        trace("error message shown: {}", Quoted{text});
        return false;
    }
    trace("error message written to standard error: {}", Quoted{text});
    writeStandardErrorLine(text);
    return true;
}

} // namespace

void showErrorText(const std::wstring& text) {
    if (writtenToStandardError(text)) return;
    if (const HANDLE ready = pendingOwnerReady().load()) WaitForSingleObject(ready, kPendingOwnerWaitMs);
    const HWND owner = messageOwner();
    // The system refuses a box whose owner has gone; one that went between the
    // look and the box must not take the message with it.
    if (!MessageBoxW(owner, text.c_str(), nullptr, MB_ICONERROR | MB_OK) && owner) {
        MessageBoxW(nullptr, text.c_str(), nullptr, MB_ICONERROR | MB_OK);
    }
}

void showInformationText(const std::wstring& text) {
    if (writtenToStandardError(text)) return;
    MessageBoxW(messageOwner(), text.c_str(), nullptr, MB_ICONINFORMATION | MB_OK);
}

void showUnownedErrorText(const std::wstring& text) {
    if (writtenToStandardError(text)) return;
    MessageBoxW(nullptr, text.c_str(), nullptr, MB_ICONERROR | MB_OK);
}

std::wstring withRuntimeWords(const std::wstring& message, std::wstring_view words) {
    return words.empty() ? message : formatMessage(loadString(kMsgRuntimeSaid), {message, words});
}

void showErrorMessage(unsigned id) { showErrorText(loadString(id)); }

void showErrorMessage(unsigned formatId, std::wstring_view text, int32_t number) {
    showErrorText(formatMessage(loadString(formatId), {text, number}));
}

void showErrorMessage(unsigned formatId, std::wstring_view first, std::wstring_view second) {
    showErrorText(formatMessage(loadString(formatId), {first, second}));
}

void showErrorMessage(unsigned formatId, std::wstring_view text) {
    showErrorText(formatMessage(loadString(formatId), {text}));
}

} // namespace jl
