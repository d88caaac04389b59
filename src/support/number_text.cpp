#include "support/number_text.h"

namespace jl {

void appendDecimal(std::wstring& text, unsigned long long number) {
    wchar_t digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0) text += digits[--count];
}

void appendDecimal(std::wstring& text, long long number) {
    if (number < 0) {
        text += L'-';
        // Negating in unsigned arithmetic also covers the smallest value.
        appendDecimal(text, 0ULL - static_cast<unsigned long long>(number));
    } else {
        appendDecimal(text, static_cast<unsigned long long>(number));
    }
}

std::wstring decimalText(long long number) {
    std::wstring text;
    appendDecimal(text, number);
    return text;
}

std::wstring decimalText(unsigned long long number) {
    std::wstring text;
    appendDecimal(text, number);
    return text;
}

} // namespace jl
