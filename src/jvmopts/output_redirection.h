#pragma once
// The configured output and error files: their names, with the date-and-time
// picture filled in, and the folders above them. The JNI side, which points
// System.out and System.err at them, lives with the VM hosting.

#include <windows.h>

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
// Both names' pictures, expanded in place with one timestamp.
void expandOutputFileNames(OutputRedirection& output);

} // namespace jl
