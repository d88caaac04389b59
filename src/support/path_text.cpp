#include "support/path_text.h"

namespace jl {

std::wstring folderWithBackslash(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

std::wstring fileBaseName(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    std::wstring base(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
    const size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.erase(dot);
    return base;
}

std::wstring withTrailingBackslash(std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring stripPathComponents(std::wstring_view path, int count) {
    std::wstring result(path);
    for (int i = 0; i < count; ++i) {
        const size_t slash = result.rfind(L'\\');
        if (slash == std::wstring::npos) break;
        result.erase(slash);
    }
    return result;
}

bool hasDriveOrUncForm(std::wstring_view path) {
    return path.size() >= 2 && (path[1] == L':' || (path[0] == L'\\' && path[1] == L'\\'));
}

std::wstring extendedLengthPath(std::wstring_view path) {
    constexpr size_t kMaxPath = 260;
    if (path.size() < kMaxPath || path.starts_with(L"\\\\?\\")) return std::wstring(path);
    const bool drive = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    if (drive) return L"\\\\?\\" + std::wstring(path);
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    return std::wstring(path);
}

} // namespace jl
