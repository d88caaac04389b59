// jlpack: stamps embedded settings into a copy of the launcher.
//
//   jlpack --launcher jlauncher.exe --ini MyApp.ini --upgrade-code CODE --output MyApp.exe
//
// The copy's RT_RCDATA 9000 holds a freshly generated key text enciphered with
// the upgrade code, and 8000 the INI text (UTF-16) enciphered with that key text:
// what the launcher deciphers at start-up with the "Upgrade Code" of the INI file
// beside it.

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "settings/embedded_settings.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace {

constexpr wchar_t kUsage[] =
    L"Usage: jlpack --launcher LAUNCHER.exe --ini SETTINGS.ini --upgrade-code CODE --output APP.exe\n"
    L"\n"
    L"Writes a copy of LAUNCHER.exe to APP.exe with the settings of SETTINGS.ini embedded\n"
    L"(enciphered) in its resources. The installed program reads them as defaults that the\n"
    L"INI file beside it can override (same key) or extend (a \"[Section+]\" entry).\n"
    L"CODE must equal the \"Upgrade Code\" in the [Product Information] section of the INI\n"
    L"file that is installed beside APP.exe, or the embedded settings cannot be read.\n"
    L"\n"
    L"  --launcher FILE      the launcher executable to copy\n"
    L"  --ini FILE           the settings to embed (UTF-8, UTF-16 with byte-order mark, or ANSI)\n"
    L"  --upgrade-code CODE  the product's upgrade code (the key for the embedded settings)\n"
    L"  --output FILE        the executable to write; it may not be the launcher itself\n"
    L"  --help               show this text\n";

void writeText(DWORD stream, const std::wstring& text) {
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string bytes = jl::toUtf8(text);
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

int fail(const std::wstring& message) {
    writeText(STD_ERROR_HANDLE, L"jlpack: " + message + L"\n");
    return 1;
}

std::wstring systemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = text ? text : L"";
    if (text) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' ')) {
        result.pop_back();
    }
    return L"error " + std::to_wstring(error) + (result.empty() ? L"" : L": " + result);
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
    return full;
}

// The INI text as UTF-16 with "\r\n" line ends, which is all the launcher's parser
// accepts as a line end.
std::wstring iniTextFromBytes(const std::string& bytes) {
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = jl::fromUtf8(std::string_view(bytes).substr(3));
    } else if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                   nullptr, 0) > 0) {
        text = jl::fromUtf8(bytes);
    } else {
        text = jl::fromAnsiString(bytes);
    }
    std::wstring normalised;
    normalised.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            normalised += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c == L'\n') {
            normalised += L"\r\n";
        } else {
            normalised += c;
        }
    }
    return normalised;
}

std::optional<std::wstring> generateKeyText() {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return std::nullopt;
    BYTE random[16];
    const bool generated = CryptGenRandom(provider, sizeof random, random) != FALSE;
    CryptReleaseContext(provider, 0);
    if (!generated) return std::nullopt;
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring key;
    for (BYTE b : random) {
        key += kHex[b >> 4];
        key += kHex[b & 15];
    }
    return key;
}

std::vector<unsigned char> bytesOf(const std::wstring& text) {
    const auto* first = reinterpret_cast<const unsigned char*>(text.data());
    return std::vector<unsigned char>(first, first + text.size() * sizeof(wchar_t));
}

bool writeResource(HANDLE update, WORD id, std::vector<unsigned char>& data) {
    return UpdateResourceW(update, MAKEINTRESOURCEW(10) /* RT_RCDATA */, MAKEINTRESOURCEW(id),
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), data.data(), static_cast<DWORD>(data.size())) !=
           FALSE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring launcher, ini, upgradeCode, output;
    bool upgradeCodeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--help" || option == L"-h" || option == L"/?") {
            writeText(STD_OUTPUT_HANDLE, kUsage);
            return 0;
        }
        if (i + 1 >= argc) return fail(L"option " + option + L" needs a value (see --help)");
        const std::wstring value = argv[++i];
        if (option == L"--launcher") {
            launcher = value;
        } else if (option == L"--ini") {
            ini = value;
        } else if (option == L"--upgrade-code") {
            upgradeCode = value;
            upgradeCodeGiven = true;
        } else if (option == L"--output") {
            output = value;
        } else {
            return fail(L"unknown option " + option + L" (see --help)");
        }
    }
    if (launcher.empty() || ini.empty() || !upgradeCodeGiven || output.empty()) {
        writeText(STD_ERROR_HANDLE, kUsage);
        return fail(L"--launcher, --ini, --upgrade-code and --output are all required");
    }
    if (upgradeCode.empty()) return fail(L"the upgrade code must not be empty");

    const std::optional<std::string> iniBytes = jl::readFileBytes(ini);
    if (!iniBytes) return fail(L"cannot read the INI file \"" + ini + L"\": " + systemErrorText(GetLastError()));
    const std::wstring iniText = iniTextFromBytes(*iniBytes);
    if (iniText.find(L'[') == std::wstring::npos) {
        return fail(L"the INI file \"" + ini + L"\" holds no [section]: nothing to embed");
    }

    if (_wcsicmp(fullPath(launcher).c_str(), fullPath(output).c_str()) == 0) {
        return fail(L"the output \"" + output + L"\" may not be the launcher itself");
    }
    if (GetFileAttributesW(launcher.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return fail(L"cannot find the launcher \"" + launcher + L"\": " + systemErrorText(GetLastError()));
    }
    if (!CopyFileW(launcher.c_str(), output.c_str(), FALSE)) {
        return fail(L"cannot write \"" + output + L"\": " + systemErrorText(GetLastError()));
    }

    const std::optional<std::wstring> keyText = generateKeyText();
    if (!keyText) return fail(L"cannot generate a key: " + systemErrorText(GetLastError()));
    std::vector<unsigned char> keyResource = bytesOf(*keyText);
    std::vector<unsigned char> settingsResource = bytesOf(iniText);
    if (!jl::applyEmbeddedCipher(jl::toAnsiString(upgradeCode), keyResource) ||
        !jl::applyEmbeddedCipher(jl::toAnsiString(*keyText), settingsResource)) {
        DeleteFileW(output.c_str());
        return fail(L"cannot encipher the settings: " + systemErrorText(GetLastError()));
    }

    HANDLE update = BeginUpdateResourceW(output.c_str(), FALSE);
    if (!update) {
        const DWORD error = GetLastError();
        DeleteFileW(output.c_str());
        return fail(L"\"" + launcher + L"\" is not an executable whose resources can be updated: " +
                    systemErrorText(error));
    }
    const bool written = writeResource(update, jl::kEmbeddedKeyResource, keyResource) &&
                         writeResource(update, jl::kEmbeddedSettingsResource, settingsResource);
    const DWORD writeError = GetLastError();
    if (!EndUpdateResourceW(update, written ? FALSE : TRUE) || !written) {
        const DWORD error = written ? GetLastError() : writeError;
        DeleteFileW(output.c_str());
        return fail(L"cannot write the resources of \"" + output + L"\": " + systemErrorText(error));
    }
    writeText(STD_OUTPUT_HANDLE, L"jlpack: wrote \"" + output + L"\" with " + std::to_wstring(iniText.size()) +
                                     L" characters of embedded settings\n");
    return 0;
}
