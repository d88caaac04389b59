#include "settings/embedded_settings.h"

#include <cstring>

#include "settings/settings_cipher.h"
#include "support/module.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

std::vector<unsigned char> loadRcdataResource(HMODULE module, WORD id) {
    const LANGID userLanguage = GetUserDefaultLangID();
    const LANGID languages[] = {
        userLanguage,
        MAKELANGID(PRIMARYLANGID(userLanguage), SUBLANG_DEFAULT),
        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
    };
    for (LANGID language : languages) {
        HRSRC resource = FindResourceExW(module, RT_RCDATA, MAKEINTRESOURCEW(id), language);
        if (!resource) continue;
        const DWORD size = SizeofResource(module, resource);
        HGLOBAL loaded = LoadResource(module, resource);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes || size == 0) return {};
        const auto* first = static_cast<const unsigned char*>(bytes);
        return std::vector<unsigned char>(first, first + size);
    }
    return {};
}

std::wstring wideTextFromBytes(const std::vector<unsigned char>& bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

std::wstring embeddedSettingsText(const std::wstring& upgradeCode) {
    HMODULE program = programInstance();
    std::vector<unsigned char> keyBytes = loadRcdataResource(program, kEmbeddedKeyResource);
    std::vector<unsigned char> settingsBytes = loadRcdataResource(program, kEmbeddedSettingsResource);
    if (settingsBytes.empty()) {
        trace<TraceTopic::embeddedSettings>("none in this program");
        return {};
    }
    applySettingsCipher(toAnsiString(upgradeCode), keyBytes);
    applySettingsCipher(toAnsiString(wideTextFromBytes(keyBytes)), settingsBytes);
    std::wstring text = wideTextFromBytes(settingsBytes);
    trace<TraceTopic::embeddedSettings>("{} characters deciphered with the \"Upgrade Code\" of the INI file",
                                        text.size());
    return text;
}

} // namespace jl
