#include "splash/splash_window.h"

#include "launcher/launcher.h"
#include "support/trace.h"

namespace jl {

// The splash screen is not built yet: nothing is shown.
bool startSplash(Launcher&) {
    trace(L"splash: not built yet, nothing shown");
    return true;
}

void closeSplashWindow(Launcher&) {}

} // namespace jl
