// jlpack run the way a build script runs it: options in, messages on its standard
// streams, and a copy of the launcher whose resources carry the enciphered INI text.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "settings/embedded_settings.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {
namespace {

constexpr wchar_t kFullArguments[] =
    L"--launcher jlauncher.exe --ini App.ini --upgrade-code {8F5A2C1E-1234-4ABC-9DEF-0123456789AB} --output App.exe";

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

struct JlpackRun { std::optional<int> exitCode; std::wstring output, error; };

// A folder holding a copy of the built launcher; jlpack runs inside it.
class PackFolder {
public:
    PackFolder() { CopyFileW(builtProgram(L"jlauncher.exe").c_str(), path(L"jlauncher.exe").c_str(), FALSE); }
    [[nodiscard]] std::wstring path(const wchar_t* name) const { return folder_.file(name); }

    JlpackRun run(const std::wstring& arguments) const {
        const StandardStreamFiles streams{path(L"jlpack-out.txt"), path(L"jlpack-err.txt")};
        LaunchedProcess process = LaunchedProcess::start(builtProgram(L"jlpack.exe"), arguments, {}, folder_.path(), streams);
        const std::optional<int> exitCode = process.waitForExit();
        return {exitCode, jl::fromUtf8(readBytesFile(streams.output)), jl::fromUtf8(readBytesFile(streams.error))};
    }

private:
    TemporaryFolder folder_{L"jlpack"};
};

TEST(Jlpack, HelpPrintsUsageAndSucceeds) {
    PackFolder folder;
    for (const wchar_t* option : {L"--help", L"-h", L"/?"}) {
        const JlpackRun run = folder.run(option);
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(contains(run.output, L"Usage: jlpack")) << run.output;
        for (const wchar_t* named : {L"--launcher", L"--ini", L"--upgrade-code", L"--output"})
            EXPECT_TRUE(contains(run.output, named)) << named;
        EXPECT_EQ(run.error, L"");
    }
}

TEST(Jlpack, RefusalExplainsOnTheErrorStreamAndWritesNothing) {
    constexpr char kGoodIni[] = "[Java Runtime Environment]\nMain Class=Main\n";
    // A null INI text: no App.ini.
    const struct { const char* iniText; const wchar_t *arguments, *message; } refusals[] = {
        {nullptr, kFullArguments, L"cannot read the INI file \"App.ini\": error 2"},
        {"Main Class=Main\nClass Path=app.jar\n", kFullArguments, L"the INI file \"App.ini\" holds no [section]"},
        {kGoodIni, L"--launcher Absent.exe --ini App.ini --upgrade-code X --output App.exe",
         L"cannot find the launcher \"Absent.exe\": error 2"},
        {kGoodIni, L"--launcher App.ini --ini App.ini --upgrade-code X --output App.exe",
         L"\"App.ini\" is not an executable whose resources can be updated"},
        {kGoodIni, L"--launcher jlauncher.exe --ini App.ini --upgrade-code X --output jlauncher.exe",
         L"the output \"jlauncher.exe\" may not be the launcher itself"},
        {kGoodIni, L"--launcher jlauncher.exe --ini App.ini --upgrade-code X",
         L"--launcher, --ini, --upgrade-code and --output are all required"},
        {kGoodIni, L"--launcher jlauncher.exe --ini App.ini --upgrade-code \"\" --output App.exe",
         L"the upgrade code must not be empty"},
        {kGoodIni, L"--launcher jlauncher.exe --ini", L"option --ini needs a value"},
        {kGoodIni, L"--launcher jlauncher.exe --icon app.ico", L"unknown option --icon"}};
    for (const auto& refusal : refusals) {
        PackFolder folder;
        if (refusal.iniText) writeBytesFile(folder.path(L"App.ini"), refusal.iniText);
        const std::string launcherBefore = readBytesFile(folder.path(L"jlauncher.exe"));
        ASSERT_FALSE(launcherBefore.empty());
        const JlpackRun run = folder.run(refusal.arguments);
        EXPECT_EQ(run.exitCode, 1) << refusal.arguments;
        EXPECT_TRUE(contains(run.error, std::wstring(L"jlpack: ") + refusal.message)) << run.error;
        EXPECT_EQ(run.output, L"");
        EXPECT_FALSE(fileExists(folder.path(L"App.exe")));
        EXPECT_TRUE(readBytesFile(folder.path(L"jlauncher.exe")) == launcherBefore) << "the launcher was changed";
    }
}

TEST(Jlpack, ResourcesDecipherWithTheUpgradeCodeToTheIniTextWithCrLfLineEnds) {
    constexpr wchar_t kSettings[] =
        L"[Product Information]\r\nUpgrade Code={8F5A2C1E-1234-4ABC-9DEF-0123456789AB}\r\n"
        L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n"
        L"Virtual Machine Parameters=-Dgreeting=Gr\u00FC\u00DFe -Dcity=\u041C\u043E\u0441\u043A\u0432\u0430\r\n";
    std::wstring mixedLineEnds = kSettings, lineFeeds = kSettings;
    for (const wchar_t* end : {L"\n", L"\r", L"\n"}) mixedLineEnds.replace(mixedLineEnds.find(L"\r\n"), 2, end);
    for (size_t at; (at = lineFeeds.find(L"\r\n")) != std::wstring::npos;) lineFeeds.erase(at, 1);
    const std::wstring utf16 = L"\uFEFF" + lineFeeds;
    for (const std::string& iniBytes :
         {jl::toUtf8(mixedLineEnds), "\xEF\xBB\xBF" + jl::toUtf8(kSettings),
          std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * sizeof(wchar_t))}) {
        PackFolder folder;
        writeBytesFile(folder.path(L"App.ini"), iniBytes);
        const JlpackRun run = folder.run(kFullArguments);
        ASSERT_EQ(run.exitCode, 0) << run.error;
        EXPECT_TRUE(contains(run.output, L"wrote \"App.exe\"")) << run.output;
        EXPECT_EQ(run.error, L"");
        const jl::UniqueModule packed(
            LoadLibraryExW(folder.path(L"App.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(packed.valid()) << "error " << GetLastError();
        EXPECT_NE(FindResourceW(packed.get(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr)
            << "the launcher's own resources are gone";
        auto key = jl::loadRcdataResource(packed.get(), jl::kEmbeddedKeyResource);
        auto settings = jl::loadRcdataResource(packed.get(), jl::kEmbeddedSettingsResource);
        ASSERT_TRUE(jl::applyEmbeddedCipher("{8F5A2C1E-1234-4ABC-9DEF-0123456789AB}", key));
        ASSERT_TRUE(jl::applyEmbeddedCipher(jl::toAnsiString(jl::wideTextFromBytes(key)), settings));
        EXPECT_EQ(jl::wideTextFromBytes(settings), kSettings);
    }
}

} // namespace
} // namespace jltest
