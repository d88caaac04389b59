#include "launcher/forward_block.h"

#include <algorithm>

namespace jl {

std::wstring forwardInstanceName(std::wstring_view programPath) {
    std::wstring name(programPath);
    std::replace(name.begin(), name.end(), L'\\', L'_');
    return name;
}

size_t forwardedArgumentBytes(const std::vector<std::wstring>& arguments) {
    size_t bytes = sizeof(char16_t);
    for (const std::wstring& argument : arguments) bytes += (argument.size() + 1) * sizeof(char16_t);
    return bytes;
}

bool encodeForwardedArguments(const std::vector<std::wstring>& arguments,
                              std::span<char16_t, kArgumentAreaUnits> area) {
    if (forwardedArgumentBytes(arguments) > kMaxForwardedArgumentBytes) return false;
    std::fill_n(area.begin(), kMaxForwardedArgumentBytes / sizeof(char16_t), u'\0');
    auto out = area.begin();
    for (const std::wstring& argument : arguments) {
        // Code units as they are: on Windows wchar_t is UTF-16 already.
        out = std::transform(argument.begin(), argument.end(), out, [](wchar_t unit) { return char16_t(unit); });
        ++out;
    }
    return true;
}

std::vector<std::wstring> decodeForwardedArguments(std::span<const char16_t, kArgumentAreaUnits> area) {
    std::vector<std::wstring> arguments;
    std::wstring current;
    for (size_t i = 0; i < area.size(); ++i) {
        if (area[i] != u'\0') {
            current += static_cast<wchar_t>(area[i]);
            continue;
        }
        arguments.push_back(std::move(current));
        current.clear();
        if (i + 1 == area.size() || area[i + 1] == u'\0') break;
    }
    return arguments;
}

} // namespace jl
