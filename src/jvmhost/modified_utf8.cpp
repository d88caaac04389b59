#include "jvmhost/modified_utf8.h"

namespace jl {

std::wstring decodeModifiedUtf8(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    const auto continuation = [&](size_t index) {
        return index < bytes.size() && (static_cast<unsigned char>(bytes[index]) & 0xC0) == 0x80;
    };
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            i += 1;
        } else if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
            text += static_cast<wchar_t>(((lead & 0x1F) << 6) | (static_cast<unsigned char>(bytes[i + 1]) & 0x3F));
            i += 2;
        } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            text += static_cast<wchar_t>(((lead & 0x0F) << 12) |
                                         ((static_cast<unsigned char>(bytes[i + 1]) & 0x3F) << 6) |
                                         (static_cast<unsigned char>(bytes[i + 2]) & 0x3F));
            i += 3;
        } else {
            text += L'\uFFFD';
            i += 1;
        }
    }
    return text;
}

} // namespace jl
