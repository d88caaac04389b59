// Test-only program with real dialogs for the dialog driver's own tests.
//   dialog_fixture message TEXT       an OK/Cancel message box; exits with the
//                                     button's id (1 OK, 2 Cancel)
//   dialog_fixture picker RESULTFILE  an owner window "Fixture owner" and the
//                                     shell folder picker over it; writes the
//                                     chosen folder (UTF-8) to RESULTFILE and
//                                     exits 1, or exits 0 on Cancel
// It gives up after a minute, so that a test that went wrong never leaves it waiting.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr UINT_PTR kGiveUpTimer = 1;

void CALLBACK giveUp(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(99); }

int showMessage(const std::wstring& text) {
    return MessageBoxW(nullptr, text.c_str(), L"Fixture", MB_OKCANCEL | MB_ICONINFORMATION);
}

void writeUtf8(const std::wstring& path, const std::wstring& text) {
    std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr),
                      '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

int showPicker(const std::wstring& resultFile) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"Fixture owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = L"Choose a folder";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    int code = 0;
    if (chosen) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(chosen, path)) {
            writeUtf8(resultFile, path);
            code = 1;
        } else {
            code = 3;
        }
        CoTaskMemFree(chosen);
    }
    DestroyWindow(owner);
    CoUninitialize();
    return code;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetTimer(nullptr, kGiveUpTimer, 60000, giveUp);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring mode = count > 1 ? arguments[1] : L"";
    const std::wstring value = count > 2 ? arguments[2] : L"";
    LocalFree(arguments);
    if (mode == L"message") return showMessage(value);
    if (mode == L"picker") return showPicker(value);
    return 2;
}
