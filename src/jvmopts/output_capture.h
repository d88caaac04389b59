#pragma once
// What the runtime says while it starts, kept in memory for a process that was
// started without standard handles (a GUI program started from Explorer), so
// that a failure before main can be explained in the runtime's own words.

#include <windows.h>

#include <memory>
#include <string>

#include "jvmopts/output_files.h"
#include "support/unique_resource.h"

namespace jl {

struct CapturedText;

class StartupCapture {
public:
    StartupCapture() = default;
    StartupCapture(const StartupCapture&) = delete;
    StartupCapture& operator=(const StartupCapture&) = delete;
    ~StartupCapture();

    // Points each standard handle that is neither one of the files nor usable
    // at a pipe drained into memory by a thread of its own.
    void captureMissingHandles(const OutputFiles& files);
    // From now on captured output is dropped.
    void stop();
    // What the runtime wrote since the capture and the files began, as far as
    // the launcher can read it back: the end of it, decoded, without trailing blanks.
    [[nodiscard]] std::wstring runtimeWords(const OutputFiles& files);

private:
    [[nodiscard]] std::string capturedSoFar();

    UniqueHandle writer_;
    std::shared_ptr<CapturedText> captured_;
};

} // namespace jl
