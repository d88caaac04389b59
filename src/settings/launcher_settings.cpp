#include "settings/launcher_settings.h"

#include <iterator>

#include "settings/embedded_settings.h"
#include "settings/settings_source.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/path_text.h"
#include "support/string_text.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

// origin is null when the value came from nowhere.
void traceSetting(SettingKey key, const std::wstring& value, const char* origin) {
    trace("setting [{}] {} = {} from {}", key.section, Quoted{key.key}, Quoted{value},
          origin ? origin : "nowhere (default)");
}

// The value is read into its place in the settings: no copy to move there and free.
void readFileSetting(IniFileSource& source, SettingKey key, std::wstring& value) {
    readSetting(source, key, value);
    traceSetting(key, value, value.empty() ? nullptr : "INI file");
}

// Reads each key once and traces it with where its value came from.
class SettingsReader {
public:
    explicit SettingsReader(LayeredSettingsSource& layered) : layered_(layered) {}

    // The embedded settings under the INI file, read into the value's place.
    void layered(SettingKey key, std::wstring& value) {
        readSetting(layered_, key, value);
        const SettingOrigin origin = layered_.lastOrigin();
        traceSetting(key, value, origin == SettingOrigin::none ? nullptr : describeOrigin(origin));
    }
    std::wstring layered(SettingKey key) {
        std::wstring value;
        layered(key, value);
        return value;
    }
    bool layeredYes(SettingKey key) { return isYesInAnyCase(layered(key)); }
    bool layeredIs(SettingKey key, const wchar_t* expected) { return layered(key) == expected; }
    // The INI file alone.
    std::wstring file(SettingKey key) {
        std::wstring value;
        readFileSetting(layered_.file(), key, value);
        return value;
    }

private:
    LayeredSettingsSource& layered_;
};

std::wstring readJrePath(const std::wstring& programPath, const LauncherSettings& settings, SettingsReader& reader) {
    if (settings.application.isService) return reader.layered(keys::kJrePath);
    const std::wstring perUserPath = userIniPath(programPath, settings.product, false);
    if (pathExists(perUserPath)) {
        // The per-user copy, once it exists, alone decides "JRE Path" for an application.
        IniFileSource perUser(perUserPath);
        const std::wstring value = readSetting(perUser, keys::kJrePath);
        trace("setting [{}] \"JRE Path\" = {} from the per-user copy {}", keys::kJrePath.section, Quoted{value},
              Quoted{perUserPath});
        return value;
    }
    trace<TraceTopic::settings>("no per-user copy at {}", Quoted{perUserPath});
    return reader.layered(keys::kJrePath);
}

void traceVersionBound(const wchar_t* name, const std::wstring& text, const Version& bound) {
    trace<TraceTopic::settings>("{} is {}{}", name, fullVersionText(bound), isOpenBound(bound) ? " (no bound)" : "");
    if (!text.empty() && text != L"any" && bound == kNoMinimum) {
        trace<TraceTopic::settings>("warning: the {} {} holds no version number and reads as 0.0.0.0", name,
                                    Quoted{text});
    }
}

void readRuntimeRequest(SettingsReader& reader, RuntimeRequest& request) {
    const std::wstring minimumText = reader.layered(keys::kMinimumVersion);
    request.minimumVersion = minimumVersionFromText(minimumText);
    traceVersionBound(L"minimum version", minimumText, request.minimumVersion);
    const std::wstring maximumText = reader.layered(keys::kMaximumVersion);
    request.maximumVersion = maximumVersionFromText(maximumText);
    traceVersionBound(L"maximum version", maximumText, request.maximumVersion);
    splitString(reader.layered(keys::kPreferredVersions), L";", request.preferredVersions);
    request.jvmType = jvmTypeFromText(reader.layered(keys::kJvmType));
    request.filter.source = jvmSourceFlagsFromText(reader.layered(keys::kJvmSource));
    request.filter.provider = vmProviderFlagsFromText(reader.layered(keys::kVmProvider));
    request.searchVendorRuntimes = !equalsIgnoringAsciiCase(reader.layered(keys::kSearchVendorRuntimes), L"no");
}

void readApplication(SettingsReader& reader, ApplicationSettings& application) {
    application.mainClass = internalClassName(reader.layered(keys::kMainClass));
    reader.layered(keys::kMainJar, application.mainJar);
    reader.layered(keys::kMainModule, application.mainModule);
    application.isService = reader.layeredIs(keys::kApplicationType, L"service");
    application.failureCheck = reader.layeredYes(keys::kFailureCheck);
    application.overrideWorkingDir = reader.layeredYes(keys::kOverrideWorkingDir);
    application.singleInstance = reader.layeredIs(keys::kSingleInstance, L"yes");
    reader.layered(keys::kPairProduct, application.pairProduct);
    application.pairReturnCode = reader.layeredYes(keys::kPairReturnCode);
}

void readJvmSettings(SettingsReader& reader, JvmSettings& jvm) {
    reader.layered(keys::kClassPath, jvm.classPath);
    reader.layered(keys::kModulePath, jvm.modulePath);
    reader.layered(keys::kAddModules, jvm.addModules);
    jvm.embeddedJar = reader.layeredYes(keys::kEmbeddedJar);
    reader.layered(keys::kVirtualMachineParameters, jvm.vmParameters);
    reader.layered(keys::kLibraryPath, jvm.libraryPath);
    reader.layered(keys::kSystemPath, jvm.systemPath);
    reader.layered(keys::kCmd, jvm.cmd);
    jvm.classDataSharing = reader.layeredIs(keys::kClassDataSharing, L"auto");
}

// "<program folder>\<base>.vmoptions" for administrators, and the same name
// beside the per-user INI copy for the user. A missing or unreadable file is
// skipped: it never stops the start.
std::vector<VmOptionsFile> readVmOptionsFiles(const std::wstring& programPath, const ProductIdentity& product) {
    const std::wstring name = fileBaseName(programPath) + L".vmoptions";
    const PerUserIniLocation perUser =
        perUserIniLocation(environmentVariable(L"APPDATA"), product.productName, product.productCode, programPath);
    const std::wstring paths[] = {folderWithBackslash(programPath) + name, perUser.codeFolder + L"\\" + name};
    const wchar_t* const owners[] = {L"administrator", L"user"};
    std::vector<VmOptionsFile> files;
    for (size_t i = 0; i < std::size(paths); ++i) {
        const std::wstring& path = paths[i];
        const wchar_t* owner = owners[i];
        const std::optional<std::string> bytes = readFileBytes(path);
        const DWORD error = bytes ? ERROR_SUCCESS : GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            trace<TraceTopic::settings>("no {} VM options file {}", owner, Quoted{path});
            continue;
        }
        if (!bytes) {
            trace<TraceTopic::settings>("the {} VM options file {} cannot be read (error {}) and is skipped", owner,
                                        Quoted{path}, error);
            continue;
        }
        trace<TraceTopic::settings>("reading the {} VM options file {}", owner, Quoted{path});
        files.push_back({path, owner, fromUtf8OrAnsi(*bytes)});
    }
    return files;
}

void readOutputSettings(SettingsReader& reader, OutputSettings& output) {
    reader.layered(keys::kOutputFile, output.outputFile);
    output.outputAppend = reader.layeredIs(keys::kOutputAppend, L"yes");
    reader.layered(keys::kErrorFile, output.errorFile);
    output.errorAppend = reader.layeredIs(keys::kErrorAppend, L"yes");
}

void readSplashSettings(SettingsReader& reader, SplashSettings& splash) {
    splash.image = reader.file(keys::kSplashScreen);
    splash.shadow = reader.file(keys::kSplashScreenShadow) == L"true";
    splash.preferJavaSplash = isYesInAnyCase(reader.file(keys::kPrefferNativeSplashScreen));
    splash.closeOnJavaWindow = isYesInAnyCase(reader.file(keys::kSplashCloseOnWindow));
    splash.timeoutSeconds = secondsFromText(reader.file(keys::kSplashTimeout));
}

void readServiceSettings(SettingsReader& reader, const std::wstring& programPath, const ProductIdentity& product,
                         ServiceSettings& service) {
    reader.layered(keys::kServiceName, service.name);
    if (service.name.empty()) service.name = fileBaseName(programPath);
    reader.layered(keys::kDisplayName, service.displayName);
    if (service.displayName.empty()) service.displayName = product.productName.empty() ? service.name : product.productName;
    reader.layered(keys::kDescription, service.description);
    service.startType = serviceStartTypeFromText(reader.layered(keys::kStartType));
    service.account = serviceAccountFromText(reader.layered(keys::kAccount));
    splitString(reader.layered(keys::kDependencies), L";", service.dependencies);
    std::erase_if(service.dependencies, [](std::wstring& name) {
        trimLeft(name);
        trimRight(name);
        return name.empty();
    });
    const std::wstring restart = reader.layered(keys::kRestartOnFailure);
    if (!restart.empty()) service.restartDelaySeconds = secondsFromText(restart);
    reader.layered(keys::kStopMethod, service.stopMethod);
    if (const unsigned seconds = secondsFromText(reader.layered(keys::kStopTimeout))) service.stopTimeoutSeconds = seconds;
    service.preshutdownTimeoutSeconds = secondsFromText(reader.layered(keys::kPreshutdownTimeout));
}

// A program starts from a class, a jar (the class, when both are set, wins and
// the jar leads the class path) or a module, which stands alone.
bool hasOneStartingPoint(const ApplicationSettings& application) {
    if (!application.mainModule.empty() && (!application.mainClass.empty() || !application.mainJar.empty())) {
        const SettingKey other = application.mainClass.empty() ? keys::kMainJar : keys::kMainClass;
        trace<TraceTopic::settings>("\"Main Module\" is set beside {}: the launch ends here", Quoted{other.key});
        showErrorMessage(kMsgMainModuleConflict, widenAscii(keys::kMainModule.key), widenAscii(other.key));
        return false;
    }
    switch (application.mainKind()) {
        case MainKind::module:
            trace<TraceTopic::settings>("usable; main module {}", Quoted{application.mainModule});
            return true;
        case MainKind::jar:
            trace<TraceTopic::settings>("usable; main jar {}", Quoted{application.mainJar});
            return true;
        case MainKind::className: break;
    }
    if (application.mainClass.empty()) {
        trace<TraceTopic::settings>("no \"Main Class\", \"Main Jar\" or \"Main Module\": the launch ends here");
        showErrorMessage(kMsgMainClassMissing);
        return false;
    }
    trace<TraceTopic::settings>("usable; main class {}", Quoted{application.mainClass});
    return true;
}

} // namespace

bool loadLauncherSettings(const std::wstring& programPath, LauncherSettings& settings) {
    const std::wstring iniPath = iniPathForProgram(programPath);
    if (iniPath.empty()) {
        trace<TraceTopic::settings>("the INI path beside the program cannot be formed");
        return false;
    }
    trace<TraceTopic::settings>("reading {}{}", Quoted{iniPath},
                                pathExists(iniPath) ? "" : " (the file does not exist)");

    LayeredSettingsSource layered(iniPath, {});
    IniFileSource& file = layered.file();
    readFileSetting(file, keys::kProductCode, settings.product.productCode);
    readFileSetting(file, keys::kUpgradeCode, settings.product.upgradeCode);
    readFileSetting(file, keys::kProductName, settings.product.productName);
    layered.addEmbeddedText(embeddedSettingsText(settings.product.upgradeCode));
    SettingsReader reader(layered);

    readRuntimeRequest(reader, settings.runtime);
    readApplication(reader, settings.application);
    settings.runtime.jrePath = readJrePath(programPath, settings, reader);
    readJvmSettings(reader, settings.jvm);
    settings.jvm.optionFiles = readVmOptionsFiles(programPath, settings.product);
    readOutputSettings(reader, settings.output);
    readSplashSettings(reader, settings.splash);
    readServiceSettings(reader, programPath, settings.product, settings.service);
    const RuntimeRequest& runtime = settings.runtime;
    trace<TraceTopic::settings>("application type {}, JVM type {}, JDK allowed {}, JRE allowed {}, favouring {}",
                                settings.application.isService ? "service" : "application", runtime.jvmType,
                                runtime.filter.source.jdkAllowed, runtime.filter.source.jreAllowed,
                                runtime.filter.source.favouring);

    return hasOneStartingPoint(settings.application);
}

std::wstring userIniPath(const std::wstring& programPath, const ProductIdentity& product, bool createFolders) {
    if (createFolders) return makePerUserFolders(environmentVariable(L"APPDATA"), programPath, product).iniPath;
    return perUserIniLocation(environmentVariable(L"APPDATA"), product.productName, product.productCode, programPath)
        .iniPath;
}

PerUserIniLocation makePerUserFolders(const std::wstring& root, const std::wstring& programPath,
                                      const ProductIdentity& product) {
    PerUserIniLocation location = perUserIniLocation(root, product.productName, product.productCode, programPath);
    CreateDirectoryW(location.productFolder.c_str(), nullptr);
    CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    return location;
}

void rememberJrePath(const std::wstring& folder, const std::wstring& programPath, const LauncherSettings& settings) {
    const auto write = [&](const std::wstring& path) {
        if (path.empty()) return;
        IniFileSource target(path);
        const bool written = target.writeString(widenAscii(keys::kJrePath.section), widenAscii(keys::kJrePath.key), folder);
        trace<TraceTopic::runtime>("remembering \"JRE Path\" in {}{}", Quoted{path}, written ? "" : " failed");
    };
    const std::wstring& pairProduct = settings.application.pairProduct;
    if (settings.application.isService) {
        write(iniPathForProgram(programPath));
        if (!pairProduct.empty()) write(iniPathForProgram(pairProduct));
        return;
    }
    write(userIniPath(programPath, settings.product, true));
    if (!pairProduct.empty()) write(userIniPath(pairProduct, settings.product, true));
}

} // namespace jl
