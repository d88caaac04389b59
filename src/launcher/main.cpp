// Process entry: one Launcher for the whole process.

#include <windows.h>

#include "launcher/launcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    jl::Launcher launcher;
    // Every later wide/narrow conversion uses the thread's ANSI code page.
    SetThreadLocale(GetSystemDefaultLCID());
    // Gives this thread a message queue before any window exists.
    DefWindowProcW(nullptr, 0, 0, 0);
    const int exitCode = launcher.init() ? launcher.run() : -1;
    launcher.shutdown();
    return exitCode;
}
