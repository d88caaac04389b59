#include "settings/profile_text.h"

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

bool sameName(std::wstring_view stored, std::wstring_view asked, ProfileText::FoldCharacter fold) {
    if (stored.size() != asked.size()) return false;
    for (size_t i = 0; i < stored.size(); ++i) {
        wchar_t a = stored[i], b = asked[i];
        if (a == b) continue;
        if (a < 0x80 && b < 0x80) {
            if (a >= L'A' && a <= L'Z') a = static_cast<wchar_t>(a + 32);
            if (b >= L'A' && b <= L'Z') b = static_cast<wchar_t>(b + 32);
            if (a != b) return false;
        } else if (fold(a) != fold(b)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isProfileSpace(wchar_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A) return true;
    if (c < 0x85) return false;
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

ProfileText ProfileText::parse(std::wstring_view text) {
    ProfileText profile;
    profile.sections_.emplace_back();
    size_t next = 0;
    while (next < text.size()) {
        const size_t start = next;
        while (next < text.size() && text[next] != L'\n' && text[next] != L'\r') ++next;
        const std::wstring_view line = profileTrimmed(text.substr(start, next - start));
        while (next < text.size() && (text[next] == L'\n' || text[next] == L'\r')) ++next;
        if (line.empty()) continue;

        if (line.front() == L'[') {
            const size_t close = line.rfind(L']');
            if (close != std::wstring_view::npos && close > 0) {
                profile.sections_.push_back({upToNul(line.substr(1, close - 1)), {}});
                continue;
            }
        }
        ProfileEntry entry;
        std::wstring_view name = line;
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            name = profileTrimmed(line.substr(0, equals));
            entry.value = upToNul(profileTrimmed(line.substr(equals + 1)));
            entry.hasValue = true;
        }
        entry.name = upToNul(name);
        // A nameless line is kept only where it cannot be taken for the previous one.
        std::vector<ProfileEntry>& entries = profile.sections_.back().entries;
        if (!name.empty() || entries.empty() || !entries.back().name.empty()) entries.push_back(std::move(entry));
    }
    return profile;
}

std::optional<std::wstring> ProfileText::value(std::wstring_view section, std::wstring_view key,
                                               FoldCharacter fold) const {
    section = profileTrimmed(section);
    key = profileTrimmed(key);
    for (const ProfileSection& candidate : sections_) {
        if (!sameName(candidate.name, section, fold)) continue;
        for (const ProfileEntry& entry : candidate.entries) {
            if (!sameName(entry.name, key, fold)) continue;
            if (!entry.hasValue) return std::nullopt;
            const std::wstring& found = entry.value;
            if (found.size() >= 2 && (found.front() == L'"' || found.front() == L'\'') && found.back() == found.front()) {
                return found.substr(1, found.size() - 2);
            }
            return found;
        }
        return std::nullopt;  // only the first section of the name is searched
    }
    return std::nullopt;
}

std::vector<std::wstring> ProfileText::sectionNames() const {
    std::vector<std::wstring> names;
    for (const ProfileSection& section : sections_) {
        if (!section.name.empty()) names.push_back(section.name);
    }
    return names;
}

} // namespace jl
