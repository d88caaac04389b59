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

constexpr wchar_t kUpgradeCode[] = L"{8F5A2C1E-1234-4ABC-9DEF-0123456789AB}";
constexpr wchar_t kFullArguments[] =
    L"--launcher jlauncher.exe --ini App.ini --upgrade-code {8F5A2C1E-1234-4ABC-9DEF-0123456789AB} --output App.exe";

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

struct JlpackRun {
    std::optional<int> exitCode;
    std::wstring output;
    std::wstring error;
};

// A folder holding a copy of the built launcher; jlpack runs inside it.
class PackFolder {
public:
    PackFolder() { CopyFileW(builtProgram(L"jlauncher.exe").c_str(), path(L"jlauncher.exe").c_str(), FALSE); }
    ~PackFolder() { removeFolderTree(folder_); }
    [[nodiscard]] std::wstring path(const wchar_t* name) const { return folder_ + L"\\" + name; }

    JlpackRun run(const std::wstring& arguments) const {
        const StandardStreamFiles streams{path(L"jlpack-out.txt"), path(L"jlpack-err.txt")};
        LaunchedProcess process = LaunchedProcess::start(builtProgram(L"jlpack.exe"), arguments, {}, folder_, streams);
        JlpackRun run;
        run.exitCode = process.waitForExit();
        run.output = jl::fromUtf8(readBytesFile(streams.output));
        run.error = jl::fromUtf8(readBytesFile(streams.error));
        return run;
    }

private:
    std::wstring folder_ = makeTemporaryFolder(L"jlpack");
};

TEST(Jlpack, HelpPrintsUsageAndSucceeds) {
    PackFolder folder;
    for (const wchar_t* option : {L"--help", L"-h", L"/?"}) {
        const JlpackRun run = folder.run(option);
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(contains(run.output, L"Usage: jlpack")) << run.output;
        for (const wchar_t* named : {L"--launcher", L"--ini", L"--upgrade-code", L"--output"}) {
            EXPECT_TRUE(contains(run.output, named)) << named;
        }
        EXPECT_EQ(run.error, L"");
    }
}

struct Refusal {
    const char* name;
    const char* iniText;  // null: no App.ini
    const wchar_t* arguments;
    const wchar_t* message;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class JlpackRefusal : public testing::TestWithParam<Refusal> {};

TEST_P(JlpackRefusal, ExplainsOnErrorStreamAndWritesNothing) {
    PackFolder folder;
    if (GetParam().iniText) writeBytesFile(folder.path(L"App.ini"), GetParam().iniText);
    const std::string launcherBefore = readBytesFile(folder.path(L"jlauncher.exe"));
    ASSERT_FALSE(launcherBefore.empty());

    const JlpackRun run = folder.run(GetParam().arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(contains(run.error, std::wstring(L"jlpack: ") + GetParam().message)) << run.error;
    EXPECT_EQ(run.output, L"");
    EXPECT_FALSE(fileExists(folder.path(L"App.exe")));
    EXPECT_TRUE(readBytesFile(folder.path(L"jlauncher.exe")) == launcherBefore) << "the launcher was changed";
}

constexpr char kGoodIni[] = "[Java Runtime Environment]\nMain Class=Main\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, JlpackRefusal,
    testing::Values(
        Refusal{"MissingIniFile", nullptr, kFullArguments, L"cannot read the INI file \"App.ini\": error 2"},
        Refusal{"IniWithoutSection", "Main Class=Main\nClass Path=app.jar\n", kFullArguments,
                L"the INI file \"App.ini\" holds no [section]"},
        Refusal{"MissingLauncher", kGoodIni,
                L"--launcher Absent.exe --ini App.ini --upgrade-code X --output App.exe",
                L"cannot find the launcher \"Absent.exe\": error 2"},
        Refusal{"LauncherNotAnExecutable", kGoodIni,
                L"--launcher App.ini --ini App.ini --upgrade-code X --output App.exe",
                L"\"App.ini\" is not an executable whose resources can be updated"},
        Refusal{"OutputIsTheLauncher", kGoodIni,
                L"--launcher jlauncher.exe --ini App.ini --upgrade-code X --output jlauncher.exe",
                L"the output \"jlauncher.exe\" may not be the launcher itself"},
        Refusal{"MissingOutputOption", kGoodIni, L"--launcher jlauncher.exe --ini App.ini --upgrade-code X",
                L"--launcher, --ini, --upgrade-code and --output are all required"},
        Refusal{"EmptyUpgradeCode", kGoodIni,
                L"--launcher jlauncher.exe --ini App.ini --upgrade-code \"\" --output App.exe",
                L"the upgrade code must not be empty"},
        Refusal{"OptionWithoutValue", kGoodIni, L"--launcher jlauncher.exe --ini",
                L"option --ini needs a value"},
        Refusal{"UnknownOption", kGoodIni, L"--launcher jlauncher.exe --icon app.ico", L"unknown option --icon"}),
    [](const testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

std::string utf16WithBom(std::wstring_view text) {
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

constexpr wchar_t kSettings[] =
    L"[Product Information]\r\nUpgrade Code={8F5A2C1E-1234-4ABC-9DEF-0123456789AB}\r\n"
    L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n"
    L"Virtual Machine Parameters=-Dgreeting=Gr\u00FC\u00DFe -Dcity=\u041C\u043E\u0441\u043A\u0432\u0430\r\n";

// The settings' lines ended in turn by each of the given line ends.
std::wstring withLineEnds(std::initializer_list<const wchar_t*> ends) {
    std::wstring text;
    std::wstring_view rest = kSettings;
    for (size_t line = 0; !rest.empty(); ++line) {
        const size_t end = rest.find(L"\r\n");
        text.append(rest.substr(0, end)).append(ends.begin()[line % ends.size()]);
        rest.remove_prefix(end + 2);
    }
    return text;
}

struct Encoding {
    const char* name;
    std::string iniBytes;
};

void PrintTo(const Encoding& encoding, std::ostream* out) { *out << encoding.name; }

class JlpackEmbedding : public testing::TestWithParam<Encoding> {};

TEST_P(JlpackEmbedding, ResourcesDecipherWithTheUpgradeCodeToTheIniText) {
    PackFolder folder;
    writeBytesFile(folder.path(L"App.ini"), GetParam().iniBytes);
    const JlpackRun run = folder.run(kFullArguments);
    ASSERT_EQ(run.exitCode, 0) << run.error;
    EXPECT_TRUE(contains(run.output, L"wrote \"App.exe\"")) << run.output;
    EXPECT_EQ(run.error, L"");

    const jl::UniqueModule packed(LoadLibraryExW(folder.path(L"App.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(packed.valid()) << "error " << GetLastError();
    EXPECT_NE(FindResourceW(packed.get(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr)
        << "the launcher's own resources are gone";
    std::vector<unsigned char> key = jl::loadRcdataResource(packed.get(), jl::kEmbeddedKeyResource);
    std::vector<unsigned char> settings = jl::loadRcdataResource(packed.get(), jl::kEmbeddedSettingsResource);
    ASSERT_TRUE(jl::applyEmbeddedCipher(jl::toAnsiString(kUpgradeCode), key));
    ASSERT_TRUE(jl::applyEmbeddedCipher(jl::toAnsiString(jl::wideTextFromBytes(key)), settings));
    EXPECT_EQ(jl::wideTextFromBytes(settings), kSettings);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, JlpackEmbedding,
    testing::Values(Encoding{"Utf8LineFeeds", jl::toUtf8(withLineEnds({L"\n"}))},
                    Encoding{"Utf8MixedLineEnds", jl::toUtf8(withLineEnds({L"\n", L"\r", L"\r\n"}))},
                    Encoding{"Utf8WithBomCrLf", "\xEF\xBB\xBF" + jl::toUtf8(kSettings)},
                    Encoding{"Utf16WithBomLineFeeds", utf16WithBom(withLineEnds({L"\n"}))},
                    Encoding{"Utf16WithBomCrLf", utf16WithBom(kSettings)}),
    [](const testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

} // namespace
} // namespace jltest
