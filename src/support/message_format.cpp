#include "support/message_format.h"
#include "support/number_text.h"

namespace jl {

std::wstring formatMessage(std::wstring_view format, std::initializer_list<MessageArgument> arguments) {
    std::wstring result;
    result.reserve(format.size() + 64);
    auto next = arguments.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        if (c != L'%' || i + 1 == format.size()) {
            result += c;
            continue;
        }
        const wchar_t directive = format[i + 1];
        if (directive == L'%') {
            result += L'%';
            ++i;
            continue;
        }
        if (directive == L's' && next != arguments.end() && std::holds_alternative<std::wstring_view>(*next)) {
            result += std::get<std::wstring_view>(*next++);
            ++i;
            continue;
        }
        if (directive == L'd' && next != arguments.end() && std::holds_alternative<int32_t>(*next)) {
            appendDecimal(result, static_cast<long long>(std::get<int32_t>(*next++)));
            ++i;
            continue;
        }
        result += c;
    }
    return result;
}

} // namespace jl
