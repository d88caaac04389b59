// The three settings sources: the INI file read as the private-profile functions read it,
// an in-memory document, and the two layered.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "settings/settings_source.h"

namespace jl {
namespace {

using jltest::TemporaryFolder;

// What a source gives for a key, starting from a stale value.
std::wstring lookUp(SettingsSource& source, const wchar_t* section, const wchar_t* key) {
    std::wstring value = L"stale";
    source.getString(section, key, value);
    return value;
}

// The file source answers as the private-profile functions do (below); the
// document answers exactly as written and leaves a missing value alone.
TEST(SettingsSource, DocumentIsExactAndLeavesMissingAlone) {
    IniDocument document;
    parseIniText(document, L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n[Application]\r\nEmpty=\r\n");
    IniDocumentSource memory(std::move(document));
    const struct { const wchar_t *section, *key, *value; } cases[] = {
        {L"Java Runtime Environment", L"Main Class", L"com.example.Main"},
        {L"java runtime environment", L"MAIN CLASS", L"stale"},
        {L"Application", L"Main Class", L"stale"},
        {L"Application", L"Empty", L""}};
    for (const auto& c : cases) EXPECT_EQ(lookUp(memory, c.section, c.key), c.value) << c.section << " / " << c.key;
}

// The file is read once, yet every answer is the private-profile functions'
// own, for ANSI and UTF-16 files alike.
constexpr wchar_t kTrickyIni[] =
    L"orphan = before any section\r\n"
    L"  [Java Runtime Environment]  trailing words\r\n"
    L"Main Class = \"com.example.Main\" \r\n"
    L"; Main Class=commented\r\n"
    L"main class=second of a repeated key\r\n"
    L"Quoted='single'\r\nHalf=\"open\r\nLone=\"\r\nMixed=\"a'\r\nEmptyQuotes=\"\"\r\n"
    L"NoEquals\r\n=nameless\r\n=second nameless\r\n"
    L"Spaced   Key\t=\tvalue with = inside\t\r\n"
    L"\x00A0Nbsp\x00A0=\x00A0kept?\x00A0\r\n"
    L"Caf\x00C9=upper accent\r\n"
    L"\n\r\n[Application]\rCmd=--cr-only\n\n[ Padded ]\r\nKey=padded section\r\n"
    L"[Java Runtime Environment]\r\nLate=second section of the same name\r\n"
    L"[Open\r\nKey=after an unclosed bracket\r\n[]\r\nKey=nameless section\r\n"
    L"[Brackets]]x]\r\nKey=last bracket wins\r\n\x001A\r\n";

void expectAnswersOfTheProfileFunctions(const std::string& bytes, bool readOnce) {
    TemporaryFolder folder;
    const std::wstring path = folder.file(L"App.ini");
    jltest::writeBytesFile(path, bytes);
    const wchar_t* sections[] = {L"Java Runtime Environment", L"JAVA runtime environment ", L"Application",
                                 L"Padded", L" Padded ", L"Open", L"", L"Brackets]", L"Brackets]]x", L"Missing"};
    const wchar_t* keys[] = {L"Main Class", L"main CLASS", L"Quoted", L"Half", L"Lone", L"Mixed", L"EmptyQuotes",
                             L"NoEquals", L"", L"Spaced   Key", L"Spaced Key", L"Nbsp", L"\x00A0Nbsp", L"caf\x00E9",
                             L"Cmd", L"Key", L"Late", L"orphan", L"; Main Class", L"[Open"};
    IniFileSource source(path);
    (void)lookUp(source, L"Application", L"Cmd");  // the first question reads the file
    // Each question as "section / key" with its answer.
    const auto ask = [&](const auto& answer) {
        std::vector<std::pair<std::wstring, std::wstring>> answers;
        for (const wchar_t* section : sections) {
            for (const wchar_t* key : keys) answers.emplace_back(std::wstring(section) + L" / " + key, answer(section, key));
        }
        return answers;
    };
    const auto expected = ask([&](const wchar_t* section, const wchar_t* key) {
        wchar_t buffer[512];
        return std::wstring(buffer, GetPrivateProfileStringW(section, key, L"", buffer, 512, path.c_str()));
    });
    // Read once: the answers stay what the file held when it was first asked.
    if (readOnce) DeleteFileW(path.c_str());
    EXPECT_EQ(ask([&](const wchar_t* section, const wchar_t* key) { return lookUp(source, section, key); }), expected);
}

TEST(IniFileSourceAsProfile, GivesWhatTheProfileFunctionsGive) {
    const struct { const char* name; std::string bytes; bool readOnce; } files[] = {  // the files as stored
        {"Utf16", jltest::utf16Bytes(kTrickyIni), true},
        // Windows-1252 bytes, with an upper-case accented key the look-up lower-cases.
        {"Ansi", "[Java Runtime Environment]\r\nMain Class=\"x\"\r\nCaf\xC9=accent\r\n\xA0Nbsp=\xA0value\r\n"
                 "[Application]\nCmd= 'quoted' \n;Cmd=no\n", true},
        {"AnsiWithoutLineEnd", "[Application]\r\nCmd=last line", true}, {"Empty", "", true},
        // Forms the functions decode differently: answered by the functions themselves.
        {"Utf8WithMark", "\xEF\xBB\xBF[Application]\r\nCmd=caf\xC3\xA9\r\n", false},
        {"Utf16BigEndian", std::string("\xFE\xFF\0[\0A\0]\0\r\0\n\0K\0=\0v", 20), false}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        expectAnswersOfTheProfileFunctions(file.bytes, file.readOnce);
    }
}

TEST(IniFileSource, LongValuesAreReadWhole) {
    TemporaryFolder folder;
    // Around the first buffer of 256 characters and well past a few doublings.
    for (const size_t length : {254, 255, 256, 3000}) {
        std::wstring longValue;
        for (size_t i = 0; i < length; ++i) longValue += L"0123456789abcdefghijklmnopqrstuvwxyz"[i % 36];
        jltest::writeUtf16File(folder.file(L"App.ini"), L"[Application]\nCmd=" + longValue + L"\nNext=after\n");
        IniFileSource source(folder.file(L"App.ini"));
        EXPECT_EQ(lookUp(source, L"Application", L"Cmd"), longValue) << length;
    }
}

TEST(LayeredSettings, ApplicationCmdFollowsTheLayeredRule) {
    constexpr wchar_t kEmbedded[] = L"[Application]\r\nCmd=-a\r\n";
    // A null INI text: no INI file.
    const struct { const wchar_t *embedded, *ini, *expected; SettingOrigin origin; } cases[] = {
        {kEmbedded, nullptr, L"-a", SettingOrigin::embedded},
        {kEmbedded, L"[Application]\nCmd=-b\n", L"-b", SettingOrigin::iniFile},
        {kEmbedded, L"[Application]\nCmd=\n", L"-a", SettingOrigin::embedded},
        {kEmbedded, L"[Application]\nCmd=-b\n[Application+]\nCmd=-c\n", L"-b", SettingOrigin::iniFile},
        {kEmbedded, L"[application+]\nCMD=-c\n", L"-a -c", SettingOrigin::extendedByPlus},
        // The private-profile functions keep blanks inside quotes only.
        {kEmbedded, L"[Application+]\nCmd=\"  -c\"\n", L"-a  -c", SettingOrigin::extendedByPlus},
        {L"", L"[Application+]\nCmd=-c\n", L" -c", SettingOrigin::extendedByPlus},
        {L"[application]\r\nCMD=-a\r\n", nullptr, L"", SettingOrigin::none},
        {L"", L"[Display]\nCmd=-d\n", L"", SettingOrigin::none}};
    for (const auto& c : cases) {
        TemporaryFolder folder;
        if (c.ini) jltest::writeUtf16File(folder.file(L"App.ini"), c.ini);
        LayeredSettingsSource layered(folder.file(L"App.ini"), c.embedded);
        EXPECT_EQ(lookUp(layered, L"Application", L"Cmd"), c.expected) << c.embedded << " under " << c.ini;
        EXPECT_EQ(layered.lastOrigin(), c.origin) << describeOrigin(layered.lastOrigin());
    }
}

} // namespace
} // namespace jl
