#include <gtest/gtest.h>

#include <windows.h>

#include "jvmhost/modified_utf8.h"
#include "jvmopts/output_redirection.h"
#include "jvmopts/timestamp_picture.h"
#include "rig/app_folder.h"

namespace jltest {
namespace {

constexpr SYSTEMTIME kFifthOfDecember{2026, 12, 6, 5, 20, 30, 7, 42};  // Saturday 20:30:07.042

std::wstring stamped(std::wstring name, const SYSTEMTIME& time = kFifthOfDecember) {
    jl::expandFileNameTimestamp(name, time);
    return name;
}

TEST(FileNameTimestamp, PictureBetweenFirstAndLastPercentIsFormatted) {
    EXPECT_EQ(stamped(L"C:\\Logs\\out_%yyyyMMdd-HHmmss.L%.log"), L"C:\\Logs\\out_20261205-203007.42.log");
    EXPECT_EQ(stamped(L"err_%yyyy-MM-dd%.txt"), L"err_2026-12-05.txt");
    EXPECT_EQ(stamped(L"plain.log"), L"plain.log");
    EXPECT_EQ(stamped(L"one%percent.log"), L"onepercent.log");
    EXPECT_EQ(stamped(L"two%%adjacent.log"), L"twoadjacent.log");
    EXPECT_EQ(stamped(L"Log_%L%.txt"), L"Log_42.txt");
    EXPECT_EQ(stamped(L"%'at' h'h'%"), L"at 8h");
}

TEST(FileNameTimestamp, FormatterOutputIsNotFormattedAgain) {
    // "PM" keeps its M, and the month's name keeps its m.
    EXPECT_EQ(stamped(L"%hh tt%.log"), L"08 PM.log");
    EXPECT_EQ(stamped(L"%MMMM d%.log"), L"December 5.log");
}

TEST(FileNameTimestamp, PictureRunsKeepTimeDateAndLiteralsApart) {
    const std::vector<jl::PictureRun> runs = jl::splitPicture(L"yyyyMMdd-HHmm'x'");
    std::wstring kinds;
    for (const jl::PictureRun& run : runs) kinds += run.text + L"|";
    EXPECT_EQ(kinds, L"yyyy|MM|dd|-|HH|mm|x|");
    EXPECT_EQ(runs[4].kind, jl::PictureRun::Kind::time);
    EXPECT_EQ(runs[1].kind, jl::PictureRun::Kind::date);
    EXPECT_EQ(runs[6].kind, jl::PictureRun::Kind::literal);
}

TEST(ParentFolders, MissingFoldersAboveAFileAreCreated) {
    const std::wstring folder = makeTemporaryFolder(L"jlparent");
    jl::createParentFolders(folder + L"\\Logs\\2026\\out.txt");
    EXPECT_TRUE(fileExists(folder + L"\\Logs\\2026"));
    EXPECT_FALSE(fileExists(folder + L"\\Logs\\2026\\out.txt"));
    jl::createParentFolders(L"\\\\?\\" + folder + L"\\Deep\\er\\out.txt");
    EXPECT_TRUE(fileExists(folder + L"\\Deep\\er"));
    removeFolderTree(folder);
}

TEST(ModifiedUtf8, DecodesToUtf16CodeUnits) {
    EXPECT_EQ(jl::decodeModifiedUtf8("com/example/Main"), L"com/example/Main");
    EXPECT_EQ(jl::decodeModifiedUtf8("\xC3\xA9t\xC3\xA9"), L"\x00E9t\x00E9");
    EXPECT_EQ(jl::decodeModifiedUtf8(std::string("a\xC0\x80z", 4)), std::wstring(L"a\0z", 3));
    // A supplementary character arrives as two encoded surrogates.
    EXPECT_EQ(jl::decodeModifiedUtf8("\xED\xA0\xBD\xED\xB8\x80"), std::wstring({wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(jl::decodeModifiedUtf8("\xE2\x82"), L"\xFFFD\xFFFD");
}

} // namespace
} // namespace jltest
