#include "support/string_text.h"

#include <algorithm>

#include <cwctype>

namespace jl {

namespace {

// Only the letters A to Z match their other case: "É" and "é" stay two letters.
template <typename Char>
bool sameIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    const auto lower = [](Char c) { return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool isCWhiteSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

} // namespace

bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) { return sameIgnoringAsciiCase(a, b); }

bool containsIgnoringAsciiCase(std::string_view text, std::string_view needle) {
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (sameIgnoringAsciiCase(text.substr(i, needle.size()), needle)) return true;
    }
    return false;
}

std::wstring widenAscii(std::string_view text) { return std::wstring(text.begin(), text.end()); }

bool equalsAscii(std::wstring_view text, std::string_view ascii) {
    return std::equal(text.begin(), text.end(), ascii.begin(), ascii.end(),
                      [](wchar_t a, char b) { return a == static_cast<unsigned char>(b); });
}

void trimLeft(std::wstring& text) {
    size_t start = 0;
    while (start < text.size() && isCWhiteSpace(text[start])) ++start;
    text.erase(0, start);
}

void trimRight(std::wstring& text) {
    size_t end = text.size();
    while (end > 0 && isCWhiteSpace(text[end - 1])) --end;
    text.erase(end);
}

void splitString(std::wstring_view text, std::wstring_view separator, std::vector<std::wstring>& pieces) {
    pieces.clear();
    if (separator.empty()) return;
    size_t position = 0;
    while (position < text.size()) {
        const size_t found = text.find(separator, position);
        if (found == std::wstring_view::npos) break;
        pieces.emplace_back(text.substr(position, found - position));
        position = found + separator.size();
    }
    if (position < text.size()) pieces.emplace_back(text.substr(position));
}

void splitCommandLine(std::wstring_view text, std::vector<std::wstring>& tokens) {
    size_t position = 0;
    while (position < text.size()) {
        size_t next;
        if (text[position] == L'"') {
            const size_t closing = text.find(L'"', position + 1);
            if (closing == std::wstring_view::npos) {
                tokens.emplace_back(text.substr(position + 1));
                return;
            }
            tokens.emplace_back(text.substr(position + 1, closing - position - 1));
            next = closing + 1;
        } else {
            const size_t space = text.find(L' ', position);
            if (space == std::wstring_view::npos) {
                tokens.emplace_back(text.substr(position));
                return;
            }
            tokens.emplace_back(text.substr(position, space - position));
            next = space;
        }
        while (next < text.size() && text[next] == L' ') ++next;
        position = next;
    }
}

} // namespace jl
