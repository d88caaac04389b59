#pragma once
// How the text of each setting becomes a value, and the text side of the
// settings file paths. Platform-neutral.

#include <optional>
#include <string>
#include <string_view>

#include "runtime/version.h"

namespace jl {

// Equal when only the case of the letters A to Z differs.
[[nodiscard]] bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
// The "Yes" switches: on only for that word, in any letter case.
[[nodiscard]] bool isYesInAnyCase(std::wstring_view value);
// A count of whole seconds written in digits alone, at most one day; 0 (none)
// for anything else.
[[nodiscard]] unsigned secondsFromText(std::wstring_view text);

// "any" (exactly) opens the bound; other texts parse with fill 0 / 65535. An empty
// or missing maximum also means no upper bound: every runtime would fail a
// 0.0.0.0 maximum, so an INI that leaves it out must not reject them all.
[[nodiscard]] Version minimumVersionFromText(std::wstring_view text);
[[nodiscard]] Version maximumVersionFromText(std::wstring_view text);

// "JVM Type": which VM of a runtime to load. The numbers are the type codes the
// trace shows.
enum class JvmType { defaultVm = 0, server = 1, favorServer = 2 };
// "server" and "favor_server" exactly; the default VM otherwise.
[[nodiscard]] JvmType jvmTypeFromText(std::wstring_view text);

struct JvmSourceFlags {
    bool favouring = true;
    bool jdkAllowed = true;
    bool jreAllowed = true;
    friend bool operator==(const JvmSourceFlags&, const JvmSourceFlags&) = default;
};
[[nodiscard]] JvmSourceFlags jvmSourceFlagsFromText(std::wstring_view text);

struct VmProviderFlags {
    bool jrockitAllowed = false;
    bool jrockitFavoured = false;
    bool sunAllowed = true;
    bool sunFavoured = true;
    bool ibmAllowed = false;
    bool ibmFavoured = false;
    friend bool operator==(const VmProviderFlags&, const VmProviderFlags&) = default;
};
[[nodiscard]] VmProviderFlags vmProviderFlagsFromText(std::wstring_view text);

// The settings that steer the registry search ("JVM Source", "VM Provider").
struct RuntimeFilter {
    JvmSourceFlags source;
    VmProviderFlags provider;
};

// "Main Class" as the JVM wants it: every "." becomes "/".
[[nodiscard]] std::wstring internalClassName(std::wstring_view mainClass);

// The program path with everything after its last "." replaced by "ini"; empty
// when the path holds no ".".
[[nodiscard]] std::wstring iniPathForProgram(std::wstring_view programPath);

// "Product Name" without the characters a folder name cannot hold.
[[nodiscard]] std::wstring productFolderName(std::wstring_view productName);

// The per-user INI copy's folders and file, as text:
// appData\productFolder\productCode\base.ini, where base is the source file's
// name without its extension.
struct PerUserIniLocation {
    std::wstring productFolder;  // appData\productFolder
    std::wstring codeFolder;     // productFolder\productCode
    std::wstring iniPath;        // codeFolder\base.ini
};
[[nodiscard]] PerUserIniLocation perUserIniLocation(std::wstring_view appData, std::wstring_view productName,
                                                    std::wstring_view productCode, std::wstring_view sourcePath);

} // namespace jl
