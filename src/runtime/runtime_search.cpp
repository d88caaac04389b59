#include "runtime/runtime_search.h"

#include "launcher/launcher.h"
#include "support/trace.h"

namespace jl {

// Runtime discovery is not built yet: no folder holds a usable jvm.dll and no
// runtime is registered.
std::wstring findJvmLibrary(const std::wstring& homeFolder, int jvmType) {
    trace(L"runtime: probing ", Quoted{homeFolder}, L" for JVM type ", jvmType,
          L": not built yet, no jvm.dll found");
    return {};
}

bool searchInstalledRuntimes(Launcher&, std::wstring&, Version&, int pass) {
    trace(L"runtime: registry search pass ", pass, L": not built yet, nothing found");
    return false;
}

std::optional<std::wstring> findPrivateRuntime() {
    trace(L"runtime: private runtime search: not built yet, nothing found");
    return std::nullopt;
}

} // namespace jl
