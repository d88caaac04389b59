// The private-profile reading rules on decoded text. The file source's test
// holds them against the system's own functions; these run natively too.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/profile_text.h"

namespace jl {
namespace {

TEST(ProfileText, ReadsAsTheProfileFunctionsDo) {
    const ProfileText profile = ProfileText::parse(
        L"top=level\r\n [Main] x\r\nKey = \"quoted\" \r\nkey=second\r\nBare\r\nHalf='open\r\n"
        L"[Main]\nLater=unseen\n[Other]\rKey=\x00A0spaced\x00A0\x001A\n[]\nKey=nameless");
    const struct {
        const wchar_t *section, *key;
        std::optional<std::wstring> value;
    } cases[] = {
        {L"", L"top", L"level"},       {L"Main", L"K\x00C9Y", std::nullopt},       {L"main", L"KEY", L"quoted"},    {L" Main ", L"Key", L"quoted"},
        {L"Main", L"Bare", std::nullopt}, {L"Main", L"Half", L"'open"}, {L"Main", L"Later", std::nullopt},
        {L"Other", L"Key", L"\x00A0spaced\x00A0"}, {L"Missing", L"Key", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(profile.value(c.section, c.key), c.value) << c.section << c.key;
    EXPECT_EQ(profile.sectionNames(), (std::vector<std::wstring>{L"Main", L"Main", L"Other"}));
}

} // namespace
} // namespace jl
