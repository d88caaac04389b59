// The three settings sources: the INI file through the private-profile functions,
// an in-memory document, and the two layered.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "settings/settings_source.h"

namespace jl {
namespace {

using jltest::writeUtf16File;

struct TemporaryFolder {
    std::wstring path = jltest::makeTemporaryFolder(L"jlsrc");
    ~TemporaryFolder() { jltest::removeFolderTree(path); }
    [[nodiscard]] std::wstring file(const wchar_t* name) const { return path + L"\\" + name; }
};

constexpr wchar_t kStale[] = L"stale";

// The same text as a file and as a document, looked up by both sources.
constexpr wchar_t kLookupText[] =
    L"[Java Runtime Environment]\r\nMain Class=com.example.Main\r\n[Application]\r\nCmd=-x\r\nEmpty=\r\n";

struct Lookup {
    const char* name;
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* fileValue;
    const wchar_t* documentValue;  // null: the value is left as it was
};

void PrintTo(const Lookup& lookup, std::ostream* out) { *out << lookup.name; }

class SettingsSourceLookup : public testing::TestWithParam<Lookup> {};

TEST_P(SettingsSourceLookup, FileIgnoresCaseAndReadsMissingAsEmpty) {
    TemporaryFolder folder;
    writeUtf16File(folder.file(L"App.ini"), kLookupText);
    IniFileSource source(folder.file(L"App.ini"));
    std::wstring value = kStale;
    source.getString(GetParam().section, GetParam().key, value);
    EXPECT_EQ(value, GetParam().fileValue);
}

TEST_P(SettingsSourceLookup, DocumentMatchesExactlyAndLeavesMissingUnchanged) {
    IniDocument document;
    parseIniText(document, kLookupText);
    IniDocumentSource source(std::move(document));
    std::wstring value = kStale;
    source.getString(GetParam().section, GetParam().key, value);
    EXPECT_EQ(value, GetParam().documentValue ? GetParam().documentValue : kStale);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSourceLookup,
    testing::Values(
        Lookup{"ExactNames", L"Java Runtime Environment", L"Main Class", L"com.example.Main", L"com.example.Main"},
        Lookup{"LowerCaseNames", L"java runtime environment", L"main class", L"com.example.Main", nullptr},
        Lookup{"UpperCaseKey", L"Java Runtime Environment", L"MAIN CLASS", L"com.example.Main", nullptr},
        Lookup{"MissingSection", L"Display", L"Main Class", L"", nullptr},
        Lookup{"MissingKey", L"Java Runtime Environment", L"Class Path", L"", nullptr},
        Lookup{"KeyOfAnotherSection", L"Application", L"Main Class", L"", nullptr},
        Lookup{"PresentEmptyValue", L"Application", L"Empty", L"", L""}),
    [](const testing::TestParamInfo<Lookup>& info) { return std::string(info.param.name); });

class IniFileSourceLongValue : public testing::TestWithParam<size_t> {};

TEST_P(IniFileSourceLongValue, IsReadWhole) {
    std::wstring longValue;
    for (size_t i = 0; i < GetParam(); ++i) longValue += L"0123456789abcdefghijklmnopqrstuvwxyz"[i % 36];
    TemporaryFolder folder;
    writeUtf16File(folder.file(L"App.ini"), L"[Application]\nCmd=" + longValue + L"\nNext=after\n");
    IniFileSource source(folder.file(L"App.ini"));
    std::wstring value;
    source.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, longValue);
}

// Around the first buffer of 256 characters and well past a few doublings.
INSTANTIATE_TEST_SUITE_P(Lengths, IniFileSourceLongValue, testing::Values(254, 255, 256, 511, 600, 3000));

TEST(IniFileSource, MissingFileReadsEmptyAndProbeReportsIt) {
    TemporaryFolder folder;
    IniFileSource source(folder.file(L"Absent.ini"));
    std::wstring value = kStale;
    source.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, L"");
    std::vector<std::wstring> names{L"left over"};
    source.getSectionNames(names);
    EXPECT_TRUE(names.empty());
    unsigned char buffer[4] = {};
    EXPECT_EQ(source.probe(buffer), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(source.deleteFile());
}

TEST(IniFileSource, SectionNamesComeInFileOrderBeyondTheFirstBuffer) {
    std::wstring text;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 30; ++i) {
        expected.push_back(L"Section number " + std::to_wstring(100 - i));
        text += L"[" + expected.back() + L"]\nKey=" + std::to_wstring(i) + L"\n";
    }
    TemporaryFolder folder;
    writeUtf16File(folder.file(L"App.ini"), text);
    IniFileSource source(folder.file(L"App.ini"));
    std::vector<std::wstring> names{L"left over"};
    source.getSectionNames(names);
    EXPECT_EQ(names, expected);
}

TEST(IniFileSource, WriteStringCreatesFileAndSections) {
    TemporaryFolder folder;
    const std::wstring path = folder.file(L"New.ini");
    IniFileSource writer(path);
    ASSERT_TRUE(writer.writeString(L"Application", L"Cmd", L"-a -b"));
    ASSERT_TRUE(writer.writeString(L"Display", L"Splash Screen", L"splash.png"));

    IniFileSource reader(path);
    std::wstring value;
    reader.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, L"-a -b");
    std::vector<std::wstring> names;
    reader.getSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Application", L"Display"}));
}

TEST(IniDocumentSource, WriteStringAppendsWithoutReplacing) {
    IniDocument document;
    parseIniText(document, L"[A]\r\nk=1\r\n[B]\r\n[A]\r\nj=first of the second A\r\n");
    IniDocumentSource source(std::move(document));
    ASSERT_TRUE(source.writeString(L"A", L"k", L"2"));
    ASSERT_TRUE(source.writeString(L"A", L"j", L"3"));
    ASSERT_TRUE(source.writeString(L"C", L"k", L"4"));

    std::wstring value;
    source.getString(L"A", L"k", value);
    EXPECT_EQ(value, L"1");
    source.getString(L"A", L"j", value);
    EXPECT_EQ(value, L"3");
    source.getString(L"C", L"k", value);
    EXPECT_EQ(value, L"4");
    std::vector<std::wstring> names;
    source.getSectionNames(names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"B", L"A", L"C"}));
    EXPECT_EQ(source.document().sections()[0].pairs.size(), 3u);
}

struct LayeredCase {
    const char* name;
    const wchar_t* embedded;
    const wchar_t* ini;  // null: no INI file
    const wchar_t* expected;
    SettingOrigin origin;
};

void PrintTo(const LayeredCase& c, std::ostream* out) { *out << c.name; }

class LayeredSettings : public testing::TestWithParam<LayeredCase> {};

TEST_P(LayeredSettings, ApplicationCmdFollowsTheLayeredRule) {
    const LayeredCase& c = GetParam();
    TemporaryFolder folder;
    const std::wstring path = folder.file(L"App.ini");
    if (c.ini) writeUtf16File(path, c.ini);
    LayeredSettingsSource layered(path, c.embedded);
    SettingsSource& source = layered;
    std::wstring value = kStale;
    source.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(layered.lastOrigin(), c.origin) << describeOrigin(layered.lastOrigin());
}

constexpr wchar_t kEmbeddedCmd[] = L"[Application]\r\nCmd=-a\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, LayeredSettings,
    testing::Values(
        LayeredCase{"EmbeddedDefaultWithoutFile", kEmbeddedCmd, nullptr, L"-a", SettingOrigin::embedded},
        LayeredCase{"FileValueOverridesEmbedded", kEmbeddedCmd, L"[Application]\nCmd=-b\n", L"-b",
                    SettingOrigin::iniFile},
        LayeredCase{"EmptyFileValueDoesNotOverride", kEmbeddedCmd, L"[Application]\nCmd=\n", L"-a",
                    SettingOrigin::embedded},
        LayeredCase{"PlusSectionExtendsEmbeddedValue", kEmbeddedCmd, L"[Application+]\nCmd=-c\n", L"-a -c",
                    SettingOrigin::extendedByPlus},
        LayeredCase{"PlusSectionExtendsPastEmptyFileValue", kEmbeddedCmd,
                    L"[Application]\nCmd=\n[Application+]\nCmd=-c\n", L"-a -c", SettingOrigin::extendedByPlus},
        // The private-profile functions keep blanks inside quotes only.
        LayeredCase{"ExtensionStartingWithSpaceGetsNoSecondSpace", kEmbeddedCmd, L"[Application+]\nCmd=\"  -c\"\n",
                    L"-a  -c", SettingOrigin::extendedByPlus},
        LayeredCase{"ExtensionOfEmptyResultGetsLeadingSpace", L"", L"[Application+]\nCmd=-c\n", L" -c",
                    SettingOrigin::extendedByPlus},
        LayeredCase{"FileValueWinsOverPlusSection", kEmbeddedCmd, L"[Application]\nCmd=-b\n[Application+]\nCmd=-c\n",
                    L"-b", SettingOrigin::iniFile},
        LayeredCase{"FileNamesMatchIgnoringCase", kEmbeddedCmd, L"[APPLICATION]\ncmd=-b\n", L"-b",
                    SettingOrigin::iniFile},
        LayeredCase{"PlusSectionMatchesIgnoringCase", kEmbeddedCmd, L"[application+]\nCMD=-c\n", L"-a -c",
                    SettingOrigin::extendedByPlus},
        LayeredCase{"EmbeddedNamesMatchExactly", L"[application]\r\nCMD=-a\r\n", nullptr, L"", SettingOrigin::none},
        LayeredCase{"NothingAnywhereIsEmpty", L"", L"[Display]\nCmd=-d\n", L"", SettingOrigin::none}),
    [](const testing::TestParamInfo<LayeredCase>& info) { return std::string(info.param.name); });

TEST(LayeredSettings, SectionNamesWritesAndDeletionConcernOnlyTheFile) {
    TemporaryFolder folder;
    LayeredSettingsSource source(folder.file(L"App.ini"), kEmbeddedCmd);
    std::vector<std::wstring> names{L"left over"};
    source.getSectionNames(names);
    EXPECT_TRUE(names.empty());

    ASSERT_TRUE(source.writeString(L"Application+", L"Cmd", L"-w"));
    std::wstring value;
    source.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, L"-a -w");
    source.getSectionNames(names);
    EXPECT_EQ(names, std::vector<std::wstring>{L"Application+"});

    EXPECT_TRUE(source.deleteFile());
    source.getString(L"Application", L"Cmd", value);
    EXPECT_EQ(value, L"-a");
}

} // namespace
} // namespace jl
