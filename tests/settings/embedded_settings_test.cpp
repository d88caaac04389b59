// The embedded settings' cipher, resources and text decoding.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "rig/app_folder.h"
#include "settings/embedded_settings.h"
#include "support/unique_resource.h"

namespace jl {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

class EmbeddedCipherRoundTrip : public testing::TestWithParam<std::tuple<std::string, size_t>> {};

TEST_P(EmbeddedCipherRoundTrip, SecondApplicationRestoresTheData) {
    const auto& [key, size] = GetParam();
    Bytes plain(size);
    for (size_t i = 0; i < size; ++i) plain[i] = static_cast<unsigned char>(i * 7 + 3);
    Bytes data = plain;
    ASSERT_TRUE(applyEmbeddedCipher(key, data));
    EXPECT_EQ(data.size(), plain.size());
    EXPECT_NE(data, plain);
    ASSERT_TRUE(applyEmbeddedCipher(key, data));
    EXPECT_EQ(data, plain);
}

INSTANTIATE_TEST_SUITE_P(KeysAndSizes, EmbeddedCipherRoundTrip,
                         testing::Combine(testing::Values("{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "k", "",
                                                          "\xC4pfel \xFC" "ber alles"),
                                          testing::Values(2, 13, 4096)));

struct KeyPair {
    std::string right;
    std::string wrong;
};

class EmbeddedCipherWrongKey : public testing::TestWithParam<KeyPair> {};

TEST_P(EmbeddedCipherWrongKey, DoesNotGiveThePlaintext) {
    const Bytes plain = bytesOf("[Application]\r\nMain Class=com.example.Main\r\n");
    Bytes data = plain;
    ASSERT_TRUE(applyEmbeddedCipher(GetParam().right, data));
    ASSERT_TRUE(applyEmbeddedCipher(GetParam().wrong, data));
    EXPECT_NE(data, plain);
}

INSTANTIATE_TEST_SUITE_P(Keys, EmbeddedCipherWrongKey,
                         testing::Values(KeyPair{"upgrade-code", "Upgrade-code"}, KeyPair{"abc", "ab"},
                                         KeyPair{"abc", std::string("abc\0", 4)}, KeyPair{"abc", ""}));

TEST(EmbeddedCipher, MatchesRc4KeyedWithSaltedMd5OfTheKeyText) {
    // RC4 keyed by the first 5 bytes of MD5("JLauncher") and 11 zero bytes of salt:
    // the Base Cryptographic Provider's 40-bit key, as a Windows packager makes it.
    Bytes data = bytesOf("[Application]");
    ASSERT_TRUE(applyEmbeddedCipher("JLauncher", data));
    EXPECT_EQ(data, (Bytes{0x3c, 0x7f, 0xb9, 0x2e, 0x07, 0xac, 0xe6, 0x2a, 0xfd, 0x24, 0xfd, 0x4c, 0x9c}));
}

struct WideCase {
    Bytes bytes;
    std::wstring text;
};

class EmbeddedWideText : public testing::TestWithParam<WideCase> {};

TEST_P(EmbeddedWideText, ReadsLittleEndianCodeUnitsDroppingAnOddByte) {
    EXPECT_EQ(wideTextFromBytes(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, EmbeddedWideText,
                         testing::Values(WideCase{{}, L""}, WideCase{{0x41}, L""}, WideCase{{0x41, 0x00}, L"A"},
                                         WideCase{{0x41, 0x00, 0x42}, L"A"},
                                         WideCase{{0x3A, 0x04, 0x0D, 0x00, 0x0A, 0x00}, L"\u043A\r\n"},
                                         WideCase{{0x00, 0x00, 0x5B, 0x00}, std::wstring(L"\0[", 2)}));

TEST(EmbeddedResource, ProgramWithoutEmbeddedSettingsHasNone) {
    HMODULE self = GetModuleHandleW(nullptr);
    EXPECT_TRUE(loadRcdataResource(self, kEmbeddedKeyResource).empty());
    EXPECT_TRUE(loadRcdataResource(self, kEmbeddedSettingsResource).empty());
    EXPECT_EQ(embeddedSettingsText(L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), L"");
}

bool addRcdata(HANDLE update, WORD id, LANGID language, std::string_view bytes) {
    return UpdateResourceW(update, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(id), language,
                           const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size())) != FALSE;
}

TEST(EmbeddedResource, UserLanguageIsPreferredOverNeutral) {
    const std::wstring folder = jltest::makeTemporaryFolder(L"jlres");
    const ScopeExit removeFolder([&] { jltest::removeFolderTree(folder); });
    const std::wstring copy = folder + L"\\copy.exe";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    const LANGID neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    const bool added = addRcdata(update, 8000, neutral, "neutral") &&
                       addRcdata(update, 8000, GetUserDefaultLangID(), "user's") &&
                       addRcdata(update, 9000, neutral, "only neutral");
    ASSERT_TRUE(EndUpdateResourceW(update, !added) && added);
    const UniqueModule module(LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module.valid());
    EXPECT_EQ(loadRcdataResource(module.get(), 8000), bytesOf("user's"));
    EXPECT_EQ(loadRcdataResource(module.get(), 9000), bytesOf("only neutral"));
    EXPECT_TRUE(loadRcdataResource(module.get(), 8001).empty());
}

} // namespace
} // namespace jl
