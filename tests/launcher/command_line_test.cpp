#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "launcher/command_line.h"

namespace jl {
namespace {

using Tokens = std::vector<std::wstring>;

TEST(CommandLine, ArgumentsSplitOnSpacesWithQuotesOnlyAtTokenStartAndDropProgramPath) {
    const std::pair<const wchar_t*, Tokens> cases[] = {
        {L"C:\\Apps\\app.exe", {}}, {L"", {}}, {L" \t ", {}},
        {L"\"C:\\Program Files\\app.exe\" a b", {L"a", L"b"}},
        // Unquoted program path with a space: only its first piece is dropped.
        {L"C:\\Program Files\\app.exe a", {L"Files\\app.exe", L"a"}},
        {L"app   a    b", {L"a", L"b"}}, {L"app \"\" b", {L"", L"b"}}, {L"app \"a b\"c d", {L"a b", L"c", L"d"}},
        {L"app \"a  b c", {L"a  b c"}}, {L"app a \"", {L"a", L""}}, {L"app a\tb \tc", {L"a\tb", L"\tc"}},
        {L"app ab\"cd ef\"", {L"ab\"cd", L"ef\""}},
        // A backslash escapes nothing: the quote after it still closes the token.
        {L"app \"a\\\" b", {L"a\\", L"b"}}, {L"app \\\"x y\"", {L"\\\"x", L"y\""}},
        // Surrounding white space of any kind goes before splitting.
        {L" \t app a \t\r\n", {L"a"}},
        {L"app -NoSplash /nosplash", {L"-NoSplash", L"/nosplash"}}};
    for (const auto& [commandLine, arguments] : cases) {
        EXPECT_EQ(argumentsFromCommandLine(commandLine), arguments) << ::testing::PrintToString(commandLine);
    }
}

TEST(CommandLine, OnlyExactWholeSwitchSuppressesSplash) {
    EXPECT_TRUE(hasNoSplashSwitch({L"-nosplash"}));
    EXPECT_TRUE(hasNoSplashSwitch({L"a", L"/nosplash", L"b"}));
    EXPECT_FALSE(hasNoSplashSwitch({}));
    for (const wchar_t* near :
         {L"-NoSplash", L"/NOSPLASH", L"-nosplash ", L"--nosplash", L"-nosplash=1", L"\\nosplash"})
        EXPECT_FALSE(hasNoSplashSwitch({L"a", near})) << near;
}

} // namespace
} // namespace jl
