#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/win_text.h"

namespace jl {
namespace {

TEST(GrowingText, ReadsValuesLongerThanTheFirstBuffer) {
    const std::wstring longValue(20000, L'x');
    SetEnvironmentVariableW(L"JL_LONG_VALUE", longValue.c_str());
    EXPECT_EQ(environmentVariable(L"JL_LONG_VALUE"), longValue);
    std::wstring text = L"<%JL_LONG_VALUE%>";
    expandEnvironment(text);
    EXPECT_EQ(text, L"<" + longValue + L">");
    SetEnvironmentVariableW(L"JL_LONG_VALUE", nullptr);
    EXPECT_EQ(environmentVariable(L"JL_LONG_VALUE"), L"");
}

} // namespace
} // namespace jl
