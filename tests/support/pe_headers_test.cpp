#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "rig/pe_samples.h"
#include "support/pe_headers.h"

namespace jl {
namespace {

std::optional<uint16_t> machineOf(std::span<const uint8_t> bytes) {
    const std::optional<PeFileHeader> header = readPeFileHeader(bytes);
    return header ? std::optional<uint16_t>(header->machine) : std::nullopt;
}

TEST(PeHeaders, MachineIsReadOnlyWithinTheData) {
    EXPECT_EQ(machineOf(jltest::peHeaders(0x80, kMachineI386, 0x100)), kMachineI386);
    EXPECT_EQ(machineOf(jltest::peHeaders(0x80, kMachineAmd64, 0x86)), kMachineAmd64);
    // The Machine field would end past the data.
    EXPECT_EQ(machineOf(jltest::peHeaders(0x80, kMachineI386, 0x85)), std::nullopt);
    EXPECT_EQ(machineOf(jltest::peHeaders(0xFFFFFFF0, kMachineI386, 0x100)), std::nullopt);
    auto image = jltest::peHeaders(0x80, kMachineI386, 0x100);
    image[0x81] = 'X';
    EXPECT_EQ(machineOf(image), std::nullopt);
    EXPECT_EQ(machineOf(std::span(image).first(0x3F)), std::nullopt);
    EXPECT_EQ(machineOf({}), std::nullopt);
}

TEST(PeHeaders, BitnessNeedsAWholeImageWithTheMachinesKindOfHeader) {
    const auto bitness = [](const auto& bytes) {
        return peImageBitness({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    };
    const std::string x64 = jltest::unloadableX64Image();
    EXPECT_EQ(bitness(x64), ImageBitness::x64);
    EXPECT_EQ(bitness(x64.substr(0, 0x1FF)), ImageBitness::unusable);  // SizeOfHeaders reaches past the data
    EXPECT_EQ(bitness(jltest::withMachine(x64, 0xAA64)), ImageBitness::unusable);
    std::string x86 = jltest::withMachine(x64, kMachineI386);
    EXPECT_EQ(bitness(x86), ImageBitness::unusable);  // a PE32+ optional header on an x86 image
    x86[88] = 0x0B;
    x86[89] = 0x01;
    EXPECT_EQ(bitness(x86), ImageBitness::x86);
    EXPECT_EQ(bitness(std::string(x64.begin(), x64.begin() + 0x80)), ImageBitness::unusable);  // no optional header
    EXPECT_EQ(bitness(std::string("MZ")), ImageBitness::unusable);

    // A built image with sections is whole; cut short by one byte, its last section's data is not.
    const jlpack::Bytes image = jltest::sampleImage(jltest::sampleLauncherResources());
    EXPECT_EQ(bitness(image), ImageBitness::x64);
    EXPECT_EQ(bitness(jlpack::Bytes(image.begin(), image.end() - 1)), ImageBitness::unusable);
    // A section table claiming more sections than the data holds.
    jlpack::Bytes sections = image;
    sections[70] = sections[71] = 0xFF;
    EXPECT_EQ(bitness(sections), ImageBitness::unusable);
}

// A minimal image whose file header announces an optional header of optionalSize
// bytes, with the Subsystem field set where it lies.
std::vector<uint8_t> imageWithSubsystem(uint16_t optionalSize, uint16_t subsystem, size_t size) {
    std::vector<uint8_t> image = jltest::peHeaders(0x80, kMachineAmd64, size);
    image[0x80 + 20] = static_cast<uint8_t>(optionalSize);
    image[0x80 + 21] = static_cast<uint8_t>(optionalSize >> 8);
    const size_t field = 0x80 + 24 + kSubsystemFieldOffset;
    if (field + 2 <= image.size()) {
        image[field] = static_cast<uint8_t>(subsystem);
        image[field + 1] = static_cast<uint8_t>(subsystem >> 8);
    }
    return image;
}

TEST(PeHeaders, SubsystemIsReadOnlyWithinTheOptionalHeaderAndTheData) {
    EXPECT_EQ(readPeSubsystem(imageWithSubsystem(0xF0, kSubsystemWindowsConsole, 0x200)), kSubsystemWindowsConsole);
    EXPECT_EQ(readPeSubsystem(imageWithSubsystem(0xF0, kSubsystemWindowsGui, 0x200)), kSubsystemWindowsGui);
    // An optional header too short to hold the field, and data that ends inside it.
    EXPECT_EQ(readPeSubsystem(imageWithSubsystem(68, kSubsystemWindowsConsole, 0x200)), std::nullopt);
    EXPECT_EQ(readPeSubsystem(imageWithSubsystem(0xF0, kSubsystemWindowsConsole, 0x80 + 24 + 69)), std::nullopt);
    EXPECT_EQ(readPeSubsystem(jltest::peHeaders(0x80, kMachineAmd64, 0x86)), std::nullopt);
    EXPECT_EQ(readPeSubsystem({}), std::nullopt);
}

} // namespace
} // namespace jl
