#include <gtest/gtest.h>

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

TEST(IniDocument, ParseKeepsHeadersAndPairsAndSkipsTheRest) {
    const std::pair<const wchar_t*, Lines> cases[] = {
        {L"", {}}, {L"\uFEFF[s]\r\nk=v", {L"[s]", L"k=v"}}, {L" \t[ a b ] \t\r\n", {L"[ a b ]"}},
        {L"[a]b]", {L"[a]b]"}}, {L"[[a]", {L"[[a]"}}, {L"[]", {L"[]"}}, {L"[k=v]", {L"[k=v]"}},
        {L"[s]\r\n \t key \t= x = y \t", {L"[s]", L"key=x = y"}}, {L"[s]\r\n=v", {L"[s]", L"=v"}},
        // No comment syntax: a leading semicolon is part of the key.
        {L"[s]\r\n;note=1", {L"[s]", L";note=1"}},
        {L"k=v\r\n[s]\r\nno equals\r\n   \r\n\r\nk2=\r\n", {L"[s]", L"k2="}},
        // Only CR LF ends a line; a lone LF or CR stays inside it.
        {L"[s]\nk=v", {}}, {L"[s]\r\nk=v\nx=y\rz", {L"[s]", L"k=v\nx=y\rz"}},
        {L"[s]\r\nk=1\r\nk=2\r\n[t]\r\n[s]\r\nk=3", {L"[s]", L"k=1", L"k=2", L"[t]", L"[s]", L"k=3"}}};
    for (const auto& [text, expected] : cases) {
        IniDocument document;
        document.appendPair(L"earlier", L"k", L"v");
        parseIniText(document, text);
        EXPECT_EQ(outline(document), expected) << ::testing::PrintToString(text);
    }
}

TEST(IniDocument, LookUpsAnswerFirstOccurrenceAndCompareExactly) {
    IniDocument document;
    parseIniText(document, L"[App]\r\nKey=first\r\nKey=second\r\n[App]\r\nKey=third\r\nLater=y");
    ASSERT_NE(document.findValue(L"App", L"Key"), nullptr);
    EXPECT_EQ(*document.findValue(L"App", L"Key"), L"first");
    EXPECT_EQ(document.findValue(L"App", L"Later"), nullptr);
    EXPECT_EQ(document.findValue(L"app", L"Key"), nullptr);
    EXPECT_EQ(document.findValue(L"App", L"key"), nullptr);
    EXPECT_EQ(document.findSection(L"App"), &document.sections().front());
    EXPECT_EQ(document.findSection(L"APP"), nullptr);
}

} // namespace
} // namespace jl
