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

// A value shown in double quotes, so empty and blank values stay visible. It
// refers to the value itself, so a call passes the value's address and nothing
// is copied for the trace.
template <typename Text>
struct Quoted {
    const Text& text;
};
template <typename Text>
Quoted(const Text&) -> Quoted<Text>;

// The subsystem a trace line speaks for, written before its text ("jvm: ...").
// It travels in the line's kinds string, so its name is kept once in the program
// rather than in each line's text.
enum class TraceTopic : unsigned char {
    none = 1,
    launch,
    settings,
    embeddedSettings,
    options,
    runtime,
    registry,
    vendor,
    scan,
    jvm,
    classData,
    singleInstance,
    service,
    splash,
    streams,
    phase,
};

namespace detail {
// How writeTrace reads each piece of a trace line: the call passes only the
// pieces' addresses and one shared string of these codes per combination of
// types, which keeps the many trace lines small in the program. A quoted
// value has the code of its text with the high bit set.
constexpr unsigned char kQuotedKind = 0x80;

template <typename Piece>
struct TraceKind {
    static constexpr unsigned char value() {
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
        } else if constexpr (std::is_same_v<Plain, bool>) {
            return 'B';
        } else if constexpr (std::is_enum_v<Plain>) {
            return TraceKind<std::underlying_type_t<Plain>>::value();
        } else {
            static_assert(std::is_integral_v<Plain> && !std::is_same_v<Plain, wchar_t>, "no trace form for this type");
            constexpr const char* kinds = std::is_signed_v<Plain> ? "chxl" : "CHXL";
            return kinds[sizeof(Plain) == 1 ? 0 : sizeof(Plain) == 2 ? 1 : sizeof(Plain) == 4 ? 2 : 3];
        }
    }
    [[gnu::always_inline]] static const void* address(const Piece& piece) { return &piece; }
};
template <typename Text>
struct TraceKind<Quoted<Text>> {
    static constexpr unsigned char value() { return TraceKind<Text>::value() | kQuotedKind; }
    [[gnu::always_inline]] static const void* address(const Quoted<Text>& piece) { return &piece.text; }
};
// The topic, then one code per piece.
template <TraceTopic topic, typename... Pieces>
inline constexpr char kTraceKinds[] = {static_cast<char>(topic), static_cast<char>(TraceKind<Pieces>::value())...,
                                       '\0'};
} // namespace detail

// A trace line's text with a "{}" where each piece goes, checked against the
// pieces when the program is compiled. The text of every line is one literal,
// so a call passes only the pieces that change.
void traceFormatDoesNotMatchItsPieces();  // never defined: a mismatch fails to compile
template <typename... Pieces>
struct TraceFormat {
    const char* text;
    template <size_t Length>
    consteval TraceFormat(const char (&literal)[Length]) : text(literal) {  // implicit: the literal is the format
        size_t holes = 0;
        for (size_t i = 0; i + 1 < Length; ++i) {
            if (literal[i] == '{' && literal[i + 1] == '}') ++holes;
        }
        if (holes != sizeof...(Pieces)) traceFormatDoesNotMatchItsPieces();
    }
};

// Writes the topic that kinds starts with, then the format with the pieces
// the rest of kinds describes in its holes, one address each after it, when
// the trace is on. The addresses travel as variable arguments, mostly in
// registers: the many call sites stay a few bytes each.
void writeTrace(const char* format, const char* kinds, ...);

template <TraceTopic topic = TraceTopic::none, typename... Pieces>
[[gnu::always_inline]] inline void trace(std::type_identity_t<TraceFormat<Pieces...>> format, const Pieces&... pieces) {
    writeTrace(format.text, detail::kTraceKinds<topic, Pieces...>, detail::TraceKind<Pieces>::address(pieces)...);
}

} // namespace jl
