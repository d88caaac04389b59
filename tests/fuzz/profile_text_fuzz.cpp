// An INI file's text as the launcher reads it once and asks it many times.
#include "fuzz_input.h"
#include "settings/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring section = jlfuzz::wideText(input, 64);
    const std::wstring key = jlfuzz::wideText(input, 64);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const std::wstring text = jlfuzz::wideText(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
    const jl::ProfileText profile = jl::ProfileText::parse(text);
    // Every answer is a piece of the text, so it can never be longer.
    if (const std::optional<std::wstring> value = profile.value(section, key)) jlfuzz::require(value->size() <= text.size());
    for (const std::wstring& name : profile.sectionNames()) {
        jlfuzz::require(name.size() <= text.size());
        (void)profile.value(name, key);
    }
    return 0;
}
