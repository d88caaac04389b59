// The registry search and the jvm.dll probe, called directly against runtimes
// registered under HKEY_LOCAL_MACHINE for the test.

#include <gtest/gtest.h>

#include <windows.h>

#include "rig/runtime_registry.h"
#include "runtime/runtime_folders.h"
#include "runtime/runtime_search.h"
#include "settings/launcher_settings.h"
#include "settings/settings_values.h"
#include "support/path_text.h"

namespace jltest {
namespace {

constexpr wchar_t kJdkRoot[] = L"Software\\JavaSoft\\JDK\\";
constexpr wchar_t kJreRoot[] = L"Software\\JavaSoft\\JRE\\";
constexpr wchar_t kDevelopmentKitRoot[] = L"Software\\JavaSoft\\Java Development Kit\\";
constexpr wchar_t kRuntimeEnvironmentRoot[] = L"Software\\JavaSoft\\Java Runtime Environment\\";
constexpr wchar_t kIbmRoot[] = L"Software\\IBM\\Java2 Runtime Environment\\";

class RegistrySearch : public RegisteredRuntimes {
protected:
    // "name(version)[s]" for each candidate in order; s marks a server VM, "?" an unknown version.
    std::wstring listed(const std::vector<jl::RuntimeCandidate>& found) const {
        std::wstring text;
        for (const jl::RuntimeCandidate& c : found) {
            std::wstring name = c.homeFolder.substr(runtimes_.size() + 1);
            name.pop_back();
            text += name + L"(" + (c.versionKnown ? jl::fullVersionText(c.version) : L"?") + L")" +
                    (c.serverVm ? L"s " : L" ");
        }
        return text;
    }
    std::wstring candidates(jl::RegistryView view = jl::RegistryView::native) const {
        return listed(jl::findRuntimeCandidates(request_, view));
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
    for (const wchar_t* name : {L"old", L"new"}) createRuntimeFiles(home(name), {L"bin\\client\\jvm.dll", L"bin\\server\\jvm.dll"});
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

// A home as the vendor's installer lays it out, written under its key in either hive.
// The key is below "Software\", a home's trailing "\" is written as it stands, release is the "release" file (or
// none), and version the one candidate's (none when the settings rule it out).
struct VendorLayoutCase {
    bool currentUser;
    const wchar_t *key, *value, *home;
    const char* release;
    const wchar_t *jvmSource, *vmProvider, *version;
};

void PrintTo(const VendorLayoutCase& c, std::ostream* out) { *out << ::testing::PrintToString(std::wstring(c.key)); }

class VendorInstallLayout : public RegistrySearch, public ::testing::WithParamInterface<VendorLayoutCase> {};

TEST_P(VendorInstallLayout, LeadsToItsRuntime) {
    const VendorLayoutCase& c = GetParam();
    const std::wstring home = runtimes_ + L"\\" + c.home;
    createRuntimeFiles(jl::withTrailingBackslash(home), {L"bin\\server\\jvm.dll"});
    if (c.release) writeBytesFile(jl::withTrailingBackslash(home) + L"release", c.release);
    const std::wstring key = std::wstring(L"Software\\") + c.key;
    addVendorText(c.currentUser, key, c.value, home);
    // The MSI also writes a DWORD flag named "JavaHome" beside "Path".
    if (std::wstring(c.value) == L"Path") addVendorNumber(c.currentUser, key, L"JavaHome", 1);
    request_.filter = {jl::jvmSourceFlagsFromText(c.jvmSource), jl::vmProviderFlagsFromText(c.vmProvider)};
    std::wstring name = c.home;
    if (name.back() == L'\\') name.pop_back();
    EXPECT_EQ(listed(jl::findVendorRuntimeCandidates(request_, L"", false)),
              c.version ? name + L"(" + c.version + L")s " : L"");
}

constexpr bool kMachine = false;
constexpr bool kUser = true;
constexpr char kZuluRelease[] = "IMPLEMENTOR=\"Azul Systems, Inc.\"\r\nJAVA_VERSION=\"17.0.9\"\r\n";
INSTANTIATE_TEST_SUITE_P(Installers, VendorInstallLayout, ::testing::Values(
    VendorLayoutCase{kMachine, L"Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", L"Path", L"tem17\\", nullptr,
                     L"only_JDK", L"", L"17.0.9.9"},
    VendorLayoutCase{kMachine, L"AdoptOpenJDK\\JDK\\11.0.11.9\\openj9\\MSI", L"Path", L"j9\\", nullptr,
                     L"", L"ibm", L"11.0.11.9"},
    VendorLayoutCase{kMachine, L"Azul Systems\\Zulu\\zulu-17", L"InstallationPath", L"zulu17\\", kZuluRelease,
                     L"only_JDK", L"", L"17.0.9.0"},
    VendorLayoutCase{kMachine, L"Azul Systems\\Zulu\\zulu-8-jre", L"InstallationPath", L"zulu8",
                     "JAVA_VERSION=\"1.8.0_392\"\n", L"only_JRE", L"", L"1.8.0.392"},
    VendorLayoutCase{kUser, L"Eclipse Adoptium\\JRE\\17.0.9.9\\hotspot\\MSI", L"Path", L"user\\", nullptr,
                     L"only_JRE", L"", L"17.0.9.9"},
    // An IBM VM is not the default provider's; a JRE key is no JDK.
    VendorLayoutCase{kMachine, L"Semeru\\JDK\\17.0.8.7\\openj9\\MSI", L"Path", L"j9sun", nullptr,
                     L"", L"", nullptr},
    VendorLayoutCase{kMachine, L"Azul Systems\\Zulu\\zulu-8-jre", L"InstallationPath", L"zulujre", nullptr,
                     L"only_JDK", L"", nullptr}),
    [](const ::testing::TestParamInfo<VendorLayoutCase>& info) {
        std::string name = info.param.currentUser ? "User_" : "Machine_";
        for (const wchar_t* c = info.param.home; *c && *c != L'\\'; ++c) name += static_cast<char>(*c);
        return name;
    });

TEST_F(RegistrySearch, VendorCandidatesFollowTheRegistryRules) {
    const auto addMsi = [&](bool currentUser, const wchar_t* version, const wchar_t* name, bool withJvm = true) {
        if (withJvm) createRuntimeFiles(home(name), {L"bin\\server\\jvm.dll"});
        addVendorText(currentUser, std::wstring(L"Software\\Eclipse Adoptium\\JDK\\") + version + L"\\hotspot\\MSI",
                      L"Path", home(name));
    };
    addMsi(false, L"21.0.3.9", L"stale", false);
    addMsi(false, L"17.0.9.9", L"machine17");
    addMsi(true, L"17.0.9.9", L"user17");
    addMsi(true, L"21.0.1.12", L"user21");
    createRuntimeFiles(home(L"zulu11"), {L"bin\\client\\jvm.dll"});
    writeBytesFile(home(L"zulu11") + L"release", "JAVA_VERSION=\"11.0.21\"\n");
    addVendorText(false, L"Software\\Azul Systems\\Zulu\\zulu-11", L"InstallationPath", home(L"zulu11"));
    createRuntimeFiles(home(L"nover"), {L"bin\\server\\jvm.dll"});
    const auto found = [&](const std::wstring& javaHome) {
        return listed(jl::findVendorRuntimeCandidates(request_, javaHome, false));
    };

    // Equal versions keep the listing order: HKLM, then HKCU, then JAVA_HOME.
    EXPECT_EQ(found(home(L"nover")),
              L"user21(21.0.1.12)s machine17(17.0.9.9)s user17(17.0.9.9)s zulu11(11.0.21.0) nover(?)s ");
    request_.jvmType = jl::JvmType::server;
    request_.minimumVersion = jl::minimumVersionFromText(L"11");
    request_.maximumVersion = jl::maximumVersionFromText(L"17");
    EXPECT_EQ(found(home(L"nover")), L"machine17(17.0.9.9)s user17(17.0.9.9)s ");
    request_.maximumVersion = jl::kNoMaximum;
    request_.preferredVersions = {L"17"};
    const std::optional<jl::InstalledRuntime> chosen = jl::searchVendorRuntimes(request_, false);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"machine17"));
}

TEST_F(RegistrySearch, ThirtyTwoBitVendorRuntimesNeedAPairProductAndComeAfterEverySixtyFourBitOne) {
    for (const wchar_t* name : {L"user32", L"home32"})
        createRuntimeFiles(home(name), {L"bin\\server\\jvm.dll"}, builtProgram(L"x86_image.dll"));
    createRuntimeFiles(home(L"machine64"), {L"bin\\server\\jvm.dll"});
    addVendorText(true, L"Software\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI", L"Path", home(L"user32"));
    addVendorText(false, L"Software\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI", L"Path", home(L"machine64"));

    EXPECT_EQ(listed(jl::findVendorRuntimeCandidates(request_, home(L"home32"), false)), L"machine64(17.0.9.9)s ");
    EXPECT_EQ(listed(jl::findVendorRuntimeCandidates(request_, home(L"home32"), true)),
              L"machine64(17.0.9.9)s user32(21.0.1.12)s home32(?)s ");
    // A preferred version chooses among the 64-bit runtimes while there are any.
    request_.preferredVersions = {L"21"};
    std::optional<jl::InstalledRuntime> chosen = jl::searchVendorRuntimes(request_, true);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"machine64"));
    EXPECT_FALSE(chosen->x86);
    request_.minimumVersion = jl::minimumVersionFromText(L"21");
    chosen = jl::searchVendorRuntimes(request_, true);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->homeFolder, home(L"user32"));
    EXPECT_TRUE(chosen->x86);
    EXPECT_FALSE(jl::searchVendorRuntimes(request_, false));
}

// The version and settings rules JAVA_HOME shares with the folder scan are that
// test's; here its own "release" file and, without IMAGE_TYPE, bin\javac.exe.
TEST_F(RegistrySearch, JavaHomeIsReadWithItsReleaseFile) {
    const struct { const wchar_t *javaHome, *jvmSource, *found; } cases[] = {  // homes below the test's runtimes
        {L"jh\\", L"", L"jh(17.0.1.0)s "},
        {L"jh", L"only_JRE", L"jh(17.0.1.0)s "},
        {L"jdk", L"only_JRE", L""},  // bin\javac.exe makes it a JDK
        {L"jdk", L"only_JDK", L"jdk(?)s "},
    };
    createRuntimeFiles(home(L"jh"), {L"bin\\server\\jvm.dll"});
    writeBytesFile(home(L"jh") + L"release", "JAVA_VERSION=\"17.0.1\"");
    createRuntimeFiles(home(L"jdk"), {L"bin\\server\\jvm.dll", L"bin\\javac.exe"});
    for (const auto& c : cases) {
        request_.filter.source = jl::jvmSourceFlagsFromText(c.jvmSource);
        EXPECT_EQ(listed(jl::findVendorRuntimeCandidates(request_, runtimes_ + L"\\" + c.javaHome, false)), c.found)
            << ::testing::PrintToString(std::wstring(c.javaHome)) << " " << ::testing::PrintToString(std::wstring(c.jvmSource));
    }
}

// Runtimes unpacked below the test's own Program Files (PF), LOCALAPPDATA (LA) and USERPROFILE (UP).
class FolderScan : public RegistrySearch {
protected:
    void unpack(const std::wstring& relativeHome, const char* release) {
        createRuntimeFiles(runtimes_ + L"\\" + relativeHome, {L"bin\\server\\jvm.dll"});
        if (release) writeBytesFile(runtimes_ + L"\\" + relativeHome + L"release", release);
    }
    std::wstring scanned(bool pairProduct = false, const std::vector<std::wstring>& registeredHomes = {}) {
        const jl::ScanRoots roots{runtimes_ + L"\\PF", runtimes_ + L"\\LA\\", runtimes_ + L"\\UP"};
        return listed(jl::findScannedRuntimeCandidates(request_, roots, registeredHomes, pairProduct));
    }
};

TEST_F(FolderScan, FindsEachPlaceInItsOrderAndOnlyTheirDirectSubfolders) {
    for (const wchar_t* home : {L"UP\\.gradle\\jdks\\g\\", L"LA\\Programs\\Semeru\\s\\", L"PF\\Java\\j\\",
                                L"PF\\Amazon Corretto\\c\\", L"LA\\Programs\\p\\", L"UP\\.jdks\\i\\",
                                L"UP\\scoop\\apps\\t\\current\\", L"named\\n\\", L"PF\\Java\\deep\\d\\",
                                L"UP\\scoop\\apps\\t\\other\\", L"PF\\Other\\o\\"}) {
        unpack(home, "JAVA_VERSION=\"21\"\nOS_ARCH=\"amd64\"\n");
    }
    EXPECT_EQ(scanned(false, {home(L"named\\registered")}),
              L"PF\\Java\\j(21.0.0.0)s PF\\Amazon Corretto\\c(21.0.0.0)s LA\\Programs\\p(21.0.0.0)s "
              L"LA\\Programs\\Semeru\\s(21.0.0.0)s UP\\.jdks\\i(21.0.0.0)s UP\\scoop\\apps\\t\\current(21.0.0.0)s "
              L"UP\\.gradle\\jdks\\g(21.0.0.0)s named\\n(21.0.0.0)s ");
}

TEST_F(FolderScan, ReleaseFileAndSettingsDecide) {
    const struct {  // no release: the folder has no "release" file
        const char* release; const wchar_t* settings[3];  // "Minimum Version", "VM Provider", "JVM Source"
        bool pairProduct; const wchar_t* found;
    } cases[] = {
        {"JAVA_VERSION=\"17.0.9\"\nOS_ARCH=\"aarch64\"\n", {L"", L"", L""}, false, L""},
        {"JAVA_VERSION=\"17.0.9\"\nOS_ARCH=\"x86\"\n", {L"", L"", L""}, false, L""},
        {"JAVA_VERSION=\"17.0.9\"\nOS_ARCH=\"x86\"\n", {L"", L"", L""}, true, L"PF\\Java\\x64(11.0.0.0)s PF\\Java\\rt(17.0.9.0)s "},
        {"JAVA_VERSION=\"17.0.9\"\n", {L"18", L"", L""}, false, L""},
        {nullptr, {L"", L"", L""}, false, L"PF\\Java\\rt(?)s "},
        {nullptr, {L"11", L"", L""}, false, L""},
        {"JVM_VARIANT=\"Openj9\"\nJAVA_VERSION=\"17\"\n", {L"", L"", L""}, false, L""},
        {"JVM_VARIANT=\"Openj9\"\nJAVA_VERSION=\"17\"\n", {L"", L"ibm", L""}, false, L"PF\\Java\\rt(17.0.0.0)s "},
        {"IMAGE_TYPE=\"JDK\"\nJAVA_VERSION=\"17\"\n", {L"", L"", L"only_JDK"}, false, L"PF\\Java\\rt(17.0.0.0)s "},
    };
    for (const auto& c : cases) {
        removeFolderTree(runtimes_ + L"\\PF");
        unpack(L"PF\\Java\\rt\\", c.release);
        // With a "Pair Product", a 32-bit runtime comes after an older 64-bit one.
        if (c.pairProduct) unpack(L"PF\\Java\\x64\\", "JAVA_VERSION=\"11\"\nOS_ARCH=\"amd64\"\n");
        request_.minimumVersion = jl::minimumVersionFromText(c.settings[0]);
        request_.filter = {jl::jvmSourceFlagsFromText(c.settings[2]), jl::vmProviderFlagsFromText(c.settings[1])};
        EXPECT_EQ(scanned(c.pairProduct), c.found) << (c.release ? c.release : "no release file");
    }
}

} // namespace
} // namespace jltest
