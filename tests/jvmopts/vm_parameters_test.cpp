#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvmopts/vm_parameters.h"

namespace jl {
namespace {

std::vector<std::wstring> parametersAfterQuoteRemoval(std::wstring_view text) {
    std::vector<std::wstring> parameters = splitVmParameters(text);
    for (std::wstring& parameter : parameters) removeQuotes(parameter);
    return parameters;
}

using Parameters = std::vector<std::wstring>;

TEST(VmParameters, SplitAtSpacesOutsideQuotesThenQuotesAreRemoved) {
    EXPECT_EQ(parametersAfterQuoteRemoval(L"-Xmx512m -Dapp.home=\"C:\\Program Files\\Tool\" \"-Dtitle=A B\""),
              (Parameters{L"-Xmx512m", L"-Dapp.home=C:\\Program Files\\Tool", L"-Dtitle=A B"}));
    EXPECT_EQ(parametersAfterQuoteRemoval(L"-Dx=\"a b"), (Parameters{L"-Dx=\"a", L"b"}));
    EXPECT_EQ(parametersAfterQuoteRemoval(L"-Dq=\"a\"\"b\""), (Parameters{L"-Dq=a\"b\""}));
    EXPECT_EQ(parametersAfterQuoteRemoval(L"  -Da   -Db\t-Dc  "), (Parameters{L"-Da", L"-Db\t-Dc"}));
    // A doubled closing quote ends the stretch; the next space outside one splits.
    EXPECT_EQ(parametersAfterQuoteRemoval(L"-D\"a b\"\"c d\"x"), (Parameters{L"-Da b\"c", L"d\"x"}));
    EXPECT_EQ(parametersAfterQuoteRemoval(L"-De=\"\" \"\""), (Parameters{L"-De=", L""}));
    EXPECT_EQ(parametersAfterQuoteRemoval(L""), Parameters{});
}

TEST(RelativeMemory, BecomesKilobytesOfTheMachinesMemory) {
    const struct { const wchar_t* parameter; uint64_t physicalKiB; const wchar_t* result; } cases[] = {
        {L"-Xmx50P", 16777216, L"-Xmx8388608K"}, {L"-Xmx10:512:2048P", 4194304, L"-Xmx524288K"},
        {L"-Xmx75:256:1024P", 16777216, L"-Xmx1048576K"}, {L"-Xmx50:0:1024T", 4194304, L"-Xmx1048576K"},
        {L"-Xms10T", 4194304, L"-Xms858993459K"}, {L"-Xmx50:2048:1024p", 16777216, L"-Xmx2097152K"},
        {L"-Xmx0P", 16777216, L"-Xmx0K"}, {L"-Xmx:512P", 16777216, L"-Xmx524288K"}, {L"-Xss1t", 1024, L"-Xss85899345K"},
        {L"-Xmx200P", 1024, L"-Xmx2048K"},
        // Far beyond the 64-bit range: the largest size, never a small one.
        {L"-Xmx99999999999999999999999P", 16777216, L"-Xmx18446744073709551615K"},
        {L"-Xmx1:99999999999999999999P", 16, L"-Xmx18446744073709551615K"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.parameter)));
        ASSERT_TRUE(isRelativeMemoryOption(c.parameter));
        EXPECT_EQ(resolveRelativeMemoryOption(c.parameter, MachineMemory{c.physicalKiB << 10, uint64_t{8} << 40}), c.result);
    }
}

TEST(RelativeMemory, OnlyTheThreeOptionsInTheirLetterCaseWithASuffixQualify) {
    for (const wchar_t* parameter : {L"-XMX50P", L"-Xmx512m", L"-Xmx2G", L"-Xmn50P", L"-Dx=50P"}) {
        EXPECT_FALSE(isRelativeMemoryOption(parameter)) << ::testing::PrintToString(std::wstring(parameter));
    }
}

TEST(StackSize, UnitsDigitsAndUnusableForms) {
    const std::pair<const wchar_t*, uint64_t> cases[] = {
        {L"512k", 524288}, {L"2m", 2097152}, {L"1048576", 1048576}, {L"1G", 1073741824}, {L"512K", 524288},
        {L"0", 0},         {L":1m", 0},      {L"1:2m", 0},          {L"x1m", 0},         {L"", 0},
        {L"7", 7},         {L"99999999999999999999g", UINT64_MAX},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(parseStackSize(text), bytes) << ::testing::PrintToString(std::wstring(text));
}

} // namespace
} // namespace jl
