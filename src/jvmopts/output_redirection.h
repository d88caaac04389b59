#pragma once
// System.out and System.err into the configured files.

#include <windows.h>

#include <jni.h>

#include <string>

namespace jl {

struct OutputRedirection {
    std::wstring outputFile;  // may hold a date-and-time picture until the VM starts
    std::wstring errorFile;
    bool outputAppend = false;
    bool errorAppend = false;
};

// Replaces the picture between the first and last "%" with the timestamp.
void expandFileNameTimestamp(std::wstring& name, const SYSTEMTIME& timestamp);
// Creates the missing folders above a file.
void createParentFolders(const std::wstring& path);
// Installs a PrintStream on the file as System.out ("setOut") or System.err
// ("setErr"). False when any step fails; a Java exception may then be pending.
[[nodiscard]] bool redirectStandardStream(JNIEnv* env, const std::wstring& fileName, bool append, const char* setter);
// Both names' pictures, expanded in place with one timestamp.
void expandOutputFileNames(OutputRedirection& output);
// Both streams, as configured (names already expanded); failures are described
// and never stop the launch.
void redirectOutputStreams(JNIEnv* env, const OutputRedirection& output);

} // namespace jl
