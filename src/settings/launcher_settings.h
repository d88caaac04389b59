#pragma once
// The settings file beside the program, its per-user copy, and the Launcher
// Settings: every key the launcher reads, read and traced once, at the start
// of a launch, into one value whose parts the later steps take as they are.

#include <optional>
#include <string>
#include <vector>

#include "types/version.h"
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

    // An IBM runtime may be chosen: its VM wants the threads that ran Java to
    // stay attached.
    [[nodiscard]] bool mayUseIbmRuntime() const { return filter.provider.ibmAllowed || filter.provider.ibmFavoured; }
};

// How the program is started: by its main class (a "Main Jar" then only leads
// the class path), as an executable jar, or as a named module.
enum class MainKind { className, jar, module };

struct ApplicationSettings {
    std::wstring mainClass;  // with "/" separators, as the JVM wants it
    std::wstring mainJar;    // "Main Jar", written as a class path entry is
    std::wstring mainModule; // "Main Module": "module" or "module/class"
    bool isService = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    bool singleInstance = false;  // "Single Instance" is exactly "yes"
    std::wstring pairProduct;
    bool pairReturnCode = false;

    [[nodiscard]] MainKind mainKind() const {
        if (!mainModule.empty()) return MainKind::module;
        return mainClass.empty() && !mainJar.empty() ? MainKind::jar : MainKind::className;
    }
};

// A ".vmoptions" file that could be read: its path, whose it is, and its text.
struct VmOptionsFile {
    std::wstring path;
    const wchar_t* owner = L"";  // "administrator" or "user", for the trace
    std::wstring text;
};

// What goes into the VM's option list, as written: environment references are
// expanded by the step that uses them, once the runtime variables are set.
struct JvmSettings {
    std::wstring classPath;  // "Class Path": entries separated by ";"
    std::wstring modulePath;  // "Module Path": entries written as "Class Path" entries are
    std::wstring addModules;  // "Add Modules": module names separated by ","
    bool embeddedJar = false;
    std::wstring vmParameters;
    std::wstring libraryPath;
    std::wstring systemPath;
    std::wstring cmd;  // more arguments for the Java program
    bool classDataSharing = false;  // "Class Data Sharing" is exactly "auto"
    // Beside the program, then in the user's profile; their options follow
    // "Virtual Machine Parameters" and win over them.
    std::vector<VmOptionsFile> optionFiles;
};

// "Output File" and "Error File", as written (pictures and environment references unexpanded).
struct OutputSettings {
    std::wstring outputFile;
    std::wstring errorFile;
    bool outputAppend = false;
    bool errorAppend = false;
};

// [Display], read from the INI file alone.
struct SplashSettings {
    std::wstring image;
    bool shadow = false;  // exactly "true"
    bool preferJavaSplash = false;
    bool closeOnJavaWindow = false;
    unsigned timeoutSeconds = 0;  // 0 for none
};

// [Service]: how a service program is registered with the service manager and
// how it stops.
struct ServiceSettings {
    std::wstring name{};         // default: the program's base name
    std::wstring displayName{};  // default: "Product Name", else the service name
    std::wstring description{};
    ServiceStartType startType = ServiceStartType::automatic;
    ServiceAccount account = ServiceAccount::localService;
    std::vector<std::wstring> dependencies{};
    std::optional<unsigned> restartDelaySeconds{};  // none: the service manager never restarts it
    std::wstring stopMethod{};  // "Class.method" or "method" (of the main class); empty: System.exit(0)
    unsigned stopTimeoutSeconds = 30;
    unsigned preshutdownTimeoutSeconds = 0;  // 0: the system's own
};

struct LauncherSettings {
    ProductIdentity product;
    RuntimeRequest runtime;
    ApplicationSettings application;
    JvmSettings jvm;
    OutputSettings output;
    SplashSettings splash;
    ServiceSettings service;
};

// The settings of the program at programPath: [Product Information] and
// [Display] from the file beside it, the rest from the layered settings
// (embedded + file, deciphered once). Every key is traced with its source.
// False when they are unusable: no INI path, nothing to start (no "Main Class",
// "Main Jar" or "Main Module"; after message 210), or "Main Module" beside
// either of the others (after message 271). settings is a fresh value: each
// key is read into its place, and a setting left unset keeps its default.
[[nodiscard]] bool loadLauncherSettings(const std::wstring& programPath, LauncherSettings& settings);

// APPDATA\<product folder>\<product code>\<program base name>.ini for a program;
// with createFolders the two folders are made first.
[[nodiscard]] std::wstring userIniPath(const std::wstring& programPath, const ProductIdentity& product,
                                       bool createFolders);

// The same folders under another per-user root (LOCALAPPDATA for the
// class-data archive), made when missing: root\<product folder>\<product code>.
[[nodiscard]] PerUserIniLocation makePerUserFolders(const std::wstring& root, const std::wstring& programPath,
                                                    const ProductIdentity& product);

// Writes a browsed runtime folder as "JRE Path": for an application into the
// per-user copies (and the paired product's), for a service into the files
// beside the programs. Write failures are traced and otherwise ignored.
void rememberJrePath(const std::wstring& folder, const std::wstring& programPath, const LauncherSettings& settings);

} // namespace jl
