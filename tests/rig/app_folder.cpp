#include "rig/app_folder.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>

#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {

std::wstring testProgramFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.rfind(L'\\'));
}

std::wstring builtProgram(std::wstring_view fileName) { return testProgramFolder() + L"\\" + std::wstring(fileName); }

std::wstring makeTemporaryFolder(std::wstring_view prefix) {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    for (;;) {
        std::wstring folder = std::wstring(temp) + std::wstring(prefix) + L"-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(GetTickCount64() % 100000) + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a temporary folder, error " << GetLastError();
            return folder;
        }
    }
}

bool copyFolder(const std::wstring& from, const std::wstring& to) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW found;
    jl::UniqueFind search(FindFirstFileW((from + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool copied = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                ? copyFolder(from + L"\\" + name, to + L"\\" + name)
                                : CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
        if (!copied) return false;
    }
    return true;
}

void removeFolderTree(const std::wstring& folderPath) {
    // The extended-length form also removes trees deeper than MAX_PATH.
    const std::wstring folder =
        folderPath.size() > 2 && folderPath[1] == L':' ? L"\\\\?\\" + folderPath : folderPath;
    WIN32_FIND_DATAW data;
    jl::UniqueFind find = jl::UniqueFind(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeFolderTree(child.substr(child.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0));
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find.get(), &data));
    }
    find.reset();
    RemoveDirectoryW(folder.c_str());
}

void writeBytesFile(const std::wstring& path, std::string_view bytes) {
    jl::UniqueFile file = jl::UniqueFile(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << "cannot write the test file, error " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::string utf16Bytes(std::wstring_view text, bool byteOrderMark) {
    const std::wstring content = (byteOrderMark ? L"\uFEFF" : L"") + std::wstring(text);
    return std::string(reinterpret_cast<const char*>(content.data()), content.size() * 2);
}

std::wstring crlfLines(std::wstring_view text) {
    std::wstring lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
        lines += text[i];
    }
    return lines;
}

void writeUtf16File(const std::wstring& path, std::wstring_view text) { writeBytesFile(path, utf16Bytes(crlfLines(text))); }

std::string pseudoRandomBytes(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245 + 12345) >> 16);
    return bytes;
}

std::wstring repeated(std::wstring_view piece, size_t count) {
    std::wstring text;
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
}

std::string readBytesFile(const std::wstring& path) { return jl::readFileBytes(path).value_or(std::string()); }

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring rememberedJrePath(const std::wstring& iniPath) {
    wchar_t value[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", value, MAX_PATH, iniPath.c_str());
    return value;
}

std::vector<std::wstring> namesInFolder(const std::wstring& folder, bool filesOnly) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const jl::UniqueFind search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found)) {
        const std::wstring name = found.cFileName;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != L"." && name != L".." && !(filesOnly && isFolder)) names.push_back(name);
    }
    return names;
}

std::wstring localDate(const wchar_t* picture) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[64] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &now, picture, date, 64);
    return date;
}

AppFolder::AppFolder(std::wstring_view appName, std::wstring_view program)
    : folder_(makeTemporaryFolder(L"jl")), appName_(appName) {
    exePath_ = path(appName_ + L".exe");
    if (!CopyFileW(builtProgram(program).c_str(), exePath_.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the built program, error " << GetLastError();
    }
    CreateDirectoryW(appDataFolder().c_str(), nullptr);
}

AppFolder::~AppFolder() { removeFolderTree(folder_); }

std::wstring AppFolder::path(std::wstring_view relative) const { return folder_ + L"\\" + std::wstring(relative); }

std::wstring AppFolder::iniPath() const { return path(appName_ + L".ini"); }

void AppFolder::writeIni(std::wstring_view text) const { writeUtf16File(iniPath(), text); }

std::wstring AppFolder::readTrace() const { return jl::fromUtf8(readBytesFile(tracePath())); }

} // namespace jltest
