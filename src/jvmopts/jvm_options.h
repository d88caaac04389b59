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
    std::wstring mainJar;                // "Main Jar" as given to the JVM; empty without one
};

// Publishes the runtime variables, puts the library-path option at the head of
// the VM option list when "Library Path" is set, and rewrites Path.
// programFolder ends in "\".
void prepareLibraryPath(const std::wstring& jvmLibraryPath, const JvmSettings& settings,
                        const std::wstring& programFolder, JvmConfiguration& configuration);

// Finds "Main Jar" as a class path entry is found, into configuration.mainJar.
// False when it names no file (after message 270): the launch ends.
[[nodiscard]] bool locateMainJar(const std::wstring& mainJar, const std::wstring& programPath,
                                 JvmConfiguration& configuration);

// Appends the class path (led by the main jar), the module options and the VM
// parameters to the option list and reads the stack size, for the program at
// programPath. False when a program started by its class has no class path
// (after message 209); start-up goes on regardless.
[[nodiscard]] bool assembleJvmOptions(const JvmSettings& settings, const ApplicationSettings& application,
                                      const std::wstring& programPath, JvmConfiguration& configuration);

// What the program is started from, as the java command names it to tools:
// the main class with dots, the jar, or "module[/class]".
[[nodiscard]] std::wstring programDescription(const ApplicationSettings& application,
                                              const JvmConfiguration& configuration);

// Appends "-Dsun.java.command=", the description followed by the arguments,
// each after a space, as the java command sets it for tools (jcmd, JFR).
void appendJavaCommandOption(const std::wstring& description, const std::vector<std::wstring>& arguments,
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
