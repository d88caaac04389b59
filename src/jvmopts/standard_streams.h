#pragma once
// The process's standard output and error, settled before the runtime loads:
// the VM, native libraries and FileDescriptor.out/err write through these
// handles, so they must point where System.out/err are sent.

#include <windows.h>

#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>

#include "jvmopts/output_redirection.h"
#include "support/unique_resource.h"

namespace jl {

struct OutputCapture;

class StandardStreams {
public:
    StandardStreams() = default;
    StandardStreams(const StandardStreams&) = delete;
    StandardStreams& operator=(const StandardStreams&) = delete;
    ~StandardStreams();

    // Expands the file names' pictures and points the standard handles at the
    // files (emptied here unless appended to, so the Java side appends too), or,
    // for a stream the process was started without, at an in-memory capture of
    // what the runtime says while it starts. Handles the process was given stay.
    void prepare(OutputRedirection& output);
    // From now on captured output is dropped.
    void stopCapture();
    // What the runtime wrote since prepare, as far as the launcher can read it
    // back: the end of it, decoded, without trailing blanks.
    [[nodiscard]] std::wstring runtimeWords();

private:
    struct WrittenFile {
        std::wstring name;
        LARGE_INTEGER start{};
        UniqueFile handle;
    };
    [[nodiscard]] HANDLE openForAppending(const std::wstring& name, bool append, WrittenFile& file);

    WrittenFile output_;
    WrittenFile error_;
    UniqueHandle captureWriter_;
    std::shared_ptr<OutputCapture> capture_;
};

// The VM's "vfprintf" hook: its messages go out through the standard handles,
// which stay right even when the runtime's C library took its copies of them
// before they were set.
jint JNICALL printVmMessage(FILE* stream, const char* format, va_list arguments);

} // namespace jl
