#include "jvmopts/path_options.h"

#include "support/path_text.h"

namespace jl {

namespace {

std::wstring withSeparator(std::wstring_view list) {
    std::wstring text(list);
    if (!text.empty() && text.back() != L';') text += L';';
    return text;
}

} // namespace

ClassPathEntry classifyClassPathEntry(std::wstring_view entry, std::wstring_view programFolder) {
    ClassPathEntry result;
    const bool wildcard = entry.find(L'*') != std::wstring_view::npos;
    const bool absolute = hasDriveOrUncForm(entry);
    if (absolute && !wildcard) {
        result.pattern = entry;
        return result;
    }
    result.searched = true;
    const size_t slash = entry.rfind(L'\\');
    if (absolute) {
        result.pattern = entry;
        result.prefix = slash == std::wstring_view::npos ? std::wstring() : std::wstring(entry.substr(0, slash + 1));
    } else {
        // No separator is added: relative entries carry their own leading "\".
        result.pattern = std::wstring(programFolder) + std::wstring(entry);
        result.prefix = std::wstring(programFolder) +
                        (slash == std::wstring_view::npos ? std::wstring() : std::wstring(entry.substr(0, slash + 1)));
    }
    return result;
}

std::wstring libraryPathTemplate(std::wstring_view libraryPath, std::wstring_view programFolder,
                                 std::wstring_view javaHomeFolder) {
    return withSeparator(libraryPath) + std::wstring(programFolder) + L";." + L";%Path%" + L";" +
           std::wstring(javaHomeFolder) + L"lib";
}

std::wstring processPathTemplate(std::wstring_view systemPath, std::wstring_view javaBinFolder) {
    return withSeparator(systemPath) + L"%Path%;" + std::wstring(javaBinFolder);
}

} // namespace jl
