#pragma once
// The launcher's own splash window and the runtime's splash library.

#include <windows.h>

#include <string>

#include "splash/splash_closer.h"
#include "support/unique_resource.h"

namespace jl {

// What the splash screen owns while the launch runs.
struct SplashState {
    std::wstring image;   // [Display] "Splash Screen"
    bool shadow = false;  // [Display] "Splash Screen Shadow"
    UniqueHandle thread;  // runs the splash window's message loop
    DWORD threadId = 0;
    SplashCloser closer;  // the runtime splash library's "SplashClose"
};

// Shows the configured splash picture; false only when the INI path beside the
// program cannot be formed.
[[nodiscard]] bool startSplash(SplashState& splash);
// Stops the splash thread and destroys the window, if there is one.
void closeSplashWindow(SplashState& splash);

} // namespace jl
