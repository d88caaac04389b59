#include "support/path_text.h"

namespace jl {

std::wstring folderWithBackslash(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash + 1));
}

} // namespace jl
