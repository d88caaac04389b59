#include <gtest/gtest.h>

#include "runtime/vendor_runtimes.h"
#include "rig/version_printer.h"

namespace jl {
namespace {

TEST(ReleaseFile, JavaVersionLineGivesTheVersion) {
    const struct {
        const char* text;
        std::optional<Version> version;
    } cases[] = {
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\r\nJAVA_VERSION=\"17.0.9\"\r\nOS_NAME=\"Windows\"\r\n", Version{{17, 0, 9, 0}}},
        {"JAVA_VERSION=\"1.8.0_392\"", Version{{1, 8, 0, 392}}},
        {"JAVA_RUNTIME_VERSION=\"21+35\"\nJAVA_VERSION=\"21\"\n", Version{{21, 0, 0, 0}}},
        {"", std::nullopt},
        {"IMPLEMENTOR_JAVA_VERSION=\"17\"\n", std::nullopt},
        {"JAVA_VERSION=17.0.9\n", std::nullopt},
        {"JAVA_VERSION=\"17.0.9\n", std::nullopt},
        {"JAVA_VERSION=\"\"\n", std::nullopt},
        {"JAVA_VERSION=\"unknown\"\n", std::nullopt},
        {"JAVA_VERSION=\"99999999999\"\n", std::nullopt},
        {"\"\n=\nJAVA_VERSION=\"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(releaseFileVersion(c.text), c.version) << c.text;
}

TEST(VendorVersions, UnknownVersionPassesOnlyWithoutBounds) {
    const Version v11{{11, 0, 21, 0}};
    EXPECT_TRUE(versionSatisfiesBounds(v11, kNoMinimum, kNoMaximum));
    EXPECT_FALSE(versionSatisfiesBounds(v11, Version{{17, 0, 0, 0}}, kNoMaximum));
    EXPECT_TRUE(versionSatisfiesBounds(std::nullopt, kNoMinimum, kNoMaximum));
    EXPECT_FALSE(versionSatisfiesBounds(std::nullopt, Version{{1, 0, 0, 0}}, kNoMaximum));
    EXPECT_FALSE(versionSatisfiesBounds(std::nullopt, kNoMinimum, Version{{21, 65535, 65535, 65535}}));
}

} // namespace
} // namespace jl
