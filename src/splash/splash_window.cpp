#include "splash/splash_window.h"

#include "support/trace.h"
#include "support/window.h"

namespace jl {

// The splash screen is not built yet: nothing is shown.
bool startSplash(SplashState&) {
    trace(L"splash: not built yet, nothing shown");
    return true;
}

void closeSplashWindow(SplashState& splash) {
    if (!splash.thread) return;
    if (!stopMessageLoopThread(splash.thread.get(), splash.threadId, 5000)) {
        trace(L"splash: the splash thread did not end in time");
    }
    splash.thread.reset();
}

} // namespace jl
