#pragma once
// The launcher's own splash window and the runtime's splash library.

#include <windows.h>

#include <memory>
#include <string>

#include "settings/launcher_settings.h"
#include "splash/splash_closer.h"
#include "support/unique_resource.h"
#include "support/window.h"

namespace jl {

// A borderless picture window, centred on the primary screen. The picture is
// decoded once, before the window exists; painting is one BitBlt.
class SplashWindow : public Window {
public:
    // Decodes the picture and creates the window, hidden; false without a window.
    [[nodiscard]] bool create(const std::wstring& picturePath, bool shadow);
    // Ends the thread's message loop once another visible top-level window of
    // the process appears (onJavaWindow), or that many seconds from now.
    void startAutoClose(bool onJavaWindow, UINT timeoutSeconds);

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void paint();
    [[nodiscard]] bool javaWindowShown() const;
    UniqueGdiObject bitmap_;
};

// What the splash screen owns while the launch runs.
struct SplashState {
    SplashSettings settings;  // the splash thread's own copy
    std::unique_ptr<SplashWindow> window;  // until closeSplashWindow
    UniqueHandle thread;  // runs the splash window's message loop
    DWORD threadId = 0;
    UniqueHandle windowReady;  // set once the window is up, or could not be made
    SplashCloser closer;  // the runtime splash library's "SplashClose"
};

// Shows the picture through the runtime's splash library beside jvmLibraryPath
// or in the launcher's own window, whose thread is started here without waiting
// for it.
void startSplash(SplashState& splash, const SplashSettings& settings, const std::wstring& jvmLibraryPath);
// Stops the splash thread, waiting for it to end, and frees the window object.
void closeSplashWindow(SplashState& splash);

} // namespace jl
