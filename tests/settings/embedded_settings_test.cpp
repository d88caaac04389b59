// Reading the embedded settings' resources; their deciphering and decoding show
// in the launches of packed programs.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "settings/embedded_settings.h"
#include "support/unique_resource.h"

namespace jl {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

TEST(EmbeddedResource, UserLanguageIsPreferredOverNeutral) {
    const jltest::TemporaryFolder folder(L"jlres");
    const std::wstring copy = folder.file(L"copy.exe");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    const HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    const auto add = [&](WORD id, LANGID language, const char* bytes) {
        return UpdateResourceW(update, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(id), language, const_cast<char*>(bytes),
                               static_cast<DWORD>(std::strlen(bytes))) != FALSE;
    };
    const LANGID neutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), user = GetUserDefaultLangID();
    const bool added = add(8000, neutral, "neutral") && add(8000, user, "user's") && add(9000, neutral, "only neutral");
    ASSERT_TRUE(EndUpdateResourceW(update, !added) && added);
    const UniqueModule module(LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module.valid());
    EXPECT_EQ(loadRcdataResource(module.get(), 8000), bytesOf("user's"));
    EXPECT_EQ(loadRcdataResource(module.get(), 9000), bytesOf("only neutral"));
    EXPECT_TRUE(loadRcdataResource(module.get(), 8001).empty());
}

} // namespace
} // namespace jl
