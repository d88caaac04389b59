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

// Each way to a runtime fills chosen in place and answers whether it found one.
void take(ChosenRuntime& chosen, std::wstring&& library, const Version& version, RuntimeSource source) {
    chosen.jvmLibraryPath = std::move(library);
    chosen.version = version;
    chosen.source = source;
}

bool fromHome(const std::wstring& home, JvmType jvmType, RuntimeSource source, const Version& version,
              const char* description, ChosenRuntime& chosen) {
    std::wstring library = findJvmLibrary(home, jvmType);
    if (library.empty()) {
        trace<TraceTopic::runtime>("no jvm.dll for JVM type {} under {} {}", jvmType, description, Quoted{home});
        return false;
    }
    trace<TraceTopic::runtime>("chose {} from {}", Quoted{library}, description);
    take(chosen, std::move(library), version, source);
    return true;
}

// "JRE Path" is tried first, but a runtime that cannot run from here must not end
// every start with a failed load: a remembered folder deleted since, a jvm.dll
// damaged, or a 32-bit one with no "Pair Product" to hand it to. The search goes
// on as if none were named.
bool fromJrePath(const RuntimeRequest& request, bool pairProductSet, ChosenRuntime& chosen) {
    const std::wstring home = withTrailingBackslash(request.jrePath);
    trace<TraceTopic::runtime>("trying the configured \"JRE Path\" {}", Quoted{home});
    std::wstring library = findJvmLibrary(home, request.jvmType);
    if (library.empty()) {
        trace<TraceTopic::runtime>("no jvm.dll for JVM type {} under \"JRE Path\" {}; searching on", request.jvmType,
                                   Quoted{home});
        return false;
    }
    const ImageBitness bitness = jvmImageBitness(library);
    if (bitness == ImageBitness::unusable) {
        trace<TraceTopic::runtime>(
            "\"JRE Path\" skipped: {} is no whole x64 or x86 image (damaged, cut short or for another "
            "machine); searching on",
            Quoted{library});
        return false;
    }
    if (bitness == ImageBitness::x86 && !pairProductSet) {
        trace<TraceTopic::runtime>(
            "\"JRE Path\" skipped: {} is a 32-bit image and no \"Pair Product\" is set to run it; "
            "searching on",
            Quoted{library});
        return false;
    }
    trace<TraceTopic::runtime>("chose {} from \"JRE Path\"", Quoted{library});
    take(chosen, std::move(library), Version{}, RuntimeSource::jrePath);
    return true;
}

bool fromVendor(const RuntimeRequest& request, bool pairProductSet, ChosenRuntime& chosen) {
    const std::optional<InstalledRuntime> vendor = searchVendorRuntimes(request, pairProductSet);
    if (!vendor) return false;
    return fromHome(vendor->homeFolder, request.jvmType, vendor->x86 ? RuntimeSource::vendor32 : RuntimeSource::vendor,
                    vendor->version, vendor->x86 ? "the 32-bit vendor runtime" : "the vendor runtime", chosen);
}

bool fromScan(const RuntimeRequest& request, bool pairProductSet, ChosenRuntime& chosen) {
    const std::optional<InstalledRuntime> scanned = searchRuntimeFolders(request, pairProductSet);
    if (!scanned) return false;
    return fromHome(scanned->homeFolder, request.jvmType,
                    scanned->x86 ? RuntimeSource::scanned32 : RuntimeSource::scanned, scanned->version,
                    scanned->x86 ? "the scanned 32-bit runtime" : "the scanned runtime", chosen);
}

bool fromRegistry(const RuntimeRequest& request, bool pairProductSet, ChosenRuntime& chosen) {
    if (std::optional<InstalledRuntime> native = searchInstalledRuntimes(request, RegistryView::native)) {
        return fromHome(native->homeFolder, request.jvmType, RuntimeSource::registry, native->version,
                        "the registered runtime", chosen);
    }
    if (!pairProductSet) {
        trace<TraceTopic::registry>("the 32-bit view is searched only with a \"Pair Product\"");
        return false;
    }
    if (std::optional<InstalledRuntime> wow32 = searchInstalledRuntimes(request, RegistryView::wow32)) {
        return fromHome(wow32->homeFolder, request.jvmType, RuntimeSource::registry32, wow32->version,
                        "the registered 32-bit runtime", chosen);
    }
    return false;
}

bool fromDialog(const LauncherSettings& settings, const std::wstring& programPath, ChosenRuntime& chosen) {
    const RuntimeRequest& request = settings.runtime;
    const unsigned messageId = request.jvmType == JvmType::server ? kMsgJreNotFoundServer : kMsgJreNotFound;
    const std::wstring message = formatMessage(
        loadString(messageId), {describeVersionRequirement(request.minimumVersion, request.maximumVersion)});
    if (isConsoleProgram() || messagesGoToEventLog()) {
        // A tool run from a script, or a service, has nobody to browse: it says
        // what is needed and where to get it.
        trace<TraceTopic::runtime>("no usable runtime found; with nobody to browse, the launch says so and ends");
        showErrorText(message + L"\n" + loadString(kMsgJreDownloadLink));
        return false;
    }
    trace<TraceTopic::runtime>("no usable runtime found; asking the user");
    JreNotFoundChoice choice;
    const INT_PTR answer = runJreNotFoundDialog(GetActiveWindow(), message, request.jvmType,
                                                !settings.application.pairProduct.empty(), choice);
    if (answer == -1) {
        trace<TraceTopic::runtime>("the JRE Not Found dialog could not be created");
        SetLastError(ERROR_OUTOFMEMORY);
        return false;
    }
    if (answer != IDOK) {
        trace<TraceTopic::runtime>("the user cancelled the JRE Not Found dialog; the launch ends here");
        return false;
    }
    rememberJrePath(choice.folder, programPath, settings);
    trace<TraceTopic::runtime>("chose the browsed runtime {}", Quoted{choice.jvmLibraryPath});
    take(chosen, std::move(choice.jvmLibraryPath), Version{}, RuntimeSource::browsed);
    return true;
}

bool fromPrivateRuntime(const RuntimeRequest& request, const std::wstring& programPath, ChosenRuntime& chosen) {
    const std::optional<std::wstring> home = findPrivateRuntime(folderWithBackslash(programPath));
    return home && fromHome(*home, request.jvmType, RuntimeSource::privateRuntime, Version{}, "the private runtime", chosen);
}

} // namespace

bool chooseRuntime(const LauncherSettings& settings, const std::wstring& programPath, ChosenRuntime& chosen) {
    const RuntimeRequest& request = settings.runtime;
    const bool pairProductSet = !settings.application.pairProduct.empty();
    return (!request.jrePath.empty() && fromJrePath(request, pairProductSet, chosen)) ||
           fromPrivateRuntime(request, programPath, chosen) || fromRegistry(request, pairProductSet, chosen) ||
           fromVendor(request, pairProductSet, chosen) || fromScan(request, pairProductSet, chosen) ||
           fromDialog(settings, programPath, chosen);
}

bool handsOverToPairProduct(const ChosenRuntime& runtime, const std::wstring& pairProduct) {
    if (pairProduct.empty()) return false;
    if (runtime.source == RuntimeSource::registry32 || runtime.source == RuntimeSource::vendor32 ||
        runtime.source == RuntimeSource::scanned32) {
        trace<TraceTopic::launch>(
            "the chosen runtime is a 32-bit one, so the launch is handed over to \"Pair Product\"");
        return true;
    }
    // The private runtime ships with this program, and the registry's native view
    // names 64-bit runtimes.
    if (runtime.source != RuntimeSource::jrePath && runtime.source != RuntimeSource::browsed) return false;
    const bool handOver = jvmImageBitness(runtime.jvmLibraryPath) == ImageBitness::x86;
    trace<TraceTopic::launch>("{}{}{}", Quoted{runtime.jvmLibraryPath},
                              handOver ? " is a 32-bit image: handing over to "
                                       : " is not a 32-bit image, so no hand-over to ",
                              Quoted{pairProduct});
    return handOver;
}

} // namespace jl
