#include "settings/launcher_settings.h"

#include "launcher/launcher.h"
#include "settings/embedded_settings.h"
#include "settings/settings_source.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

const std::wstring kProductInformation = L"Product Information";
const std::wstring kJavaRuntimeEnvironment = L"Java Runtime Environment";
const std::wstring kApplication = L"Application";

std::wstring perUserPathFrom(const std::wstring& sourcePath, const Launcher& launcher, bool createFolders) {
    const PerUserIniLocation location = perUserIniLocation(environmentVariable(L"APPDATA"), launcher.productName,
                                                           launcher.productCode, sourcePath);
    if (createFolders) {
        CreateDirectoryW(location.productFolder.c_str(), nullptr);
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    }
    return location.iniPath;
}

// Reads one key, tracing its value and where it came from.
std::wstring readFileSetting(IniFileSource& source, const std::wstring& section, const std::wstring& key) {
    const std::wstring value = readSetting(source, section, key);
    trace(L"setting [", section, L"] ", Quoted{key}, L" = ", Quoted{value}, L" from ",
          value.empty() ? L"nowhere (default)" : L"INI file");
    return value;
}

std::wstring readLayeredSetting(LayeredSettingsSource& source, const std::wstring& section, const std::wstring& key) {
    const std::wstring value = readSetting(source, section, key);
    trace(L"setting [", section, L"] ", Quoted{key}, L" = ", Quoted{value}, L" from ",
          source.lastOrigin() == SettingOrigin::none ? L"nowhere (default)" : describeOrigin(source.lastOrigin()));
    return value;
}

void readJrePath(Launcher& launcher, LayeredSettingsSource& layered) {
    if (launcher.isService) {
        launcher.jrePath = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"JRE Path");
        return;
    }
    const std::wstring perUserPath = userIniPath(launcher, false);
    if (!perUserPath.empty() && pathExists(perUserPath)) {
        // The per-user copy, once it exists, alone decides "JRE Path" for an application.
        IniFileSource perUser(perUserPath);
        perUser.getString(kJavaRuntimeEnvironment, L"JRE Path", launcher.jrePath);
        trace(L"setting [", kJavaRuntimeEnvironment, L"] \"JRE Path\" = ", Quoted{launcher.jrePath},
              L" from the per-user copy ", Quoted{perUserPath});
        return;
    }
    trace(L"settings: no per-user copy at ", Quoted{perUserPath});
    launcher.jrePath = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"JRE Path");
}

void traceVersionBound(const wchar_t* name, const std::wstring& text, const Version& bound) {
    trace(L"settings: ", name, L" is ", fullVersionText(bound), isOpenBound(bound) ? L" (no bound)" : L"");
    if (!text.empty() && text != L"any" && bound == kNoMinimum) {
        trace(L"settings: warning: the ", name, L" ", Quoted{text}, L" holds no version number and reads as 0.0.0.0");
    }
}

} // namespace

bool iniPathBesideProgram(std::wstring& path) {
    const std::optional<std::wstring> program = modulePath();
    if (!program) return false;
    path = iniPathForProgram(*program);
    return !path.empty();
}

std::wstring userIniPath(const Launcher& launcher, bool createFolders) {
    const std::optional<std::wstring> program = modulePath();
    if (!program) return {};
    return perUserPathFrom(*program, launcher, createFolders);
}

bool pairedIniPath(const Launcher& launcher, std::wstring& path) {
    if (launcher.pairProduct.empty()) return false;
    path = iniPathForProgram(launcher.pairProduct);
    return !path.empty();
}

std::wstring pairedUserIniPath(const Launcher& launcher) {
    if (launcher.pairProduct.empty()) return {};
    return perUserPathFrom(launcher.pairProduct, launcher, true);
}

void applyJvmSource(Launcher& launcher, const JvmSourceFlags& source) {
    launcher.favouring = source.favouring;
    launcher.jdkAllowed = source.jdkAllowed;
    launcher.jreAllowed = source.jreAllowed;
}

void applyVmProvider(Launcher& launcher, const VmProviderFlags& provider) {
    launcher.jrockitAllowed = provider.jrockitAllowed;
    launcher.jrockitFavoured = provider.jrockitFavoured;
    launcher.sunAllowed = provider.sunAllowed;
    launcher.sunFavoured = provider.sunFavoured;
    launcher.ibmAllowed = provider.ibmAllowed;
    launcher.ibmFavoured = provider.ibmFavoured;
}

bool loadLauncherSettings(Launcher& launcher) {
    std::wstring iniPath;
    if (!iniPathBesideProgram(iniPath)) {
        trace(L"settings: the INI path beside the program cannot be formed");
        return false;
    }
    trace(L"settings: reading ", Quoted{iniPath}, pathExists(iniPath) ? L"" : L" (the file does not exist)");

    IniFileSource file(iniPath);
    launcher.productCode = readFileSetting(file, kProductInformation, L"Product Code");
    launcher.upgradeCode = readFileSetting(file, kProductInformation, L"Upgrade Code");
    launcher.productName = readFileSetting(file, kProductInformation, L"Product Name");

    LayeredSettingsSource layered(iniPath, embeddedSettingsText(launcher.upgradeCode));

    const std::wstring minimumText = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"Minimum Version");
    launcher.minimumVersion = minimumVersionFromText(minimumText);
    traceVersionBound(L"minimum version", minimumText, launcher.minimumVersion);
    const std::wstring maximumText = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"Maximum Version");
    launcher.maximumVersion = maximumVersionFromText(maximumText);
    traceVersionBound(L"maximum version", maximumText, launcher.maximumVersion);

    launcher.isService = readLayeredSetting(layered, kApplication, L"Application Type") == L"service";

    splitString(readLayeredSetting(layered, kJavaRuntimeEnvironment, L"Preferred versions"), L";",
                launcher.preferredVersions);

    readJrePath(launcher, layered);

    launcher.jvmType = jvmTypeFromText(readLayeredSetting(layered, kJavaRuntimeEnvironment, L"JVM Type"));
    applyJvmSource(launcher, jvmSourceFlagsFromText(readLayeredSetting(layered, kJavaRuntimeEnvironment, L"JVM Source")));
    applyVmProvider(launcher, vmProviderFlagsFromText(readLayeredSetting(layered, kJavaRuntimeEnvironment, L"VM Provider")));
    trace(L"settings: application type ", launcher.isService ? L"service" : L"application", L", JVM type ",
          launcher.jvmType, L", JDK allowed ", launcher.jdkAllowed, L", JRE allowed ", launcher.jreAllowed,
          L", favouring ", launcher.favouring);

    launcher.mainClass = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"Main Class");
    if (launcher.mainClass.empty()) {
        trace(L"settings: no \"Main Class\": the launch ends here");
        showErrorMessage(kMsgMainClassMissing);
        return false;
    }
    launcher.mainClass = internalClassName(launcher.mainClass);

    launcher.failureCheck = isYesInAnyCase(readLayeredSetting(layered, kApplication, L"Failure Check"));
    launcher.overrideWorkingDir = isYesInAnyCase(readLayeredSetting(layered, kApplication, L"Override WorkingDir"));
    launcher.systemPath = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"System Path");
    launcher.libraryPath = readLayeredSetting(layered, kJavaRuntimeEnvironment, L"Library Path");
    launcher.pairProduct = readLayeredSetting(layered, kApplication, L"Pair Product");
    launcher.pairReturnCode = isYesInAnyCase(readLayeredSetting(layered, kApplication, L"Pair Return Code"));
    trace(L"settings: usable; main class ", Quoted{launcher.mainClass});
    return true;
}

} // namespace jl
