#include <gtest/gtest.h>

#include "runtime/runtime_folders.h"

namespace jl {
namespace {

TEST(ReleaseFile, FactsComeFromTheirKeys) {
    using enum ReleaseArchitecture; using enum RuntimeProvider;
    const struct {
        const char* text; std::optional<Version> version; ReleaseArchitecture architecture; RuntimeProvider provider;
        std::optional<RuntimeKind> kind;
    } cases[] = {
        {"JAVA_VERSION=\"21.0.1\"\r\nOS_ARCH=\"amd64\"\r\nIMAGE_TYPE=\"JDK\"\r\n", Version{{21, 0, 1, 0}}, x64, sun, RuntimeKind::jdk},
        {"JAVA_VERSION_DATE=\"2023\"\nJAVA_VERSION=\"1.8.0_392\"\nOS_ARCH=\"x86_64\"\nIMAGE_TYPE=\"jre\"", Version{{1, 8, 0, 392}},
         x64, sun, RuntimeKind::jre},
        {"IMPLEMENTOR=\"IBM Corporation\"\nOS_ARCH=\"i586\"\n", {}, x86, ibm, {}},
        {"JVM_VARIANT=\"openj9\"\nOS_ARCH=\"aarch64\"\nIMAGE_TYPE=\"JDKX\"\n", {}, other, ibm, {}},
        {"OS_ARCH=amd64\nIMAGE_TYPE=JDK\nJVM_VARIANT=\"Hotspot\"\n", {}, unknown, sun, {}},
        // JAVA_VERSION only as its own key, quoted whole, with digits.
        {"JAVA_RUNTIME_VERSION=\"21+35\"\nJAVA_VERSION=\"21\"\n", Version{{21, 0, 0, 0}}, unknown, sun, {}},
        {"IMPLEMENTOR_JAVA_VERSION=\"17\"\nJAVA_VERSION=17.0.9\n", {}, unknown, sun, {}},
        {"JAVA_VERSION=\"17.0.9\n", {}, unknown, sun, {}},
        {"JAVA_VERSION=\"unknown\"\n", {}, unknown, sun, {}},
        {"JAVA_VERSION=\"99999999999\"\n", {}, unknown, sun, {}},
        {"\"\n=\nJAVA_VERSION=\"", {}, unknown, sun, {}},
    };
    for (const auto& c : cases) {
        const ReleaseFacts facts = readReleaseFacts(c.text);
        EXPECT_TRUE(facts.version == c.version && facts.architecture == c.architecture &&
                    facts.provider == c.provider && facts.kind == c.kind) << c.text;
    }
}

} // namespace
} // namespace jl
