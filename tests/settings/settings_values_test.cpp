#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

#include "settings/settings_values.h"
#include "runtime/version_printer.h"
#include "support/message_ids.h"

namespace jl {

namespace {

constexpr int32_t kOpen = kOpenPart;

struct BoundsCase {
    const wchar_t* text;
    Version minimum;
    Version maximum;
};

void PrintTo(const BoundsCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.text); }

class SettingsValuesBounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(SettingsValuesBounds, ExactAnyOpensBoundAndShortTextCoversFamily) {
    EXPECT_EQ(minimumVersionFromText(GetParam().text), GetParam().minimum);
    EXPECT_EQ(maximumVersionFromText(GetParam().text), GetParam().maximum);
}

INSTANTIATE_TEST_SUITE_P(SettingsValues, SettingsValuesBounds,
                         ::testing::Values(BoundsCase{L"any", kNoMinimum, kNoMaximum},
                                           // Not the keyword, and without digits.
                                           BoundsCase{L"Any", kNoMinimum, {}}, BoundsCase{L" any", kNoMinimum, {}},
                                           // An empty maximum means no upper bound.
                                           BoundsCase{L"", kNoMinimum, kNoMaximum},
                                           BoundsCase{L"1.8", {{1, 8, 0, 0}}, {{1, 8, kOpen, kOpen}}},
                                           BoundsCase{L"9", {{9, 0, 0, 0}}, {{9, kOpen, kOpen, kOpen}}},
                                           BoundsCase{L"1.8.0_151", {{1, 8, 0, 151}}, {{1, 8, 0, 151}}},
                                           BoundsCase{L"1.99999999999", kNoMinimum, {}}));

TEST(SettingsValues, ShortBoundsAdmitWholeFamilyAndNothingBeyond) {
    const Version minimum = minimumVersionFromText(L"1.8");
    const Version maximum = maximumVersionFromText(L"1.8");
    EXPECT_TRUE(versionInRange(Version{{1, 8, 0, 0}}, minimum, maximum));
    EXPECT_TRUE(versionInRange(Version{{1, 8, 0, 999}}, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 9, 0, 0}}, minimum, maximum));
    EXPECT_FALSE(versionInRange(Version{{1, 7, 0, 80}}, minimum, maximum));
    EXPECT_TRUE(versionInRange(Version{{21, 0, 1, 0}}, minimumVersionFromText(L""), maximumVersionFromText(L"")));
    EXPECT_EQ(versionRequirementText(minimumVersionFromText(L"1.6"), maximumVersionFromText(L"1.6")).messageId,
              kMsgVersionBetween);
}

TEST(SettingsValues, CaseIsIgnoredForLettersAToZOnly) {
    EXPECT_TRUE(equalsIgnoringAsciiCase(L"Favor_JRockit", L"fAVOR_jrOCKIT"));
    EXPECT_TRUE(equalsIgnoringAsciiCase(L"", L""));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"ab", L"abc"));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"\u00C4", L"\u00E4"));
    EXPECT_FALSE(equalsIgnoringAsciiCase(L"@[", L"`{"));
    EXPECT_TRUE(isYesInAnyCase(L"Yes"));
    EXPECT_TRUE(isYesInAnyCase(L"yES"));
    for (const wchar_t* off : {L"", L"Y", L"Yes ", L"Yess", L"true", L"1"}) EXPECT_FALSE(isYesInAnyCase(off)) << off;
}

TEST(SettingsValues, JvmTypeKnowsOnlyExactServerWords) {
    EXPECT_EQ(jvmTypeFromText(L"server"), 1);
    EXPECT_EQ(jvmTypeFromText(L"favor_server"), 2);
    for (const wchar_t* other : {L"", L"Server", L"client", L"favor_Server", L" server"})
        EXPECT_EQ(jvmTypeFromText(other), 0) << other;
}

TEST(SettingsValues, JvmSourceExactWordSetsAllThreeFlags) {
    // Columns: favouring, JDK allowed, JRE allowed.
    const std::pair<const wchar_t*, JvmSourceFlags> cases[] = {
        {L"", {true, true, true}},           {L"favor_JDK", {true, true, false}}, {L"favor_JRE", {true, false, true}},
        {L"only_JDK", {false, true, false}}, {L"only_JRE", {false, false, true}}, {L"favor_jdk", {false, false, false}},
        {L"any", {false, false, false}}};
    for (const auto& [text, flags] : cases) EXPECT_TRUE(jvmSourceFlagsFromText(text) == flags) << text;
}

TEST(SettingsValues, VmProviderWordInAnyCaseSetsAllSixFlags) {
    // Columns: jrockit allowed/favoured, sun allowed/favoured, ibm allowed/favoured.
    constexpr VmProviderFlags kSunOnly{false, false, true, true, false, false};
    const std::pair<const wchar_t*, VmProviderFlags> cases[] = {
        {L"jrockit", {true, true, false, false, false, false}},
        {L"JRockit", {true, true, false, false, false, false}},
        {L"IBM", {false, false, false, false, true, true}},
        {L"favor_sun", {true, false, true, true, true, false}},
        {L"Favor_JRockit", {true, true, true, false, true, false}},
        {L"favor_ibm", {true, false, true, false, true, true}},
        {L"ANY", {true, false, true, false, true, false}},
        {L"", kSunOnly},
        {L"sun", kSunOnly},
        {L"ibm ", kSunOnly}};
    for (const auto& [text, flags] : cases) EXPECT_TRUE(vmProviderFlagsFromText(text) == flags) << text;
}

TEST(SettingsValues, MainClassDotsBecomeSlashes) {
    EXPECT_EQ(internalClassName(L"com.example.app.Main"), L"com/example/app/Main");
    EXPECT_EQ(internalClassName(L"com/example/Main"), L"com/example/Main");
    EXPECT_EQ(internalClassName(L"a.b/c.D$1"), L"a/b/c/D$1");
}

TEST(SettingsValues, IniPathReplacesEverythingAfterLastDot) {
    EXPECT_EQ(iniPathForProgram(L"C:\\Apps\\App.exe"), L"C:\\Apps\\App.ini");
    EXPECT_EQ(iniPathForProgram(L"C:\\Apps\\app.v2.exe"), L"C:\\Apps\\app.v2.ini");
    // The only dot sits in a folder name, so the cut falls inside it.
    EXPECT_EQ(iniPathForProgram(L"C:\\My.Apps\\App"), L"C:\\My.ini");
    EXPECT_EQ(iniPathForProgram(L"C:\\Apps\\App"), L"");
}

TEST(SettingsValues, ProductFolderDropsOnlyTheNineUnfitCharacters) {
    EXPECT_EQ(productFolderName(L"a\\b?c\"d|e>f<g:h/i*j"), L"abcdefghij");
    EXPECT_EQ(productFolderName(L"Acme: Tools 2.0 (x64)"), L"Acme Tools 2.0 (x64)");
    EXPECT_EQ(productFolderName(L"<:>"), L"");
}

TEST(SettingsValues, PerUserIniLivesUnderFilteredNameAndUnfilteredCode) {
    const PerUserIniLocation location = perUserIniLocation(L"C:\\Users\\u\\AppData\\Roaming", L"Acme: Tools/Pro",
                                                           L"{AB:1/2}", L"C:\\Program Files\\Acme\\Tool.exe");
    EXPECT_EQ(location.productFolder, L"C:\\Users\\u\\AppData\\Roaming\\Acme ToolsPro");
    EXPECT_EQ(location.codeFolder, L"C:\\Users\\u\\AppData\\Roaming\\Acme ToolsPro\\{AB:1/2}");
    EXPECT_EQ(location.iniPath, L"C:\\Users\\u\\AppData\\Roaming\\Acme ToolsPro\\{AB:1/2}\\Tool.ini");
}

TEST(SettingsValues, PerUserIniBaseNameIsFileNameWithoutItsExtension) {
    const auto iniPath = [](const wchar_t* appData, const wchar_t* source) {
        return perUserIniLocation(appData, L"P", L"C", source).iniPath;
    };
    EXPECT_EQ(iniPath(L"D:", L"C:\\a.b\\Tool"), L"D:\\P\\C\\Tool.ini");
    EXPECT_EQ(iniPath(L"D:", L"C:\\a\\Tool.v2.exe"), L"D:\\P\\C\\Tool.v2.ini");
    EXPECT_EQ(iniPath(L"D:", L"Tool.exe"), L"D:\\P\\C\\Tool.ini");
    // An unset APPDATA leaves a path that starts at the separator.
    EXPECT_EQ(iniPath(L"", L"C:\\a\\Tool.exe"), L"\\P\\C\\Tool.ini");
}

} // namespace
} // namespace jl
