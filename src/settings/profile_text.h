#pragma once
// INI text read by the rules of the system's private-profile functions, so a
// file can be read once and asked many times with the answers those functions
// give. Platform-neutral: the caller decodes the file and supplies the case
// mapping of names.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jl {

struct ProfileEntry {
    std::wstring name;
    std::wstring value;
    bool hasValue = false;  // a line without "=" names a key that has no value
};

struct ProfileSection {
    std::wstring name;
    std::vector<ProfileEntry> entries;
};

// The profile functions' white space: C white space, Ctrl-Z and the other
// Unicode space separators.
[[nodiscard]] bool isProfileSpace(wchar_t c);

class ProfileText {
public:
    // Maps one character for names compared without regard to case.
    using FoldCharacter = wchar_t (*)(wchar_t);

    // Lines end at any run of CR and LF; lines are trimmed; "[" starts a section
    // whose name runs to the last "]"; a line before any section belongs to a
    // nameless one. Comments get no special treatment: a ";" line is a key
    // no one asks for.
    [[nodiscard]] static ProfileText parse(std::wstring_view text);

    // The value of the key in the first section of that name, its surrounding
    // pair of quotes removed; nothing when the section, the key or its "=" is missing.
    [[nodiscard]] std::optional<std::wstring> value(std::wstring_view section, std::wstring_view key,
                                                    FoldCharacter fold) const;
    // Every named section in file order, repeats included.
    [[nodiscard]] std::vector<std::wstring> sectionNames() const;

private:
    std::vector<ProfileSection> sections_;
};

} // namespace jl
