#include "jvmopts/jvm_options.h"

#include <algorithm>

#include "jvmopts/path_options.h"
#include "jvmopts/vm_option_files.h"
#include "jvmopts/vm_parameters.h"
#include "runtime/runtime_search.h"
#include "settings/settings_values.h"
#include "support/error_message.h"
#include "support/message_ids.h"
#include "support/number_text.h"
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
        trace<TraceTopic::options>(
            "{} holds \";\" or characters outside the ANSI code page and has no short name to use", Quoted{path});
        return path;
    }
    trace<TraceTopic::options>(
        "{} holds \";\" or characters outside the ANSI code page; its short name {} is passed instead", Quoted{path},
        Quoted{shortPath});
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

struct SourcedOption {
    std::wstring text;
    std::wstring_view source;  // for the trace: a literal or the settings' file path, which outlive the list
    size_t layer = 0;     // the parameters, then each file
};

// "Virtual Machine Parameters", its two-word forms joined as the java command joins them.
void addParameterOptions(const std::wstring& parameters, std::vector<SourcedOption>& options) {
    const std::vector<std::wstring> words = splitVmParameters(parameters);
    for (size_t i = 0; i < words.size(); ++i) {
        std::wstring option = words[i];
        removeQuotes(option);
        if (const std::wstring_view setting = settingInPlaceOf(option); !setting.empty()) {
            // Passed on, the VM would refuse to start over an option it does not know.
            const std::wstring value = i + 1 < words.size() ? words[++i] : std::wstring();
            trace<TraceTopic::options>(
                "{} is the java command's, which the launcher cannot place among the VM's options; it is "
                "left out (\"{}\" says it)",
                Quoted{option + L" " + value}, setting);
            continue;
        }
        const std::wstring prefix = oneWordOptionPrefix(option);
        if (!prefix.empty() && i + 1 < words.size()) {
            option = words[++i];
            removeQuotes(option);
            option.insert(0, prefix);
        } else if (!prefix.empty()) {
            trace<TraceTopic::options>("{} has no value after it and is passed as it is", Quoted{option});
        }
        options.push_back({std::move(option), L"\"Virtual Machine Parameters\""});
    }
}

void addFileOptions(const VmOptionsFile& file, size_t layer, std::vector<SourcedOption>& options) {
    for (std::wstring& line : vmOptionLines(file.text)) {
        if (isClassPathOption(line)) {
            trace<TraceTopic::options>("{} in {} is ignored: the class path belongs to the settings", Quoted{line},
                                       Quoted{file.path});
            continue;
        }
        options.push_back({std::move(line), file.path, layer});
    }
}

// The parameters and then the files' options, sizes relative to the machine
// resolved; a later value of an option replaces an earlier one.
std::vector<SourcedOption> parameterOptions(const JvmSettings& settings) {
    std::vector<SourcedOption> options;
    addParameterOptions(settings.vmParameters, options);
    for (size_t i = 0; i < settings.optionFiles.size(); ++i) addFileOptions(settings.optionFiles[i], i + 1, options);
    std::vector<std::wstring> texts;
    std::vector<size_t> layers;
    for (SourcedOption& option : options) {
        if (isRelativeMemoryOption(option.text)) {
            const std::wstring relative = option.text;
            option.text = resolveRelativeMemoryOption(relative, machineMemory());
            trace<TraceTopic::options>("{} becomes {}", Quoted{relative}, Quoted{option.text});
        }
        texts.push_back(option.text);
        layers.push_back(option.layer);
    }
    std::vector<SourcedOption> kept;
    size_t next = 0;
    for (const size_t index : survivingOptions(texts, layers)) {
        for (; next < index; ++next) {
            trace<TraceTopic::options>("{} from {} is replaced by a later value", Quoted{options[next].text},
                                       Quoted{options[next].source});
        }
        kept.push_back(std::move(options[index]));
        next = index + 1;
    }
    return kept;
}

} // namespace

std::wstring buildClassPath(const std::wstring& classPathSetting, const std::wstring& programFolder) {
    std::vector<std::wstring> entries;
    splitString(classPathSetting, L";", entries);
    std::wstring classPath;
    for (std::wstring entry : entries) {
        const std::wstring written = entry;
        expandEnvironment(entry);
        const ClassPathEntry kind = classifyClassPathEntry(entry, programFolder);
        if (!kind.searched) {
            classPath += pathForJvm(entry) + L";";
            trace<TraceTopic::options>("class path entry {} is passed as {}", Quoted{written}, Quoted{entry});
            continue;
        }
        const size_t found = expandClassPathEntry(kind, classPath);
        if (found == 0) {
            trace<TraceTopic::options>("class path entry {} matched nothing ({})", Quoted{written},
                                       Quoted{kind.pattern});
        } else {
            trace<TraceTopic::options>("class path entry {} gave {} entr{} from {}", Quoted{written}, found,
                                       found == 1 ? "y" : "ies", Quoted{kind.pattern});
        }
    }
    return classPath;
}

namespace {

std::wstring withoutTrailingSeparator(std::wstring list) {
    if (!list.empty() && list.back() == L';') list.pop_back();
    return list;
}

// "Module Path" and "Add Modules", and for a module the property the runtime's
// module system reads at boot to resolve it as the main module.
void appendModuleOptions(const JvmSettings& settings, const ApplicationSettings& application,
                         const std::wstring& programFolder, JvmConfiguration& configuration) {
    const std::wstring modulePath = withoutTrailingSeparator(buildClassPath(settings.modulePath, programFolder));
    if (!modulePath.empty()) appendVmOption(configuration, L"--module-path=" + modulePath);
    if (!settings.addModules.empty()) {
        std::wstring modules = settings.addModules;
        expandEnvironment(modules);
        appendVmOption(configuration, L"--add-modules=" + modules);
    }
    if (application.mainKind() == MainKind::module) {
        const std::wstring& target = application.mainModule;
        appendVmOption(configuration, L"-Djdk.module.main=" + target.substr(0, target.find(L'/')));
    }
}

} // namespace

bool locateMainJar(const std::wstring& mainJar, const std::wstring& programPath, JvmConfiguration& configuration) {
    std::wstring path = mainJar;
    expandEnvironment(path);
    const std::wstring programFolder = stripPathComponents(programPath, 1);
    const ClassPathEntry kind = classifyClassPathEntry(path, programFolder);
    if (kind.searched) path = kind.pattern;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        trace<TraceTopic::options>("the main jar {} is not at {}", Quoted{mainJar}, Quoted{path});
        showErrorMessage(kMsgMainJarMissing, path);
        return false;
    }
    configuration.mainJar = pathForJvm(path);
    trace<TraceTopic::options>("main jar {} is passed as {}", Quoted{mainJar}, Quoted{configuration.mainJar});
    return true;
}

bool assembleJvmOptions(const JvmSettings& settings, const ApplicationSettings& application,
                        const std::wstring& programPath, JvmConfiguration& configuration) {
    const size_t slash = programPath.rfind(L'\\');
    const std::wstring programFolder = slash == std::wstring::npos ? std::wstring() : programPath.substr(0, slash);
    std::wstring classPath = buildClassPath(settings.classPath, programFolder);
    if (!configuration.mainJar.empty()) classPath = configuration.mainJar + L";" + classPath;
    if (settings.embeddedJar) classPath = pathForJvm(programPath) + L";" + classPath;
    const bool classMode = application.mainKind() == MainKind::className;
    if (classPath.empty() && classMode) {
        trace<TraceTopic::options>("the class path is empty");
        showErrorMessage(kMsgClassPathMissing);
        return false;
    }

    configuration.classPath = classPath;
    // The class path's entries were expanded one by one already; a name a
    // wildcard found is taken as it is, "%" and all.
    if (!classPath.empty() || classMode) appendVmOption(configuration, L"-Djava.class.path=" + classPath);
    appendModuleOptions(settings, application, programFolder, configuration);
    for (SourcedOption& option : parameterOptions(settings)) {
        if (option.text.starts_with(L"-Xss")) {
            configuration.javaThreadStackSize = parseStackSize(std::wstring_view(option.text).substr(4));
            trace<TraceTopic::options>("Java main thread stack size {}{}", configuration.javaThreadStackSize,
                                       configuration.javaThreadStackSize == 0 ? " (the JVM's default)" : " bytes");
        }
        expandEnvironment(option.text);
        trace<TraceTopic::options>("{} from {}", Quoted{option.text}, Quoted{option.source});
        appendVmOption(configuration, option.text);
    }
    for (size_t i = 0; i < configuration.vmOptions.size(); ++i) {
        trace<TraceTopic::options>("VM option {} = {}", i + 1, Quoted{fromAnsiString(configuration.vmOptions[i])});
    }

    return true;
}

std::wstring programDescription(const ApplicationSettings& application, const JvmConfiguration& configuration) {
    switch (application.mainKind()) {
        case MainKind::module: return application.mainModule;
        case MainKind::jar: return configuration.mainJar;
        case MainKind::className: break;
    }
    std::wstring dotted = application.mainClass;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    return dotted;
}

void appendJavaCommandOption(const std::wstring& description, const std::vector<std::wstring>& arguments,
                             JvmConfiguration& configuration) {
    std::wstring option = L"-Dsun.java.command=" + description;
    for (const std::wstring& argument : arguments) option += L" " + argument;
    trace<TraceTopic::options>("{}", Quoted{option});
    appendVmOption(configuration, option);
}

std::vector<std::wstring> vmErrorReportPaths(const std::vector<std::string>& vmOptions) {
    const std::wstring pid = decimalText(static_cast<unsigned long long>(GetCurrentProcessId()));
    const std::wstring defaultName = L"hs_err_pid" + pid + L".log";
    std::wstring first = defaultName;
    for (const std::string& option : vmOptions) {
        if (!option.starts_with("-XX:ErrorFile=")) continue;
        first.clear();
        const std::wstring pattern = fromAnsiString(option.substr(14));
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (pattern[i] != L'%' || i + 1 == pattern.size()) {
                first += pattern[i];
            } else {
                first += pattern[i + 1] == L'p' ? pid : std::wstring(1, pattern[i + 1]);
                ++i;
            }
        }
    }
    const auto fullPath = [](const std::wstring& path) {
        return readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
                   return GetFullPathNameW(path.c_str(), static_cast<DWORD>(capacity), buffer, nullptr);
               }).value_or(path);
    };
    return {fullPath(first), withTrailingBackslash(environmentVariable(L"TEMP")) + defaultName};
}

std::vector<std::wstring> cmdArguments(const JvmSettings& settings) {
    std::wstring text = settings.cmd;
    std::vector<std::wstring> arguments;
    if (text.empty()) return arguments;
    expandEnvironment(text);
    splitCommandLine(text, arguments);
    std::erase(arguments, std::wstring());
    return arguments;
}

void prepareLibraryPath(const std::wstring& jvmLibraryPath, const JvmSettings& settings,
                        const std::wstring& programFolder, JvmConfiguration& configuration) {
    const std::wstring& libraryPath = settings.libraryPath;
    publishRuntimeVariables(jvmLibraryPath);
    const std::wstring javaBinFolder = stripPathComponents(jvmLibraryPath, 2);
    const std::wstring javaHomeFolder = stripPathComponents(jvmLibraryPath, 3) + L"\\";
    if (!libraryPath.empty()) {
        std::wstring option = libraryPathTemplate(libraryPath, programFolder, javaHomeFolder);
        expandEnvironment(option);
        appendVmOption(configuration, L"-Djava.library.path=" + pathListForJvm(option));
    }
    std::wstring path = processPathTemplate(settings.systemPath, javaBinFolder);
    expandEnvironment(path);
    SetEnvironmentVariableW(L"Path", path.c_str());
    trace<TraceTopic::options>("Path set to {}", Quoted{path});
}

} // namespace jl
