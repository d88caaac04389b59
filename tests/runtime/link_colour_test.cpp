// Link colours as the browser settings store them.

#include <gtest/gtest.h>

#include "runtime/link_colour.h"

namespace jl {
namespace {

struct ColourCase {
    const wchar_t* text;
    std::optional<RgbColour> expected;
};

class AnchorColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(AnchorColour, ParsesRedGreenBlueOrNothing) {
    EXPECT_EQ(parseAnchorColour(GetParam().text), GetParam().expected) << ::testing::PrintToString(std::wstring(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Values, AnchorColour, ::testing::Values(
    ColourCase{L"0,128,0", RgbColour{0, 128, 0}},
    ColourCase{L"255,255,255", RgbColour{255, 255, 255}},
    ColourCase{L"256,1,300", RgbColour{0, 1, 44}},        // each number keeps its low byte
    ColourCase{L"0001,2,3", RgbColour{1, 2, 3}},
    ColourCase{L"0;128;0", std::nullopt},
    ColourCase{L"0,128", std::nullopt},
    ColourCase{L"0,128,", std::nullopt},
    ColourCase{L",128,0", std::nullopt},
    ColourCase{L"0,128,0,", std::nullopt},
    ColourCase{L" 0,128,0", std::nullopt},
    ColourCase{L"0,128,0x", std::nullopt},
    ColourCase{L"000,000,0000", std::nullopt},             // twelve characters
    ColourCase{L"", std::nullopt}));

} // namespace
} // namespace jl
