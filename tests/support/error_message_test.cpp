// The string table as users read it, and the messages built from it.

#include <gtest/gtest.h>

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

} // namespace
} // namespace jl
