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

} // namespace
} // namespace jl
