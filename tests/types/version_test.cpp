#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "rig/version_printer.h"
#include "types/version.h"

namespace jl {
namespace {

constexpr int32_t kOpen = kOpenPart;

TEST(Version, ParseReadsUpToFourDigitRunsAndFillsTheRest) {
    const struct { const wchar_t* text; int32_t fill; bool parsed; Version expected; } cases[] = {
        {L"1.8.0_151-b12", 0, true, {{1, 8, 0, 151}}}, {L"jdk-11.0.2+9", 0, true, {{11, 0, 2, 9}}},
        {L"1..8", 0, true, {{1, 8, 0, 0}}}, {L"007.010", 0, true, {{7, 10, 0, 0}}},
        {L"9", kOpen, true, {{9, kOpen, kOpen, kOpen}}}, {L"2147483647", 0, true, {{2147483647, 0, 0, 0}}},
        // Runs past the fourth are never read, however large.
        {L"1.2.3.4.99999999999", 0, true, {{1, 2, 3, 4}}},
        // Only ASCII digits count: an Arabic-Indic three is skipped.
        {L"\u0663.5", 0, true, {{5, 0, 0, 0}}}, {L"\u0661", 0, false, {}},
        {L"1.2147483648", kOpen, false, {}}, {L"abc", kOpen, false, {}}};
    for (const auto& c : cases) {
        Version version{{7, 7, 7, 7}};
        EXPECT_EQ(parseVersion(c.text, c.fill, version), c.parsed) << ::testing::PrintToString(c.text);
        EXPECT_EQ(version, c.expected) << ::testing::PrintToString(c.text) << " fill " << c.fill;
    }
}

TEST(Version, FirstDifferingPartDecidesNumerically) {
    const std::pair<Version, Version> smallerThenGreater[] = {
        {{{1, 9, 0, 0}}, {{1, 10, 0, 0}}}, {{{1, 8, 0, 151}}, {{9, 0, 1, 0}}}, {{{1, 8, 0, 151}}, {{1, 8, 0, 152}}},
        {{{1, 8, 9, 9}}, {{1, 9, 0, 0}}}, {{{-1, 5, 5, 5}}, {{0, 0, 0, 0}}}};
    for (const auto& [smaller, greater] : smallerThenGreater) {
        SCOPED_TRACE(::testing::PrintToString(smaller) + " < " + ::testing::PrintToString(greater));
        EXPECT_EQ(compareVersions(smaller, greater), -1);
        EXPECT_EQ(compareVersions(greater, smaller), 1);
        EXPECT_EQ(compareVersions(greater, greater), 0);
    }
}

TEST(Version, RangeIncludesBothBounds) {
    const Version minimum{{1, 8, 0, 0}}, maximum{{1, 8, kOpen, kOpen}};
    EXPECT_TRUE(versionInRange(minimum, minimum, maximum));
    EXPECT_TRUE(versionInRange(maximum, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 9, 0, 0}}, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 7, kOpen, kOpen}}, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 6, 0, 0}}, kNoMinimum, Version{}));
}

TEST(Version, TrailingZeroPartsOfAPatternAreWildcards) {
    const struct { Version version, pattern; bool matches; } cases[] = {
        {{{1, 8, 5, 3}}, {{1, 8, 0, 0}}, true}, {{{1, 9, 0, 0}}, {{1, 8, 0, 0}}, false},
        {{{1, 8, 0, 152}}, {{1, 8, 0, 151}}, false}, {{{42, 1, 2, 3}}, {{0, 0, 0, 0}}, true},
        // An inner or leading zero is compared; only the trailing ones are wildcards.
        {{{1, 0, 8, 4}}, {{1, 0, 8, 0}}, true}, {{{1, 1, 8, 0}}, {{1, 0, 8, 0}}, false},
        {{{1, 8, 0, 0}}, {{0, 8, 0, 0}}, false}, {{{1, 0, 0, 5}}, {{0, 0, 0, 5}}, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(versionMatchesPattern(c.version, c.pattern), c.matches)
            << ::testing::PrintToString(c.version) << " by " << ::testing::PrintToString(c.pattern);
    }
}

TEST(Version, PrintingDropsTrailingZeroAndOpenPartsButKeepsTwo) {
    const std::pair<Version, const wchar_t*> cases[] = {
        {{{1, 8, 0, 0}}, L"1.8"}, {{{1, 8, 0, 151}}, L"1.8.0.151"}, {{{9, 0, 1, 0}}, L"9.0.1"},
        {{{11, 0, 0, 0}}, L"11.0"}, {{{1, 8, kOpen, kOpen}}, L"1.8"}, {{{1, kOpen, 0, 7}}, L"1.65535.0.7"},
        {{{0, 0, 0, 5}}, L"0.0.0.5"}, {{{0, 0, 0, 0}}, L"0.0.0.0"}, {{{kOpen, kOpen, kOpen, kOpen}}, L"0.0.0.0"}};
    for (const auto& [version, text] : cases) EXPECT_EQ(formatVersion(version), text);
}

} // namespace
} // namespace jl
