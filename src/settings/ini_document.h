#pragma once
// The in-memory INI model used for the embedded settings. Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

struct IniPair {
    std::wstring key;
    std::wstring value;
};

struct IniSection {
    std::wstring name;
    std::vector<IniPair> pairs;
};

// Sections and keys may repeat; every look-up answers with the first occurrence.
// Names compare exactly (code unit for code unit).
class IniDocument {
public:
    [[nodiscard]] const std::vector<IniSection>& sections() const { return sections_; }
    [[nodiscard]] const IniSection* findSection(std::wstring_view name) const;
    // The value of the key in the first section of that name, or null.
    [[nodiscard]] const std::wstring* findValue(std::wstring_view section, std::wstring_view key) const;

    IniSection& appendSection(std::wstring_view name);
    // Adds the pair to the first section of that name (appending the section when
    // there is none); an existing pair with the same key stays and shadows it.
    void appendPair(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void clear() { sections_.clear(); }

private:
    std::vector<IniSection> sections_;
};

// Replaces the document with the parse of the text. Lines end only at "\r\n";
// unrecognised lines are skipped, never reported.
void parseIniText(IniDocument& document, std::wstring_view text);

} // namespace jl
