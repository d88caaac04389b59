#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "settings/ini_document.h"

namespace jl {
namespace {

using Lines = std::vector<std::wstring>;

// The document written back as "[name]" and "key=value" lines, in order.
Lines outline(const IniDocument& document) {
    Lines lines;
    for (const IniSection& section : document.sections()) {
        lines.push_back(L"[" + section.name + L"]");
        for (const IniPair& pair : section.pairs) lines.push_back(pair.key + L"=" + pair.value);
    }
    return lines;
}

struct ParseCase {
    const wchar_t* text;
    Lines outline;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.text); }

class IniParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(IniParse, KeepsHeadersAndPairsAndSkipsTheRest) {
    IniDocument document;
    parseIniText(document, GetParam().text);
    EXPECT_EQ(outline(document), GetParam().outline);
}

INSTANTIATE_TEST_SUITE_P(
    Ini, IniParse,
    ::testing::Values(ParseCase{L"", {}}, ParseCase{L"\uFEFF[s]\r\nk=v", {L"[s]", L"k=v"}},
                      ParseCase{L" \t[ a b ] \t\r\n", {L"[ a b ]"}}, ParseCase{L"[a]b]", {L"[a]b]"}},
                      ParseCase{L"[[a]", {L"[[a]"}}, ParseCase{L"[]", {L"[]"}}, ParseCase{L"[k=v]", {L"[k=v]"}},
                      ParseCase{L"[s]\r\n \t key \t= x = y \t", {L"[s]", L"key=x = y"}},
                      ParseCase{L"[s]\r\n=v", {L"[s]", L"=v"}}, ParseCase{L"[s]\r\nk=", {L"[s]", L"k="}},
                      // No comment syntax: a leading semicolon is part of the key.
                      ParseCase{L"[s]\r\n;note=1", {L"[s]", L";note=1"}},
                      ParseCase{L"k=v\r\n[s]\r\nno equals\r\n   \r\nk2=v2", {L"[s]", L"k2=v2"}},
                      ParseCase{L"\r\n\r\n[s]\r\n\r\nk=v\r\n\r\n", {L"[s]", L"k=v"}},
                      // Only CR LF ends a line; a lone LF or CR stays inside it.
                      ParseCase{L"[s]\nk=v", {}}, ParseCase{L"[s]\r\nk=v\nx=y\rz", {L"[s]", L"k=v\nx=y\rz"}},
                      ParseCase{L"[s]\r\n[t]\r\nk=v", {L"[s]", L"[t]", L"k=v"}},
                      ParseCase{L"[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3", {L"[s]", L"k=1", L"k=2", L"[s]", L"k=3"}}));

TEST(IniDocument, ParseReplacesEarlierContent) {
    IniDocument document;
    document.appendPair(L"old", L"k", L"v");
    parseIniText(document, L"[new]\r\nk=v");
    EXPECT_EQ(outline(document), (Lines{L"[new]", L"k=v"}));
}

TEST(IniDocument, LookUpsAnswerFirstOccurrenceAndCompareExactly) {
    IniDocument document;
    parseIniText(document, L"[App]\r\nKey=first\r\nKey=second\r\nOnly=x\r\n[App]\r\nKey=third\r\nLater=y");
    ASSERT_NE(document.findValue(L"App", L"Key"), nullptr);
    EXPECT_EQ(*document.findValue(L"App", L"Key"), L"first");
    EXPECT_EQ(document.findValue(L"App", L"Later"), nullptr);
    EXPECT_EQ(document.findValue(L"app", L"Key"), nullptr);
    EXPECT_EQ(document.findValue(L"App", L"key"), nullptr);
    EXPECT_EQ(document.findValue(L"Other", L"Key"), nullptr);
    EXPECT_EQ(document.findSection(L"App"), &document.sections().front());
    EXPECT_EQ(document.findSection(L"APP"), nullptr);
}

TEST(IniDocument, AppendPairGoesToFirstSectionOfThatNameAndNeverReplaces) {
    IniDocument document;
    document.appendPair(L"a", L"k", L"1");
    document.appendSection(L"b");
    document.appendSection(L"a");
    document.appendPair(L"a", L"k", L"2");
    document.appendPair(L"c", L"x", L"y");
    EXPECT_EQ(outline(document), (Lines{L"[a]", L"k=1", L"k=2", L"[b]", L"[a]", L"[c]", L"x=y"}));
    EXPECT_EQ(*document.findValue(L"a", L"k"), L"1");
}

struct SplitCase {
    const wchar_t* text;
    const wchar_t* separator;
    Lines pieces;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.text) << " by " << ::testing::PrintToString(c.separator);
}

class IniSplitString : public ::testing::TestWithParam<SplitCase> {};

TEST_P(IniSplitString, TrailingSeparatorGivesNoEmptyPieceButAdjacentOnesDo) {
    Lines pieces{L"stale"};
    splitString(GetParam().text, GetParam().separator, pieces);
    EXPECT_EQ(pieces, GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(Ini, IniSplitString,
                         ::testing::Values(SplitCase{L"a;;b;", L";", {L"a", L"", L"b"}}, SplitCase{L"", L";", {}},
                                           SplitCase{L"abc", L";", {L"abc"}}, SplitCase{L";a", L";", {L"", L"a"}},
                                           SplitCase{L";", L";", {L""}}, SplitCase{L";;", L";", {L"", L""}},
                                           SplitCase{L"A;a", L"a", {L"A;"}},
                                           SplitCase{L"a\r\r\nb\n\r\n", L"\r\n", {L"a\r", L"b\n"}},
                                           SplitCase{L"a--b---c", L"--", {L"a", L"b", L"-c"}}));

TEST(IniTrim, RemovesOnlyAsciiWhiteSpaceAtItsOwnEnd) {
    const auto trimmed = [](std::wstring text, void (*trim)(std::wstring&)) {
        trim(text);
        return text;
    };
    const std::wstring padded = L" \t\n\v\f\rx \ty\r\n\v\f\t ";
    EXPECT_EQ(trimmed(padded, trimLeft), L"x \ty\r\n\v\f\t ");
    EXPECT_EQ(trimmed(padded, trimRight), L" \t\n\v\f\rx \ty");
    EXPECT_EQ(trimmed(L" \t\r\n", trimLeft), L"");
    EXPECT_EQ(trimmed(L" \t\r\n", trimRight), L"");
    EXPECT_EQ(trimmed(trimmed(L"\x01x\x1b", trimLeft), trimRight), L"\x01x\x1b");
}

} // namespace
} // namespace jl
