#include "jvmhost/jvm_host.h"

#include "launcher/launcher.h"
#include "support/trace.h"

namespace jl {

// JVM hosting is not built yet: no jvm.dll is loaded and no Java code runs.
bool loadJvmLibrary(Launcher&, const std::wstring& path) {
    trace(L"jvm: loading ", Quoted{path}, L": not built yet");
    return false;
}

int runJavaMainThread(Launcher&) { return -1; }

void destroyJvm(Launcher& launcher) { launcher.javaVm = nullptr; }

} // namespace jl
