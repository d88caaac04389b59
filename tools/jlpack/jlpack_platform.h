#pragma once
// The little jlpack needs from the system, behind one interface for Linux and
// Windows. Paths and texts are UTF-8.

#include <optional>
#include <span>
#include <string>

#include "pe_file.h"

namespace jlpack {

[[nodiscard]] std::optional<Bytes> readWholeFile(const std::string& path, std::string& error);
// Writes a temporary file beside `path` and moves it into place, so a failed run
// never leaves a half-written file there.
[[nodiscard]] bool replaceFile(const std::string& path, const Bytes& bytes, std::string& error);
[[nodiscard]] bool fileExists(const std::string& path);
[[nodiscard]] bool samePath(const std::string& a, const std::string& b);
[[nodiscard]] bool randomBytes(std::span<std::uint8_t> bytes);
void writeOutput(const std::string& text);
void writeError(const std::string& text);

} // namespace jlpack
