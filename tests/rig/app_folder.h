#pragma once
// An application folder for one test: a temporary folder holding a copy of a
// built program under the application's name, its INI file and whatever else a
// test puts there. Removed with everything in it when the test ends.

#include <string>
#include <string_view>
#include <vector>

namespace jltest {

// The folder of the running test program; the built launcher and tools sit there.
[[nodiscard]] std::wstring testProgramFolder();
[[nodiscard]] std::wstring builtProgram(std::wstring_view fileName);

[[nodiscard]] std::wstring makeTemporaryFolder(std::wstring_view prefix);
void removeFolderTree(const std::wstring& folder);
// Copies a folder and everything in it.
[[nodiscard]] bool copyFolder(const std::wstring& from, const std::wstring& to);

// Writes text as UTF-16LE with a byte-order mark (what the private-profile
// functions read as Unicode), turning each lone "\n" into "\r\n".
void writeUtf16File(const std::wstring& path, std::wstring_view text);
// Text as UTF-16LE bytes as it stands, the byte-order mark left out on request.
[[nodiscard]] std::string utf16Bytes(std::wstring_view text, bool byteOrderMark = true);
// The text with each lone "\n" turned into "\r\n".
[[nodiscard]] std::wstring crlfLines(std::wstring_view text);
// The same bytes of no format at every call, for files a program must survive.
[[nodiscard]] std::string pseudoRandomBytes(size_t size);
[[nodiscard]] std::wstring repeated(std::wstring_view piece, size_t count);
void writeBytesFile(const std::wstring& path, std::string_view bytes);
// Reads a file's bytes; empty when it cannot be read.
[[nodiscard]] std::string readBytesFile(const std::wstring& path);
[[nodiscard]] bool fileExists(const std::wstring& path);
// The "JRE Path" an INI file (such as a per-user copy) remembers; empty without one.
[[nodiscard]] std::wstring rememberedJrePath(const std::wstring& iniPath);
// The names of a folder's files and, unless filesOnly, its folders ("." and ".." left out).
[[nodiscard]] std::vector<std::wstring> namesInFolder(const std::wstring& folder, bool filesOnly = false);
// Today's date in the user's locale with a date picture such as L"yyyyMMdd".
[[nodiscard]] std::wstring localDate(const wchar_t* picture);

// A new temporary folder, removed with everything in it at the end of its scope.
class TemporaryFolder {
public:
    explicit TemporaryFolder(std::wstring_view prefix = L"jltest") : path_(makeTemporaryFolder(prefix)) {}
    ~TemporaryFolder() { removeFolderTree(path_); }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::wstring& path() const { return path_; }
    [[nodiscard]] std::wstring file(std::wstring_view name) const { return path_ + L"\\" + std::wstring(name); }

private:
    std::wstring path_;
};

class AppFolder {
public:
    // Copies the built launcher into a new temporary folder as <appName>.exe.
    explicit AppFolder(std::wstring_view appName = L"MyApp", std::wstring_view program = L"jlauncher.exe");
    ~AppFolder();
    AppFolder(const AppFolder&) = delete;
    AppFolder& operator=(const AppFolder&) = delete;

    [[nodiscard]] const std::wstring& folder() const { return folder_; }
    [[nodiscard]] std::wstring path(std::wstring_view relative) const;
    [[nodiscard]] const std::wstring& exePath() const { return exePath_; }
    [[nodiscard]] std::wstring iniPath() const;
    // Where the launcher's trace goes, and what each start gets as APPDATA.
    [[nodiscard]] std::wstring tracePath() const { return path(L"trace.log"); }
    [[nodiscard]] std::wstring appDataFolder() const { return path(L"AppData"); }

    void writeIni(std::wstring_view text) const;
    // The trace written so far, decoded from UTF-8.
    [[nodiscard]] std::wstring readTrace() const;

private:
    std::wstring folder_;
    std::wstring appName_;
    std::wstring exePath_;
};

} // namespace jltest
