#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/string_text.h"

namespace jl {
namespace {

using Pieces = std::vector<std::wstring>;

TEST(AsciiCase, IsIgnoredForLettersAToZOnly) {
    EXPECT_TRUE(equalsIgnoringAsciiCase(L"Favor_JRockit", L"fAVOR_jrOCKIT"));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"ab", L"abc"));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"\u00C4", L"\u00E4"));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"@[", L"`{"));
    EXPECT_TRUE(containsIgnoringAsciiCase("IMPLEMENTOR=\"Eclipse OpenJ9\"", "openj9"));
    EXPECT_TRUE(containsIgnoringAsciiCase("x", ""));
    EXPECT_FALSE(containsIgnoringAsciiCase("OpenJ", "openj9"));
    EXPECT_FALSE(containsIgnoringAsciiCase("@PENJ9", "`penj9"));
}

TEST(SplitString, GivesNoTrailingEmptyPieceButAdjacentSeparatorsDo) {
    const struct { const wchar_t *text, *separator; Pieces pieces; } cases[] = {
        {L"a;;b;", L";", {L"a", L"", L"b"}}, {L"", L";", {}}, {L"abc", L";", {L"abc"}}, {L";a", L";", {L"", L"a"}},
        {L";;", L";", {L"", L""}}, {L"A;a", L"a", {L"A;"}}, {L"a--b---c", L"--", {L"a", L"b", L"-c"}}};
    for (const auto& c : cases) {
        Pieces pieces{L"stale"};
        splitString(c.text, c.separator, pieces);
        EXPECT_EQ(pieces, c.pieces) << ::testing::PrintToString(c.text) << " by " << c.separator;
    }
}

TEST(Trim, RemovesOnlyAsciiWhiteSpaceAtItsOwnEnd) {
    const auto trimmed = [](std::wstring text, void (*trim)(std::wstring&)) { trim(text); return text; };
    const std::wstring padded = L" \t\n\v\f\rx \ty\r\n\v\f\t ";
    EXPECT_EQ(trimmed(padded, trimLeft), L"x \ty\r\n\v\f\t ");
    EXPECT_EQ(trimmed(padded, trimRight), L" \t\n\v\f\rx \ty");
    EXPECT_EQ(trimmed(L" \t\r\n", trimLeft), L"");
    EXPECT_EQ(trimmed(L" \t\r\n", trimRight), L"");
    EXPECT_EQ(trimmed(trimmed(L"\x01x\x1b", trimLeft), trimRight), L"\x01x\x1b");
}

} // namespace
} // namespace jl
