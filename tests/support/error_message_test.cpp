// The string table as users read it, and the messages built from it.

#include <gtest/gtest.h>

#include "runtime/runtime_search.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"

namespace jl {
namespace {

struct UsedMessage {
    const char* name;
    unsigned id;
};

// Every message id the program's sources name, listed when the build is configured.
constexpr UsedMessage kUsedMessages[] = {
#include "used_message_ids.inc"
};

TEST(StringTable, HoldsEveryMessageTheProgramUses) {
    ASSERT_GT(std::size(kUsedMessages), 20u);
    for (const UsedMessage& message : kUsedMessages) {
        EXPECT_FALSE(loadString(message.id).empty()) << message.name << " = " << message.id;
    }
}

TEST(StringTable, ModulePathFailureReadsAsOneSentence) {
    EXPECT_EQ(formatMessage(loadString(kMsgWindowsException), {loadString(kMsgModulePathFailed), int32_t{5}}),
              L"Windows exception: failed to get the module path (errno = 5).\n");
}

// The splash window hands its place as owner back when it goes, but only its own:
// an owner set since then stays.
TEST(MessageOwner, IsReleasedOnlyByItsOwnWindow) {
    const HWND splash = reinterpret_cast<HWND>(0x1230), other = reinterpret_cast<HWND>(0x4560);
    setMessageOwner(splash);
    releaseMessageOwner(other);
    EXPECT_EQ(messageOwner(), splash);
    releaseMessageOwner(splash);
    EXPECT_EQ(messageOwner(), nullptr);
    setMessageOwner(other);
    releaseMessageOwner(splash);
    EXPECT_EQ(messageOwner(), other);
    setMessageOwner(nullptr);
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
                      // A maximum without a version reads as open; inverted bounds are named as they stand.
                      RequirementCase{L"1.7", L"Any", L"minimum version 1.7"},
                      RequirementCase{L"9", L"1.8", L"version between 9.0 and 1.8"},
                      RequirementCase{L"1.8.0_151", L"17", L"version between 1.8.0.151 and 17.65535"}));

} // namespace
} // namespace jl
