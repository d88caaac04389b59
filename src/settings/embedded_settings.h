#pragma once
// Settings embedded in the program's resources, enciphered as settings_cipher.h
// says, in two resources:
// 9000 holds a second key text enciphered with the upgrade code, 8000 the UTF-16
// INI text enciphered with that second key text.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace jl {

inline constexpr WORD kEmbeddedKeyResource = 9000;
inline constexpr WORD kEmbeddedSettingsResource = 8000;

// The RT_RCDATA resource's bytes, preferring the user's default language, then
// its primary language, then neutral; empty when absent.
[[nodiscard]] std::vector<unsigned char> loadRcdataResource(HMODULE module, WORD id);

// Bytes read as UTF-16 code units (an odd last byte is dropped).
[[nodiscard]] std::wstring wideTextFromBytes(const std::vector<unsigned char>& bytes);

// The embedded settings text of the running program; empty when there is none or
// it cannot be deciphered.
[[nodiscard]] std::wstring embeddedSettingsText(const std::wstring& upgradeCode);

} // namespace jl
