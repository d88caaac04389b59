#include <gtest/gtest.h>

#include "rig/version_printer.h"
#include "runtime/runtime_folders.h"

namespace jl {
namespace {

TEST(ReleaseFile, FactsComeFromTheirKeys) {
    using enum ReleaseArchitecture;
    const struct {
        const char* text;
        std::optional<Version> version;
        ReleaseArchitecture architecture;
        RuntimeProvider provider;
        std::optional<RuntimeKind> kind;
    } cases[] = {
        {"IMPLEMENTOR=\"Eclipse Adoptium\"\r\nJAVA_VERSION=\"21.0.1\"\r\nOS_ARCH=\"amd64\"\r\nIMAGE_TYPE=\"JDK\"\r\n",
         Version{{21, 0, 1, 0}}, x64, RuntimeProvider::sun, RuntimeKind::jdk},
        {"JAVA_VERSION_DATE=\"2023\"\nJAVA_VERSION=\"1.8.0_392\"\nOS_ARCH=\"x86_64\"\nIMAGE_TYPE=\"jre\"",
         Version{{1, 8, 0, 392}}, x64, RuntimeProvider::sun, RuntimeKind::jre},
        {"IMPLEMENTOR=\"IBM Corporation\"\nJVM_VARIANT=\"Openj9\"\nOS_ARCH=\"x86\"\n", {}, x86, RuntimeProvider::ibm, {}},
        {"JVM_VARIANT=\"openj9\"\nOS_ARCH=\"aarch64\"\nIMAGE_TYPE=\"JDKX\"\n", {}, other, RuntimeProvider::ibm, {}},
        {"OS_ARCH=amd64\nIMAGE_TYPE=JDK\nJVM_VARIANT=\"Hotspot\"\n", {}, unknown, RuntimeProvider::sun, {}},
    };
    for (const auto& c : cases) {
        const ReleaseFacts facts = readReleaseFacts(c.text);
        EXPECT_EQ(facts.version, c.version) << c.text;
        EXPECT_EQ(facts.architecture, c.architecture) << c.text;
        EXPECT_EQ(facts.provider, c.provider) << c.text;
        EXPECT_EQ(facts.kind, c.kind) << c.text;
    }
}

} // namespace
} // namespace jl
