// The packer's own cipher and checksum against what Windows computes: CryptoAPI's
// Base Cryptographic Provider (which the launcher deciphers with) and imagehlp's
// CheckSumMappedFile.

#include <windows.h>
#include <imagehlp.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <random>

#include "packer.h"
#include "pe_file.h"
#include "rig/app_folder.h"
#include "rig/pe_samples.h"
#include "settings/settings_cipher.h"
#include "support/unique_resource.h"

namespace jltest {
namespace {

void releaseContext(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }
void destroyHash(HCRYPTHASH hash) { CryptDestroyHash(hash); }
void destroyKey(HCRYPTKEY key) { CryptDestroyKey(key); }

// RC4 keyed with CryptDeriveKey from an MD5 hash of the key text, all by the Base Cryptographic Provider.
bool cryptoApiCipher(std::string_view keyText, std::vector<unsigned char>& data) {
    jl::UniqueNullable<HCRYPTPROV, releaseContext> provider;
    jl::UniqueNullable<HCRYPTHASH, destroyHash> hash;
    jl::UniqueNullable<HCRYPTKEY, destroyKey> key;
    DWORD length = static_cast<DWORD>(data.size());
    return CryptAcquireContextW(provider.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
           CryptCreateHash(provider.get(), CALG_MD5, 0, 0, hash.put()) &&
           CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(keyText.data()), static_cast<DWORD>(keyText.size()),
                         0) &&
           CryptDeriveKey(provider.get(), CALG_RC4, hash.get(), 0, key.put()) &&
           CryptDecrypt(key.get(), 0, TRUE, 0, data.data(), &length) && length == data.size();
}

TEST(PackCipherOnWindows, EqualsCryptoApiForEveryKeyAndLength) {
    std::mt19937 random(20261207);
    const std::string keys[] = {"", "K", "JLauncher", "{8F5A2C1E-1234-4ABC-9DEF-0123456789AB}",
                                "0123456789ABCDEF0123456789ABCDEF", std::string(300, 'x')};
    for (const std::string& key : keys) {
        for (size_t length : {1u, 13u, 255u, 256u, 257u, 4099u}) {
            std::vector<unsigned char> data(length);
            for (auto& byte : data) byte = static_cast<unsigned char>(random());
            std::vector<unsigned char> byWindows = data;
            jlpack::Bytes byPacker(data.begin(), data.end());
            ASSERT_TRUE(cryptoApiCipher(key, byWindows));
            jl::applySettingsCipher(key, byPacker);
            EXPECT_TRUE(std::equal(byPacker.begin(), byPacker.end(), byWindows.begin(), byWindows.end()))
                << "key \"" << key << "\", " << length << " bytes";
        }
    }
}

TEST(PackChecksumOnWindows, EqualsCheckSumMappedFile) {
    jlpack::PackRequest request;
    const std::string launcher = readBytesFile(builtProgram(L"jlauncher.exe"));
    ASSERT_FALSE(launcher.empty());
    request.launcher.assign(launcher.begin(), launcher.end());
    request.ini = {'[', 'A', ']', '\n'};
    request.upgradeCode = request.keyText = "K";
    std::string problem;
    const auto packed = jlpack::packLauncher(request, problem);
    ASSERT_TRUE(packed) << problem;
    jlpack::Bytes odd = packed->image;
    odd.push_back(0xA5);  // an odd length with a trailing overlay byte
    for (jlpack::Bytes bytes : {request.launcher, packed->image, odd, sampleImage(sampleLauncherResources())}) {
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS64*>(bytes.data() + *reinterpret_cast<DWORD*>(bytes.data() + 0x3C));
        const size_t checksumAt = reinterpret_cast<const std::uint8_t*>(&nt->OptionalHeader.CheckSum) - bytes.data();
        DWORD headerSum = 0, computed = 0;
        ASSERT_NE(CheckSumMappedFile(bytes.data(), static_cast<DWORD>(bytes.size()), &headerSum, &computed), nullptr);
        EXPECT_EQ(jlpack::peChecksum(bytes, checksumAt), computed) << bytes.size() << " bytes";
    }
    DWORD headerSum = 0, computed = 0;
    jlpack::Bytes image = packed->image;
    CheckSumMappedFile(image.data(), static_cast<DWORD>(image.size()), &headerSum, &computed);
    EXPECT_EQ(headerSum, computed) << "the packed image's checksum is fixed";
}

} // namespace
} // namespace jltest
