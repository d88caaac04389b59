#include "jvmopts/output_redirection.h"

#include "jvmopts/timestamp_picture.h"
#include "support/path_text.h"
#include "support/win_text.h"

namespace jl {

namespace {

std::wstring formatRun(const PictureRun& run, const SYSTEMTIME& timestamp) {
    if (run.kind == PictureRun::Kind::literal) return run.text;
    wchar_t buffer[260] = {};
    const int length = run.kind == PictureRun::Kind::time
                           ? GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &timestamp, run.text.c_str(), buffer, 260)
                           : GetDateFormatW(LOCALE_USER_DEFAULT, 0, &timestamp, run.text.c_str(), buffer, 260);
    return length > 0 ? std::wstring(buffer) : run.text;
}

} // namespace

void expandFileNameTimestamp(std::wstring& name, const SYSTEMTIME& timestamp) {
    const PictureStretch stretch = findPictureStretch(name);
    if (!stretch.present) return;
    std::wstring formatted;
    if (stretch.last > stretch.first + 1) {
        const std::wstring picture =
            withMilliseconds(std::wstring_view(name).substr(stretch.first + 1, stretch.last - stretch.first - 1),
                             timestamp.wMilliseconds);
        for (const PictureRun& run : splitPicture(picture)) formatted += formatRun(run, timestamp);
    }
    name = name.substr(0, stretch.first) + formatted + name.substr(stretch.last + 1);
}

void createParentFolders(const std::wstring& path) {
    if (hasDriveOrUncForm(path) && pathExists(path)) return;
    // The first component keeps a leading "\\?\", or the "\\server" of a UNC path.
    const bool unc = path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\");
    const size_t start = path.starts_with(L"\\\\?\\") ? 4 : (unc ? 2 : 0);
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) return;
    std::wstring folder = path.substr(0, end);
    // A relative name's first component is a folder of its own.
    if (!hasDriveOrUncForm(path) && !folder.empty() && folder.find(L':') == std::wstring::npos) {
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    for (size_t next = path.find(L'\\', end + 1); next != std::wstring::npos; next = path.find(L'\\', end + 1)) {
        folder = path.substr(0, next);
        end = next;
        // The server and share levels of a UNC path cannot be created; the walk goes on past them.
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS && !unc) return;
    }
}

void expandOutputFileNames(OutputRedirection& output) {
    const bool outputStamped = output.outputFile.find(L'%') != std::wstring::npos;
    const bool errorStamped = output.errorFile.find(L'%') != std::wstring::npos;
    if (outputStamped || errorStamped) {
        SYSTEMTIME now;
        GetLocalTime(&now);  // once, so both files of one start carry the same time
        if (outputStamped) expandFileNameTimestamp(output.outputFile, now);
        if (errorStamped) expandFileNameTimestamp(output.errorFile, now);
    }
}

} // namespace jl
