#include "bridge_test_support.h"

#include <sstream>

#include "rig/app_folder.h"
#include "rig/launched_process.h"

namespace jltest::bridge {
namespace {

std::wstring buildFile(const std::wstring& relative) {
    const std::wstring joined = testProgramFolder() + L"\\..\\" + relative;
    wchar_t full[MAX_PATH];
    return GetFullPathNameW(joined.c_str(), MAX_PATH, full, nullptr) ? full : joined;
}

// Quoted so that the child's argument parser gives the text back unchanged.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring result = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    return result.append(backslashes * 2, L'\\') + L"\"";
}

} // namespace

std::wstring jvmPath() { return buildFile(L"runtimes\\bridge\\bin\\server\\jvm.dll"); }
std::wstring programsJar() { return buildFile(L"runtimes\\bridge-programs\\bridge-programs.jar"); }

HostRun runHost(const HostRequest& request) {
    const std::wstring folder = makeTemporaryFolder(L"bridge-run");
    const std::wstring hookLog = folder + L"\\hooks.log";
    std::wstring arguments = quoted(L"--jvm=" + jvmPath()) + L" " + quoted(L"--hook-log=" + hookLog);
    bool classPathGiven = false;
    for (const std::wstring& option : request.options) {
        classPathGiven = classPathGiven || option.starts_with(L"-Djava.class.path=");
        arguments += L" " + quoted(L"--option=" + option);
    }
    if (!classPathGiven) arguments += L" " + quoted(L"--option=-Djava.class.path=" + programsJar());
    if (!request.outputFile.empty()) arguments += L" " + quoted(L"--out=" + request.outputFile);
    if (request.throughLauncherHelper) arguments += L" --helper";
    arguments += L" " + request.mainClass;
    for (const std::wstring& argument : request.arguments) arguments += L" " + quoted(argument);

    const StandardStreamFiles streams{folder + L"\\stdout.txt", folder + L"\\stderr.txt"};
    LaunchedProcess process =
        LaunchedProcess::start(builtProgram(L"jl_bridge_host.exe"), arguments, request.environment, {}, streams);
    HostRun run;
    run.exitCode = process.waitForExit(60000);
    run.output = readBytesFile(streams.output);
    run.error = readBytesFile(streams.error);
    run.hookLog = readBytesFile(hookLog);
    removeFolderTree(folder);
    return run;
}

std::map<std::string, std::wstring> printedValues(const std::string& output) {
    std::map<std::string, std::wstring> values;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const size_t separator = line.find_first_of("=:");
        if (separator == std::string::npos) continue;
        std::wstring value;
        std::istringstream codePoints(line.substr(separator + 1));
        for (unsigned long codePoint; codePoints >> std::hex >> codePoint;) {
            if (codePoint >= 0x10000) {
                value += static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
                value += static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            } else {
                value += static_cast<wchar_t>(codePoint);
            }
        }
        values[line.substr(0, separator)] = value;
    }
    return values;
}

} // namespace jltest::bridge
