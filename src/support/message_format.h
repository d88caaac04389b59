#pragma once
// printf-style expansion of string-table formats. Platform-neutral.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace jl {

using MessageArgument = std::variant<std::wstring_view, int32_t>;

// Replaces each "%s" and "%d" in turn with the next argument and "%%" with "%".
// A directive whose argument is missing or of the other kind is left as written,
// so a wrong table entry shows up in the message instead of reading garbage.
[[nodiscard]] std::wstring formatMessage(std::wstring_view format, std::initializer_list<MessageArgument> arguments);

} // namespace jl
