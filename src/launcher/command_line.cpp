#include "launcher/command_line.h"

#include "settings/ini_document.h"

namespace jl {

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
