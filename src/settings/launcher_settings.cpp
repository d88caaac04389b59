#include "settings/launcher_settings.h"

#include "settings/embedded_settings.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/string_text.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

std::wstring perUserPathFrom(const std::wstring& sourcePath, const ProductIdentity& product, bool createFolders) {
    const PerUserIniLocation location =
        perUserIniLocation(environmentVariable(L"APPDATA"), product.productName, product.productCode, sourcePath);
    if (createFolders) {
        CreateDirectoryW(location.productFolder.c_str(), nullptr);
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    }
    return location.iniPath;
}

// origin is null when the value came from nowhere.
void traceSetting(SettingKey key, const std::wstring& value, const wchar_t* origin) {
    trace("setting [", key.section, "] ", Quoted{key.key}, " = ", Quoted{value}, " from ",
          origin ? origin : L"nowhere (default)");
}

std::wstring readFileSetting(IniFileSource& source, SettingKey key) {
    const std::wstring value = readSetting(source, key);
    traceSetting(key, value, value.empty() ? nullptr : L"INI file");
    return value;
}

std::wstring readLayeredSetting(LayeredSettingsSource& source, SettingKey key) {
    const std::wstring value = readSetting(source, key);
    traceSetting(key, value,
                 source.lastOrigin() == SettingOrigin::none ? nullptr : describeOrigin(source.lastOrigin()));
    return value;
}

std::wstring readJrePath(const std::wstring& programPath, const LauncherSettings& settings,
                         LayeredSettingsSource& layered) {
    if (settings.application.isService) return readLayeredSetting(layered, keys::kJrePath);
    const std::wstring perUserPath = userIniPath(programPath, settings.product, false);
    if (pathExists(perUserPath)) {
        // The per-user copy, once it exists, alone decides "JRE Path" for an application.
        IniFileSource perUser(perUserPath);
        const std::wstring value = readSetting(perUser, keys::kJrePath);
        trace("setting [", keys::kJrePath.section, "] \"JRE Path\" = ", Quoted{value}, " from the per-user copy ",
              Quoted{perUserPath});
        return value;
    }
    trace("settings: no per-user copy at ", Quoted{perUserPath});
    return readLayeredSetting(layered, keys::kJrePath);
}

void traceVersionBound(const wchar_t* name, const std::wstring& text, const Version& bound) {
    trace("settings: ", name, " is ", fullVersionText(bound), isOpenBound(bound) ? " (no bound)" : "");
    if (!text.empty() && text != L"any" && bound == kNoMinimum) {
        trace("settings: warning: the ", name, " ", Quoted{text}, " holds no version number and reads as 0.0.0.0");
    }
}

RuntimeRequest readRuntimeRequest(LayeredSettingsSource& layered) {
    RuntimeRequest request;
    const std::wstring minimumText = readLayeredSetting(layered, keys::kMinimumVersion);
    request.minimumVersion = minimumVersionFromText(minimumText);
    traceVersionBound(L"minimum version", minimumText, request.minimumVersion);
    const std::wstring maximumText = readLayeredSetting(layered, keys::kMaximumVersion);
    request.maximumVersion = maximumVersionFromText(maximumText);
    traceVersionBound(L"maximum version", maximumText, request.maximumVersion);
    splitString(readLayeredSetting(layered, keys::kPreferredVersions), L";", request.preferredVersions);
    request.jvmType = jvmTypeFromText(readLayeredSetting(layered, keys::kJvmType));
    request.filter.source = jvmSourceFlagsFromText(readLayeredSetting(layered, keys::kJvmSource));
    request.filter.provider = vmProviderFlagsFromText(readLayeredSetting(layered, keys::kVmProvider));
    request.searchVendorRuntimes =
        !equalsIgnoringAsciiCase(readLayeredSetting(layered, keys::kSearchVendorRuntimes), L"no");
    return request;
}

} // namespace

bool loadLauncherSettings(const std::wstring& programPath, LauncherSettings& settings,
                          std::optional<LayeredSettingsSource>& layered) {
    const std::wstring iniPath = iniPathForProgram(programPath);
    if (iniPath.empty()) {
        trace("settings: the INI path beside the program cannot be formed");
        return false;
    }
    trace("settings: reading ", Quoted{iniPath}, pathExists(iniPath) ? "" : " (the file does not exist)");

    IniFileSource file(iniPath);
    settings.product.productCode = readFileSetting(file, keys::kProductCode);
    settings.product.upgradeCode = readFileSetting(file, keys::kUpgradeCode);
    settings.product.productName = readFileSetting(file, keys::kProductName);
    const std::wstring embedded = embeddedSettingsText(settings.product.upgradeCode);
    layered.emplace(std::move(file), embedded);

    settings.runtime = readRuntimeRequest(*layered);
    ApplicationSettings& application = settings.application;
    application.isService = readLayeredSetting(*layered, keys::kApplicationType) == L"service";
    settings.runtime.jrePath = readJrePath(programPath, settings, *layered);
    trace("settings: application type ", application.isService ? "service" : "application", ", JVM type ",
          settings.runtime.jvmType, ", JDK allowed ", settings.runtime.filter.source.jdkAllowed, ", JRE allowed ",
          settings.runtime.filter.source.jreAllowed, ", favouring ", settings.runtime.filter.source.favouring);

    application.mainClass = readLayeredSetting(*layered, keys::kMainClass);
    if (application.mainClass.empty()) {
        trace("settings: no \"Main Class\": the launch ends here");
        showErrorMessage(kMsgMainClassMissing);
        return false;
    }
    application.mainClass = internalClassName(application.mainClass);
    application.failureCheck = isYesInAnyCase(readLayeredSetting(*layered, keys::kFailureCheck));
    application.overrideWorkingDir = isYesInAnyCase(readLayeredSetting(*layered, keys::kOverrideWorkingDir));
    application.systemPath = readLayeredSetting(*layered, keys::kSystemPath);
    application.libraryPath = readLayeredSetting(*layered, keys::kLibraryPath);
    application.pairProduct = readLayeredSetting(*layered, keys::kPairProduct);
    application.pairReturnCode = isYesInAnyCase(readLayeredSetting(*layered, keys::kPairReturnCode));
    trace("settings: usable; main class ", Quoted{application.mainClass});
    return true;
}

std::wstring userIniPath(const std::wstring& programPath, const ProductIdentity& product, bool createFolders) {
    return perUserPathFrom(programPath, product, createFolders);
}

void rememberJrePath(const std::wstring& folder, const std::wstring& programPath, const LauncherSettings& settings) {
    const auto write = [&](const std::wstring& path) {
        if (path.empty()) return;
        IniFileSource target(path);
        const bool written = target.writeString(keys::kJrePath.section, keys::kJrePath.key, folder);
        trace("runtime: remembering \"JRE Path\" in ", Quoted{path}, written ? "" : " failed");
    };
    const std::wstring& pairProduct = settings.application.pairProduct;
    if (settings.application.isService) {
        write(iniPathForProgram(programPath));
        if (!pairProduct.empty()) write(iniPathForProgram(pairProduct));
        return;
    }
    write(userIniPath(programPath, settings.product, true));
    if (!pairProduct.empty()) write(perUserPathFrom(pairProduct, settings.product, true));
}

} // namespace jl
