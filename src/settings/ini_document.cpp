#include "settings/ini_document.h"

#include "support/string_text.h"

namespace jl {

const IniSection* IniDocument::findSection(std::wstring_view name) const {
    for (const IniSection& section : sections_) {
        if (section.name == name) return &section;
    }
    return nullptr;
}

const std::wstring* IniDocument::findValue(std::wstring_view section, std::wstring_view key) const {
    const IniSection* found = findSection(section);
    if (!found) return nullptr;
    for (const IniPair& pair : found->pairs) {
        if (pair.key == key) return &pair.value;
    }
    return nullptr;
}

IniSection& IniDocument::appendSection(std::wstring_view name) {
    sections_.push_back(IniSection{std::wstring(name), {}});
    return sections_.back();
}

void IniDocument::appendPair(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    IniSection* target = nullptr;
    for (IniSection& candidate : sections_) {
        if (candidate.name == section) {
            target = &candidate;
            break;
        }
    }
    if (!target) target = &appendSection(section);
    target->pairs.push_back(IniPair{std::wstring(key), std::wstring(value)});
}

namespace {

// Index of the first or last character whose code is above 32, or npos.
size_t firstVisible(std::wstring_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (static_cast<unsigned>(line[i]) > 32) return i;
    }
    return std::wstring_view::npos;
}

size_t lastVisible(std::wstring_view line) {
    for (size_t i = line.size(); i > 0; --i) {
        if (static_cast<unsigned>(line[i - 1]) > 32) return i - 1;
    }
    return std::wstring_view::npos;
}

std::wstring trimmed(std::wstring_view text) {
    std::wstring result(text);
    trimRight(result);
    trimLeft(result);
    return result;
}

} // namespace

void parseIniText(IniDocument& document, std::wstring_view text) {
    document.clear();
    std::vector<std::wstring> lines;
    splitString(text, L"\r\n", lines);
    if (!lines.empty() && !lines.front().empty() && lines.front().front() == L'\uFEFF') {
        lines.front().erase(0, 1);
    }

    IniSection* current = nullptr;
    for (const std::wstring& line : lines) {
        if (line.empty()) continue;
        const size_t first = firstVisible(line);
        const size_t last = lastVisible(line);
        if (first != std::wstring::npos && line[first] == L'[' && line[last] == L']' && first < last) {
            const size_t open = line.find(L'[');
            const size_t close = line.rfind(L']');
            current = &document.appendSection(std::wstring_view(line).substr(open + 1, close - open - 1));
            continue;
        }
        if (!current) continue;
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos) continue;
        current->pairs.push_back(IniPair{trimmed(std::wstring_view(line).substr(0, equals)),
                                         trimmed(std::wstring_view(line).substr(equals + 1))});
    }
}

} // namespace jl
