#pragma once
// How the text of each setting becomes a value, and the text side of the
// settings file paths. Platform-neutral.

#include <optional>
#include <string>
#include <string_view>

#include "types/runtime_filter.h"
#include "types/version.h"

namespace jl {

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

// "server" and "favor_server" exactly; the default VM otherwise.
[[nodiscard]] JvmType jvmTypeFromText(std::wstring_view text);
[[nodiscard]] JvmSourceFlags jvmSourceFlagsFromText(std::wstring_view text);
[[nodiscard]] VmProviderFlags vmProviderFlagsFromText(std::wstring_view text);

// [Service] "Start Type" and "Account", in any case; the defaults (auto,
// LocalService) for an empty or unknown text.
enum class ServiceStartType { automatic, delayed, manual, disabled };
enum class ServiceAccount { localSystem, localService, networkService };
[[nodiscard]] ServiceStartType serviceStartTypeFromText(std::wstring_view text);
[[nodiscard]] ServiceAccount serviceAccountFromText(std::wstring_view text);

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
