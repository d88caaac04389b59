// Test-only helper: starts a program on a console of its own and, once that
// program is ready, presses Ctrl+C on the console; ends with the program's exit
// code. A console program started from bash under Wine sits on a console that
// refuses control events; a console this helper allocates itself accepts them.
//
//   jl_ctrl_c_sender <ready file> <ready text> <program> [arguments...]
//
// "Ready" is the ready text appearing in the ready file. Own failures end with
// codes a test can tell apart from the program's: 90 bad arguments, 91 no
// console, 92 the program did not start, 93 it never became ready (or ended
// first), 94 the console refused the event, 95 the program outlived the event.
#include <windows.h>

#include <string>

#include "support/unique_resource.h"

namespace {

// The helper must survive its own Ctrl+C. A handler, unlike the ignore flag
// that SetConsoleCtrlHandler(nullptr, TRUE) sets, is not inherited by the program.
BOOL WINAPI stayAlive(DWORD) { return TRUE; }

std::string fileText(const wchar_t* path) {
    const jl::UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    return text;
}

std::string narrow(const wchar_t* text) {
    std::string result;
    for (; *text; ++text) result.push_back(static_cast<char>(*text));
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 90;
    FreeConsole();
    if (!AllocConsole()) return 91;
    SetConsoleCtrlHandler(stayAlive, TRUE);

    std::wstring commandLine;
    for (int i = 3; i < argc; ++i) commandLine += (i > 3 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
    STARTUPINFOW startup{.cb = sizeof startup};
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(argv[3], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return 92;
    const jl::UniqueHandle process(started.hProcess);
    const jl::UniqueHandle thread(started.hThread);

    const std::string readyText = narrow(argv[2]);
    bool ready = false;
    for (int waited = 0; !ready && waited < 60000; waited += 50) {
        if (WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0) return 93;
        ready = fileText(argv[1]).find(readyText) != std::string::npos;
    }
    if (!ready) {
        TerminateProcess(process.get(), 93);
        return 93;
    }
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
        TerminateProcess(process.get(), 94);
        return 94;
    }
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 95);
        return 95;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}
