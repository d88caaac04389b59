// The process command line split into the program's arguments.
#include "fuzz_input.h"
#include "launcher/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = jlfuzz::wideText(data, size);
    const std::vector<std::wstring> arguments = jl::argumentsFromCommandLine(text);
    (void)jl::hasNoSplashSwitch(arguments);
    size_t units = 0;
    for (const std::wstring& argument : arguments) units += argument.size();
    // Splitting only drops white space, separators and quotes; it never makes text up.
    jlfuzz::require(units <= text.size());
    return 0;
}
