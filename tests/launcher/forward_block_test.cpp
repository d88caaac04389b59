// The argument area of the block a secondary start shares with the running
// primary: what fits, how it reads back, and reading areas written by others.

#include <gtest/gtest.h>

#include <array>

#include "launcher/forward_block.h"

namespace jl {
namespace {

using Area = std::array<char16_t, kArgumentAreaUnits>;
using Arguments = std::vector<std::wstring>;

std::optional<Arguments> roundTrip(const Arguments& arguments) {
    Area area{};
    if (!encodeForwardedArguments(arguments, area)) return std::nullopt;
    return decodeForwardedArguments(area);
}

TEST(ForwardBlock, EveryLengthUpToTheLimitRoundTripsAndOneMoreDoesNot) {
    for (size_t length = 0; length <= 600; ++length) {
        const Arguments one{std::wstring(length, L'a')};
        EXPECT_EQ(roundTrip(one), length <= 518 ? std::optional(one) : std::nullopt) << length;
        // Two arguments: the second as long as still fits, then one unit longer.
        if (length >= 517) continue;
        const Arguments two{std::wstring(length, L'b'), std::wstring(517 - length, L'c')};
        EXPECT_EQ(forwardedArgumentBytes(two), kMaxForwardedArgumentBytes);
        EXPECT_EQ(roundTrip(two), two) << length;
        EXPECT_EQ(roundTrip({two[0], two[1] + L'c'}), std::nullopt) << length;
    }
}

TEST(ForwardBlock, AreaWithoutClosingTerminatorIsReadToItsEndOnly) {
    Area area;
    area.fill(u'z');
    EXPECT_EQ(decodeForwardedArguments(area), Arguments{});
    area.back() = u'\0';  // the last unit ends a string: it counts
    EXPECT_EQ(decodeForwardedArguments(area), Arguments{std::wstring(kArgumentAreaUnits - 1, L'z')});
    for (size_t i = 3; i < area.size(); i += 4) area[i] = u'\0';  // "zzz" over and over, never "\0\0"
    const Arguments read = decodeForwardedArguments(area);
    EXPECT_EQ(read, Arguments(kArgumentAreaUnits / 4, L"zzz"));
}

} // namespace
} // namespace jl
