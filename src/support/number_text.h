#pragma once
// Decimal text of integers, without the C library's formatting. Platform-neutral.

#include <string>

namespace jl {

[[nodiscard]] std::wstring decimalText(long long number);
[[nodiscard]] std::wstring decimalText(unsigned long long number);
// Appends, so a caller building a line makes no temporary.
void appendDecimal(std::wstring& text, long long number);
void appendDecimal(std::wstring& text, unsigned long long number);

} // namespace jl
