// JNI's modified UTF-8 back to UTF-16.

#include <gtest/gtest.h>

#include "jvmhost/modified_utf8.h"

namespace jl {
namespace {

TEST(ModifiedUtf8, DecodesToUtf16CodeUnits) {
    EXPECT_EQ(decodeModifiedUtf8("com/example/Main"), L"com/example/Main");
    EXPECT_EQ(decodeModifiedUtf8("\xC3\xA9t\xC3\xA9"), L"\x00E9t\x00E9");
    EXPECT_EQ(decodeModifiedUtf8(std::string("a\xC0\x80z", 4)), std::wstring(L"a\0z", 3));
    // A supplementary character arrives as two encoded surrogates.
    EXPECT_EQ(decodeModifiedUtf8("\xED\xA0\xBD\xED\xB8\x80"), std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(decodeModifiedUtf8("\xE2\x82\xAC"), L"\x20AC");
}

TEST(ModifiedUtf8, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(decodeModifiedUtf8("\xE2\x82"), L"\xFFFD\xFFFD");
    EXPECT_EQ(decodeModifiedUtf8("\x80z"), L"\xFFFDz");
    EXPECT_EQ(decodeModifiedUtf8("\xFF"), L"\xFFFD");
    EXPECT_EQ(decodeModifiedUtf8(std::string("\xC3", 1)), L"\xFFFD");
    // Four-byte UTF-8 is not modified UTF-8: never a unit beyond UTF-16.
    for (wchar_t unit : decodeModifiedUtf8("\xF0\x9F\x98\x80")) EXPECT_LE(static_cast<uint32_t>(unit), 0xFFFFu);
}

} // namespace
} // namespace jl
