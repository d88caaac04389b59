#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/version.h"
#include "runtime/version_printer.h"
#include "support/message_ids.h"

namespace jl {

namespace {

constexpr int32_t kOpen = kOpenPart;

struct ParseCase {
    const wchar_t* text;
    int32_t fill;
    bool parsed;
    Version expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.text) << " fill " << c.fill; }

class VersionParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(VersionParse, ReadsUpToFourDigitRunsAndFillsTheRest) {
    Version version{{7, 7, 7, 7}};
    EXPECT_EQ(parseVersion(GetParam().text, GetParam().fill, version), GetParam().parsed);
    EXPECT_EQ(version, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Version, VersionParse,
    ::testing::Values(ParseCase{L"1.8.0_151", 0, true, {{1, 8, 0, 151}}}, ParseCase{L"9.0.1", 0, true, {{9, 0, 1, 0}}},
                      ParseCase{L"11", 0, true, {{11, 0, 0, 0}}}, ParseCase{L"jdk-11.0.2+9", 0, true, {{11, 0, 2, 9}}},
                      ParseCase{L"1.8.0_151-b12", 0, true, {{1, 8, 0, 151}}},
                      ParseCase{L"1..8", 0, true, {{1, 8, 0, 0}}}, ParseCase{L"007.010", 0, true, {{7, 10, 0, 0}}},
                      ParseCase{L"9", kOpen, true, {{9, kOpen, kOpen, kOpen}}},
                      ParseCase{L"1.8", kOpen, true, {{1, 8, kOpen, kOpen}}},
                      ParseCase{L"2147483647", 0, true, {{2147483647, 0, 0, 0}}},
                      // Runs past the fourth are never read, however large.
                      ParseCase{L"1.2.3.4.5", 0, true, {{1, 2, 3, 4}}},
                      ParseCase{L"1.2.3.4.99999999999", 0, true, {{1, 2, 3, 4}}},
                      // Only ASCII digits count: an Arabic-Indic three is skipped.
                      ParseCase{L"\u0663.5", 0, true, {{5, 0, 0, 0}}}, ParseCase{L"\u0661", 0, false, {}},
                      ParseCase{L"1.2147483648", kOpen, false, {}}, ParseCase{L"abc", kOpen, false, {}},
                      ParseCase{L"", kOpen, false, {}}));

TEST(Version, FirstDifferingPartDecidesNumerically) {
    const std::pair<Version, Version> smallerThenGreater[] = {{{{1, 9, 0, 0}}, {{1, 10, 0, 0}}},
                                                              {{{1, 8, 0, 151}}, {{9, 0, 1, 0}}},
                                                              {{{1, 8, 0, 151}}, {{1, 8, 0, 152}}},
                                                              {{{1, 8, 9, 9}}, {{1, 9, 0, 0}}},
                                                              {{{-1, 5, 5, 5}}, {{0, 0, 0, 0}}}};
    for (const auto& [smaller, greater] : smallerThenGreater) {
        SCOPED_TRACE(::testing::PrintToString(smaller) + " < " + ::testing::PrintToString(greater));
        EXPECT_EQ(compareVersions(smaller, greater), -1);
        EXPECT_EQ(compareVersions(greater, smaller), 1);
        EXPECT_EQ(compareVersions(greater, greater), 0);
    }
}

TEST(Version, RangeIncludesBothBounds) {
    const Version minimum{{1, 8, 0, 0}};
    const Version maximum{{1, 8, kOpen, kOpen}};
    EXPECT_TRUE(versionInRange(minimum, minimum, maximum));
    EXPECT_TRUE(versionInRange(maximum, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 9, 0, 0}}, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 7, kOpen, kOpen}}, minimum, maximum));
    EXPECT_TRUE(versionInRange(Version{{1, 6, 0, 0}}, kNoMinimum, kNoMaximum));
    EXPECT_FALSE(versionInRange(Version{{1, 6, 0, 0}}, kNoMinimum, Version{}));
}

struct PatternCase {
    Version version;
    Version pattern;
    bool matches;
};

void PrintTo(const PatternCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.version) << " by " << ::testing::PrintToString(c.pattern);
}

class VersionPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(VersionPattern, TrailingZeroPartsOfPatternAreWildcards) {
    EXPECT_EQ(versionMatchesPattern(GetParam().version, GetParam().pattern), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Version, VersionPattern,
                         ::testing::Values(PatternCase{{{1, 8, 5, 3}}, {{1, 8, 0, 0}}, true},
                                           PatternCase{{{1, 8, 0, 0}}, {{1, 8, 0, 0}}, true},
                                           PatternCase{{{1, 9, 0, 0}}, {{1, 8, 0, 0}}, false},
                                           PatternCase{{{1, 8, 0, 151}}, {{1, 8, 0, 151}}, true},
                                           PatternCase{{{1, 8, 0, 152}}, {{1, 8, 0, 151}}, false},
                                           // An inner zero is compared; only the trailing ones are wildcards.
                                           PatternCase{{{1, 0, 8, 4}}, {{1, 0, 8, 0}}, true},
                                           PatternCase{{{1, 1, 8, 0}}, {{1, 0, 8, 0}}, false},
                                           PatternCase{{{11, 0, 2, 9}}, {{11, 0, 0, 0}}, true},
                                           PatternCase{{{1, 8, 0, 0}}, {{0, 8, 0, 0}}, false},
                                           PatternCase{{{1, 0, 0, 5}}, {{0, 0, 0, 5}}, false},
                                           PatternCase{{{42, 1, 2, 3}}, {{0, 0, 0, 0}}, true}));

TEST(Version, OnlyAllZeroOrAllMaximalPartsAreOpen) {
    EXPECT_TRUE(isOpenBound(Version{{0, 0, 0, 0}}));
    EXPECT_TRUE(isOpenBound(Version{{kOpen, kOpen, kOpen, kOpen}}));
    EXPECT_FALSE(isOpenBound(Version{{0, 0, 0, kOpen}}));
    EXPECT_FALSE(isOpenBound(Version{{kOpen, kOpen, kOpen, 0}}));
    EXPECT_FALSE(isOpenBound(Version{{0, 0, 0, 1}}));
}

TEST(Version, PrintingDropsTrailingZeroAndOpenPartsButKeepsTwo) {
    const std::pair<Version, const wchar_t*> cases[] = {{{{1, 8, 0, 0}}, L"1.8"},
                                                        {{{1, 8, 0, 151}}, L"1.8.0.151"},
                                                        {{{9, 0, 1, 0}}, L"9.0.1"},
                                                        {{{11, 0, 0, 0}}, L"11.0"},
                                                        {{{1, 8, kOpen, kOpen}}, L"1.8"},
                                                        {{{9, kOpen, kOpen, kOpen}}, L"9.65535"},
                                                        {{{1, kOpen, 0, 7}}, L"1.65535.0.7"},
                                                        {{{0, 0, 0, 5}}, L"0.0.0.5"},
                                                        {{{0, 0, 0, 0}}, L"0.0.0.0"},
                                                        {{{kOpen, kOpen, kOpen, kOpen}}, L"0.0.0.0"},
                                                        {{{2147483647, 3, 0, 0}}, L"2147483647.3"}};
    for (const auto& [version, text] : cases) EXPECT_EQ(formatVersion(version), text);
}

struct RequirementCase {
    Version minimum;
    Version maximum;
    unsigned messageId;
    std::vector<std::wstring> arguments;
};

void PrintTo(const RequirementCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.minimum) << " to " << ::testing::PrintToString(c.maximum);
}

class VersionRequirement : public ::testing::TestWithParam<RequirementCase> {};

TEST_P(VersionRequirement, PhraseFollowsWhichBoundsAreOpen) {
    const VersionRequirementText phrase = versionRequirementText(GetParam().minimum, GetParam().maximum);
    EXPECT_EQ(phrase.messageId, GetParam().messageId);
    EXPECT_EQ(phrase.arguments, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Version, VersionRequirement,
    ::testing::Values(RequirementCase{kNoMinimum, kNoMaximum, kMsgLatestVersion, {}},
                      // A maximum left at 0.0.0.0 by a failed parse reads as open here too.
                      RequirementCase{kNoMinimum, {{0, 0, 0, 0}}, kMsgLatestVersion, {}},
                      RequirementCase{kNoMinimum, {{9, kOpen, kOpen, kOpen}}, kMsgMaximumVersion, {L"9.65535"}},
                      RequirementCase{{{1, 7, 0, 0}}, kNoMaximum, kMsgMinimumVersion, {L"1.7"}},
                      RequirementCase{{{1, 6, 0, 0}}, {{1, 6, 0, 0}}, kMsgExactVersion, {L"1.6"}},
                      RequirementCase{{{1, 6, 0, 0}}, {{1, 6, kOpen, kOpen}}, kMsgVersionBetween, {L"1.6", L"1.6"}},
                      RequirementCase{{{9, 0, 0, 0}}, {{1, 8, kOpen, kOpen}}, kMsgVersionBetween, {L"9.0", L"1.8"}}));

} // namespace
} // namespace jl
