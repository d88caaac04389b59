#include "settings/profile_text.h"

#include "support/string_text.h"

namespace jl {

namespace {

std::wstring_view profileTrimmed(std::wstring_view text) {
    size_t start = 0, end = text.size();
    while (start < end && isProfileSpace(text[start])) ++start;
    while (end > start && isProfileSpace(text[end - 1])) --end;
    return text.substr(start, end - start);
}

// The functions hand out C strings: a NUL inside a name or value ends it.
std::wstring upToNul(std::wstring_view text) {
    const size_t nul = text.find(L'\0');
    return std::wstring(nul == std::wstring_view::npos ? text : text.substr(0, nul));
}

} // namespace

bool isProfileSpace(wchar_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

ProfileText ProfileText::parse(std::wstring_view text) {
    ProfileText profile;
    bool sectionHasKeys = false, lastKeyNameless = false;
    size_t next = 0;
    while (next < text.size()) {
        const size_t start = next;
        while (next < text.size() && text[next] != L'\n' && text[next] != L'\r') ++next;
        const std::wstring_view line = profileTrimmed(text.substr(start, next - start));
        while (next < text.size() && (text[next] == L'\n' || text[next] == L'\r')) ++next;
        if (line.empty()) continue;

        ProfileLine entry;
        if (line.front() == L'[') {
            const size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos && close > 0) {
                entry.name = upToNul(profileTrimmed(line.substr(1, close - 1)));
                entry.isSection = true;
                profile.lines_.push_back(std::move(entry));
                sectionHasKeys = false;
                continue;
            }
        }
        std::wstring_view name = line;
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            name = profileTrimmed(line.substr(0, equals));
            entry.value = upToNul(profileTrimmed(line.substr(equals + 1)));
            entry.hasValue = true;
        }
        // A nameless line is kept only where it cannot be taken for the previous one.
        if (name.empty() && sectionHasKeys && lastKeyNameless) continue;
        entry.name = upToNul(name);
        sectionHasKeys = true;
        lastKeyNameless = name.empty();
        profile.lines_.push_back(std::move(entry));
    }
    return profile;
}

std::optional<std::wstring> ProfileText::value(std::wstring_view section, std::wstring_view key) const {
    section = profileTrimmed(section);
    key = profileTrimmed(key);
    // Keys before the first header belong to the nameless section.
    bool inSection = section.empty();
    for (const ProfileLine& line : lines_) {
        if (line.isSection) {
            if (inSection) break;  // only the first section of the name is searched
            inSection = equalsIgnoringAsciiCase(line.name, section);
            continue;
        }
        if (!inSection || !equalsIgnoringAsciiCase(line.name, key)) continue;
        if (!line.hasValue) return std::nullopt;
        const std::wstring& found = line.value;
        if (found.size() >= 2 && (found.front() == L'"' || found.front() == L'\'') && found.back() == found.front()) {
            return found.substr(1, found.size() - 2);
        }
        return found;
    }
    return std::nullopt;
}

std::vector<std::wstring> ProfileText::sectionNames() const {
    std::vector<std::wstring> names;
    for (const ProfileLine& line : lines_) {
        if (line.isSection && !line.name.empty()) names.push_back(line.name);
    }
    return names;
}

} // namespace jl
