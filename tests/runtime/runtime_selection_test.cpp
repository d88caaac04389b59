#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rig/pe_samples.h"
#include "rig/version_printer.h"
#include "runtime/pe_image.h"
#include "runtime/runtime_selection.h"
#include "settings/settings_values.h"

namespace jl {
namespace {

RuntimeFilter filterFor(const wchar_t* jvmSource, const wchar_t* vmProvider) {
    return RuntimeFilter{jvmSourceFlagsFromText(jvmSource), vmProviderFlagsFromText(vmProvider)};
}

// One letter per root in search order: which are searched ('s' or '-') and whose
// candidates are favoured ('f').
std::string rootsAsText(const RuntimeFilter& filter) {
    std::string text;
    for (const RegistryRoot& root : kRegistryRoots) {
        text += rootIsSearched(root, filter) ? (rootCandidatesAreFavoured(root, filter) ? 'f' : 's') : '-';
    }
    return text;
}

TEST(RegistryRoots, SourceAndProviderDecideWhichRootsAreSearchedAndFavoured) {
    // Roots: JavaSoft JDK, JRE, Java Development Kit, Java Runtime Environment,
    // JRockit JRE, JRockit JDK, IBM JRE.
    const struct {
        const wchar_t* source;
        const wchar_t* provider;
        const char* roots;
    } cases[] = {
        {L"", L"", "ffff---"},
        {L"favor_JDK", L"", "fsfs---"},
        {L"favor_JRE", L"", "sfsf---"},
        {L"only_JDK", L"", "f-f----"},
        {L"only_JRE", L"favor_ibm", "-s-ss-f"},
        {L"favor_jdk", L"", "-------"},
        {L"", L"JRockit", "----ff-"},
        {L"", L"any", "sssssss"},
        {L"favor_JRE", L"favor_jrockit", "ssssfss"},
        {L"", L"sun", "ffff---"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rootsAsText(filterFor(c.source, c.provider)), c.roots)
            << ::testing::PrintToString(std::wstring(c.source)) << " / " << ::testing::PrintToString(std::wstring(c.provider));
    }
}

std::wstring probePaths(JvmType jvmType) {
    std::wstring text;
    for (const JvmProbe& probe : jvmProbeOrder(jvmType)) {
        text += std::wstring(probe.relativePath).substr(4, std::wstring(probe.relativePath).find(L'\\', 4) - 4);
        text += probe.serverVm ? L"* " : L" ";
    }
    return text;
}

TEST(JvmProbe, OrderDependsOnJvmType) {
    EXPECT_EQ(probePaths(JvmType::defaultVm), L"client classic hotspot server* jrockit ");
    EXPECT_EQ(probePaths(JvmType::server), L"server* ");
    EXPECT_EQ(probePaths(JvmType::favorServer), L"server* client classic hotspot server* jrockit ");
}

RuntimeCandidate candidate(const wchar_t* version, const wchar_t* home, bool serverVm, bool favoured) {
    RuntimeCandidate result{{}, home, serverVm, favoured};
    (void)parseVersion(version, 0, result.version);
    return result;
}

std::wstring homes(const std::vector<RuntimeCandidate>& candidates) {
    std::wstring text;
    for (const RuntimeCandidate& c : candidates) text += c.homeFolder + L" ";
    return text;
}

TEST(CandidateOrder, FavouredThenServerThenVersionAndStableOtherwise) {
    const std::vector<RuntimeCandidate> found = {
        candidate(L"1.8.0_151", L"a", false, false), candidate(L"11", L"b", false, true),
        candidate(L"1.8.0_60", L"c", true, false),   candidate(L"1.8.0_151", L"d", true, false),
        candidate(L"1.8.0_151", L"e", false, false),
    };
    auto ordered = found;
    orderCandidates(ordered, true, JvmType::favorServer);
    EXPECT_EQ(homes(ordered), L"b d c a e ");
    ordered = found;
    orderCandidates(ordered, true, JvmType::defaultVm);
    EXPECT_EQ(homes(ordered), L"b a d e c ");
    ordered = found;
    orderCandidates(ordered, false, JvmType::favorServer);
    EXPECT_EQ(homes(ordered), L"d c b a e ");
}

TEST(CandidateOrder, UnknownVersionsComeAfterEveryKnownOne) {
    RuntimeCandidate unknown = candidate(L"", L"u", true, true);
    unknown.versionKnown = false;
    std::vector<RuntimeCandidate> ordered = {unknown, candidate(L"1.6", L"k", false, false)};
    orderCandidates(ordered, true, JvmType::favorServer);
    EXPECT_EQ(homes(ordered), L"k u ");
}

TEST(CandidateChoice, FirstMatchingPreferenceOutranksTheOrder) {
    const std::vector<RuntimeCandidate> ordered = {candidate(L"1.8.0_151", L"a", false, true),
                                                   candidate(L"1.7.0_80", L"b", false, false),
                                                   candidate(L"1.7.0_45", L"c", false, false)};
    const struct {
        std::vector<std::wstring> preferred;
        size_t chosen;
        bool byPreference;
    } cases[] = {
        {{L"1.7", L"1.8"}, 1, true},       {{L"1.6", L"1.8.0_151"}, 0, true}, {{L"1.7.0_45"}, 2, true},
        {{L"", L"1.7"}, 0, true},          {{L"9", L"1.6"}, 0, false},        {{}, 0, false},
    };
    for (const auto& c : cases) {
        const CandidateChoice choice = chooseCandidate(ordered, c.preferred);
        EXPECT_EQ(choice.index, c.chosen) << ::testing::PrintToString(c.preferred);
        EXPECT_EQ(choice.byPreference, c.byPreference) << ::testing::PrintToString(c.preferred);
    }
}

TEST(PathComponents, StripClimbsFromJvmLibraryToRuntimeFolders) {
    EXPECT_EQ(stripPathComponents(L"C:\\Java\\jre\\bin\\server\\jvm.dll", 3), L"C:\\Java\\jre");
    EXPECT_EQ(stripPathComponents(L"C:\\Java\\jre\\bin\\server\\jvm.dll", 2), L"C:\\Java\\jre\\bin");
    EXPECT_EQ(stripPathComponents(L"C:\\jvm.dll", 3), L"C:");
    EXPECT_EQ(stripPathComponents(L"jvm.dll", 1), L"jvm.dll");
}

TEST(PeImage, MachineIsReadOnlyWithinTheData) {
    auto image = jltest::peHeaders(0x80, kMachineI386, 0x100);
    EXPECT_EQ(peImageMachine(image.data(), image.size()), kMachineI386);
    image = jltest::peHeaders(0x80, kMachineAmd64, 0x86);
    EXPECT_EQ(peImageMachine(image.data(), image.size()), kMachineAmd64);
    image = jltest::peHeaders(0x80, kMachineI386, 0x85);  // the Machine field would end past the data
    EXPECT_EQ(peImageMachine(image.data(), image.size()), std::nullopt);
    image = jltest::peHeaders(0xFFFFFFF0, kMachineI386, 0x100);
    EXPECT_EQ(peImageMachine(image.data(), image.size()), std::nullopt);
    image = jltest::peHeaders(0x80, kMachineI386, 0x100);
    image[0x81] = 'X';
    EXPECT_EQ(peImageMachine(image.data(), image.size()), std::nullopt);
    EXPECT_EQ(peImageMachine(image.data(), 0x3F), std::nullopt);
    EXPECT_EQ(peImageMachine(nullptr, 0), std::nullopt);
}

TEST(PeImage, BitnessNeedsAWholeImageWithTheMachinesKindOfHeader) {
    const auto bitness = [](const auto& bytes) {
        return peImageBitness(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    };
    const std::string x64 = jltest::unloadableX64Image();
    EXPECT_EQ(bitness(x64), ImageBitness::x64);
    EXPECT_EQ(bitness(x64.substr(0, 0x1FF)), ImageBitness::unusable);  // SizeOfHeaders reaches past the data
    EXPECT_EQ(bitness(jltest::withMachine(x64, 0xAA64)), ImageBitness::unusable);
    std::string x86 = jltest::withMachine(x64, kMachineI386);
    EXPECT_EQ(bitness(x86), ImageBitness::unusable);  // a PE32+ optional header on an x86 image
    x86[88] = 0x0B;
    x86[89] = 0x01;
    EXPECT_EQ(bitness(x86), ImageBitness::x86);
    EXPECT_EQ(bitness(std::string(x64.begin(), x64.begin() + 0x80)), ImageBitness::unusable);  // no optional header
    EXPECT_EQ(bitness(std::string("MZ")), ImageBitness::unusable);

    // A built image with sections is whole; cut short by one byte, its last section's data is not.
    const jlpack::Bytes image = jltest::sampleImage(jltest::sampleLauncherResources());
    EXPECT_EQ(bitness(image), ImageBitness::x64);
    EXPECT_EQ(bitness(jlpack::Bytes(image.begin(), image.end() - 1)), ImageBitness::unusable);
    // A section table claiming more sections than the data holds.
    jlpack::Bytes sections = image;
    sections[70] = 0xFF;
    sections[71] = 0xFF;
    EXPECT_EQ(bitness(sections), ImageBitness::unusable);
}

} // namespace
} // namespace jl
