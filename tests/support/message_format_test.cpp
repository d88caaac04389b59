#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "support/message_format.h"

namespace jl {
namespace {

using namespace std::string_view_literals;

TEST(MessageFormat, FillsDirectivesInOrderWithTheirArguments) {
    EXPECT_EQ(formatMessage(L"Windows exception: %s (errno = %d).\n", {L"failed to open"sv, 5}),
              L"Windows exception: failed to open (errno = 5).\n");
    EXPECT_EQ(formatMessage(L"version between %s and %s", {L"1.6"sv, L"11.0"sv}), L"version between 1.6 and 11.0");
    EXPECT_EQ(formatMessage(L"%d%d", {INT32_MIN, INT32_MAX}), L"-21474836482147483647");
    EXPECT_EQ(formatMessage(L"[%s]", {L""sv}), L"[]");
    EXPECT_EQ(formatMessage(L"no directives", {L"unused"sv}), L"no directives");
}

TEST(MessageFormat, DoubledPercentIsOneLiteralPercentAndNeverADirective) {
    EXPECT_EQ(formatMessage(L"100%%", {}), L"100%");
    EXPECT_EQ(formatMessage(L"%%s %s", {L"x"sv}), L"%s x");
    EXPECT_EQ(formatMessage(L"%%%d", {3}), L"%3");
}

TEST(MessageFormat, ArgumentTextIsNotExpandedAgain) {
    EXPECT_EQ(formatMessage(L"%s then %d", {L"%d%%"sv, 4}), L"%d%% then 4");
}

TEST(MessageFormat, DirectiveWithoutMatchingArgumentStaysAsWritten) {
    EXPECT_EQ(formatMessage(L"a %s b", {}), L"a %s b");
    EXPECT_EQ(formatMessage(L"%s and %s", {L"one"sv}), L"one and %s");
    EXPECT_EQ(formatMessage(L"code %d", {L"text"sv}), L"code %d");
    EXPECT_EQ(formatMessage(L"name %s", {7}), L"name %s");
    EXPECT_EQ(formatMessage(L"50% %x %", {L"x"sv}), L"50% %x %");
}

} // namespace
} // namespace jl
