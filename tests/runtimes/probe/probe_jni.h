#pragma once
// The probe runtime's JNI invocation interface; the exports of each jvm.dll
// variant forward to these.

#include <jni.h>

namespace probe {

jint getDefaultJavaVmInitArgs(void* args);
jint createJavaVm(JavaVM** vm, void** env, void* args);
jint getCreatedJavaVms(JavaVM** vms, jsize capacity, jsize* count);
jclass findClassFromBootLoader(JNIEnv* env, const char* name);

} // namespace probe
