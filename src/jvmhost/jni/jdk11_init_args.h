#pragma once
// JNI's JDK 1.1 initialisation record, which JNI_GetDefaultJavaVMInitArgs still
// fills for version 0x00010001; newer jni.h files no longer declare it.

#include <cstdarg>
#include <cstdio>

#include <jni.h>

struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE*, const char*, va_list);
    void(JNICALL* exit)(jint);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};
