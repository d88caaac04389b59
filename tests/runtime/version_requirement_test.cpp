// The phrase that names the configured version bounds, as the JRE Not Found
// message shows it.

#include <gtest/gtest.h>

#include <string>

#include "runtime/runtime_search.h"
#include "settings/settings_values.h"

namespace jl {
namespace {

TEST(VersionRequirementPhrase, DescribesTheConfiguredBounds) {
    const struct { const wchar_t *minimum, *maximum, *phrase; } cases[] = {
        {L"any", L"any", L"latest version"}, {L"", L"", L"latest version"}, {L"any", L"9", L"maximum version 9.65535"},
        {L"1.7", L"any", L"minimum version 1.7"}, {L"1.6.0.0", L"1.6.0.0", L"version 1.6 is required"},
        {L"1.6", L"1.6", L"version between 1.6 and 1.6"}, {L"Any", L"11.0.2", L"maximum version 11.0.2"},
        // A maximum without a version reads as open; inverted bounds are named as they stand.
        {L"1.7", L"Any", L"minimum version 1.7"}, {L"9", L"1.8", L"version between 9.0 and 1.8"},
        {L"1.8.0_151", L"17", L"version between 1.8.0.151 and 17.65535"}};
    for (const auto& c : cases) {
        EXPECT_EQ(describeVersionRequirement(minimumVersionFromText(c.minimum), maximumVersionFromText(c.maximum)),
                  c.phrase)
            << ::testing::PrintToString(std::wstring(c.minimum)) << " to " << ::testing::PrintToString(std::wstring(c.maximum));
    }
}

} // namespace
} // namespace jl
