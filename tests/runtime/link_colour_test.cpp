// Link colours as the browser settings store them.

#include <gtest/gtest.h>

#include <utility>

#include "runtime/link_colour.h"

namespace jl {
namespace {

TEST(AnchorColour, ParsesRedGreenBlueOrNothing) {
    const std::pair<const wchar_t*, std::optional<RgbColour>> cases[] = {
        {L"0,128,0", RgbColour{0, 128, 0}}, {L"255,255,255", RgbColour{255, 255, 255}},
        {L"256,1,300", RgbColour{0, 1, 44}},  // each number keeps its low byte
        {L"0001,2,3", RgbColour{1, 2, 3}}, {L"0;128;0", std::nullopt}, {L"0,128", std::nullopt},
        {L"0,128,", std::nullopt}, {L",128,0", std::nullopt}, {L"0,128,0,", std::nullopt}, {L" 0,128,0", std::nullopt},
        {L"0,128,0x", std::nullopt}, {L"000,000,0000", std::nullopt},  // twelve characters
        {L"", std::nullopt}};
    for (const auto& [text, colour] : cases) EXPECT_EQ(parseAnchorColour(text), colour) << ::testing::PrintToString(text);
}

} // namespace
} // namespace jl
