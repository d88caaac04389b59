#include <gtest/gtest.h>

#include "support/path_text.h"

namespace jl {
namespace {

TEST(PathComponents, StripClimbsFromJvmLibraryToRuntimeFolders) {
    EXPECT_EQ(stripPathComponents(L"C:\\Java\\jre\\bin\\server\\jvm.dll", 3), L"C:\\Java\\jre");
    EXPECT_EQ(stripPathComponents(L"C:\\Java\\jre\\bin\\server\\jvm.dll", 2), L"C:\\Java\\jre\\bin");
    EXPECT_EQ(stripPathComponents(L"C:\\jvm.dll", 3), L"C:");
    EXPECT_EQ(stripPathComponents(L"jvm.dll", 1), L"jvm.dll");
}

} // namespace
} // namespace jl
