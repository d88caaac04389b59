// Test-only stand-in for a web browser: registered as the open command of the
// http and https protocols, it appends the command line it was started with, as
// one UTF-8 line, to the file named by JL_URL_RECORD (or url_record.txt beside
// itself when the variable did not reach it) and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring path(32768, L'\0');
    DWORD length = GetEnvironmentVariableW(L"JL_URL_RECORD", path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        path.resize(length);
        path = path.substr(0, path.rfind(L'\\') + 1) + L"url_record.txt";
    } else {
        path.resize(length);
    }
    const std::wstring commandLine = GetCommandLineW();
    std::string line(WideCharToMultiByte(CP_UTF8, 0, commandLine.c_str(), static_cast<int>(commandLine.size()),
                                         nullptr, 0, nullptr, nullptr),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, commandLine.c_str(), static_cast<int>(commandLine.size()), line.data(),
                        static_cast<int>(line.size()), nullptr, nullptr);
    line += "\r\n";
    // Several starts may append at once: retry while another one holds the file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
            return ok ? 0 : 1;
        }
        Sleep(20);
    }
    return 1;
}
