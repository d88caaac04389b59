// The registry search and the jvm.dll probe, called directly against runtimes
// registered under HKEY_LOCAL_MACHINE for the test.

#include <gtest/gtest.h>

#include "rig/runtime_registry.h"
#include "runtime/runtime_search.h"
#include "settings/launcher_settings.h"
#include "settings/settings_values.h"
#include "support/win_text.h"

namespace jltest {
namespace {

constexpr wchar_t kJdkRoot[] = L"Software\\JavaSoft\\JDK\\";
constexpr wchar_t kJreRoot[] = L"Software\\JavaSoft\\JRE\\";
constexpr wchar_t kDevelopmentKitRoot[] = L"Software\\JavaSoft\\Java Development Kit\\";
constexpr wchar_t kRuntimeEnvironmentRoot[] = L"Software\\JavaSoft\\Java Runtime Environment\\";
constexpr wchar_t kIbmRoot[] = L"Software\\IBM\\Java2 Runtime Environment\\";

class RegistrySearch : public RegisteredRuntimes {
protected:
    // "name(version)[s]" for each candidate in order; s marks a server VM.
    std::wstring candidates(jl::RegistryView view = jl::RegistryView::native) const {
        std::wstring text;
        for (const jl::RuntimeCandidate& c : jl::findRuntimeCandidates(request_, view)) {
            std::wstring name = c.homeFolder.substr(runtimes_.size() + 1);
            name.pop_back();
            text += name + L"(" + std::to_wstring(c.version.parts[0]) + L"." + std::to_wstring(c.version.parts[1]) +
                    L"." + std::to_wstring(c.version.parts[2]) + L"." + std::to_wstring(c.version.parts[3]) + L")" +
                    (c.serverVm ? L"s " : L" ");
        }
        return text;
    }

    void setProvider(const wchar_t* text) { request_.filter.provider = jl::vmProviderFlagsFromText(text); }

    jl::RuntimeRequest request_;
};

TEST_F(RegistrySearch, SettingsDecideWhichRegisteredRuntimesQualify) {
    createRuntimeFiles(home(L"jdk17"), {L"bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"jre8"), {L"bin\\client\\jvm.dll"});
    createRuntimeFiles(home(L"jdk8"), {L"jre\\bin\\client\\jvm.dll", L"jre\\bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"ibm8"), {L"bin\\classic\\jvm.dll"});
    add(kJdkRoot, L"17", runtimes_ + L"\\jdk17");
    add(kJreRoot, L"1.8.0_151", home(L"jre8"));
    add(kDevelopmentKitRoot, L"1.8", runtimes_ + L"\\jdk8");
    add(kIbmRoot, L"1.8.0_200", home(L"ibm8"));
    add(kJreRoot, L"9", home(L"missing"));
    add(kJreRoot, L"10", L"");

    EXPECT_EQ(candidates(), L"jdk17(17.0.0.0)s jre8(1.8.0.151) jdk8\\jre(1.8.0.0) ");
    request_.minimumVersion = jl::minimumVersionFromText(L"1.8");
    request_.maximumVersion = jl::maximumVersionFromText(L"1.8");
    EXPECT_EQ(candidates(), L"jre8(1.8.0.151) jdk8\\jre(1.8.0.0) ");
    request_.jvmType = jl::JvmType::server;
    EXPECT_EQ(candidates(), L"jdk8\\jre(1.8.0.0)s ");
    request_.jvmType = jl::JvmType::defaultVm;
    setProvider(L"IBM");
    EXPECT_EQ(candidates(), L"ibm8(1.8.0.200) ");
    setProvider(L"any");
    request_.filter.source = jl::jvmSourceFlagsFromText(L"only_JDK");
    EXPECT_EQ(candidates(), L"jdk8\\jre(1.8.0.0) ");
}

TEST_F(RegistrySearch, FavorServerProbesTheRuntimeEnvironmentRootInDefaultOrder) {
    createRuntimeFiles(home(L"old"), {L"bin\\client\\jvm.dll", L"bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"new"), {L"bin\\client\\jvm.dll", L"bin\\server\\jvm.dll"});
    add(kJreRoot, L"1.8.0_60", home(L"old"));
    add(kRuntimeEnvironmentRoot, L"1.8.0_151", home(L"new"));
    request_.jvmType = jl::JvmType::favorServer;
    EXPECT_EQ(candidates(), L"old(1.8.0.60)s new(1.8.0.151) ");

    request_.preferredVersions = {L"1.8.0_151"};
    const std::optional<jl::InstalledRuntime> chosen = jl::searchInstalledRuntimes(request_, jl::RegistryView::native);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"new"));
    // Resolved afterwards with the configured type, the chosen runtime still gives its server VM.
    EXPECT_EQ(jl::findJvmLibrary(chosen->homeFolder, jl::JvmType::favorServer), home(L"new") + L"bin\\server\\jvm.dll");
}

TEST_F(RegistrySearch, PreferredVersionOutranksTheOrder) {
    createRuntimeFiles(home(L"jre8"), {L"bin\\client\\jvm.dll"});
    createRuntimeFiles(home(L"jre7"), {L"bin\\client\\jvm.dll"});
    add(kJreRoot, L"1.8.0_151", home(L"jre8"));
    add(kJreRoot, L"1.7.0_80", home(L"jre7"));
    request_.preferredVersions = {L"1.7", L"1.8"};
    const std::optional<jl::InstalledRuntime> chosen = jl::searchInstalledRuntimes(request_, jl::RegistryView::native);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"jre7"));
    EXPECT_EQ(chosen->version.parts[3], 80);
}

TEST_F(RegistrySearch, EachViewFindsOnlyItsOwnRuntimes) {
    createRuntimeFiles(home(L"jre32"), {L"bin\\client\\jvm.dll"});
    createRuntimeFiles(home(L"jre64"), {L"bin\\client\\jvm.dll"});
    add(kJreRoot, L"1.8.0_151", home(L"jre32"), true);
    EXPECT_FALSE(jl::searchInstalledRuntimes(request_, jl::RegistryView::native));
    const std::optional<jl::InstalledRuntime> chosen = jl::searchInstalledRuntimes(request_, jl::RegistryView::wow32);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"jre32"));

    add(kJreRoot, L"11", home(L"jre64"));
    EXPECT_EQ(candidates(jl::RegistryView::wow32), L"jre32(1.8.0.151) ");
    EXPECT_EQ(candidates(jl::RegistryView::native), L"jre64(11.0.0.0) ");
}

TEST_F(RegistrySearch, JvmLibraryProbeFollowsTheJvmType) {
    const std::wstring both = home(L"both");
    createRuntimeFiles(both, {L"bin\\client\\jvm.dll", L"bin\\server\\jvm.dll"});
    createRuntimeFiles(home(L"client"), {L"bin\\client\\jvm.dll"});
    bool serverVm = true;
    EXPECT_EQ(jl::findJvmLibrary(both, jl::JvmType::defaultVm, &serverVm), both + L"bin\\client\\jvm.dll");
    EXPECT_FALSE(serverVm);
    EXPECT_EQ(jl::findJvmLibrary(both, jl::JvmType::favorServer, &serverVm), both + L"bin\\server\\jvm.dll");
    EXPECT_TRUE(serverVm);
    EXPECT_EQ(jl::findJvmLibrary(home(L"client"), jl::JvmType::server), L"");
    EXPECT_EQ(jl::findJvmLibrary(home(L"client"), jl::JvmType::favorServer), home(L"client") + L"bin\\client\\jvm.dll");
}

TEST(BitnessCheck, OnlyA32BitX86ImageCounts) {
    const std::wstring folder = makeTemporaryFolder(L"jlbits");
    const std::string x86 = readBytesFile(builtProgram(L"x86_image.dll"));
    ASSERT_GT(x86.size(), 512u);
    writeBytesFile(folder + L"\\truncated.dll", x86.substr(0, 0x50));
    writeBytesFile(folder + L"\\empty.dll", "");
    writeBytesFile(folder + L"\\text.dll", "MZ but not really an image");
    EXPECT_TRUE(jl::isX86Image(builtProgram(L"x86_image.dll")));
    for (const wchar_t* path : {L"\\truncated.dll", L"\\empty.dll", L"\\text.dll", L"\\missing.dll"}) {
        EXPECT_FALSE(jl::isX86Image(folder + path)) << ::testing::PrintToString(std::wstring(path));
    }
    EXPECT_FALSE(jl::isX86Image(builtProgram(L"jlauncher.exe")));
    removeFolderTree(folder);
}

TEST(RuntimeVariables, PublishPathAndHomeOfTheJvmLibrary) {
    jl::publishRuntimeVariables(L"C:\\App\\jre64\\bin\\server\\jvm.dll");
    wchar_t value[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"VQ_JVM_PATH", value, MAX_PATH), 0u);
    EXPECT_STREQ(value, L"C:\\App\\jre64\\bin\\server\\jvm.dll");
    ASSERT_GT(GetEnvironmentVariableW(L"VQ_JVM_HOME", value, MAX_PATH), 0u);
    EXPECT_STREQ(value, L"C:\\App\\jre64");
}

} // namespace
} // namespace jltest

namespace jltest {
namespace {

std::wstring jrePathIn(const std::wstring& ini) {
    wchar_t value[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", value, MAX_PATH, ini.c_str());
    return value;
}

std::wstring testExe() { return testProgramFolder() + L"\\jl_runtime_tests.exe"; }

TEST(RememberJrePath, ApplicationWritesPerUserCopiesAndServiceTheFilesBesideThePrograms) {
    const std::wstring folder = makeTemporaryFolder(L"jlremember");
    const std::wstring appData = jl::environmentVariable(L"APPDATA");
    SetEnvironmentVariableW(L"APPDATA", folder.c_str());
    jl::LauncherSettings settings;
    settings.product.productName = L"Tool: One";
    settings.product.productCode = L"{C0DE}";
    settings.application.pairProduct = folder + L"\\Pair32.exe";
    jl::rememberJrePath(L"C:\\Browsed\\", testExe(), settings);
    EXPECT_EQ(jrePathIn(folder + L"\\Tool One\\{C0DE}\\jl_runtime_tests.ini"), L"C:\\Browsed\\");
    EXPECT_EQ(jrePathIn(folder + L"\\Tool One\\{C0DE}\\Pair32.ini"), L"C:\\Browsed\\");
    EXPECT_FALSE(fileExists(folder + L"\\Pair32.ini"));

    settings.application.isService = true;
    jl::rememberJrePath(L"D:\\Service\\", testExe(), settings);
    const std::wstring besideTests = testExe().substr(0, testExe().rfind(L'.')) + L".ini";
    EXPECT_EQ(jrePathIn(besideTests), L"D:\\Service\\");
    EXPECT_EQ(jrePathIn(folder + L"\\Pair32.ini"), L"D:\\Service\\");
    DeleteFileW(besideTests.c_str());
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    removeFolderTree(folder);
}

} // namespace
} // namespace jltest
