#include "jvmopts/output_files.h"

#include <algorithm>

#include "support/trace.h"
#include "support/win_text.h"

namespace jl {

namespace {

constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A file the user made read-only keeps its contents: neither the launcher nor
// Java's stream is sent there.
void dropReadOnly(std::wstring& name) {
    const DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
    trace<TraceTopic::streams>("{} is read-only and is left alone", Quoted{name});
    name.clear();
}

bool openForAppending(const std::wstring& name, bool append, OpenedFile& file) {
    createParentFolders(name);
    if (!append) {
        // Emptied once here; from then on every writer appends, so the
        // launcher's handle and Java's stream never overwrite each other.
        UniqueFile emptied(
            CreateFileW(name.c_str(), GENERIC_WRITE, kShared, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!emptied) return false;
    }
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    file.handle.reset(CreateFileW(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShared, &inheritable, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.handle) return false;
    file.name = name;
    GetFileSizeEx(file.handle.get(), &file.start);
    return true;
}

std::string fileTail(const OpenedFile& file, size_t maxBytes) {
    if (!file.handle) return {};
    UniqueFile reader(
        CreateFileW(file.name.c_str(), GENERIC_READ, kShared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end{};
    if (!reader || !GetFileSizeEx(reader.get(), &end) || end.QuadPart <= file.start.QuadPart) return {};
    LARGE_INTEGER from{};
    from.QuadPart = std::max(file.start.QuadPart, end.QuadPart - static_cast<LONGLONG>(maxBytes));
    std::string tail(static_cast<size_t>(end.QuadPart - from.QuadPart), '\0');
    DWORD read = 0;
    if (!SetFilePointerEx(reader.get(), from, nullptr, FILE_BEGIN) ||
        !ReadFile(reader.get(), tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr)) {
        return {};
    }
    tail.resize(read);
    return tail;
}

} // namespace

std::string OutputFiles::writtenSinceOpened(size_t maxBytes) const {
    return fileTail(output, maxBytes) + fileTail(error, maxBytes);
}

void openOutputFiles(const OutputSettings& settings, OutputFiles& files) {
    // The names are worked on where the Java side reads them; the append flags
    // there change only after the file they belong to was opened.
    OutputRedirection& names = files.javaStreams;
    names.outputFile = settings.outputFile;
    names.errorFile = settings.errorFile;
    names.outputAppend = settings.outputAppend;
    names.errorAppend = settings.errorAppend;
    if (!names.outputFile.empty()) expandEnvironment(names.outputFile);
    if (!names.errorFile.empty()) expandEnvironment(names.errorFile);
    expandOutputFileNames(names);
    trace<TraceTopic::options>("output file {}{}, error file {}{}", Quoted{names.outputFile},
                               names.outputAppend ? " (append)" : "", Quoted{names.errorFile},
                               names.errorAppend ? " (append)" : "");
    dropReadOnly(names.outputFile);
    dropReadOnly(names.errorFile);

    if (!names.outputFile.empty() && openForAppending(names.outputFile, names.outputAppend, files.output)) {
        files.javaStreams.outputAppend = true;
        SetStdHandle(STD_OUTPUT_HANDLE, files.output.handle.get());
    }
    if (!names.errorFile.empty()) {
        const bool sameFile = files.output.handle && CompareStringOrdinal(names.errorFile.c_str(), -1,
                                                                          names.outputFile.c_str(), -1,
                                                                          TRUE) == CSTR_EQUAL;
        HANDLE errorHandle = files.output.handle.get();
        if (!sameFile) errorHandle = openForAppending(names.errorFile, names.errorAppend, files.error)
                                         ? files.error.handle.get()
                                         : nullptr;
        if (errorHandle) {
            files.javaStreams.errorAppend = true;
            SetStdHandle(STD_ERROR_HANDLE, errorHandle);
        }
    }
}

} // namespace jl
