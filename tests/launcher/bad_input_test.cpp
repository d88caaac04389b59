// Hostile and broken input through the real program: each case builds one bad
// input in an application folder, starts the launcher on the probe runtime and
// checks what a user sees. Never a crash, a hang or a lost file; either the
// documented fallback (the program starts) or one message to act on.

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <iostream>

#include "launcher/forward_block.h"
#include "rig/launcher_run.h"
#include "rig/pe_samples.h"
#include "rig/runtime_registry.h"
#include "rig/test_pictures.h"
#include "support/string_text.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {
namespace {

class BadInputRun;

struct BadInput {
    const char* name;
    std::function<void(BadInputRun&)> prepare;
    int exitCode = 0;                  // 0: the program started; -1: it stopped with a message
    const wchar_t* message = nullptr;  // what the one message begins with; none when null
    std::function<void(BadInputRun&)> verify = {};
    friend void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }
};

constexpr wchar_t kNoMainClass[] = L"Main class was not specified in INI file.";
constexpr wchar_t kJreNotFound[] = L"The Java Runtime Environment (JRE) was not found.";
constexpr wchar_t kClassicRoot[] = L"Software\\JavaSoft\\Java Runtime Environment\\";

class BadInputRun : public RegisteredRuntimes, public ::testing::WithParamInterface<BadInput> {
public:
    using RegisteredRuntimes::add;
    using RegisteredRuntimes::home;

    AppFolder app_;
    std::wstring ini_;                // written as UTF-16 unless the case wrote the file itself
    bool iniWritten_ = false;
    std::wstring arguments_;
    std::map<std::wstring, std::wstring> environment_ = probeEnvironment(app_);
    std::vector<std::pair<std::wstring, std::string>> kept_;  // files that must come through unchanged
    std::vector<jl::UniqueFile> heldFiles_;                   // open while the launcher runs
    std::vector<jl::UniqueHandle> held_;
    LaunchOutcome outcome_;

    [[nodiscard]] std::wstring probeHome() const { return probeRuntimeHome(); }
    [[nodiscard]] std::wstring runtimeIni(std::wstring_view runtimeLines, std::wstring_view classPath = L"C:\\app.jar") const {
        return L"[Java Runtime Environment]\n" + std::wstring(runtimeLines) + L"Main Class=app.Main\n[Class Path]\nClass Path=" +
               std::wstring(classPath) + L"\n";
    }
    [[nodiscard]] std::wstring probeLaunchIni(std::wstring_view moreSections = {},
                                              std::wstring_view classPath = L"C:\\app.jar") const {
        return runtimeIni(L"JRE Path=" + probeHome() + L"\n", classPath) + std::wstring(moreSections);
    }
    void writeRawIni(std::string_view bytes) {
        writeBytesFile(app_.iniPath(), bytes);
        iniWritten_ = true;
    }
    void keep(const std::wstring& path, std::string_view bytes) {
        writeBytesFile(path, bytes);
        kept_.emplace_back(path, std::string(bytes));
    }
    // The probe launch's settings embedded as jlpack would (see embedSettings); the
    // INI file names the upgrade code and, when asked, the launch again.
    void embedProbeLaunch(const std::string& keyCode, std::wstring_view iniUpgradeCode,
                          std::optional<size_t> settingsBytes = {}, bool iniLaunchToo = false) {
        embedSettings(app_, probeLaunchIni(), keyCode, settingsBytes);
        ini_ = L"[Product Information]\nUpgrade Code=" + std::wstring(iniUpgradeCode) + L"\n" +
               (iniLaunchToo ? probeLaunchIni() : L"");
    }
    // The classic root's 1.8 with a JavaHome value of that type; the INI file names no runtime.
    void registerJavaHome(DWORD type, const std::string& bytes) {
        addJavaHomeValue(L"1.8", type, bytes);
        ini_ = runtimeIni(L"");
    }
    // A probe launch showing a splash picture of these bytes.
    void splashOf(const wchar_t* name, std::string_view bytes) {
        keep(app_.path(name), bytes);
        ini_ = probeLaunchIni(L"[Display]\nSplash Screen=" + app_.path(name) + L"\n");
    }
    [[nodiscard]] std::string classPathOption() const {
        for (const std::string& text : probeOptionTexts(app_)) {
            if (text.starts_with("-Djava.class.path=")) return text.substr(18);
        }
        return {};
    }
};

const BadInput kBadInputs[] = {
    // The INI file.
    {"IniBinaryGarbage", [](BadInputRun& r) { r.writeRawIni(pseudoRandomBytes(4096)); }, -1, kNoMainClass},
    {"IniUtf16WithoutByteOrderMark",
     [](BadInputRun& r) { r.writeRawIni(utf16Bytes(crlfLines(r.probeLaunchIni()), false)); }, -1, kNoMainClass},
    {"IniUtf8WithByteOrderMark", [](BadInputRun& r) { r.writeRawIni("\xEF\xBB\xBF" + jl::toUtf8(L"\n" + r.probeLaunchIni())); }},
    {"IniMegabyteLine",
     [](BadInputRun& r) { r.ini_ = r.probeLaunchIni(L"[Notes]\nText=" + std::wstring(1 << 20, L'x') + L"\n"); }},
    {"IniTenThousandSections",
     [](BadInputRun& r) {
         for (int i = 0; i < 10000; ++i) r.ini_ += L"[Section " + std::to_wstring(i) + L"]\nKey=value\n";
         r.ini_ += r.probeLaunchIni();
     }},
    {"IniLockedByAnotherProcess",
     [](BadInputRun& r) {
         writeUtf16File(r.app_.iniPath(), r.probeLaunchIni());
         r.iniWritten_ = true;
         r.heldFiles_.emplace_back(CreateFileW(r.app_.iniPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
     }, -1, kNoMainClass},
    {"IniNameTakenByAFolder",
     [](BadInputRun& r) {
         CreateDirectoryW(r.app_.iniPath().c_str(), nullptr);
         r.iniWritten_ = true;
     }, -1, kNoMainClass},
    {"PerUserIniPathLongerThan260Characters",
     [](BadInputRun& r) {
         // The per-user copy below a deep APPDATA is read at its full length, so
         // the runtime it names starts the program.
         std::wstring appData = r.app_.folder();
         for (int i = 0; i < 4; ++i) {
             appData += L"\\" + std::wstring(70, wchar_t(L'a' + i));
             CreateDirectoryW((L"\\\\?\\" + appData).c_str(), nullptr);
         }
         const std::wstring copy = L"\\\\?\\" + appData + L"\\Tool\\code";
         CreateDirectoryW((L"\\\\?\\" + appData + L"\\Tool").c_str(), nullptr);
         ASSERT_TRUE(CreateDirectoryW(copy.c_str(), nullptr));
         writeUtf16File(copy + L"\\MyApp.ini", L"[Java Runtime Environment]\nJRE Path=" + r.probeHome() + L"\n");
         r.environment_[L"APPDATA"] = appData;
         r.ini_ = L"[Product Information]\nProduct Name=Tool\nProduct Code=code\n" + r.runtimeIni(L"");
     }},

    // Settings embedded in the program; the INI file names only the upgrade code.
    {"EmbeddedSettingsWithAWrongKey", [](BadInputRun& r) { r.embedProbeLaunch("{SOMETHING-ELSE}", L"{UPGRADE-1}"); }, -1,
     kNoMainClass},
    {"EmbeddedSettingsTruncated", [](BadInputRun& r) { r.embedProbeLaunch("{UPGRADE-1}", L"{UPGRADE-1}", 61); }, -1,
     kNoMainClass},
    // The resource API refuses an empty resource; one byte holds no code unit either.
    {"EmbeddedSettingsOfOneByte", [](BadInputRun& r) { r.embedProbeLaunch("{UPGRADE-1}", L"{UPGRADE-1}", 1, true); }},

    // Registered runtimes.
    {"RegistryJavaHomeAsBinary", [](BadInputRun& r) { r.registerJavaHome(REG_BINARY, utf16Bytes(r.probeHome(), false)); },
     -1, kJreNotFound},
    {"RegistryJavaHomeAsMultiString",
     [](BadInputRun& r) {
         r.registerJavaHome(REG_MULTI_SZ, utf16Bytes(r.probeHome() + L'\0' + r.probeHome() + L'\0' + L'\0', false));
     }, -1, kJreNotFound},
    {"RegistryJavaHomeOf32KCharacters",
     [](BadInputRun& r) {
         const std::wstring home = r.probeHome() + std::wstring(32768 - r.probeHome().size(), L'x');
         r.registerJavaHome(REG_SZ, utf16Bytes(home + L'\0', false));
     }, -1, kJreNotFound},
    {"RegistryVersionNamesThatAreNotVersions",
     [](BadInputRun& r) {
         for (const wchar_t* name : {L"latest", L"..", L"99999999999.1", L"-1"}) r.add(kClassicRoot, name, r.probeHome());
         r.ini_ = r.runtimeIni(L"");
     }},
    {"RegistryThousandVersions",
     [](BadInputRun& r) {
         for (int i = 0; i < 1000; ++i) r.add(kClassicRoot, L"1.8.0_" + std::to_wstring(i), r.home(L"gone"));
         r.add(kClassicRoot, L"1.7", r.probeHome());
         r.ini_ = r.runtimeIni(L"");
     }},

    // A jvm.dll that is no file (damaged and 32-bit ones: UnusableRememberedJrePath).
    {"JvmIsAFolder",
     [](BadInputRun& r) {
         const std::wstring home = r.home(L"folder");
         createRuntimeFiles(home, {L"bin\\java.dll"});
         SHCreateDirectoryExW(nullptr, (home + L"bin\\server\\jvm.dll").c_str(), nullptr);
         r.ini_ = r.runtimeIni(L"JRE Path=" + home + L"\n");
     }, -1},

    // The class path.
    {"ClassPathOfTenThousandEntries",
     [](BadInputRun& r) {
         std::wstring entries;
         for (int i = 0; i < 10000; ++i) entries += L"C:\\lib\\entry" + std::to_wstring(i) + L".jar;";
         r.ini_ = r.probeLaunchIni(L"", entries);
     }, 0, nullptr,
     [](BadInputRun& r) {
         const std::string classPath = r.classPathOption();
         EXPECT_TRUE(classPath.ends_with("C:\\lib\\entry9999.jar;")) << classPath.size();
     }},
    {"ClassPathWildcardOverTwentyThousandFiles",
     [](BadInputRun& r) {
         // Made by the build: creating them here, one by one, takes minutes under Wine.
         r.ini_ = r.probeLaunchIni(L"", buildFolder(L"bad-input\\many-jars") + L"\\*.jar");
     }, 0, nullptr,
     [](BadInputRun& r) {
         const std::string classPath = r.classPathOption();
         EXPECT_EQ(std::count(classPath.begin(), classPath.end(), ';'), 20000);
     }},
    {"ClassPathFileNamesWithSemicolonAndQuote",
     [](BadInputRun& r) {
         CreateDirectoryW(r.app_.path(L"lib").c_str(), nullptr);
         writeBytesFile(r.app_.path(L"lib\\a;b.jar"), "PK");
         writeBytesFile(r.app_.path(L"lib\\it's.jar"), "PK");
         r.ini_ = r.probeLaunchIni(L"", L"\\lib\\*.jar");
     }, 0, nullptr,
     [](BadInputRun& r) {
         // Each entry the JVM will split off names a file that exists.
         std::vector<std::wstring> entries;
         jl::splitString(jl::fromAnsiString(r.classPathOption()), L";", entries);
         EXPECT_EQ(entries.size(), 2u);
         for (const std::wstring& entry : entries) EXPECT_TRUE(fileExists(entry)) << jl::toUtf8(entry);
     }},

    // The command line.
    {"CommandLineOf32000Characters",
     [](BadInputRun& r) {
         r.ini_ = r.probeLaunchIni();
         r.arguments_ = std::wstring(31000, L'a') + L" b";
     }, 0, nullptr,
     [](BadInputRun& r) {
         EXPECT_EQ(probeMainArguments(r.app_), (std::vector<std::wstring>{std::wstring(31000, L'a'), L"b"}));
     }},

    // Output redirection.
    {"OutputFolderCannotBeCreated",
     [](BadInputRun& r) {
         r.keep(r.app_.path(L"blocker"), "a file where a folder should be");
         r.ini_ = r.probeLaunchIni(L"[Application]\nOutput File=" + r.app_.path(L"blocker\\logs\\out.txt") + L"\n");
     }},
    {"OutputFileReadOnly",
     [](BadInputRun& r) {
         r.keep(r.app_.path(L"out.txt"), "earlier output");
         SetFileAttributesW(r.app_.path(L"out.txt").c_str(), FILE_ATTRIBUTE_READONLY);
         r.ini_ = r.probeLaunchIni(L"[Application]\nOutput File=" + r.app_.path(L"out.txt") + L"\n");
     }},
    {"OutputPictureOfAThousandPercentRuns",
     [](BadInputRun& r) {
         r.ini_ = r.probeLaunchIni(L"[Application]\nOutput File=" + r.app_.path(L"out") + repeated(L"%H", 1000) + L"%.txt\n");
     }},
    {"OutputAppendToAFileHeldOpen",
     [](BadInputRun& r) {
         r.keep(r.app_.path(L"out.txt"), "earlier output");
         r.heldFiles_.emplace_back(CreateFileW(r.app_.path(L"out.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
         r.ini_ = r.probeLaunchIni(L"[Application]\nOutput File=" + r.app_.path(L"out.txt") + L"\nOutput Append=yes\n");
     }},

    // The splash picture.
    {"SplashThatIsATextFile", [](BadInputRun& r) { r.splashOf(L"splash.png", "not a picture at all"); }},
    {"SplashPngClaiming20000By20000", [](BadInputRun& r) { r.splashOf(L"splash.png", hugePngHeader()); }},
    {"SplashGifOfAThousandFrames", [](BadInputRun& r) { r.splashOf(L"splash.gif", thousandFrameGif()); }},

    // A single-instance block that another program filled with garbage.
    {"SingleInstanceBlockOfGarbage",
     [](BadInputRun& r) {
         const std::wstring name = jl::forwardInstanceName(r.app_.exePath());
         jl::UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                     sizeof(jl::ForwardBlock), name.c_str()));
         ASSERT_TRUE(mapping);
         const jl::UniqueView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
         ASSERT_TRUE(view);
         const std::string garbage = pseudoRandomBytes(sizeof(jl::ForwardBlock));
         memcpy(const_cast<void*>(view.get()), garbage.data(), garbage.size());
         r.held_.push_back(std::move(mapping));
         r.ini_ = r.probeLaunchIni(L"[Application]\nSingle Instance=yes\n");
     }},
};

TEST_P(BadInputRun, EndsWithAClearOutcome) {
    const BadInput& input = GetParam();
    input.prepare(*this);
    if (HasFatalFailure()) return;
    if (!iniWritten_) app_.writeIni(ini_);
    const ULONGLONG started = GetTickCount64();
    outcome_ = LaunchedProcess::start(app_.exePath(), arguments_, environment_)
                   .finish(60000);
    heldFiles_.clear();
    held_.clear();

    ASSERT_TRUE(outcome_.exitCode.has_value()) << "the launcher hung and was killed";
    std::cout << input.name << ": exit code " << *outcome_.exitCode << " after " << GetTickCount64() - started << " ms";
    for (const DialogSnapshot& message : outcome_.messages) std::cout << ", message \"" << jl::toUtf8(message.text) << '"';
    std::cout << std::endl;
    EXPECT_EQ(*outcome_.exitCode, input.exitCode);
    if (input.exitCode == 0) {
        EXPECT_TRUE(outcome_.messages.empty()) << jl::toUtf8(outcome_.messages.front().text);
        EXPECT_EQ(probeEvents(app_, "check-and-load-main").size(), 1u) << "the Java program did not run";
    } else {
        ASSERT_EQ(outcome_.messages.size(), 1u);
        if (input.message) {
            EXPECT_TRUE(outcome_.messages[0].text.starts_with(input.message)) << jl::toUtf8(outcome_.messages[0].text);
        }
    }
    for (const auto& [path, bytes] : kept_) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(readBytesFile(path), bytes) << jl::toUtf8(path) << " was lost or changed";
    }
    if (input.verify) input.verify(*this);
}

INSTANTIATE_TEST_SUITE_P(Table, BadInputRun, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace jltest
