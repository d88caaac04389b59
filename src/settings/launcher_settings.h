#pragma once
// The settings file beside the program, its per-user copy, and the Launcher
// Settings read from them once per launch.

#include <optional>
#include <string>
#include <vector>

#include "types/version.h"
#include "settings/settings_source.h"
#include "settings/settings_values.h"

namespace jl {

// [Product Information], read from the INI file alone: it names the per-user
// copy's folders and deciphers the embedded settings.
struct ProductIdentity {
    std::wstring productName;
    std::wstring productCode;
    std::wstring upgradeCode;
};

// Which runtime the launch asks for.
struct RuntimeRequest {
    Version minimumVersion = kNoMinimum;
    Version maximumVersion = kNoMaximum;
    std::vector<std::wstring> preferredVersions;
    JvmType jvmType = JvmType::defaultVm;
    RuntimeFilter filter;
    bool searchVendorRuntimes = true;  // vendor keys and JAVA_HOME after the registry roots
    std::wstring jrePath;  // "JRE Path": the folder tried first
};

struct ApplicationSettings {
    std::wstring mainClass;  // with "/" separators, as the JVM wants it
    bool isService = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    std::wstring pairProduct;
    bool pairReturnCode = false;
    std::wstring systemPath;
    std::wstring libraryPath;
};

struct LauncherSettings {
    ProductIdentity product;
    RuntimeRequest runtime;
    ApplicationSettings application;
};

// The settings of the program at programPath: [Product Information] from the
// file beside it, then the layered settings (embedded + file), which are opened
// here, deciphered once, and kept in layered for every later reader. False when
// they are unusable: no INI path, or no "Main Class" (after message 210).
[[nodiscard]] bool loadLauncherSettings(const std::wstring& programPath, LauncherSettings& settings,
                                        std::optional<LayeredSettingsSource>& layered);

// APPDATA\<product folder>\<product code>\<program base name>.ini for a program;
// with createFolders the two folders are made first.
[[nodiscard]] std::wstring userIniPath(const std::wstring& programPath, const ProductIdentity& product,
                                       bool createFolders);

// Writes a browsed runtime folder as "JRE Path": for an application into the
// per-user copies (and the paired product's), for a service into the files
// beside the programs. Write failures are traced and otherwise ignored.
void rememberJrePath(const std::wstring& folder, const std::wstring& programPath, const LauncherSettings& settings);

} // namespace jl
