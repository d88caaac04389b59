#pragma once
// Machine-dependent JNI types for Windows x64 (LLP64): jint is 32-bit, jlong
// 64-bit, and exported entry points use the platform's one calling convention.

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;
