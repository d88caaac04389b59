#pragma once
// What jlpack does to a launcher image, bytes in and bytes out, with no file or
// console access: the settings, icon, version information and execution level of
// a program copy. Platform-neutral.

#include <optional>
#include <string>

#include "pe_file.h"

namespace jlpack {

struct PackRequest {
    Bytes launcher;
    Bytes ini;
    // UTF-8 texts; an empty one takes its default.
    std::string upgradeCode;  // default: the INI's [Product Information] "Upgrade Code"
    std::string keyText;      // the inner key; jlpack's caller passes fresh random text
    std::optional<Bytes> icon;
    std::string fileVersion, productVersion;  // default: each other, else 1.0.0.0
    std::string productName;                  // default: the INI's "Product Name", else the output's base name
    std::string company, description, copyright;
    std::string originalFileName;             // default: the output's file name
    std::string executionLevel;               // asInvoker (default), requireAdministrator or highestAvailable
    std::string subsystem;                    // console or gui; default: the launcher's own
};

struct PackOutcome {
    Bytes image;
    size_t settingsCharacters = 0;
};

// The packed image, or empty with the reason in `problem` (which names the input
// at fault: "the launcher ...", "the INI file ...", "the icon file ...").
[[nodiscard]] std::optional<PackOutcome> packLauncher(const PackRequest& request, std::string& problem);

// What a launcher copy carries, as text for people: execution level, icon sizes,
// version strings and, when the upgrade code deciphers them, the embedded settings.
[[nodiscard]] std::optional<std::string> describeLauncher(ByteView image, std::string_view upgradeCode, std::string& problem);

// The INI file's [Product Information] "Upgrade Code", or empty.
[[nodiscard]] std::string upgradeCodeOfIni(ByteView ini);

// The INI file's bytes (UTF-16 with byte-order mark, UTF-8, or Windows-1252) as
// UTF-16 with "\r\n" line ends, the only line end the launcher's parser knows.
[[nodiscard]] std::u16string iniTextFromBytes(ByteView bytes);

[[nodiscard]] std::string utf8FromUtf16(std::u16string_view text);

} // namespace jlpack
