#include "rig/launched_process.h"

#include "rig/dialog_driver.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <thread>

namespace jltest {

namespace {

std::vector<wchar_t> environmentBlock(const std::map<std::wstring, std::wstring>& overrides) {
    std::map<std::wstring, std::wstring, bool (*)(const std::wstring&, const std::wstring&)> variables(
        [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        const size_t equals = text.find(L'=', 1);  // "=C:" style entries start with "="
        if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : overrides) {
        if (value.empty()) {
            variables.erase(name);
        } else {
            variables[name] = value;
        }
    }
    std::vector<wchar_t> block;
    for (const auto& [name, value] : variables) {
        const std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// An inheritable handle for a child's standard stream: the file, or the test's own
// stream when no file is named.
jl::UniqueHandle streamHandle(const std::wstring& path, DWORD ownStream) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (path.empty()) {
        HANDLE duplicate = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetStdHandle(ownStream), GetCurrentProcess(), &duplicate, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
        return jl::UniqueHandle(duplicate);
    }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return jl::UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

} // namespace

// The test's ends of a piped child's streams, and the threads that feed and drain them.
struct PipedStreams {
    std::thread writer, outputReader, errorReader;
    std::string output, error;

    ~PipedStreams() { join(); }
    void join() {
        for (std::thread* thread : {&writer, &outputReader, &errorReader}) {
            if (thread->joinable()) thread->join();
        }
    }
};

namespace {

std::thread drain(HANDLE pipe, std::string& into) {
    return std::thread([pipe, &into] {
        char buffer[4096];
        DWORD count = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) into.append(buffer, count);
        CloseHandle(pipe);
    });
}

// Three inheritable child ends in startup; the test's ends go to the threads of streams.
bool connectPipes(STARTUPINFOW& startup, std::vector<jl::UniqueHandle>& childEnds, PipedStreams& streams,
                  const std::string& input) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE ends[3][2];  // read, write
    for (auto& pair : ends) {
        if (!CreatePipe(&pair[0], &pair[1], &inheritable, 0)) return false;
    }
    // The test's own ends stay out of the child, or the child would keep its own input open.
    SetHandleInformation(ends[0][1], HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(ends[1][0], HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(ends[2][0], HANDLE_FLAG_INHERIT, 0);
    childEnds.emplace_back(ends[0][0]);
    childEnds.emplace_back(ends[1][1]);
    childEnds.emplace_back(ends[2][1]);
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = ends[0][0];
    startup.hStdOutput = ends[1][1];
    startup.hStdError = ends[2][1];
    const HANDLE inputEnd = ends[0][1];
    streams.writer = std::thread([inputEnd, input] {
        DWORD written = 0;
        if (!input.empty()) WriteFile(inputEnd, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        CloseHandle(inputEnd);
    });
    streams.outputReader = drain(ends[1][0], streams.output);
    streams.errorReader = drain(ends[2][0], streams.error);
    return true;
}

} // namespace

bool isJreNotFound(const DialogSnapshot& dialog) { return dialog.caption == L"JRE Not Found"; }

std::wstring windowText(HWND window) {
    if (!window) return {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return {};
    }
    text.resize(copied);
    return text;
}

LaunchedProcess LaunchedProcess::start(const std::wstring& program, const std::wstring& argumentsText,
                                       const std::map<std::wstring, std::wstring>& environment,
                                       const std::wstring& workingFolder, const StandardStreamFiles& streams) {
    LaunchedProcess launched;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!argumentsText.empty()) commandLine += L" " + argumentsText;
    std::vector<wchar_t> block = environmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    bool redirect = !streams.output.empty() || !streams.error.empty();
    jl::UniqueHandle input, output, error;
    std::vector<jl::UniqueHandle> childEnds;
    if (streams.withoutHandles) startup.dwFlags |= STARTF_USESTDHANDLES;
    if (streams.pipes) {
        launched.pipes_ = std::make_shared<PipedStreams>();
        if (!connectPipes(startup, childEnds, *launched.pipes_, streams.input)) {
            ADD_FAILURE() << "cannot make the pipes, error " << GetLastError();
            return launched;
        }
        redirect = true;
    } else if (redirect) {
        input = streamHandle({}, STD_INPUT_HANDLE);
        output = streamHandle(streams.output, STD_OUTPUT_HANDLE);
        error = streamHandle(streams.error, STD_ERROR_HANDLE);
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = input.get();
        startup.hStdOutput = output.get();
        startup.hStdError = error.get();
    }
    PROCESS_INFORMATION info{};
    // Under load Wine now and then loses a child before it has run any of its own code and reports
    // ERROR_INTERNAL_ERROR; nothing of the program ran, so starting it again is safe.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, redirect, CREATE_UNICODE_ENVIRONMENT,
                           block.data(), workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
            break;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            ADD_FAILURE() << "cannot start the program, error " << error;
            return launched;
        }
        Sleep(200);
    }
    jl::UniqueHandle thread(info.hThread);
    launched.process_.reset(info.hProcess);
    launched.processId_ = info.dwProcessId;
    return launched;
}

LaunchedProcess::~LaunchedProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 0xDEAD);
        WaitForSingleObject(process_.get(), 5000);
    }
}

std::optional<DialogSnapshot> LaunchedProcess::waitForDialog(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (process_) {
        if (const HWND found = waitForWindow(processId_, L"#32770", L"", 0)) {
            DialogSnapshot snapshot;
            snapshot.window = found;
            snapshot.caption = windowText(found);
            snapshot.text = windowText(GetDlgItem(found, isJreNotFound(snapshot) ? kJreMessageId : 0xFFFF));
            return snapshot;
        }
        if (GetTickCount64() >= deadline || WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0) break;
    }
    return std::nullopt;
}

bool LaunchedProcess::pressButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    // Wine presses a disabled button too; Windows would not, so neither may a test.
    if (!button || !IsWindowEnabled(button)) return false;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)) !=
           FALSE;
}

std::optional<int> LaunchedProcess::waitForExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the program did not end within " << timeoutMs << " ms and was killed";
        TerminateProcess(process_.get(), 0xDEAD);
        WaitForSingleObject(process_.get(), 5000);
        process_.reset();
        return std::nullopt;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.get(), &exitCode);
    return static_cast<int>(exitCode);
}

LaunchOutcome LaunchedProcess::finish(DWORD timeoutMs) {
    LaunchOutcome outcome;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT && GetTickCount64() < deadline) {
        const ULONGLONG now = GetTickCount64();
        if (std::optional<DialogSnapshot> dialog = waitForDialog(static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 200)))) {
            // The same box may still be closing; answer each window once.
            if (outcome.messages.empty() || outcome.messages.back().window != dialog->window) {
                outcome.messages.push_back(*dialog);
            }
            // The JRE Not Found dialog's OK stays disabled until a runtime is chosen.
            pressButton(dialog->window, isJreNotFound(*dialog) ? IDCANCEL : IDOK);
            Sleep(20);
        }
    }
    const ULONGLONG now = GetTickCount64();
    outcome.exitCode = waitForExit(now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    if (pipes_) {
        pipes_->join();
        outcome.output = pipes_->output;
        outcome.error = pipes_->error;
    }
    return outcome;
}

} // namespace jltest
