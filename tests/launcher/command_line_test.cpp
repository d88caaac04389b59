#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "launcher/command_line.h"

namespace jl {
namespace {

using Tokens = std::vector<std::wstring>;

struct CommandLineCase {
    const wchar_t* commandLine;
    Tokens arguments;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.commandLine); }

class CommandLineArguments : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineArguments, SplitOnSpacesWithQuotesOnlyAtTokenStartAndDropProgramPath) {
    EXPECT_EQ(argumentsFromCommandLine(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineArguments,
    ::testing::Values(CommandLineCase{L"C:\\Apps\\app.exe", {}}, CommandLineCase{L"", {}}, CommandLineCase{L" \t ", {}},
                      CommandLineCase{L"\"C:\\Program Files\\app.exe\" a b", {L"a", L"b"}},
                      // Unquoted program path with a space: only its first piece is dropped.
                      CommandLineCase{L"C:\\Program Files\\app.exe a", {L"Files\\app.exe", L"a"}},
                      CommandLineCase{L"app   a    b", {L"a", L"b"}}, CommandLineCase{L"app \"\" b", {L"", L"b"}},
                      CommandLineCase{L"app \"a b\"c d", {L"a b", L"c", L"d"}},
                      CommandLineCase{L"app \"a  b c", {L"a  b c"}}, CommandLineCase{L"app a \"", {L"a", L""}},
                      CommandLineCase{L"app a\tb \tc", {L"a\tb", L"\tc"}},
                      CommandLineCase{L"app ab\"cd ef\"", {L"ab\"cd", L"ef\""}},
                      // A backslash escapes nothing: the quote after it still closes the token.
                      CommandLineCase{L"app \"a\\\" b", {L"a\\", L"b"}},
                      CommandLineCase{L"app \\\"x y\"", {L"\\\"x", L"y\""}},
                      // Surrounding white space of any kind goes before splitting.
                      CommandLineCase{L" \t app a \t\r\n", {L"a"}},
                      CommandLineCase{L"app -NoSplash /nosplash", {L"-NoSplash", L"/nosplash"}}));

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
