#include <gtest/gtest.h>

#include <optional>
#include <span>

#include "rig/pe_samples.h"
#include "support/pe_headers.h"

namespace jl {
namespace {

std::optional<uint16_t> machineOf(std::span<const uint8_t> bytes) {
    const std::optional<PeFileHeader> header = readPeFileHeader(bytes);
    return header ? std::optional<uint16_t>(header->machine) : std::nullopt;
}

TEST(PeHeaders, MachineIsReadOnlyWithinTheData) {
    auto image = jltest::peHeaders(0x80, kMachineI386, 0x100);
    EXPECT_EQ(machineOf(image), kMachineI386);
    image = jltest::peHeaders(0x80, kMachineAmd64, 0x86);
    EXPECT_EQ(machineOf(image), kMachineAmd64);
    image = jltest::peHeaders(0x80, kMachineI386, 0x85);  // the Machine field would end past the data
    EXPECT_EQ(machineOf(image), std::nullopt);
    image = jltest::peHeaders(0xFFFFFFF0, kMachineI386, 0x100);
    EXPECT_EQ(machineOf(image), std::nullopt);
    image = jltest::peHeaders(0x80, kMachineI386, 0x100);
    image[0x81] = 'X';
    EXPECT_EQ(machineOf(image), std::nullopt);
    EXPECT_EQ(machineOf(std::span(image).first(0x3F)), std::nullopt);
    EXPECT_EQ(machineOf({}), std::nullopt);
}

} // namespace
} // namespace jl
