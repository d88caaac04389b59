// The probe runtime's java.dll: it only records that it was loaded (the probe
// jvm.dll loads it by name when it creates a VM).

#include <windows.h>

#include "probe_record.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) probe::recordLoad(module, "java");
    return TRUE;
}
