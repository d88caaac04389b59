// INI text as the settings are read from it.
#include "fuzz_input.h"
#include "settings/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jlfuzz::wideText(data, size);
    jl::IniDocument document;
    jl::parseIniText(document, text);
    for (const jl::IniSection& section : document.sections()) {
        // Look-ups answer from the first section of a name, with the first pair of a key.
        const jl::IniSection* first = document.findSection(section.name);
        jlfuzz::require(first != nullptr && first <= &section);
        if (first != &section) continue;
        for (const jl::IniPair& pair : section.pairs) {
            const std::wstring* value = document.findValue(section.name, pair.key);
            jlfuzz::require(value != nullptr && value <= &pair.value);
        }
    }
    document.appendPair(L"Application", L"Key", L"value");
    jlfuzz::require(document.findValue(L"Application", L"Key") != nullptr);
    return 0;
}
