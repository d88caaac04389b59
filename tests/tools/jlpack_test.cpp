// jlpack run the way a build script runs it: options in, messages on its standard
// streams, and a copy of the launcher that Windows reads back: the enciphered INI
// text, the icon and the version information.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "rig/launcher_run.h"
#include "rig/pack_folder.h"
#include "rig/pe_samples.h"
#include "rig/program_resources.h"
#include "settings/embedded_settings.h"
#include "settings/settings_cipher.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {
namespace {

constexpr wchar_t kUpgradeCode[] = L"{8F5A2C1E-1234-4ABC-9DEF-0123456789AB}";
constexpr wchar_t kFullArguments[] =
    L"--launcher jlauncher.exe --ini App.ini --upgrade-code {8F5A2C1E-1234-4ABC-9DEF-0123456789AB} --output App.exe";

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

std::string text(const jlpack::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Jlpack, RefusalExplainsOnTheErrorStreamAndWritesNothing) {
    constexpr char kGoodIni[] = "[Product Information]\nUpgrade Code=X\n[Java Runtime Environment]\nMain Class=Main\n";
    const std::string launcher = readBytesFile(builtProgram(L"jlauncher.exe"));
    const std::string truncated = launcher.substr(0, launcher.size() / 2);
    std::string badIcon = text(sampleIconFile({16}));
    badIcon[2] = 2;
    // A null INI text: no App.ini. Extra files go in as Extra.exe or Extra.ico.
    const struct { const char* iniText; std::string extra; const wchar_t *arguments, *message; } refusals[] = {
        {nullptr, {}, kFullArguments, L"cannot read the INI file \"App.ini\": error 2"},
        {"Main Class=Main\nClass Path=app.jar\n", {}, kFullArguments, L"the INI file \"App.ini\" holds no [section]"},
        {"[Java Runtime Environment]\nMain Class=Main\n", {}, L"--launcher jlauncher.exe --ini App.ini --output App.exe",
         L"no upgrade code"},
        {kGoodIni, {}, L"--launcher Absent.exe --ini App.ini --output App.exe", L"cannot find the launcher \"Absent.exe\""},
        {kGoodIni, {}, L"--launcher App.ini --ini App.ini --output App.exe",
         L"the launcher \"App.ini\" is refused: it is not a Windows executable"},
        {kGoodIni, truncated, L"--launcher Extra.exe --ini App.ini --output App.exe",
         L"the launcher \"Extra.exe\" is refused: it is truncated"},
        {kGoodIni, {}, L"--launcher jl_url_recorder.exe --ini App.ini --output App.exe",
         L"the launcher \"jl_url_recorder.exe\" is refused: it has no resource section"},
        {kGoodIni, badIcon, L"--launcher jlauncher.exe --ini App.ini --icon Extra.ico --output App.exe",
         L"the icon file \"Extra.ico\" is refused: it is not an icon file (bad header)"},
        {kGoodIni, text(sampleIconFile({16, 0}, 4096)), L"--launcher jlauncher.exe --ini App.ini --icon Extra.ico --output App.exe",
         L"the icon file \"Extra.ico\" is refused: an image is 4096x4096, larger than Windows shows icons"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini --icon Absent.ico --output App.exe",
         L"cannot read the icon file \"Absent.ico\": error 2"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini --execution-level root --output App.exe",
         L"the execution level must be asInvoker, requireAdministrator or highestAvailable"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini --subsystem native --output App.exe",
         L"the subsystem must be console or gui"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini --output jlauncher.exe",
         L"the output \"jlauncher.exe\" may not be the launcher itself"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini", L"--launcher, --ini and --output are all required"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini App.ini --upgrade-code \"\" --output App.exe",
         L"the upgrade code must not be empty"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini", L"option --ini needs a value"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --ini=a --ini=b", L"option --ini is given twice"},
        {kGoodIni, {}, L"--launcher jlauncher.exe --colour red", L"unknown option --colour"}};
    for (const auto& refusal : refusals) {
        PackFolder folder;
        CopyFileW(builtProgram(L"jl_url_recorder.exe").c_str(), folder.path(L"jl_url_recorder.exe").c_str(), FALSE);
        if (refusal.iniText) writeBytesFile(folder.path(L"App.ini"), refusal.iniText);
        if (!refusal.extra.empty()) {
            writeBytesFile(folder.path(contains(refusal.arguments, L"Extra.ico") ? L"Extra.ico" : L"Extra.exe"), refusal.extra);
        }
        const std::vector<std::wstring> before = folder.fileNames();
        const std::string launcherBefore = readBytesFile(folder.path(L"jlauncher.exe"));
        const JlpackRun run = folder.run(refusal.arguments);
        EXPECT_EQ(run.exitCode, 1) << refusal.arguments;
        EXPECT_TRUE(contains(run.error, std::wstring(L"jlpack: ") + refusal.message)) << run.error;
        EXPECT_EQ(run.output, L"");
        EXPECT_EQ(folder.fileNames(), before) << "jlpack left a file behind: " << refusal.arguments;
        EXPECT_TRUE(readBytesFile(folder.path(L"jlauncher.exe")) == launcherBefore) << "the launcher was changed";
    }
}

TEST(Jlpack, ResourcesDecipherWithTheUpgradeCodeToTheIniTextWithCrLfLineEnds) {
    constexpr wchar_t kSettings[] =
        L"[Product Information]\r\nUpgrade Code={8F5A2C1E-1234-4ABC-9DEF-0123456789AB}\r\n"
        L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n"
        L"Virtual Machine Parameters=-Dgreeting=Gr\u00FC\u00DFe -Dcity=\u041C\u043E\u0441\u043A\u0432\u0430\r\n";
    // Other encodings are the INI text decoder's test; here the line ends mixed.
    std::wstring mixedLineEnds = kSettings;
    for (const wchar_t* end : {L"\n", L"\r", L"\n"}) mixedLineEnds.replace(mixedLineEnds.find(L"\r\n"), 2, end);
    PackFolder folder;
    writeBytesFile(folder.path(L"App.ini"), jl::toUtf8(mixedLineEnds));
    // The upgrade code comes from the INI file when the command line gives none.
    const JlpackRun run = folder.run(L"--launcher jlauncher.exe --ini App.ini --output App.exe");
    ASSERT_EQ(run.exitCode, 0) << run.error;
    EXPECT_TRUE(contains(run.output, L"wrote \"App.exe\"")) << run.output;
    EXPECT_EQ(run.error, L"");
    const jl::UniqueModule packed(LoadLibraryExW(folder.path(L"App.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(packed.valid()) << "error " << GetLastError();
    auto key = jl::loadRcdataResource(packed.get(), jl::kEmbeddedKeyResource);
    auto settings = jl::loadRcdataResource(packed.get(), jl::kEmbeddedSettingsResource);
    jl::applySettingsCipher(jl::toAnsiString(kUpgradeCode), key);
    jl::applySettingsCipher(jl::toAnsiString(jl::wideTextFromBytes(key)), settings);
    EXPECT_EQ(jl::wideTextFromBytes(settings), kSettings);
}

TEST(Jlpack, WindowsReadsTheIconAndVersionInformationBackAndRepackingReplacesThem) {
    PackFolder folder;
    writeBytesFile(folder.path(L"App.ini"), "[Product Information]\nProduct Name=Gr\xC3\xBC\xC3\x9F" "e App\nUpgrade Code=X\n");
    writeBytesFile(folder.path(L"App.ico"), text(sampleIconFile({16, 32, 48})));
    const wchar_t kArguments[] =
        L"--ini App.ini --icon App.ico --product-version 3.4.5 --file-version 3.4.5.678 --company \"Example Ltd\" "
        L"--copyright \"(c) 2026 Example\" --execution-level requireAdministrator --launcher ";
    ASSERT_EQ(folder.run(std::wstring(kArguments) + L"jlauncher.exe --output App.exe").exitCode, 0);
    // Packing the packed copy again gives the same program, not a second set.
    ASSERT_EQ(folder.run(std::wstring(kArguments) + L"App.exe --key-text FIXED --output Again.exe").exitCode, 0);
    ASSERT_EQ(folder.run(std::wstring(kArguments) + L"jlauncher.exe --key-text FIXED --output Once.exe").exitCode, 0);
    EXPECT_EQ(readBytesFile(folder.path(L"Again.exe")).size(), readBytesFile(folder.path(L"Once.exe")).size());
    EXPECT_TRUE(readBytesFile(folder.path(L"Again.exe")) != readBytesFile(folder.path(L"App.exe")));

    for (const wchar_t* program : {L"App.exe", L"Again.exe"}) {
        const std::wstring path = folder.path(program);
        EXPECT_EQ(ExtractIconExW(path.c_str(), -1, nullptr, nullptr, 0), 1u) << "one icon group";
        const jl::UniqueModule packed(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(packed.valid());
        for (int side : {16, 32, 48}) EXPECT_EQ(iconWidth(packed.get(), side), side);
        HICON extracted = ExtractIconW(GetModuleHandleW(nullptr), path.c_str(), 0);
        EXPECT_NE(extracted, nullptr);
        if (extracted) DestroyIcon(extracted);

        const std::string block = fileVersionBlock(path);
        ASSERT_FALSE(block.empty());
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00030004u);
        EXPECT_EQ(fixed->dwFileVersionLS, (5u << 16) | 678u);
        EXPECT_EQ(fixed->dwProductVersionLS, 5u << 16);
        std::vector<std::wstring> strings;
        for (const wchar_t* name : {L"ProductName", L"FileDescription", L"CompanyName", L"LegalCopyright", L"FileVersion",
                                    L"ProductVersion", L"OriginalFilename"}) strings.push_back(versionString(block, name));
        EXPECT_EQ(strings, (std::vector<std::wstring>{L"Gr\u00FC\u00DFe App", L"Gr\u00FC\u00DFe App", L"Example Ltd",
                                                      L"(c) 2026 Example", L"3.4.5.678", L"3.4.5", program}));

        const std::string manifest = resourceBytes(packed.get(), RT_MANIFEST, MAKEINTRESOURCEW(1));
        EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>"), std::string::npos);
    }
}

TEST(Jlpack, PrintShowsWhatACopyCarries) {
    PackFolder folder;
    writeBytesFile(folder.path(L"App.ini"), "[Product Information]\nUpgrade Code=X\n[Application]\nCmd=shown\n");
    ASSERT_EQ(folder.run(L"--launcher jlauncher.exe --ini App.ini --output App.exe --product-name Shown").exitCode, 0);
    // The INI file beside the copy gives the upgrade code; without it the settings stay enciphered.
    const JlpackRun beside = folder.run(L"--print App.exe");
    EXPECT_EQ(beside.exitCode, 0) << beside.error;
    for (const wchar_t* part : {L"Execution level: asInvoker\n", L"Subsystem: GUI\n", L"Icon: 16x16 ", L"  ProductName: Shown\n",
                                L"  [Application]\n  Cmd=shown\n"}) {
        EXPECT_TRUE(contains(beside.output, part)) << part << L" in\n" << beside.output;
    }
    // The shipped program's own icon came along: its pictures are stored compressed, and each size must still make an icon.
    const jl::UniqueModule copy(LoadLibraryExW(folder.path(L"App.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    for (const int size : {16, 24, 32, 48}) EXPECT_EQ(iconWidth(copy.get(), size), size);
    const JlpackRun wrongCode = folder.run(L"--print App.exe --upgrade-code Y");
    EXPECT_EQ(wrongCode.exitCode, 0);
    EXPECT_FALSE(contains(wrongCode.output, L"Cmd=shown")) << wrongCode.output;
    // The console twin packs as a launcher too, and its copy stays a console program.
    ASSERT_TRUE(CopyFileW(builtProgram(L"jlauncherc.exe").c_str(), folder.path(L"jlauncherc.exe").c_str(), FALSE));
    ASSERT_EQ(folder.run(L"--launcher jlauncherc.exe --ini App.ini --output Tool.exe").exitCode, 0);
    const JlpackRun console = folder.run(L"--print Tool.exe --upgrade-code X");
    EXPECT_EQ(console.exitCode, 0) << console.error;
    EXPECT_TRUE(contains(console.output, L"Subsystem: console\n")) << console.output;
    EXPECT_TRUE(contains(console.output, L"  Cmd=shown\n")) << console.output;
    const JlpackRun notLauncher = folder.run(L"--print App.ini");
    EXPECT_EQ(notLauncher.exitCode, 1);
    EXPECT_TRUE(contains(notLauncher.error, L"jlpack: \"App.ini\" is refused: it is not a Windows executable"))
        << notLauncher.error;
}

TEST(Jlpack, SubsystemSwitchesACopyBetweenTheTwoLaunchers) {
    PackFolder folder;
    writeBytesFile(folder.path(L"App.ini"), "[Product Information]\nUpgrade Code=X\n[Application]\nCmd=shown\n");
    ASSERT_EQ(folder.run(L"--launcher jlauncher.exe --ini App.ini --subsystem console --output Tool.exe").exitCode, 0);
    const JlpackRun printed = folder.run(L"--print Tool.exe --upgrade-code X");
    EXPECT_TRUE(contains(printed.output, L"Subsystem: console\n")) << printed.output;
    EXPECT_TRUE(contains(printed.output, L"  Cmd=shown\n")) << printed.output;
    // Started from a pipeline, the switched copy is the console launcher: its
    // failure is told on standard error, never in a box.
    writeBytesFile(folder.path(L"Tool.ini"), "[Product Information]\nUpgrade Code=X\n");
    const LaunchOutcome run = LaunchedProcess::start(folder.path(L"Tool.exe"), L"", {}, {},
                                                     {.output = {}, .error = {}, .withoutHandles = false, .pipes = true, .input = {}})
                                  .finish(60000);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_EQ(run.error.rfind("Main class was not specified in INI file.", 0), 0u) << run.error;
    // And back: the console twin packed as a GUI program.
    ASSERT_TRUE(CopyFileW(builtProgram(L"jlauncherc.exe").c_str(), folder.path(L"jlauncherc.exe").c_str(), FALSE));
    ASSERT_EQ(folder.run(L"--launcher jlauncherc.exe --ini App.ini --subsystem gui --output App.exe").exitCode, 0);
    EXPECT_TRUE(contains(folder.run(L"--print App.exe").output, L"Subsystem: GUI\n"));
}

} // namespace
} // namespace jltest
