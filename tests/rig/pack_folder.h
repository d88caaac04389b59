#pragma once
// jlpack run the way a build script runs it, in a folder of its own that holds a
// copy of the built launcher; its standard streams are caught in files.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "support/win_text.h"

namespace jltest {

struct JlpackRun { std::optional<int> exitCode; std::wstring output, error; };

// A folder holding a copy of the built launcher; jlpack runs inside it.
class PackFolder {
public:
    PackFolder() { CopyFileW(builtProgram(L"jlauncher.exe").c_str(), path(L"jlauncher.exe").c_str(), FALSE); }
    [[nodiscard]] std::wstring path(const wchar_t* name) const { return folder_.file(name); }

    [[nodiscard]] JlpackRun run(const std::wstring& arguments) const {
        const StandardStreamFiles streams{folder_.path() + L"-out.txt", folder_.path() + L"-err.txt"};
        LaunchedProcess process = LaunchedProcess::start(builtProgram(L"jlpack.exe"), arguments, {}, folder_.path(), streams);
        const std::optional<int> exitCode = process.waitForExit();
        JlpackRun run{exitCode, jl::fromUtf8(readBytesFile(streams.output)), jl::fromUtf8(readBytesFile(streams.error))};
        DeleteFileW(streams.output.c_str());
        DeleteFileW(streams.error.c_str());
        return run;
    }

    // Every name in the folder: the launcher, the inputs a test wrote and what jlpack made.
    [[nodiscard]] std::vector<std::wstring> fileNames() const { return namesInFolder(folder_.path()); }

private:
    TemporaryFolder folder_{L"jlpack"};
};

} // namespace jltest
