#include "jvmopts/class_data_archive.h"

#include <windows.h>

#include <vector>

#include "jvmopts/class_data_key.h"
#include "settings/settings_values.h"
#include "support/number_text.h"
#include "support/path_text.h"
#include "support/string_text.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

// The file's size and last write time, or "missing": a changed jar gives a new key.
void appendFileStamp(std::wstring& key, const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        key += L"\tmissing\n";
        return;
    }
    key += L'\t';
    appendDecimal(key, (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    key += L'\t';
    appendDecimal(key, fileTimeTicks(data.ftLastWriteTime));
    key += L'\n';
}

// The VM makes its archives read-only.
bool removeArchiveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool optionsNameSharing(const JvmConfiguration& configuration) {
    for (const std::string& option : configuration.vmOptions) {
        if (option.starts_with("-Xshare") || option.find("SharedArchiveFile") != std::string::npos ||
            option.find("ArchiveClassesAtExit") != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::wstring archiveKey(const std::wstring& home, const std::string& release, const std::wstring& classPath) {
    std::wstring key = L"runtime\t" + home + L"\n" + fromAnsiString(release) + L"\n";
    std::vector<std::wstring> entries;
    splitString(classPath, L";", entries);
    for (const std::wstring& entry : entries) {
        key += entry;
        appendFileStamp(key, entry);
    }
    return key;
}

// The option that maps the archive when it exists, or has the VM write it at
// its end under a name of this launch's own; empty when it cannot be written.
std::wstring archiveOption(ClassDataArchive& archive) {
    if (GetFileAttributesW(archive.archivePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        trace<TraceTopic::classData>("using the archive {}", Quoted{archive.archivePath});
        return L"-XX:SharedArchiveFile=" + archive.archivePath;
    }
    // Each launch writes its own file: two first launches at once never share one.
    archive.pendingPath = archive.archivePath + L"." +
                          decimalText(static_cast<unsigned long long>(GetCurrentProcessId())) + L".tmp";
    // The VM ends the process when it cannot write the archive: make sure it can.
    UniqueFile probe = UniqueFile(CreateFileW(archive.pendingPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe) {
        trace<TraceTopic::classData>("no archive, {} cannot be written (error {})", Quoted{archive.pendingPath},
                                     GetLastError());
        archive.pendingPath.clear();
        return {};
    }
    probe.reset();
    trace<TraceTopic::classData>("no archive for this key yet, the VM writes {} at its end",
                                 Quoted{archive.pendingPath});
    return L"-XX:ArchiveClassesAtExit=" + archive.pendingPath;
}

// Why this runtime and these options get no archive; null when they may.
const char* runtimeRefusal(const std::optional<std::string>& release, const JvmConfiguration& configuration) {
    if (!release) return "the runtime has no \"release\" file";
    if (const char* refusal = dynamicArchiveRefusal(*release)) return refusal;
    if (optionsNameSharing(configuration)) return "the VM parameters set class sharing themselves";
    return nullptr;
}

} // namespace

void prepareClassDataArchive(const std::wstring& programPath, const ProductIdentity& product,
                             const std::wstring& jvmLibraryPath, JvmConfiguration& configuration,
                             ClassDataArchive& archive) {
    const std::wstring home = stripPathComponents(jvmLibraryPath, 3) + L"\\";
    const std::optional<std::string> release = readFileBytes(home + L"release");
    if (const char* refusal = runtimeRefusal(release, configuration)) {
        trace<TraceTopic::classData>("no archive for {}, {}", Quoted{home}, refusal);
        return;
    }
    const std::wstring localData = environmentVariable(L"LOCALAPPDATA");
    if (localData.empty()) {
        trace<TraceTopic::classData>("no archive, LOCALAPPDATA is not set");
        return;
    }
    const PerUserIniLocation location = makePerUserFolders(localData, programPath, product);
    const std::wstring key = archiveKey(home, *release, configuration.classPath);
    archive.archivePath =
        location.codeFolder + L"\\" + archiveFileName(fileBaseName(programPath), archiveKeyDigest(key));
    // The options travel in the ANSI code page.
    if (!fitsAnsiCodePage(archive.archivePath)) {
        trace<TraceTopic::classData>("no archive, its path {} does not survive the ANSI code page",
                                     Quoted{archive.archivePath});
        archive.archivePath.clear();
        return;
    }
    const std::wstring option = archiveOption(archive);
    if (!option.empty()) configuration.vmOptions.push_back(toAnsiString(option));
}

void settleClassDataArchive(ClassDataArchive& archive) {
    if (archive.pendingPath.empty()) return;
    const std::wstring pending = std::move(archive.pendingPath);
    archive.pendingPath.clear();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(pending.c_str(), GetFileExInfoStandard, &data) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)) {
        trace<TraceTopic::classData>("the VM wrote no archive");
        removeArchiveFile(pending);
        return;
    }
    // Whichever of two simultaneous first launches ends last leaves its archive;
    // both are made for the same key.
    SetFileAttributesW(archive.archivePath.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool moved = MoveFileExW(pending.c_str(), archive.archivePath.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!moved) removeArchiveFile(pending);
    trace<TraceTopic::classData>("archive {}{}", Quoted{archive.archivePath},
                                 moved ? " in place" : " could not be put in place");
    if (!moved) return;
    // Archives made for earlier keys of this program are of no further use.
    const size_t slash = archive.archivePath.rfind(L'\\');
    const std::wstring folder = archive.archivePath.substr(0, slash + 1);
    const std::wstring name = archive.archivePath.substr(slash + 1);
    const std::wstring prefix = name.substr(0, name.size() - 20);  // "<base>-", without "<digest>.jsa"
    WIN32_FIND_DATAW found;
    UniqueFind find = UniqueFind(FindFirstFileW((folder + prefix + L"*.jsa").c_str(), &found));
    if (!find) {
        trace<TraceTopic::classData>("no earlier archives under {}", Quoted{folder + prefix + L"*.jsa"});
        return;
    }
    do {
        const std::wstring other = found.cFileName;
        if (other.size() != name.size() || other == name) continue;
        const bool removed = removeArchiveFile(folder + other);
        trace<TraceTopic::classData>("the earlier archive {}{}", Quoted{other},
                                     removed ? " is removed" : " could not be removed");
    } while (FindNextFileW(find.get(), &found));
}

} // namespace jl
