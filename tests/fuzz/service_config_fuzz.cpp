// The service commands, the stop method's name and the configuration handed to the service manager.
#include "fuzz_input.h"
#include "launcher/service_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    jl::ServiceSettings settings;
    settings.name = jlfuzz::wideText(input, 256);
    settings.startType = jl::serviceStartTypeFromText(jlfuzz::wideText(input, 16));
    settings.dependencies = {jlfuzz::wideText(input, 64), jlfuzz::wideText(input, 64)};
    settings.restartDelaySeconds = input.ConsumeIntegralInRange<unsigned>(0, 86400);
    const std::wstring program = jlfuzz::wideText(input, 512);
    const jl::ServiceConfig config = jl::serviceConfigFor(settings, program);
    // The program's path is quoted whole, and the switch follows it.
    jlfuzz::require(config.imagePath == L"\"" + program + L"\" --run-service");
    jlfuzz::require(config.dependencies.empty() || config.dependencies.ends_with(std::wstring(2, L'\0')));
    const std::wstring text = jlfuzz::wideText(input);
    const jl::StopMethodName method = jl::stopMethodFrom(text);
    jlfuzz::require(method.className.size() + method.method.size() <= text.size());
    (void)jl::serviceRequestFrom({text, jlfuzz::wideText(input, 16)});
    return 0;
}
