#include "jvmopts/jvm_options.h"

#include "jvmopts/path_options.h"
#include "jvmopts/vm_parameters.h"
#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "runtime/runtime_search.h"
#include "runtime/runtime_selection.h"
#include "settings/embedded_settings.h"
#include "settings/launcher_settings.h"
#include "settings/settings_source.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

// The JVM reads its options in the ANSI code page, which cannot carry every
// folder name; an existing file or folder still reaches it intact by its short
// name when the volume keeps one.
std::wstring pathForJvm(const std::wstring& path) {
    if (fitsAnsiCodePage(path)) return path;
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    std::wstring shortPath(needed, L'\0');
    if (needed > 0) shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), needed));
    if (needed == 0 || shortPath.empty() || !fitsAnsiCodePage(shortPath)) {
        trace(L"options: ", Quoted{path}, L" holds characters outside the ANSI code page and has no short name to use");
        return path;
    }
    trace(L"options: ", Quoted{path}, L" holds characters outside the ANSI code page; its short name ",
          Quoted{shortPath}, L" is passed instead");
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

} // namespace

void appendVmOption(Launcher& launcher, const std::wstring& option) { launcher.vmOptions.push_back(toAnsiString(option)); }

std::wstring buildClassPath(SettingsSource& settings, const std::wstring& programFolder) {
    std::vector<std::wstring> entries;
    splitString(readSetting(settings, L"Class Path", L"Class Path"), L";", entries);
    std::wstring classPath;
    for (std::wstring entry : entries) {
        const std::wstring written = entry;
        expandEnvironment(entry);
        const ClassPathEntry kind = classifyClassPathEntry(entry, programFolder);
        if (!kind.searched) {
            classPath += pathForJvm(entry) + L";";
            trace(L"options: class path entry ", Quoted{written}, L" is passed as ", Quoted{entry});
            continue;
        }
        const size_t found = expandClassPathEntry(kind, classPath);
        if (found == 0) {
            trace(L"options: class path entry ", Quoted{written}, L" matched nothing (", Quoted{kind.pattern}, L")");
        } else {
            trace(L"options: class path entry ", Quoted{written}, L" gave ", found, L" entr", found == 1 ? L"y" : L"ies",
                  L" from ", Quoted{kind.pattern});
        }
    }
    return classPath;
}

bool assembleJvmOptions(Launcher& launcher, SettingsSource& settings, const std::wstring& programPath) {
    const size_t slash = programPath.rfind(L'\\');
    const std::wstring programFolder = slash == std::wstring::npos ? std::wstring() : programPath.substr(0, slash);
    std::wstring classPath = buildClassPath(settings, programFolder);
    if (isYesInAnyCase(readSetting(settings, L"Application", L"Embedded Jar"))) classPath = programPath + L";" + classPath;
    if (classPath.empty()) {
        trace(L"options: the class path is empty");
        showErrorMessage(kMsgClassPathMissing);
        return false;
    }

    std::vector<std::wstring> options = {L"-Djava.class.path=" + classPath};
    for (std::wstring parameter :
         splitVmParameters(readSetting(settings, L"Java Runtime Environment", L"Virtual Machine Parameters"))) {
        removeQuotes(parameter);
        if (isRelativeMemoryOption(parameter)) {
            const std::wstring relative = parameter;
            parameter = resolveRelativeMemoryOption(parameter, machineMemory());
            trace(L"options: ", Quoted{relative}, L" becomes ", Quoted{parameter});
        }
        if (parameter.starts_with(L"-Xss")) {
            launcher.javaThreadStackSize = parseStackSize(std::wstring_view(parameter).substr(4));
            trace(L"options: Java main thread stack size ", launcher.javaThreadStackSize,
                  launcher.javaThreadStackSize == 0 ? L" (the JVM's default)" : L" bytes");
        }
        options.push_back(std::move(parameter));
    }
    for (std::wstring& option : options) {
        expandEnvironment(option);
        appendVmOption(launcher, option);
    }
    for (size_t i = 0; i < launcher.vmOptions.size(); ++i) {
        trace(L"options: VM option ", i + 1, L" = ", Quoted{fromAnsiString(launcher.vmOptions[i])});
    }

    launcher.outputFile = readSetting(settings, L"Application", L"Output File");
    if (!launcher.outputFile.empty()) expandEnvironment(launcher.outputFile);
    launcher.outputAppend = readSetting(settings, L"Application", L"Output Append") == L"yes";
    launcher.errorFile = readSetting(settings, L"Application", L"Error File");
    if (!launcher.errorFile.empty()) expandEnvironment(launcher.errorFile);
    launcher.errorAppend = readSetting(settings, L"Application", L"Error Append") == L"yes";
    trace(L"options: output file ", Quoted{launcher.outputFile}, launcher.outputAppend ? L" (append)" : L"",
          L", error file ", Quoted{launcher.errorFile}, launcher.errorAppend ? L" (append)" : L"");

    launcher.extraArguments = readSetting(settings, L"Application", L"Cmd");
    if (!launcher.extraArguments.empty()) {
        std::wstring expanded = launcher.extraArguments;
        expandEnvironment(expanded);
        std::vector<std::wstring> pieces;
        splitCommandLine(expanded, pieces);
        for (std::wstring& piece : pieces) {
            if (piece.empty()) continue;
            trace(L"options: \"Cmd\" adds argument ", Quoted{piece});
            launcher.arguments.push_back(std::move(piece));
        }
    }
    return true;
}

bool prepareJvmOptions(Launcher& launcher) {
    std::wstring iniPath;
    const std::optional<std::wstring> programPath = modulePath();
    if (!iniPathBesideProgram(iniPath) || !programPath) return false;
    LayeredSettingsSource settings(iniPath, embeddedSettingsText(launcher.upgradeCode));
    return assembleJvmOptions(launcher, settings, *programPath);
}

void prepareLibraryPath(Launcher& launcher) {
    publishRuntimeVariables(launcher.jvmLibraryPath);
    const std::wstring javaBinFolder = stripPathComponents(launcher.jvmLibraryPath, 2);
    const std::wstring javaHomeFolder = stripPathComponents(launcher.jvmLibraryPath, 3) + L"\\";
    if (!launcher.libraryPath.empty()) {
        std::wstring libraryPath =
            libraryPathTemplate(launcher.libraryPath, programFolder().value_or(std::wstring()), javaHomeFolder);
        expandEnvironment(libraryPath);
        appendVmOption(launcher, L"-Djava.library.path=" + pathListForJvm(libraryPath));
    }
    std::wstring path = processPathTemplate(launcher.systemPath, javaBinFolder);
    expandEnvironment(path);
    SetEnvironmentVariableW(L"Path", path.c_str());
    trace(L"options: Path set to ", Quoted{path});
}

} // namespace jl
