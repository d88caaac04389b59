#include "jvmopts/vm_parameters.h"
#include "support/number_text.h"

#include <iterator>
#include <limits>

namespace jl {

namespace {

constexpr uint64_t kMaxSize = std::numeric_limits<uint64_t>::max();

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

uint64_t saturatingMultiply(uint64_t a, uint64_t b) {
    if (a != 0 && b > kMaxSize / a) return kMaxSize;
    return a * b;
}

uint64_t saturatingAppendDigit(uint64_t number, wchar_t digit) {
    const uint64_t shifted = saturatingMultiply(number, 10);
    const uint64_t value = static_cast<uint64_t>(digit - L'0');
    return shifted > kMaxSize - value ? kMaxSize : shifted + value;
}

// The end of a quoted stretch opened at `open`: the closing quote, or the second
// of a doubled closing quote; npos when the quote has no partner.
size_t closingQuote(std::wstring_view text, size_t open) {
    const size_t close = text.find(L'"', open + 1);
    if (close == std::wstring_view::npos) return close;
    return (close + 1 < text.size() && text[close + 1] == L'"') ? close + 1 : close;
}

} // namespace

std::vector<std::wstring> splitVmParameters(std::wstring_view text) {
    std::vector<std::wstring> parameters;
    size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && text[position] == L' ') ++position;
        if (position == text.size()) break;
        size_t end = position;
        while (end < text.size() && text[end] != L' ') {
            if (text[end] == L'"') {
                const size_t close = closingQuote(text, end);
                if (close == std::wstring_view::npos) {
                    end = text.find(L' ', end);
                    if (end == std::wstring_view::npos) end = text.size();
                    break;
                }
                end = close;
            }
            ++end;
        }
        parameters.emplace_back(text.substr(position, end - position));
        position = end;
    }
    return parameters;
}

void removeQuotes(std::wstring& parameter) {
    size_t open = parameter.find(L'"');
    while (open != std::wstring::npos) {
        const size_t close = parameter.find(L'"', open + 1);
        if (close == std::wstring::npos) return;
        std::wstring inner = parameter.substr(open + 1, close - open - 1);
        size_t stretchEnd = close;
        if (close + 1 < parameter.size() && parameter[close + 1] == L'"') {
            inner += L'"';
            stretchEnd = close + 1;
        }
        parameter.replace(open, stretchEnd - open + 1, inner);
        open = parameter.find(L'"', open + inner.size());
    }
}

SizeFields parseSizeFields(std::wstring_view text) {
    SizeFields fields;
    while (fields.prefixLength < text.size() && !isDigit(text[fields.prefixLength]) && text[fields.prefixLength] != L':') {
        ++fields.prefixLength;
    }
    if (fields.prefixLength == text.size()) return fields;
    fields.count = 1;
    for (size_t i = fields.prefixLength; i + 1 < text.size(); ++i) {
        if (text[i] == L':') {
            ++fields.count;
        } else if (isDigit(text[i]) && fields.count <= std::size(fields.numbers)) {
            uint64_t& number = fields.numbers[fields.count - 1];
            number = saturatingAppendDigit(number, text[i]);
        }
    }
    return fields;
}

bool isRelativeMemoryOption(std::wstring_view parameter) {
    if (!(parameter.starts_with(L"-Xms") || parameter.starts_with(L"-Xmx") || parameter.starts_with(L"-Xss"))) {
        return false;
    }
    const wchar_t last = parameter.back();
    return last == L'P' || last == L'p' || last == L'T' || last == L't';
}

std::wstring resolveRelativeMemoryOption(std::wstring_view parameter, const MachineMemory& memory) {
    const SizeFields fields = parseSizeFields(parameter);
    const uint64_t percentage = fields.numbers[0], minimum = fields.numbers[1], maximum = fields.numbers[2];
    const wchar_t suffix = parameter.empty() ? L'P' : parameter.back();
    const uint64_t bytes = (suffix == L'T' || suffix == L't') ? memory.availableVirtual : memory.totalPhysical;

    const double kilobytes = static_cast<double>(bytes >> 10) * (static_cast<double>(percentage) / 100.0);
    // 2^64 is the first double past the range; anything from there on saturates.
    uint64_t size = kilobytes >= 18446744073709551616.0 ? kMaxSize : static_cast<uint64_t>(kilobytes);
    if (maximum != 0 && size > saturatingMultiply(maximum, 1024)) size = saturatingMultiply(maximum, 1024);
    if (size < saturatingMultiply(minimum, 1024)) size = saturatingMultiply(minimum, 1024);
    return std::wstring(parameter.substr(0, fields.prefixLength)) + decimalText(static_cast<unsigned long long>(size)) + L"K";
}

uint64_t parseStackSize(std::wstring_view text) {
    const SizeFields fields = parseSizeFields(text);
    if (fields.prefixLength != 0 || fields.count != 1) return 0;
    uint64_t number = fields.numbers[0];
    uint64_t unit = 1;
    switch (text.back()) {
        case L'k': case L'K': unit = 1024; break;
        case L'm': case L'M': unit = 1048576; break;
        case L'g': case L'G': unit = 1073741824; break;
        default:
            if (isDigit(text.back())) number = saturatingAppendDigit(number, text.back());
            break;
    }
    return saturatingMultiply(number, unit);
}

} // namespace jl
