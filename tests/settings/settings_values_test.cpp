#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "rig/version_printer.h"
#include "settings/settings_values.h"

namespace jl {
namespace {

constexpr int32_t kOpen = kOpenPart;

TEST(SettingsValues, ExactAnyOpensABoundAndAShortVersionCoversItsFamily) {
    const struct { const wchar_t* text; Version minimum, maximum; } cases[] = {
        {L"any", kNoMinimum, kNoMaximum}, {L"1.8", {{1, 8, 0, 0}}, {{1, 8, kOpen, kOpen}}},
        {L"1.8.0_151", {{1, 8, 0, 151}}, {{1, 8, 0, 151}}}, {L"1.99999999999", kNoMinimum, {}},
        // "Any" is not the keyword and holds no digits; an empty maximum means no upper bound.
        {L"Any", kNoMinimum, {}}, {L"", kNoMinimum, kNoMaximum}};
    for (const auto& c : cases) {
        EXPECT_EQ(minimumVersionFromText(c.text), c.minimum) << ::testing::PrintToString(c.text);
        EXPECT_EQ(maximumVersionFromText(c.text), c.maximum) << ::testing::PrintToString(c.text);
    }
}

TEST(SettingsValues, YesIsThatWordInAnyCase) {
    EXPECT_TRUE(isYesInAnyCase(L"yES"));
    for (const wchar_t* off : {L"", L"Y", L"Yes ", L"Yess", L"true", L"1"}) EXPECT_FALSE(isYesInAnyCase(off)) << off;
}

TEST(SettingsValues, SecondsAreDigitsAloneUpToOneDay) {
    EXPECT_EQ(secondsFromText(L"5"), 5u);
    EXPECT_EQ(secondsFromText(L"86400"), 86400u);
    for (const wchar_t* none : {L"", L"0", L"-3", L"2s", L" 2", L"1.5", L"86401", L"99999999999"})
        EXPECT_EQ(secondsFromText(none), 0u) << none;
}

TEST(SettingsValues, ServiceStartTypeAndAccountInAnyCaseWithTheirDefaults) {
    EXPECT_EQ(serviceStartTypeFromText(L"DELAYED"), ServiceStartType::delayed);
    EXPECT_EQ(serviceStartTypeFromText(L"manual"), ServiceStartType::manual);
    EXPECT_EQ(serviceStartTypeFromText(L"Disabled"), ServiceStartType::disabled);
    EXPECT_EQ(serviceStartTypeFromText(L"boot"), ServiceStartType::automatic);
    EXPECT_EQ(serviceAccountFromText(L"localsystem"), ServiceAccount::localSystem);
    EXPECT_EQ(serviceAccountFromText(L"NetworkService"), ServiceAccount::networkService);
    EXPECT_EQ(serviceAccountFromText(L""), ServiceAccount::localService);
}

TEST(SettingsValues, JvmTypeKnowsOnlyExactServerWords) {
    EXPECT_EQ(jvmTypeFromText(L"server"), JvmType::server);
    EXPECT_EQ(jvmTypeFromText(L"favor_server"), JvmType::favorServer);
    for (const wchar_t* other : {L"", L"Server", L"client", L"favor_Server", L" server"})
        EXPECT_EQ(jvmTypeFromText(other), JvmType::defaultVm) << other;
}

TEST(SettingsValues, IniPathReplacesEverythingAfterLastDot) {
    EXPECT_EQ(iniPathForProgram(L"C:\\Apps\\app.v2.exe"), L"C:\\Apps\\app.v2.ini");
    // The only dot sits in a folder name, so the cut falls inside it.
    EXPECT_EQ(iniPathForProgram(L"C:\\My.Apps\\App"), L"C:\\My.ini");
    EXPECT_EQ(iniPathForProgram(L"C:\\Apps\\App"), L"");
}

TEST(SettingsValues, PerUserIniLivesUnderFilteredNameAndUnfilteredCodeWithTheProgramsBaseName) {
    EXPECT_EQ(productFolderName(L"a\\b?c\"d|e>f<g:h/i*j (x64)"), L"abcdefghij (x64)");
    const auto iniPath = [](const wchar_t* appData, const wchar_t* source) {
        return perUserIniLocation(appData, L"Acme: Tools/Pro", L"{AB:1/2}", source).iniPath;
    };
    EXPECT_EQ(iniPath(L"C:\\Users\\u\\AppData\\Roaming", L"C:\\Program Files\\Acme\\Tool.exe"),
              L"C:\\Users\\u\\AppData\\Roaming\\Acme ToolsPro\\{AB:1/2}\\Tool.ini");
    EXPECT_EQ(iniPath(L"D:", L"C:\\a.b\\Tool"), L"D:\\Acme ToolsPro\\{AB:1/2}\\Tool.ini");
    EXPECT_EQ(iniPath(L"D:", L"C:\\a\\Tool.v2.exe"), L"D:\\Acme ToolsPro\\{AB:1/2}\\Tool.v2.ini");
    EXPECT_EQ(iniPath(L"D:", L"Tool.exe"), L"D:\\Acme ToolsPro\\{AB:1/2}\\Tool.ini");
    // An unset APPDATA leaves a path that starts at the separator.
    EXPECT_EQ(iniPath(L"", L"C:\\a\\Tool.exe"), L"\\Acme ToolsPro\\{AB:1/2}\\Tool.ini");
}

} // namespace
} // namespace jl
