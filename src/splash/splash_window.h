#pragma once
// The launcher's own splash window and the runtime's splash library.

#include <windows.h>

#include <atomic>
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

// What the splash thread reads. The thread holds a share of it, and
// closeSplashWindow drops the launcher's share whether or not the thread ended in
// time, so a thread it gave up on still reads live state; the last holder frees it.
struct SplashThreadState {
    SplashSettings settings;  // the thread's own copy
    SplashWindow window;
    UniqueHandle windowReady;  // set once the window is up, or could not be made
    // Set by closeSplashWindow: a thread held up until then never shows its window.
    std::atomic<bool> closed = false;
};

// What the splash screen owns while the launch runs.
struct SplashState {
    std::shared_ptr<SplashThreadState> shared;  // the launcher's share, until closeSplashWindow
    UniqueHandle thread;  // runs the splash window's message loop
    DWORD threadId = 0;
    SplashCloser closer;  // the runtime splash library's "SplashClose"
};

// Shows the picture through the runtime's splash library beside jvmLibraryPath
// or in the launcher's own window, whose thread is started here without waiting
// for it.
void startSplash(SplashState& splash, const SplashSettings& settings, const std::wstring& jvmLibraryPath);
// Stops the splash thread, waiting a bounded time for it to end, and drops the
// launcher's share of its state.
void closeSplashWindow(SplashState& splash);

} // namespace jl
