#pragma once
// The VM option list and the other values the settings give the JVM's start.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/launcher_settings.h"

namespace jl {

// What the Java main thread is started with, besides the runtime itself.
struct JvmConfiguration {
    std::vector<std::string> vmOptions;  // in the thread's ANSI code page, in order
    uint64_t javaThreadStackSize = 0;    // 0: the JVM's default
    std::wstring classPath;              // the class path option's entries, as given to the JVM
};

// Publishes the runtime variables, puts the library-path option at the head of
// the VM option list when "Library Path" is set, and rewrites Path.
// programFolder ends in "\".
void prepareLibraryPath(const std::wstring& jvmLibraryPath, const JvmSettings& settings,
                        const std::wstring& programFolder, JvmConfiguration& configuration);

// Appends the class path and the VM parameters to the option list and reads the
// stack size, for the program at programPath. False when the class path is empty
// (after message 209); start-up goes on regardless.
[[nodiscard]] bool assembleJvmOptions(const JvmSettings& settings, const std::wstring& programPath,
                                      JvmConfiguration& configuration);

// Where the VM writes its report of a fatal error, in the order it tries them:
// "-XX:ErrorFile" (its "%p" the process id) or hs_err_pid<pid>.log in the
// current folder, then the same name in the temporary folder. Full paths.
[[nodiscard]] std::vector<std::wstring> vmErrorReportPaths(const std::vector<std::string>& vmOptions);

// The Java program's extra arguments from "Cmd", environment references expanded.
[[nodiscard]] std::vector<std::wstring> cmdArguments(const JvmSettings& settings);

// The class path text from a "Class Path" value: every entry followed by ";".
[[nodiscard]] std::wstring buildClassPath(const std::wstring& classPathSetting, const std::wstring& programFolder);

} // namespace jl
