#include "jvmopts/jvm_options.h"

#include "jvmopts/path_options.h"
#include "jvmopts/vm_parameters.h"
#include "runtime/runtime_search.h"
#include "settings/settings_source.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/path_text.h"
#include "support/string_text.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

// The JVM reads its options in the ANSI code page, which cannot carry every
// folder name, and splits path lists at ";", which a file name may hold; an
// existing file or folder still reaches it intact by its short name when the
// volume keeps one.
std::wstring pathForJvm(const std::wstring& path) {
    if (fitsAnsiCodePage(path) && path.find(L';') == std::wstring::npos) return path;
    const std::wstring shortPath = readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
                                       return GetShortPathNameW(path.c_str(), buffer, static_cast<DWORD>(capacity));
                                   }).value_or(std::wstring());
    if (shortPath.empty() || !fitsAnsiCodePage(shortPath) || shortPath.find(L';') != std::wstring::npos) {
        trace("options: ", Quoted{path}, " holds \";\" or characters outside the ANSI code page and has no short name to use");
        return path;
    }
    trace("options: ", Quoted{path}, " holds \";\" or characters outside the ANSI code page; its short name ",
          Quoted{shortPath}, " is passed instead");
    return shortPath;
}

std::wstring pathListForJvm(const std::wstring& list) {
    std::vector<std::wstring> entries;
    splitString(list, L";", entries);
    std::wstring result;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) result += L';';
        result += entries[i].empty() ? entries[i] : pathForJvm(entries[i]);
    }
    if (!list.empty() && list.back() == L';') result += L';';
    return result;
}

// Appends prefix + name; for every name the pattern finds, in the order the file
// system lists them.
size_t expandClassPathEntry(const ClassPathEntry& entry, std::wstring& classPath) {
    WIN32_FIND_DATAW data;
    UniqueFind find = UniqueFind(FindFirstFileW(entry.pattern.c_str(), &data));
    if (!find) return 0;
    size_t found = 0;
    do {
        classPath += pathForJvm(entry.prefix + data.cFileName);
        classPath += L';';
        ++found;
    } while (FindNextFileW(find.get(), &data));
    return found;
}

MachineMemory machineMemory() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return MachineMemory{status.dwTotalPhys, status.dwAvailVirtual};
}

void appendVmOption(JvmConfiguration& configuration, const std::wstring& option) {
    configuration.vmOptions.push_back(toAnsiString(option));
}

} // namespace

std::wstring buildClassPath(SettingsSource& settings, const std::wstring& programFolder) {
    std::vector<std::wstring> entries;
    splitString(readSetting(settings, keys::kClassPath), L";", entries);
    std::wstring classPath;
    for (std::wstring entry : entries) {
        const std::wstring written = entry;
        expandEnvironment(entry);
        const ClassPathEntry kind = classifyClassPathEntry(entry, programFolder);
        if (!kind.searched) {
            classPath += pathForJvm(entry) + L";";
            trace("options: class path entry ", Quoted{written}, " is passed as ", Quoted{entry});
            continue;
        }
        const size_t found = expandClassPathEntry(kind, classPath);
        if (found == 0) {
            trace("options: class path entry ", Quoted{written}, " matched nothing (", Quoted{kind.pattern}, ")");
        } else {
            trace("options: class path entry ", Quoted{written}, " gave ", found, " entr", found == 1 ? "y" : "ies",
                  " from ", Quoted{kind.pattern});
        }
    }
    return classPath;
}

bool assembleJvmOptions(SettingsSource& settings, const std::wstring& programPath, JvmConfiguration& configuration) {
    const size_t slash = programPath.rfind(L'\\');
    const std::wstring programFolder = slash == std::wstring::npos ? std::wstring() : programPath.substr(0, slash);
    std::wstring classPath = buildClassPath(settings, programFolder);
    if (isYesInAnyCase(readSetting(settings, keys::kEmbeddedJar))) classPath = pathForJvm(programPath) + L";" + classPath;
    if (classPath.empty()) {
        trace("options: the class path is empty");
        showErrorMessage(kMsgClassPathMissing);
        return false;
    }

    configuration.classPath = classPath;
    // The class path's entries were expanded one by one already; a name a
    // wildcard found is taken as it is, "%" and all.
    appendVmOption(configuration, L"-Djava.class.path=" + classPath);
    std::vector<std::wstring> options;
    for (std::wstring parameter : splitVmParameters(readSetting(settings, keys::kVirtualMachineParameters))) {
        removeQuotes(parameter);
        if (isRelativeMemoryOption(parameter)) {
            const std::wstring relative = parameter;
            parameter = resolveRelativeMemoryOption(parameter, machineMemory());
            trace("options: ", Quoted{relative}, " becomes ", Quoted{parameter});
        }
        if (parameter.starts_with(L"-Xss")) {
            configuration.javaThreadStackSize = parseStackSize(std::wstring_view(parameter).substr(4));
            trace("options: Java main thread stack size ", configuration.javaThreadStackSize,
                  configuration.javaThreadStackSize == 0 ? " (the JVM's default)" : " bytes");
        }
        options.push_back(std::move(parameter));
    }
    for (std::wstring& option : options) {
        expandEnvironment(option);
        appendVmOption(configuration, option);
    }
    for (size_t i = 0; i < configuration.vmOptions.size(); ++i) {
        trace("options: VM option ", i + 1, " = ", Quoted{fromAnsiString(configuration.vmOptions[i])});
    }

    return true;
}

std::vector<std::wstring> cmdArguments(SettingsSource& settings) {
    std::wstring text = readSetting(settings, keys::kCmd);
    std::vector<std::wstring> arguments;
    if (text.empty()) return arguments;
    expandEnvironment(text);
    splitCommandLine(text, arguments);
    std::erase(arguments, std::wstring());
    return arguments;
}

void readOutputRedirection(SettingsSource& settings, OutputRedirection& output) {
    output.outputFile = readSetting(settings, keys::kOutputFile);
    if (!output.outputFile.empty()) expandEnvironment(output.outputFile);
    output.outputAppend = readSetting(settings, keys::kOutputAppend) == L"yes";
    output.errorFile = readSetting(settings, keys::kErrorFile);
    if (!output.errorFile.empty()) expandEnvironment(output.errorFile);
    output.errorAppend = readSetting(settings, keys::kErrorAppend) == L"yes";
    trace("options: output file ", Quoted{output.outputFile}, output.outputAppend ? " (append)" : "",
          ", error file ", Quoted{output.errorFile}, output.errorAppend ? " (append)" : "");
}

void prepareLibraryPath(const std::wstring& jvmLibraryPath, const std::wstring& libraryPath,
                        const std::wstring& systemPath, const std::wstring& programFolder,
                        JvmConfiguration& configuration) {
    publishRuntimeVariables(jvmLibraryPath);
    const std::wstring javaBinFolder = stripPathComponents(jvmLibraryPath, 2);
    const std::wstring javaHomeFolder = stripPathComponents(jvmLibraryPath, 3) + L"\\";
    if (!libraryPath.empty()) {
        std::wstring option = libraryPathTemplate(libraryPath, programFolder, javaHomeFolder);
        expandEnvironment(option);
        appendVmOption(configuration, L"-Djava.library.path=" + pathListForJvm(option));
    }
    std::wstring path = processPathTemplate(systemPath, javaBinFolder);
    expandEnvironment(path);
    SetEnvironmentVariableW(L"Path", path.c_str());
    trace("options: Path set to ", Quoted{path});
}

} // namespace jl
