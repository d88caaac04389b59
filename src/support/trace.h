#pragma once
// The diagnostic trace: off unless JLAUNCHER_LOG names a file, then one line per
// launch decision is appended to it. Writing never fails a launch and never
// changes what the launcher does.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace jl {

[[nodiscard]] bool traceEnabled();
void writeTraceLine(std::wstring_view line);

// A value shown in double quotes, so empty and blank values stay visible.
struct Quoted {
    std::wstring_view text;
};

namespace detail {
inline void appendTracePiece(std::wstring& line, std::wstring_view piece) { line += piece; }
inline void appendTracePiece(std::wstring& line, const wchar_t* piece) { line += piece ? piece : L"(null)"; }
inline void appendTracePiece(std::wstring& line, Quoted quoted) {
    line += L'"';
    line += quoted.text;
    line += L'"';
}
template <std::integral Number>
void appendTracePiece(std::wstring& line, Number number) {
    if constexpr (std::same_as<Number, bool>) {
        line += number ? L"yes" : L"no";
    } else {
        line += std::to_wstring(number);
    }
}
// Enumerations show their number.
template <typename Enumeration>
    requires std::is_enum_v<Enumeration>
void appendTracePiece(std::wstring& line, Enumeration value) {
    line += std::to_wstring(static_cast<std::underlying_type_t<Enumeration>>(value));
}
} // namespace detail

template <typename... Pieces>
void trace(const Pieces&... pieces) {
    if (!traceEnabled()) return;
    std::wstring line;
    (detail::appendTracePiece(line, pieces), ...);
    writeTraceLine(line);
}

} // namespace jl
