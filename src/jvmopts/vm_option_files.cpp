#include "jvmopts/vm_option_files.h"

#include "support/string_text.h"

namespace jl {

namespace {

bool isLineBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xFEFF; }

std::wstring_view trimmedLine(std::wstring_view text) {
    while (!text.empty() && isLineBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isLineBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The java command's options whose value may follow as the next word; the VM
// takes each as one word, "<name>=<value>". "-p" is short for "--module-path".
constexpr std::string_view kTwoWordOptions[] = {
    "--module-path", "--upgrade-module-path", "--add-modules", "--limit-modules", "--add-exports",
    "--add-opens",   "--add-reads",           "--patch-module", "--enable-native-access",
};

} // namespace

std::wstring oneWordOptionPrefix(std::wstring_view word) {
    if (word == L"-p") return widenAscii(kTwoWordOptions[0]) + L'=';
    for (const std::string_view name : kTwoWordOptions) {
        if (equalsAscii(word, name)) return widenAscii(name) + L'=';
    }
    return {};
}

std::wstring_view settingInPlaceOf(std::wstring_view word) {
    if (word == L"-jar") return L"Main Jar";
    if (word == L"-m" || word == L"--module") return L"Main Module";
    if (word == L"-cp" || word == L"-classpath" || word == L"--class-path") return L"Class Path";
    return {};
}

std::vector<std::wstring> vmOptionLines(std::wstring_view text) {
    std::vector<std::wstring> options;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        const std::wstring_view line = trimmedLine(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == L'#') continue;
        const size_t blank = line.find_first_of(L" \t");
        const std::wstring prefix =
            blank == std::wstring_view::npos ? std::wstring() : oneWordOptionPrefix(line.substr(0, blank));
        options.push_back(prefix.empty() ? std::wstring(line) : prefix + std::wstring(trimmedLine(line.substr(blank))));
    }
    return options;
}

std::wstring vmOptionIdentity(std::wstring_view option) {
    for (const std::wstring_view size : {L"-Xmx", L"-Xms", L"-Xss"}) {
        if (option.starts_with(size)) return std::wstring(size);
    }
    if (option.starts_with(L"-D")) return std::wstring(option.substr(0, option.find(L'=')));
    if (option.starts_with(L"-XX:")) {
        std::wstring_view name = option.substr(4);
        if (!name.empty() && (name.front() == L'+' || name.front() == L'-')) name.remove_prefix(1);
        return L"-XX:" + std::wstring(name.substr(0, name.find(L'=')));
    }
    return {};
}

bool isClassPathOption(std::wstring_view option) {
    const std::wstring_view word = option.substr(0, option.find_first_of(L" \t="));
    return word == L"-cp" || word == L"-classpath" || word == L"--class-path" ||
           option.starts_with(L"-Djava.class.path=");
}

std::vector<size_t> survivingOptions(const std::vector<std::wstring>& options, const std::vector<size_t>& layers) {
    // A few dozen options at most: comparing each with the later ones costs less
    // than the code of a hash set would weigh in the program.
    std::vector<std::wstring> identities;
    for (const std::wstring& option : options) identities.push_back(vmOptionIdentity(option));
    std::vector<size_t> kept;
    for (size_t i = 0; i < options.size(); ++i) {
        bool replaced = false;
        for (size_t j = i + 1; j < options.size() && !replaced; ++j) {
            replaced = !identities[i].empty() && layers[j] > layers[i] && identities[j] == identities[i];
        }
        if (!replaced) kept.push_back(i);
    }
    return kept;
}

} // namespace jl
