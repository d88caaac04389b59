#include "version_resource.h"

namespace jlpack {

namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

void pad4(Bytes& b) { b.resize((b.size() + 3) / 4 * 4, 0); }
void appendText(Bytes& b, std::u16string_view text) {
    for (char16_t c : text) appendLittleEndian16(b, c);
    appendLittleEndian16(b, 0);
}

// One node: length, value length, type (1 for text), key, value, children.
Bytes node(std::u16string_view key, const Bytes& value, std::uint16_t valueLength, bool textValue,
           const std::vector<Bytes>& children) {
    Bytes out(6, 0);
    appendText(out, key);
    pad4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        pad4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(valueLength);
    out[3] = static_cast<std::uint8_t>(valueLength >> 8);
    out[4] = textValue ? 1 : 0;
    return out;
}

struct Node {
    std::u16string key;
    ByteView value;
    bool textValue = false;
    std::uint16_t valueLength = 0;
    std::vector<Node> children;
};

std::optional<Node> readNode(ByteView bytes, int depth) {
    if (bytes.size() < 6 || depth > 4) return std::nullopt;
    const size_t length = readLittleEndian16(bytes, 0);
    if (length < 6 || length > bytes.size()) return std::nullopt;
    bytes = bytes.first(length);
    Node n;
    n.valueLength = readLittleEndian16(bytes, 2);
    n.textValue = readLittleEndian16(bytes, 4) == 1;
    size_t at = 6;
    for (;; at += 2) {
        if (at + 2 > bytes.size()) return std::nullopt;
        const char16_t c = readLittleEndian16(bytes, at);
        if (c == 0) break;
        n.key += c;
    }
    at = (at + 2 + 3) / 4 * 4;
    const size_t valueBytes = n.textValue ? n.valueLength * 2u : n.valueLength;
    if (at > bytes.size() || valueBytes > bytes.size() - at) {
        // Some writers count a text value in bytes; keep what is there.
        if (at > bytes.size()) return n;
        n.value = bytes.subspan(at);
        return n;
    }
    n.value = bytes.subspan(at, valueBytes);
    at = (at + valueBytes + 3) / 4 * 4;
    while (at + 6 <= bytes.size()) {
        std::optional<Node> child = readNode(bytes.subspan(at), depth + 1);
        if (!child) break;
        const size_t childLength = readLittleEndian16(bytes, at);
        n.children.push_back(std::move(*child));
        at = (at + childLength + 3) / 4 * 4;
    }
    return n;
}

} // namespace

std::optional<std::array<std::uint16_t, 4>> parseVersionNumbers(std::string_view text) {
    std::array<std::uint16_t, 4> numbers{};
    size_t part = 0;
    std::uint32_t value = 0;
    bool digits = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (!digits || part >= 4) return std::nullopt;
            numbers[part++] = static_cast<std::uint16_t>(value);
            value = 0;
            digits = false;
        } else if (text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
            if (value > 65535) return std::nullopt;
            digits = true;
        } else {
            return std::nullopt;
        }
    }
    return numbers;
}

Bytes buildVersionResource(const VersionInfo& info) {
    Bytes fixed;
    appendLittleEndian32(fixed, kFixedSignature);
    appendLittleEndian32(fixed, 0x00010000);
    appendLittleEndian32(fixed, (info.fileVersion[0] << 16) | info.fileVersion[1]);
    appendLittleEndian32(fixed, (info.fileVersion[2] << 16) | info.fileVersion[3]);
    appendLittleEndian32(fixed, (info.productVersion[0] << 16) | info.productVersion[1]);
    appendLittleEndian32(fixed, (info.productVersion[2] << 16) | info.productVersion[3]);
    appendLittleEndian32(fixed, 0x3F);       // file flags mask
    appendLittleEndian32(fixed, 0);          // file flags
    appendLittleEndian32(fixed, 0x00040004); // VOS_NT_WINDOWS32
    appendLittleEndian32(fixed, 1);          // VFT_APP
    appendLittleEndian32(fixed, 0);
    appendLittleEndian32(fixed, 0);
    appendLittleEndian32(fixed, 0);

    std::vector<Bytes> strings;
    for (const auto& [name, value] : info.strings) {
        Bytes text;
        appendText(text, value);
        strings.push_back(node(name, text, static_cast<std::uint16_t>(value.size() + 1), true, {}));
    }
    const Bytes table = node(u"040904B0", {}, 0, true, strings);
    const Bytes stringInfo = node(u"StringFileInfo", {}, 0, true, {table});
    Bytes translation;
    appendLittleEndian16(translation, 0x0409);
    appendLittleEndian16(translation, 1200);
    const Bytes var = node(u"Translation", translation, 4, false, {});
    const Bytes varInfo = node(u"VarFileInfo", {}, 0, true, {var});
    return node(u"VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false, {stringInfo, varInfo});
}

std::optional<VersionInfo> parseVersionResource(ByteView bytes) {
    const std::optional<Node> root = readNode(bytes, 0);
    if (!root || root->key != u"VS_VERSION_INFO" || root->value.size() < 52 || readLittleEndian32(root->value, 0) != kFixedSignature) {
        return std::nullopt;
    }
    VersionInfo info;
    const std::uint32_t words[4] = {readLittleEndian32(root->value, 8), readLittleEndian32(root->value, 12), readLittleEndian32(root->value, 16),
                                    readLittleEndian32(root->value, 20)};
    for (int i = 0; i < 2; ++i) {
        info.fileVersion[i * 2] = static_cast<std::uint16_t>(words[i] >> 16);
        info.fileVersion[i * 2 + 1] = static_cast<std::uint16_t>(words[i]);
        info.productVersion[i * 2] = static_cast<std::uint16_t>(words[2 + i] >> 16);
        info.productVersion[i * 2 + 1] = static_cast<std::uint16_t>(words[2 + i]);
    }
    for (const Node& child : root->children) {
        if (child.key != u"StringFileInfo" || child.children.empty()) continue;
        for (const Node& string : child.children[0].children) {
            std::u16string value;
            for (size_t at = 0; at + 1 < string.value.size(); at += 2) {
                const char16_t c = readLittleEndian16(string.value, at);
                if (c == 0) break;
                value += c;
            }
            info.strings.emplace_back(string.key, value);
        }
    }
    return info;
}

} // namespace jlpack
