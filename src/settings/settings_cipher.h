#pragma once
// The embedded settings' cipher without CryptoAPI, so jlpack builds anywhere
// and the launcher need not start a cryptographic provider to read them:
// RC4 keyed the way the Base Cryptographic Provider's CryptDeriveKey(CALG_RC4)
// keys it from an MD5 hash: a 40-bit key (the hash's first five bytes) followed
// by eleven zero salt bytes. Platform-neutral.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace jl {

[[nodiscard]] std::array<std::uint8_t, 16> md5(std::span<const std::uint8_t> data);

// RC4 is its own inverse: one call enciphers, a second deciphers.
void applySettingsCipher(std::string_view keyMaterial, std::vector<std::uint8_t>& data);

} // namespace jl
