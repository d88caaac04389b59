#pragma once
// Starts a program the way a user would and watches it from outside: its
// top-level dialogs, their text, their buttons, and its exit code. Every wait has
// a time-out; a program still running at the end is killed and the test fails.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/unique_resource.h"

namespace jltest {

struct DialogSnapshot {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;  // a message box's text (the static control 0xFFFF), or the JRE Not Found message
};

// The dialog a launch shows when it finds no runtime, and its message control.
inline constexpr int kJreMessageId = 203;
[[nodiscard]] bool isJreNotFound(const DialogSnapshot& dialog);

// Files that take the child's standard output and standard error (created or
// truncated); an empty path leaves that stream to the test's own handle.
// Without handles, the child gets none at all, as after a start from Explorer
// (Wine would otherwise hand a child the test's own).
// With pipes, the child gets a pipe for each of the three streams, as a shell
// gives a command in a pipeline: input is written into the first and then
// closed, and what the child writes to the others is kept in the outcome.
struct StandardStreamFiles {
    std::wstring output;
    std::wstring error;
    bool withoutHandles = false;
    bool pipes = false;
    std::string input;
};

struct LaunchOutcome {
    std::optional<int> exitCode;  // empty when the program had to be killed
    std::vector<DialogSnapshot> messages;
    std::string output;  // with pipes: the bytes the program wrote to standard output
    std::string error;   // and to standard error
};

struct PipedStreams;

class LaunchedProcess {
public:
    // Environment entries given here replace or add to the test's own; an empty
    // value removes the variable.
    static LaunchedProcess start(const std::wstring& program, const std::wstring& argumentsText,
                                 const std::map<std::wstring, std::wstring>& environment = {},
                                 const std::wstring& workingFolder = {},
                                 const StandardStreamFiles& streams = {});
    LaunchedProcess(LaunchedProcess&&) = default;
    LaunchedProcess& operator=(LaunchedProcess&&) = default;
    ~LaunchedProcess();

    [[nodiscard]] bool started() const { return process_.valid(); }
    [[nodiscard]] DWORD processId() const { return processId_; }
    [[nodiscard]] bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    // Ends the program at once with that exit code, as a crash or a task manager would.
    bool terminate(UINT exitCode) { return process_ && TerminateProcess(process_.get(), exitCode); }
    // The first visible dialog of the process, once one appears.
    [[nodiscard]] std::optional<DialogSnapshot> waitForDialog(DWORD timeoutMs = 20000);
    // Presses an enabled button of a dialog; false when it is missing or disabled.
    bool pressButton(HWND dialog, int buttonId);
    // The exit code, or empty after killing a program that did not end in time.
    [[nodiscard]] std::optional<int> waitForExit(DWORD timeoutMs = 30000);
    // Waits for the end, answering every message box with OK (the JRE Not Found
    // dialog with Cancel) and keeping its text.
    [[nodiscard]] LaunchOutcome finish(DWORD timeoutMs = 30000);

private:
    LaunchedProcess() = default;
    jl::UniqueHandle process_;
    std::shared_ptr<PipedStreams> pipes_;
    DWORD processId_ = 0;
};

// Reads a dialog control's text from another process.
[[nodiscard]] std::wstring windowText(HWND window);

} // namespace jltest
