#pragma once
// Text helpers every floor uses: comparison without regard to the case of A to
// Z, trimming, splitting, and the command-line splitter. Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

// Equal when only the case of the letters A to Z differs.
[[nodiscard]] bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
// True when the needle occurs in the text, the case of A to Z aside.
[[nodiscard]] bool containsIgnoringAsciiCase(std::string_view text, std::string_view needle);

// ASCII text as wide text.
[[nodiscard]] std::wstring widenAscii(std::string_view text);
// Equal to the ASCII text, character for character; tables of ASCII words stay
// narrow in the program.
[[nodiscard]] bool equalsAscii(std::wstring_view text, std::string_view ascii);

// Remove C white space (U+0009..U+000D, U+0020 in the ASCII range) in place.
void trimLeft(std::wstring& text);
void trimRight(std::wstring& text);

// Pieces of the text between occurrences of a non-empty separator. A trailing
// separator gives no trailing empty piece; adjacent separators give empty pieces.
void splitString(std::wstring_view text, std::wstring_view separator, std::vector<std::wstring>& pieces);

// Appends the tokens of the text to the list without clearing it. Only U+0020
// separates tokens; a double quote is special only where a token begins, and a
// backslash is an ordinary character.
void splitCommandLine(std::wstring_view text, std::vector<std::wstring>& tokens);

} // namespace jl
