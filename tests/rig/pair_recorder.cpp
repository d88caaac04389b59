// Stands in for a paired launcher: records the command line it was started with
// into the file named by JL_PAIR_RECORD and exits with JL_PAIR_EXIT_CODE.

#include <windows.h>

#include <cwchar>
#include <cstdlib>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t recordPath[1024];
    if (GetEnvironmentVariableW(L"JL_PAIR_RECORD", recordPath, 1024) - 1 < 1023) {
        HANDLE file = CreateFileW(recordPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const wchar_t* commandLine = GetCommandLineW();
            DWORD written = 0;
            WriteFile(file, commandLine, static_cast<DWORD>(std::wcslen(commandLine) * sizeof(wchar_t)), &written,
                      nullptr);
            CloseHandle(file);
        }
    }
    wchar_t exitCode[32];
    if (GetEnvironmentVariableW(L"JL_PAIR_EXIT_CODE", exitCode, 32) - 1 < 31) return std::wcstol(exitCode, nullptr, 10);
    return 0;
}
