#pragma once
// The diagnostic trace: off unless JLAUNCHER_LOG names a file, then one line per
// launch decision is appended to it. Writing never fails a launch and never
// changes what the launcher does.

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
// How writeTrace reads each argument of trace(): the call passes only the
// arguments' addresses and one shared string of these codes per combination of
// types, which keeps the many trace lines small in the program.
template <typename Piece>
constexpr char traceKind() {
    using Plain = std::remove_cv_t<Piece>;
    if constexpr (std::is_array_v<Plain>) {
        // A literal: the address is the text. Plain ASCII literals are narrow,
        // which halves what the trace's texts weigh in the program.
        using Character = std::remove_cv_t<std::remove_extent_t<Plain>>;
        static_assert(std::is_same_v<Character, wchar_t> || std::is_same_v<Character, char>);
        return std::is_same_v<Character, wchar_t> ? 'w' : 'n';
    } else if constexpr (std::is_same_v<Plain, const wchar_t*> || std::is_same_v<Plain, wchar_t*>) {
        return 'p';
    } else if constexpr (std::is_same_v<Plain, const char*>) {
        return 'P';  // an ASCII literal chosen at run time
    } else if constexpr (std::is_same_v<Plain, std::wstring>) {
        return 's';
    } else if constexpr (std::is_same_v<Plain, std::wstring_view>) {
        return 'v';
    } else if constexpr (std::is_same_v<Plain, Quoted>) {
        return 'q';
    } else if constexpr (std::is_same_v<Plain, bool>) {
        return 'B';
    } else if constexpr (std::is_enum_v<Plain>) {
        return traceKind<std::underlying_type_t<Plain>>();
    } else {
        static_assert(std::is_integral_v<Plain> && !std::is_same_v<Plain, wchar_t>, "no trace form for this type");
        constexpr const char* kinds = std::is_signed_v<Plain> ? "chxl" : "CHXL";
        return kinds[sizeof(Plain) == 1 ? 0 : sizeof(Plain) == 2 ? 1 : sizeof(Plain) == 4 ? 2 : 3];
    }
}
template <typename... Pieces>
inline constexpr char kTraceKinds[] = {traceKind<Pieces>()..., '\0'};
} // namespace detail

// Joins the pieces that kinds describes and writes the line.
void writeTrace(const char* kinds, const void* const* pieces);

template <typename... Pieces>
void trace(const Pieces&... pieces) {
    if (!traceEnabled()) return;
    const void* const addresses[] = {static_cast<const void*>(&pieces)...};
    writeTrace(detail::kTraceKinds<Pieces...>, addresses);
}

} // namespace jl
