// String-table formats with arguments of either kind.
#include "fuzz_input.h"
#include "support/message_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int32_t number = input.ConsumeIntegral<int32_t>();
    const std::wstring text = jlfuzz::wideText(input, 256);
    const bool numberFirst = input.ConsumeBool();
    const std::wstring format = jlfuzz::wideText(input);
    const std::wstring message = numberFirst ? jl::formatMessage(format, {number, text, text})
                                             : jl::formatMessage(format, {text, number});
    // Each directive takes at most one argument of known size.
    jlfuzz::require(message.size() <= format.size() + 2 * text.size() + 11);
    (void)jl::formatMessage(format, {});
    return 0;
}
