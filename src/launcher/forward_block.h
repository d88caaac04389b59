#pragma once
// The block that a secondary start and the running primary share: its layout
// and the code of its argument area. Platform-neutral; both processes run the
// same program, so the layout is fixed here once.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace jl {

inline constexpr size_t kArgumentAreaUnits = 1040;  // UTF-16 code units
// A secondary uses at most this much of the area, closing terminator included.
inline constexpr size_t kMaxForwardedArgumentBytes = 1040;

struct ForwardBlock {
    // The primary's listener thread; written last, once that thread takes
    // requests, so a non-zero value means the other fields are filled too.
    uint32_t listenerThreadId;
    uint32_t primaryProcessId;
    uint32_t messageId;  // the registered message of request and reply
    // Each argument followed by one zero unit, the list closed by one more.
    char16_t argumentArea[kArgumentAreaUnits];
};

static_assert(std::endian::native == std::endian::little, "the block is little-endian");
static_assert(offsetof(ForwardBlock, listenerThreadId) == 0);
static_assert(offsetof(ForwardBlock, primaryProcessId) == 4);
static_assert(offsetof(ForwardBlock, messageId) == 8);
static_assert(offsetof(ForwardBlock, argumentArea) == 12);
static_assert(sizeof(ForwardBlock) == 2092);

// The name of the block, message and event: the program path with every "\"
// made "_", so each installed copy has its own.
[[nodiscard]] std::wstring forwardInstanceName(std::wstring_view programPath);

// Bytes the arguments take in the area: each with its terminator, plus the
// closing terminator.
[[nodiscard]] size_t forwardedArgumentBytes(const std::vector<std::wstring>& arguments);

// Clears the first kMaxForwardedArgumentBytes of the area and writes the
// arguments there; false, with nothing written, when they do not fit.
[[nodiscard]] bool encodeForwardedArguments(const std::vector<std::wstring>& arguments,
                                            std::span<char16_t, kArgumentAreaUnits> area);

// The list up to the first empty argument's double terminator. An area without
// one (written by some other program) is read to its end and no further; text
// left unterminated there is dropped.
[[nodiscard]] std::vector<std::wstring> decodeForwardedArguments(std::span<const char16_t, kArgumentAreaUnits> area);

} // namespace jl
