// Which runtimes may keep a class-data archive, and the archive's name.

#include <gtest/gtest.h>

#include <string>

#include "jvmopts/class_data_key.h"

namespace jl {
namespace {

TEST(ClassDataKey, OnlyHotSpotFrom13OnKeepsAnArchive) {
    const struct { const char* release; bool refused; } cases[] = {
        {"IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"17.0.15\"\n", false},
        {"JAVA_VERSION=\"13\"\r\nJVM_VARIANT=\"Hotspot\"\r\n", false},
        {"JAVA_VERSION=\"11.0.2\"\n", true},
        {"JAVA_VERSION=\"1.8.0_402\"\n", true},
        {"IMPLEMENTOR=\"Eclipse OpenJ9\"\nJAVA_VERSION=\"17.0.9\"\n", true},
        {"JAVA_VERSION=\"21\"\nJVM_VARIANT=\"Openj9\"\n", true},
        {"IMPLEMENTOR=\"Debian\"\n", true},
        {"", true},
    };
    for (const auto& c : cases) EXPECT_EQ(dynamicArchiveRefusal(c.release) != nullptr, c.refused) << c.release;
}

} // namespace
} // namespace jl
