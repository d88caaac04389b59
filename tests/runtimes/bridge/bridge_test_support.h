#pragma once
// Where the bridge runtime and the Java test programs sit in the build tree, and
// a run of one Java program in a child process through jl_bridge_host.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace jltest::bridge {

// <build>\runtimes\bridge\bin\server\jvm.dll (the test programs are in <build>\bin).
[[nodiscard]] std::wstring jvmPath();
// The jar with the Java programs of java/bridge.
[[nodiscard]] std::wstring programsJar();

template <typename Function>
[[nodiscard]] Function resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct HostRequest {
    std::wstring mainClass{};
    std::vector<std::wstring> arguments{};
    std::vector<std::wstring> options{};  // a class path option is added unless one is given
    std::wstring outputFile{};            // System.out goes there when set
    bool throughLauncherHelper = false;
    std::map<std::wstring, std::wstring> environment{};
};

struct HostRun {
    std::optional<int> exitCode;  // empty when the run had to be killed
    std::string output, error;    // the child's standard streams
    std::string hookLog;          // "exit N" / "abort" lines written by the launcher's hooks
};

[[nodiscard]] HostRun runHost(const HostRequest& request);

// The values of a PrintArguments or PrintValues line ("NAME=61 1f600"), decoded.
[[nodiscard]] std::map<std::string, std::wstring> printedValues(const std::string& output);

} // namespace jltest::bridge
