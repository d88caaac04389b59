#include "probe_scenario.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "probe_record.h"

namespace probe {
namespace {

bool parseNumber(const std::string& text, long& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0') return false;
    value = parsed;
    return true;
}

template <typename Mode>
bool parseMode(const std::string& text, const std::map<std::string, Mode>& names, Mode& value) {
    const auto found = names.find(text);
    if (found == names.end()) return false;
    value = found->second;
    return true;
}

bool apply(Scenario& scenario, const std::string& key, const std::string& value) {
    if (key == "create") return parseNumber(value, scenario.createResult);
    if (key == "vmSays") {
        scenario.vmSays = value;
        return true;
    }
    if (key == "defaultStackSize") return parseNumber(value, scenario.defaultStackSize);
    if (key == "status") return parseNumber(value, scenario.status);
    if (key == "detach") return parseNumber(value, scenario.detachResult);
    if (key == "secondaryResult") return parseNumber(value, scenario.secondaryResult);
    for (auto [name, field] : {std::pair{"thread", &scenario.threadMs}, std::pair{"createDelay", &scenario.createDelayMs},
                               std::pair{"wait", &scenario.waitMs}}) {
        if (key != name) continue;
        long number = 0;
        if (!parseNumber(value, number) || number < 0) return false;
        *field = static_cast<unsigned long>(number);
        return true;
    }
    if (key == "window") return parseNumber(value, scenario.windowAfterMs) && scenario.windowAfterMs >= 0;
    if (key == "launcherHelper") {
        return parseMode<HelperMode>(value,
                                     {{"present", HelperMode::Present}, {"jdk25", HelperMode::Jdk25},
                                      {"absent", HelperMode::Absent},
                                      {"no-method", HelperMode::NoMethod}, {"null", HelperMode::ReturnsNull}},
                                     scenario.launcherHelper);
    }
    if (key == "main") {
        return parseMode<MainMode>(value,
                                   {{"return", MainMode::Return}, {"none", MainMode::None}, {"throw", MainMode::Throw},
                                    {"exit", MainMode::Exit}, {"abort", MainMode::Abort}},
                                   scenario.main);
    }
    if (key == "mainForm") {
        return parseMode<MainForm>(value,
                                   {{"static", MainForm::Static}, {"static-no-args", MainForm::StaticNoArgs},
                                    {"instance", MainForm::Instance}, {"instance-no-args", MainForm::InstanceNoArgs}},
                                   scenario.mainForm);
    }
    if (key == "initializer") {
        return parseMode<bool>(value, {{"return", false}, {"throw", true}}, scenario.initializerThrows);
    }
    if (key == "secondaryMain") {
        return parseMode<SecondaryMode>(
            value, {{"none", SecondaryMode::None}, {"void", SecondaryMode::Void}, {"int", SecondaryMode::Int}},
            scenario.secondaryMain);
    }
    if (key == "mainClass") scenario.mainClass = value;
    else if (key == "exception") scenario.exceptionClass = value;
    else if (key == "trace") scenario.trace = fromUtf8(value);
    else if (key == "out") scenario.out = value;
    else if (key == "err") scenario.err = value;
    else return false;
    return true;
}

} // namespace

std::wstring fromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

Scenario loadScenario() {
    Scenario scenario;
    wchar_t buffer[8192];
    const DWORD length = GetEnvironmentVariableW(L"JL_PROBE_SCENARIO", buffer, 8192);
    if (length == 0 || length >= 8192) return scenario;
    const std::string text = utf8(std::wstring_view(buffer, length));
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(';', start), text.size());
        const std::string entry = text.substr(start, end - start);
        const size_t equals = entry.find('=');
        const bool applied = equals != std::string::npos &&
                             apply(scenario, entry.substr(0, equals), percentDecoded(entry.substr(equals + 1)));
        if (!entry.empty() && !applied) {
            record("scenario-rejected entry=" + percentEncoded(entry));
        }
        start = end + 1;
    }
    return scenario;
}

} // namespace probe
