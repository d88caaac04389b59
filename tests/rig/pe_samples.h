#pragma once
// Small inputs for the packer's tests, made in memory: a minimal 64-bit image that
// carries the launcher's kinds of resources, and .ico files. Platform-neutral.

#include <cstdint>
#include <string>
#include <vector>

#include "pe_file.h"

namespace jltest {

// A PE32+ image with headers, a .rsrc section holding `resources` and a .reloc section.
[[nodiscard]] jlpack::Bytes sampleImage(const jlpack::ResourceTable& resources);
// Resources the packer looks for in a launcher: manifest, version, icon group,
// the JRE Not Found dialog and the string block of message 210.
[[nodiscard]] jlpack::ResourceTable sampleLauncherResources();
// An .ico file with one bitmap image of each side and, for a side of 0, a PNG
// image declaring `pngSide` as width and height.
[[nodiscard]] jlpack::Bytes sampleIconFile(std::initializer_list<std::uint32_t> sides, std::uint32_t pngSide = 0);
// The first size bytes of an image: "MZ", the offset of the NT headers and, where
// they fit, "PE" and the machine field; zeros elsewhere.
[[nodiscard]] std::vector<unsigned char> peHeaders(std::uint32_t ntOffset, std::uint16_t machine, size_t size);
// The headers of an x64 DLL without sections or size: whole by its headers, yet
// no loader maps it. A stand-in jvm.dll that a launch takes and then fails to load.
[[nodiscard]] std::string unloadableX64Image();
// A built image with its file header claiming another machine (e.g. 0xAA64, ARM64).
[[nodiscard]] std::string withMachine(std::string image, std::uint16_t machine);

} // namespace jltest
