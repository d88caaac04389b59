// The process command line and "Cmd" split into arguments.
#include "fuzz_input.h"
#include "launcher/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jlfuzz::wideText(data, size);
    const std::vector<std::wstring> arguments = jl::argumentsFromCommandLine(text);
    (void)jl::hasNoSplashSwitch(arguments);
    std::vector<std::wstring> tokens;
    jl::splitCommandLine(text, tokens);
    size_t units = 0;
    for (const std::wstring& token : tokens) units += token.size();
    // Splitting only drops separators and quotes; it never makes text up.
    jlfuzz::require(units <= text.size());
    return 0;
}
