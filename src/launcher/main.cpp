// Process entry: one Launcher for the whole process.

#include <windows.h>

#include "launcher/launcher.h"

// The entry of both programs, the GUI one and its console twin: the C runtime
// calls wmain whichever subsystem the image is linked for, and what the image's
// header says decides the rest at run time.
int wmain() {
    // The working folder leaves the DLL search before anything loads by name, so
    // a library planted there reaches neither the launcher, the runtime nor the
    // shell's dialogs. Path stays searched: the runtime's own libraries need it.
    // The system folder, searched anyway, stands in for the working folder: not
    // every implementation of the API drops it for an empty name.
    wchar_t systemFolder[MAX_PATH];
    const UINT systemLength = GetSystemDirectoryW(systemFolder, MAX_PATH);
    SetDllDirectoryW(systemLength > 0 && systemLength < MAX_PATH ? systemFolder : L"");
    jl::Launcher launcher;
    // Every later wide/narrow conversion uses the thread's ANSI code page.
    SetThreadLocale(GetSystemDefaultLCID());
    // Gives this thread a message queue before any window exists.
    DefWindowProcW(nullptr, 0, 0, 0);
    const int exitCode = launcher.init() ? launcher.run() : -1;
    launcher.shutdown();
    return exitCode;
}

