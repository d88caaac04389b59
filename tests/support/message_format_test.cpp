#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "support/message_format.h"

namespace jl {
namespace {

using namespace std::string_view_literals;

// Directives fill in order; a doubled percent is one literal percent; argument
// text is never expanded again; a directive without a matching argument stays.
TEST(MessageFormat, FillsMatchingDirectivesInOrderAndLeavesTheRestAsWritten) {
    // Each row: what the call gave, and what it should give.
    const std::pair<std::wstring, const wchar_t*> cases[] = {
        {formatMessage(L"Windows exception: %s (errno = %d).\n", {L"failed to open"sv, 5}), L"Windows exception: failed to open (errno = 5).\n"},
        {formatMessage(L"version between %s and %s", {L"1.6"sv, L"11.0"sv}), L"version between 1.6 and 11.0"},
        {formatMessage(L"%d%d", {INT32_MIN, INT32_MAX}), L"-21474836482147483647"},
        {formatMessage(L"[%s]", {L""sv}), L"[]"},
        {formatMessage(L"no directives", {L"unused"sv}), L"no directives"},
        {formatMessage(L"100%%", {}), L"100%"},
        {formatMessage(L"%%s %s", {L"x"sv}), L"%s x"},
        {formatMessage(L"%%%d", {3}), L"%3"},
        {formatMessage(L"%s then %d", {L"%d%%"sv, 4}), L"%d%% then 4"},
        {formatMessage(L"a %s b", {}), L"a %s b"},
        {formatMessage(L"%s and %s", {L"one"sv}), L"one and %s"},
        {formatMessage(L"code %d", {L"text"sv}), L"code %d"},
        {formatMessage(L"name %s", {7}), L"name %s"},
        {formatMessage(L"50% %x %", {L"x"sv}), L"50% %x %"}};
    for (const auto& [formatted, expected] : cases) EXPECT_EQ(formatted, expected);
}

} // namespace
} // namespace jl
