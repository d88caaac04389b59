// The text helpers every floor uses: case-blind comparison, trimming, splitting
// and the command-line splitter.
#include "fuzz_input.h"
#include "support/string_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jlfuzz::wideText(data, size);
    const std::string narrow(reinterpret_cast<const char*>(data), size);
    const std::wstring half = text.substr(0, text.size() / 2);
    jlfuzz::require(jl::equalsIgnoringAsciiCase(text, text));
    jlfuzz::require(jl::equalsIgnoringAsciiCase(half, text) == jl::equalsIgnoringAsciiCase(text, half));
    jlfuzz::require(jl::containsIgnoringAsciiCase(narrow, narrow.substr(size / 3, size / 3)));

    std::vector<std::wstring> pieces;
    jl::splitString(text, L";", pieces);
    jl::splitString(text, L"\r\n", pieces);
    std::wstring trimmed = text;
    jl::trimLeft(trimmed);
    jl::trimRight(trimmed);
    jlfuzz::require(trimmed.size() <= text.size());

    std::vector<std::wstring> tokens;
    jl::splitCommandLine(text, tokens);
    size_t units = 0;
    for (const std::wstring& token : tokens) units += token.size();
    // Splitting only drops separators and quotes; it never makes text up.
    jlfuzz::require(units <= text.size());
    return 0;
}
