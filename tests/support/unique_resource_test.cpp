#include <gtest/gtest.h>

#include <windows.h>

#include "support/unique_resource.h"

namespace jl {
namespace {

TEST(UniqueResource, FileHandlesTreatInvalidHandleValueAsNothing) {
    UniqueFile missing(CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    SetLastError(ERROR_ACCESS_DENIED);
    missing.reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

} // namespace
} // namespace jl
