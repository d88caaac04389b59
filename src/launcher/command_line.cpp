#include "launcher/command_line.h"

#include "support/string_text.h"

namespace jl {

std::vector<std::wstring> argumentsFromCommandLine(std::wstring_view commandLine) {
    std::wstring text(commandLine);
    trimLeft(text);
    trimRight(text);
    std::vector<std::wstring> tokens;
    splitCommandLine(text, tokens);
    if (!tokens.empty()) tokens.erase(tokens.begin());
    return tokens;
}

bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments) {
    for (const std::wstring& argument : arguments) {
        if (argument == L"-nosplash" || argument == L"/nosplash") return true;
    }
    return false;
}

} // namespace jl
