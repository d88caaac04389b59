// The probe runtime's splashscreen.dll: it shows nothing and records each call
// with its arguments. PROBE_WITHOUT_SPLASH_INIT builds a library that lacks
// "SplashInit".

#include <windows.h>

#include "probe_record.h"

namespace {

std::string text(const char* bytes) { return probe::percentEncoded(bytes ? bytes : ""); }

} // namespace

extern "C" {

#ifndef PROBE_WITHOUT_SPLASH_INIT
__declspec(dllexport) void SplashInit() { probe::record("splash-init"); }
#endif

__declspec(dllexport) int SplashLoadFile(const char* fileName) {
    probe::record("splash-load-file name=" + text(fileName));
    return fileName && GetFileAttributesA(fileName) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

__declspec(dllexport) void SplashSetFileJarName(const char* fileName, const char* jarName) {
    probe::record("splash-set-file-jar-name file=" + text(fileName) + " jar=" + text(jarName));
}

__declspec(dllexport) void SplashClose() { probe::record("splash-close"); }

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) probe::recordLoad(module, "splashscreen");
    return TRUE;
}

} // extern "C"
