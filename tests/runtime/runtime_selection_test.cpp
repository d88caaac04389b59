#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rig/version_printer.h"
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
    // JRockit JRE, JRockit JDK, IBM JRE. The words go through the settings'
    // readers, so each row also shows how "JVM Source" and "VM Provider" are read.
    const struct { const wchar_t *source, *provider; const char* roots; } cases[] = {
        {L"", L"", "ffff---"},
        {L"favor_JDK", L"", "fsfs---"},
        {L"favor_JRE", L"", "sfsf---"},
        {L"only_JDK", L"", "f-f----"},
        {L"only_JRE", L"favor_ibm", "-s-ss-f"},
        {L"favor_jdk", L"", "-------"},
        {L"", L"JRockit", "----ff-"},
        {L"", L"any", "sssssss"},
        {L"favor_JRE", L"favor_jrockit", "ssssfss"},
        {L"", L"sun", "ffff---"}, {L"", L"IBM", "------f"}, {L"", L"ibm ", "ffff---"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(rootsAsText(filterFor(c.source, c.provider)), c.roots)
            << ::testing::PrintToString(std::wstring(c.source)) << " / " << ::testing::PrintToString(std::wstring(c.provider));
    }
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

TEST(CandidateChoice, FirstMatchingPreferenceOutranksTheOrder) {
    const std::vector<RuntimeCandidate> ordered = {candidate(L"1.8.0_151", L"a", false, true),
                                                   candidate(L"1.7.0_80", L"b", false, false),
                                                   candidate(L"1.7.0_45", L"c", false, false)};
    const struct { std::vector<std::wstring> preferred; size_t chosen; bool byPreference; } cases[] = {
        {{L"1.7", L"1.8"}, 1, true},       {{L"1.6", L"1.8.0_151"}, 0, true}, {{L"1.7.0_45"}, 2, true},
        {{L"", L"1.7"}, 0, true},          {{L"9", L"1.6"}, 0, false},        {{}, 0, false},
    };
    for (const auto& c : cases) {
        const CandidateChoice choice = chooseCandidate(ordered, c.preferred);
        EXPECT_EQ(choice.index, c.chosen) << ::testing::PrintToString(c.preferred);
        EXPECT_EQ(choice.byPreference, c.byPreference) << ::testing::PrintToString(c.preferred);
    }
}

} // namespace
} // namespace jl
