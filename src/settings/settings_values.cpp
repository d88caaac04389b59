#include "settings/settings_values.h"

#include "support/path_text.h"
#include "support/string_text.h"

namespace jl {

bool isYesInAnyCase(std::wstring_view value) { return equalsIgnoringAsciiCase(value, L"Yes"); }

unsigned secondsFromText(std::wstring_view text) {
    constexpr unsigned kOneDay = 24 * 60 * 60;
    if (text.empty()) return 0;
    unsigned seconds = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return 0;
        seconds = seconds * 10 + static_cast<unsigned>(c - L'0');
        if (seconds > kOneDay) return 0;
    }
    return seconds;
}

ServiceStartType serviceStartTypeFromText(std::wstring_view text) {
    if (equalsIgnoringAsciiCase(text, L"delayed")) return ServiceStartType::delayed;
    if (equalsIgnoringAsciiCase(text, L"manual")) return ServiceStartType::manual;
    if (equalsIgnoringAsciiCase(text, L"disabled")) return ServiceStartType::disabled;
    return ServiceStartType::automatic;
}

ServiceAccount serviceAccountFromText(std::wstring_view text) {
    if (equalsIgnoringAsciiCase(text, L"LocalSystem")) return ServiceAccount::localSystem;
    if (equalsIgnoringAsciiCase(text, L"NetworkService")) return ServiceAccount::networkService;
    return ServiceAccount::localService;
}

Version minimumVersionFromText(std::wstring_view text) {
    if (text == L"any") return kNoMinimum;
    Version version;
    (void)parseVersion(text, 0, version);  // a failed parse leaves the open 0.0.0.0
    return version;
}

Version maximumVersionFromText(std::wstring_view text) {
    if (text == L"any" || text.empty()) return kNoMaximum;
    Version version;
    (void)parseVersion(text, kOpenPart, version);
    return version;
}

JvmType jvmTypeFromText(std::wstring_view text) {
    if (text == L"server") return JvmType::server;
    if (text == L"favor_server") return JvmType::favorServer;
    return JvmType::defaultVm;
}

JvmSourceFlags jvmSourceFlagsFromText(std::wstring_view text) {
    if (text.empty()) return {true, true, true};
    if (text == L"favor_JDK") return {true, true, false};
    if (text == L"favor_JRE") return {true, false, true};
    if (text == L"only_JDK") return {false, true, false};
    if (text == L"only_JRE") return {false, false, true};
    return {false, false, false};
}

VmProviderFlags vmProviderFlagsFromText(std::wstring_view text) {
    struct Row {
        const wchar_t* value;
        VmProviderFlags flags;
    };
    // Columns: jrockit allowed/favoured, sun allowed/favoured, ibm allowed/favoured.
    static constexpr Row kRows[] = {
        {L"jrockit", {true, true, false, false, false, false}},
        {L"ibm", {false, false, false, false, true, true}},
        {L"favor_sun", {true, false, true, true, true, false}},
        {L"favor_jrockit", {true, true, true, false, true, false}},
        {L"favor_ibm", {true, false, true, false, true, true}},
        {L"any", {true, false, true, false, true, false}},
    };
    for (const Row& row : kRows) {
        if (equalsIgnoringAsciiCase(text, row.value)) return row.flags;
    }
    return VmProviderFlags{};
}

std::wstring internalClassName(std::wstring_view mainClass) {
    std::wstring name(mainClass);
    for (wchar_t& c : name) {
        if (c == L'.') c = L'/';
    }
    return name;
}

std::wstring iniPathForProgram(std::wstring_view programPath) {
    const size_t dot = programPath.rfind(L'.');
    if (dot == std::wstring_view::npos) return {};
    return std::wstring(programPath.substr(0, dot + 1)) + L"ini";
}

std::wstring productFolderName(std::wstring_view productName) {
    static constexpr std::wstring_view kUnfit = L"\\?\"|><:/*";
    std::wstring folder;
    for (wchar_t c : productName) {
        if (kUnfit.find(c) == std::wstring_view::npos) folder += c;
    }
    return folder;
}

PerUserIniLocation perUserIniLocation(std::wstring_view appData, std::wstring_view productName,
                                      std::wstring_view productCode, std::wstring_view sourcePath) {
    PerUserIniLocation location;
    location.productFolder = std::wstring(appData) + L"\\" + productFolderName(productName);
    location.codeFolder = location.productFolder + L"\\" + std::wstring(productCode);
    location.iniPath = location.codeFolder + L"\\" + fileBaseName(sourcePath) + L".ini";
    return location;
}

} // namespace jl
