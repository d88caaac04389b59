#include <gtest/gtest.h>

#include <windows.h>

#include "jvmopts/output_redirection.h"
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
    EXPECT_EQ(stamped(L"%'it''s' HH%.log"), L"it's 20.log");
    // Two quotes stand for one outside a quoted stretch too; an unclosed one runs to the end.
    EXPECT_EQ(stamped(L"%''HH''%"), L"'20'");
    EXPECT_EQ(stamped(L"%'unclosed HH%"), L"unclosed HH");
    EXPECT_EQ(stamped(L"%ss.L-LL%"), L"07.42-4242");
}

TEST(FileNameTimestamp, FormatterOutputIsNotFormattedAgain) {
    // "PM" keeps its M, and the month's name keeps its m.
    EXPECT_EQ(stamped(L"%hh tt%.log"), L"08 PM.log");
    EXPECT_EQ(stamped(L"%MMMM d%.log"), L"December 5.log");
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

} // namespace
} // namespace jltest
