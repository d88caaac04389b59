// The string table as users read it, and the messages built from it.

#include <gtest/gtest.h>

#include "runtime/runtime_search.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"

namespace jl {
namespace {

struct TableEntry {
    unsigned id;
    const wchar_t* text;
};

// The texts exactly as users see them, blanks, line feeds and all.
constexpr TableEntry kTable[] = {
    {202, L"Windows exception: %s (errno = %d).\n"},
    {203, L"JNI exception: %s\nReason: %s.\n"},
    {206, L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM "
          L"(%s) from:"},
    {207, L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (%s) from:"},
    {208, L"failed to get the module path"},
    {209, L"Java Class Path was not specified in INI file."},
    {210, L"Main class was not specified in INI file."},
    {211, L"Failed to load Main Class: %s.\n"},
    {212, L"cannot find CreateJavaVM JNI"},
    {213, L"failed to create the Java VM"},
    {214, L"Browse for JRE folder"},
    {215, L"Could not find the main class %s.\n"},
    {216, L"No main method found in specified class.\n"},
    {217, L"latest version"},
    {218, L"maximum version %s"},
    {219, L"minimum version %s"},
    {220, L"version %s is required"},
    {221, L"version between %s and %s"},
    {222, L"Failed to load Java VM library: %s (errno = %d).\n"},
    {225, L"unknown"},
    {226, L"thread detached from VM"},
    {227, L"JNI version error"},
    {228, L"not enough memory"},
    {229, L"VM already created"},
    {230, L"invalid arguments"},
    {240, L"Failed to start the paired program %s (errno = %d).\n"},
};

TEST(StringTable, HoldsEveryMessageExactly) {
    for (const TableEntry& entry : kTable) EXPECT_EQ(loadString(entry.id), entry.text) << "string " << entry.id;
    EXPECT_EQ(loadString(223), L"");
}

TEST(StringTable, ModulePathFailureReadsAsOneSentence) {
    EXPECT_EQ(formatMessage(loadString(kMsgWindowsException), {loadString(kMsgModulePathFailed), int32_t{5}}),
              L"Windows exception: failed to get the module path (errno = 5).\n");
}

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
                      RequirementCase{L"1.8.0_151", L"17", L"version between 1.8.0.151 and 17.65535"}));

TEST(JreNotFoundMessage, ServerTypeAsksForAServerJvm) {
    const std::wstring phrase = describeVersionRequirement(minimumVersionFromText(L"11"), kNoMaximum);
    EXPECT_EQ(formatMessage(loadString(kMsgJreNotFoundServer), {phrase}),
              L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server "
              L"JVM (minimum version 11.0) from:");
}

} // namespace
} // namespace jl
