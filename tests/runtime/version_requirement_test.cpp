// The phrase that names the configured version bounds, as the JRE Not Found
// message shows it.

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "runtime/runtime_search.h"
#include "settings/settings_values.h"

namespace jl {
namespace {

struct RequirementCase {
    const wchar_t* minimum;
    const wchar_t* maximum;
    const wchar_t* phrase;
};

void PrintTo(const RequirementCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(std::wstring(c.minimum)) << " to " << ::testing::PrintToString(std::wstring(c.maximum));
}

class VersionRequirementPhrase : public ::testing::TestWithParam<RequirementCase> {};

TEST_P(VersionRequirementPhrase, DescribesTheConfiguredBounds) {
    const RequirementCase& c = GetParam();
    EXPECT_EQ(describeVersionRequirement(minimumVersionFromText(c.minimum), maximumVersionFromText(c.maximum)),
              c.phrase);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, VersionRequirementPhrase,
    ::testing::Values(RequirementCase{L"any", L"any", L"latest version"},
                      RequirementCase{L"", L"", L"latest version"},
                      RequirementCase{L"any", L"9", L"maximum version 9.65535"},
                      RequirementCase{L"1.7", L"any", L"minimum version 1.7"},
                      RequirementCase{L"1.6.0.0", L"1.6.0.0", L"version 1.6 is required"},
                      RequirementCase{L"1.6", L"1.6", L"version between 1.6 and 1.6"},
                      RequirementCase{L"Any", L"11.0.2", L"maximum version 11.0.2"},
                      // A maximum without a version reads as open; inverted bounds are named as they stand.
                      RequirementCase{L"1.7", L"Any", L"minimum version 1.7"},
                      RequirementCase{L"9", L"1.8", L"version between 9.0 and 1.8"},
                      RequirementCase{L"1.8.0_151", L"17", L"version between 1.8.0.151 and 17.65535"}));

} // namespace
} // namespace jl
