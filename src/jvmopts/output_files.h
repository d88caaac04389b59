#pragma once
// "Output File" and "Error File", opened before the runtime loads: the VM,
// native libraries and FileDescriptor.out/err write through the standard
// handles, so they must point where System.out/err are sent.

#include <windows.h>

#include <string>

#include "jvmopts/output_redirection.h"
#include "settings/launcher_settings.h"
#include "support/unique_resource.h"

namespace jl {

struct OpenedFile {
    std::wstring name;  // empty when the stream is not redirected
    LARGE_INTEGER start{};  // its size when opened: what follows was written by this launch
    UniqueFile handle;
};

// What opening the files produced.
struct OutputFiles {
    OpenedFile output;
    OpenedFile error;
    // Where the Java side sends System.out and System.err: a file the launcher
    // opened has been emptied already unless appended to, so Java appends.
    OutputRedirection javaStreams;

    // What this launch wrote into the files so far, at most maxBytes from the end of each.
    [[nodiscard]] std::string writtenSinceOpened(size_t maxBytes) const;
};

// Expands the names (environment references, then the date-and-time picture),
// creates their folders, opens the files (emptied unless appended to) and
// points the standard handles at them. A read-only file keeps its contents and
// is not written; a stream without a file keeps its handle. files starts empty
// and is filled in place.
void openOutputFiles(const OutputSettings& settings, OutputFiles& files);

} // namespace jl
