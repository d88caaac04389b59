#include "settings/embedded_settings.h"

#include <wincrypt.h>

#include <cstring>

#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

void releaseContext(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
void destroyHash(HCRYPTHASH hash) { CryptDestroyHash(hash); }
void destroyKey(HCRYPTKEY key) { CryptDestroyKey(key); }

using UniqueCryptProvider = UniqueNullable<HCRYPTPROV, releaseContext>;
using UniqueCryptHash = UniqueNullable<HCRYPTHASH, destroyHash>;
using UniqueCryptKey = UniqueNullable<HCRYPTKEY, destroyKey>;

} // namespace

bool applyEmbeddedCipher(std::string_view keyMaterial, std::vector<unsigned char>& data) {
    if (data.empty()) return true;
    UniqueCryptProvider provider;
    if (!CryptAcquireContextW(provider.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return false;
    UniqueCryptHash hash;
    if (!CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.put())) return false;
    if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(keyMaterial.data()),
                       static_cast<DWORD>(keyMaterial.size()), 0)) {
        return false;
    }
    UniqueCryptKey key;
    if (!CryptDeriveKey(provider.get(), CALG_RC4, hash.get(), 0, key.put())) return false;

    std::vector<unsigned char> result = data;
    DWORD length = static_cast<DWORD>(result.size());
    if (!CryptDecrypt(key.get(), 0, TRUE, 0, result.data(), &length)) return false;
    result.resize(length);
    data = std::move(result);
    return true;
}

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
    HMODULE program = GetModuleHandleW(nullptr);
    std::vector<unsigned char> keyBytes = loadRcdataResource(program, kEmbeddedKeyResource);
    std::vector<unsigned char> settingsBytes = loadRcdataResource(program, kEmbeddedSettingsResource);
    if (settingsBytes.empty()) {
        trace("embedded settings: none in this program");
        return {};
    }
    if (!applyEmbeddedCipher(toAnsiString(upgradeCode), keyBytes)) {
        trace("embedded settings: the key resource could not be deciphered (CryptoAPI error ", GetLastError(), ")");
        return {};
    }
    const std::wstring secondKey = wideTextFromBytes(keyBytes);
    if (!applyEmbeddedCipher(toAnsiString(secondKey), settingsBytes)) {
        trace("embedded settings: the settings resource could not be deciphered (CryptoAPI error ", GetLastError(),
              ")");
        return {};
    }
    std::wstring text = wideTextFromBytes(settingsBytes);
    trace("embedded settings: ", text.size(), " characters deciphered with the \"Upgrade Code\" of the INI file");
    return text;
}

} // namespace jl
