#pragma once
// INI text read by the rules of the system's private-profile functions, so a
// file can be read once and asked many times with the answers those functions
// give. Platform-neutral: the caller decodes the file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jl {

// A section header or a key, in file order: a key belongs to the section
// header before it, or to the nameless section at the top.
struct ProfileLine {
    std::wstring name;
    std::wstring value;
    bool isSection = false;
    bool hasValue = false;  // a key line without "=" names a key that has no value
};

// The profile functions' white space: the ASCII C white space and Ctrl-Z (an
// old end-of-file mark). A no-break space is text.
[[nodiscard]] bool isProfileSpace(wchar_t c);

class ProfileText {
public:
    // Lines end at any run of CR and LF; lines are trimmed; "[" starts a section
    // whose name runs, trimmed, to the last "]"; a line before any section belongs to a
    // nameless one. Comments get no special treatment: a ";" line is a key
    // no one asks for.
    [[nodiscard]] static ProfileText parse(std::wstring_view text);

    // The value of the key in the first section of that name (both compared
    // trimmed, A to Z without regard to case), its surrounding pair of quotes
    // removed; nothing when the section, the key or its "=" is missing.
    [[nodiscard]] std::optional<std::wstring> value(std::wstring_view section, std::wstring_view key) const;
    // Every named section in file order, repeats included.
    [[nodiscard]] std::vector<std::wstring> sectionNames() const;

private:
    std::vector<ProfileLine> lines_;
};

} // namespace jl
