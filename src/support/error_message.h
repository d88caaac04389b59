#pragma once
// The string table and the one way a launch failure reaches the user.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace jl {

// The string-table text with that id; empty when the id is unknown.
[[nodiscard]] std::wstring loadString(unsigned id);

// The window that owns every message box from now on (the splash window while
// it is up); null for none. Safe to call from any thread.
void setMessageOwner(HWND owner);
// Clears the owner if it is still that window: the owner goes with its window.
void releaseMessageOwner(HWND owner);
[[nodiscard]] HWND messageOwner();
// While another thread is still making the owner window, the event it sets once
// the window is up (or could not be made): a message waits a little for it, so
// that it is not shown unowned behind the window that appears next. Null: none.
void setMessageOwnerPending(HANDLE ready);

// A service has nobody to read a box: while an event-log source is set, every
// message below goes to the Application event log as an error (and to the
// trace) instead. Null: none. The caller keeps the source open meanwhile.
void setMessageEventSource(HANDLE source);
[[nodiscard]] bool messagesGoToEventLog();

// In a console program every one of these writes its text to standard error
// instead, and returns at once.
// MessageBoxW owned by the message owner (its splash window once it
// exists), error icon, OK only, the system's default caption. Returns when the
// user has closed the box. The text is a string-table entry, or a format from the
// table expanded with one or two arguments.
void showErrorMessage(unsigned id);
// A text already expanded from a string-table format.
void showErrorText(const std::wstring& text);
// The same route for a message that reports success: a box with the
// information icon, or a line on standard error.
void showInformationText(const std::wstring& text);
// For a thread that may be crashing: no owner window, whose thread may be the
// one that stopped.
void showUnownedErrorText(const std::wstring& text);
// A message followed by what the Java runtime printed about it, when it did.
[[nodiscard]] std::wstring withRuntimeWords(const std::wstring& message, std::wstring_view words);
void showErrorMessage(unsigned formatId, std::wstring_view text, int32_t number);
void showErrorMessage(unsigned formatId, std::wstring_view first, std::wstring_view second);
void showErrorMessage(unsigned formatId, std::wstring_view text);

} // namespace jl
