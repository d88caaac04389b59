#include "runtime/runtime_choice.h"

#include <windows.h>

#include "runtime/jre_not_found_dialog.h"
#include "runtime/runtime_search.h"
#include "support/console_output.h"
#include "support/error_message.h"
#include "support/message_format.h"
#include "support/message_ids.h"
#include "support/path_text.h"
#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

std::optional<ChosenRuntime> fromHome(const std::wstring& home, JvmType jvmType, RuntimeSource source,
                                      const Version& version, const char* description) {
    std::wstring library = findJvmLibrary(home, jvmType);
    if (library.empty()) {
        trace("runtime: no jvm.dll for JVM type ", jvmType, " under ", description, " ", Quoted{home});
        return std::nullopt;
    }
    trace("runtime: chose ", Quoted{library}, " from ", description);
    return ChosenRuntime{std::move(library), version, source};
}

std::optional<ChosenRuntime> fromRegistry(const RuntimeRequest& request, bool pairProductSet) {
    if (std::optional<InstalledRuntime> native = searchInstalledRuntimes(request, RegistryView::native)) {
        return fromHome(native->homeFolder, request.jvmType, RuntimeSource::registry, native->version,
                        "the registered runtime");
    }
    if (!pairProductSet) {
        trace("registry: the 32-bit view is searched only with a \"Pair Product\"");
        return std::nullopt;
    }
    if (std::optional<InstalledRuntime> wow32 = searchInstalledRuntimes(request, RegistryView::wow32)) {
        return fromHome(wow32->homeFolder, request.jvmType, RuntimeSource::registry32, wow32->version,
                        "the registered 32-bit runtime");
    }
    return std::nullopt;
}

std::optional<ChosenRuntime> fromDialog(const LauncherSettings& settings, const std::wstring& programPath) {
    const RuntimeRequest& request = settings.runtime;
    const unsigned messageId = request.jvmType == JvmType::server ? kMsgJreNotFoundServer : kMsgJreNotFound;
    const std::wstring message = formatMessage(
        loadString(messageId), {describeVersionRequirement(request.minimumVersion, request.maximumVersion)});
    if (isConsoleProgram()) {
        // A tool run from a script has nobody to browse: it says what is needed and where to get it.
        trace("runtime: no usable runtime found; a console program says so and ends");
        showErrorText(message + L"\n" + loadString(kMsgJreDownloadLink));
        return std::nullopt;
    }
    trace("runtime: no usable runtime found; asking the user");
    JreNotFoundChoice choice;
    const INT_PTR answer = runJreNotFoundDialog(GetActiveWindow(), message, request.jvmType, choice);
    if (answer == -1) {
        trace("runtime: the JRE Not Found dialog could not be created");
        SetLastError(ERROR_OUTOFMEMORY);
        return std::nullopt;
    }
    if (answer != IDOK) {
        trace("runtime: the user cancelled the JRE Not Found dialog; the launch ends here");
        return std::nullopt;
    }
    rememberJrePath(choice.folder, programPath, settings);
    trace("runtime: chose the browsed runtime ", Quoted{choice.jvmLibraryPath});
    return ChosenRuntime{choice.jvmLibraryPath, Version{}, RuntimeSource::browsed};
}

} // namespace

std::optional<ChosenRuntime> chooseRuntime(const LauncherSettings& settings, const std::wstring& programPath) {
    const RuntimeRequest& request = settings.runtime;
    std::optional<ChosenRuntime> chosen;
    if (!request.jrePath.empty()) {
        const std::wstring home = withTrailingBackslash(request.jrePath);
        trace("runtime: trying the configured \"JRE Path\" ", Quoted{home});
        chosen = fromHome(home, request.jvmType, RuntimeSource::jrePath, Version{}, "\"JRE Path\"");
    }
    if (!chosen) {
        if (const std::optional<std::wstring> home = findPrivateRuntime(folderWithBackslash(programPath))) {
            chosen = fromHome(*home, request.jvmType, RuntimeSource::privateRuntime, Version{}, "the private runtime");
        }
    }
    if (!chosen) chosen = fromRegistry(request, !settings.application.pairProduct.empty());
    if (!chosen) {
        if (const std::optional<InstalledRuntime> vendor = searchVendorRuntimes(request)) {
            chosen = fromHome(vendor->homeFolder, request.jvmType, RuntimeSource::vendor, vendor->version,
                              "the vendor runtime");
        }
    }
    return chosen ? chosen : fromDialog(settings, programPath);
}

bool handsOverToPairProduct(const ChosenRuntime& runtime, const std::wstring& pairProduct) {
    if (pairProduct.empty()) return false;
    if (runtime.source == RuntimeSource::registry32) {
        trace("registry: a 32-bit runtime was found, so the launch is handed over to \"Pair Product\"");
        return true;
    }
    // The private runtime ships with this program, and the registry's native view
    // and the vendor keys name 64-bit runtimes.
    if (runtime.source != RuntimeSource::jrePath && runtime.source != RuntimeSource::browsed) return false;
    // The PE headers are read here rather than through Dbghelp.dll, which a
    // planted copy beside the program could replace.
    const bool handOver = isX86Image(runtime.jvmLibraryPath);
    trace("launch: ", Quoted{runtime.jvmLibraryPath},
          handOver ? " is a 32-bit image: handing over to " : " is not a 32-bit image, so no hand-over to ",
          Quoted{pairProduct});
    return handOver;
}

} // namespace jl
