// The exports of the probe runtime's jvm.dll. Its variants are built from this
// file with one export left out each, as runtimes that lack it.

#define _JNI_IMPLEMENTATION_  // jni.h then declares the invocation functions as exports
#include "probe_jni.h"
#include "probe_record.h"

extern "C" {

#ifndef PROBE_WITHOUT_GET_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) { return probe::getDefaultJavaVmInitArgs(args); }
#endif

#ifndef PROBE_WITHOUT_CREATE
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    return probe::createJavaVm(vm, env, args);
}
#endif

JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** vms, jsize capacity, jsize* count) {
    return probe::getCreatedJavaVms(vms, capacity, count);
}

#ifndef PROBE_WITHOUT_FIND_CLASS_FROM_BOOT_LOADER
JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* env, const char* name) {
    return probe::findClassFromBootLoader(env, name);
}
#endif

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) probe::recordLoad(module, "jvm");
    return TRUE;
}

} // extern "C"
