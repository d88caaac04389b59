#include "packer.h"

#include <algorithm>

#include "icon_file.h"
#include "settings/ini_document.h"
#include "settings/settings_cipher.h"
#include "support/pe_headers.h"
#include "support/string_text.h"
#include "version_resource.h"

namespace jlpack {

namespace {

constexpr std::uint16_t kEmbeddedKeyResource = 9000;
constexpr std::uint16_t kEmbeddedSettingsResource = 8000;
constexpr std::uint16_t kRtDialog = 5;
constexpr std::uint16_t kJreNotFoundDialog = 201;
constexpr std::uint16_t kMainClassMessageBlock = 210 / 16 + 1;
constexpr char kExecutionLevels[][21] = {"asInvoker", "requireAdministrator", "highestAvailable"};

// Windows-1252's 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D, 0x017D, 0x8F,
    0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};

std::optional<std::u16string> utf16FromUtf8(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > bytes.size()) return std::nullopt;
        std::uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next >> 6) != 2) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return text;
}

std::u16string utf16FromAnyUtf8(std::string_view bytes) {
    if (auto text = utf16FromUtf8(bytes)) return *text;
    std::u16string text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return text;
}

std::wstring wideFromUtf16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string utf16FromWide(std::wstring_view text) {
    std::u16string out;
    for (wchar_t c : text) out += static_cast<char16_t>(c);
    return out;
}

Bytes bytesOf(std::u16string_view text) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}
std::u16string textOf(const Bytes& bytes) {
    std::u16string text;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) text += static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
    return text;
}

// The launcher keys the cipher with the ANSI form of its texts; limiting them to
// ASCII makes that form the same on every Windows code page.
bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != 0; });
}

std::string productInformation(const jl::IniDocument& ini, const wchar_t* key) {
    const std::wstring* value = ini.findValue(L"Product Information", key);
    if (!value) return {};
    std::wstring trimmed = *value;
    jl::trimLeft(trimmed);
    jl::trimRight(trimmed);
    return utf8FromUtf16(utf16FromWide(trimmed));
}

std::string baseName(std::string name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool isKnownLauncher(const PeImage& image) {
    const ResourceTable& r = image.resources;
    return r.find(kRtManifest, 1) && r.find(kRtVersion, 1) && !r.ofType(kRtGroupIcon).empty() &&
           r.find(kRtDialog, kJreNotFoundDialog) && r.find(kRtString, kMainClassMessageBlock);
}

// The level="..." of requestedExecutionLevel: where its value starts and ends.
std::optional<std::pair<size_t, size_t>> executionLevelSpan(const Bytes& manifest) {
    const std::string text(manifest.begin(), manifest.end());
    const size_t element = text.find("<requestedExecutionLevel");
    if (element == std::string::npos) return std::nullopt;
    const size_t close = text.find('>', element);
    const size_t attribute = text.find(" level=\"", element);
    if (attribute == std::string::npos || attribute > close) return std::nullopt;
    const size_t first = attribute + 8, last = text.find('"', first);
    if (last == std::string::npos || last > close) return std::nullopt;
    return std::pair{first, last};
}

} // namespace

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string iniTextFromBytes(ByteView bytes) {
    std::u16string text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = textOf(Bytes(bytes.begin() + 2, bytes.end()));
    } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = utf16FromAnyUtf8({reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3});
    } else {
        text = utf16FromAnyUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    std::u16string normalised;
    normalised.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            normalised += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (text[i] == u'\n') {
            normalised += u"\r\n";
        } else {
            normalised += text[i];
        }
    }
    return normalised;
}

std::string upgradeCodeOfIni(ByteView ini) {
    jl::IniDocument document;
    jl::parseIniText(document, wideFromUtf16(iniTextFromBytes(ini)));
    return productInformation(document, L"Upgrade Code");
}

namespace {

// The image, when it is one of our launchers; otherwise why not, after "<subject>is refused: ".
std::optional<PeImage> parseKnownLauncher(ByteView bytes, const std::string& subject, std::string& problem) {
    std::string why;
    std::optional<PeImage> image = parsePeImage(bytes, &why);
    if (image && !isKnownLauncher(*image)) {
        why = "it is not a JLauncher launcher (the launcher's own resources are missing)";
        image.reset();
    }
    if (!image) problem = subject + "is refused: " + why;
    return image;
}

} // namespace

std::optional<PackOutcome> packLauncher(const PackRequest& request, std::string& problem) {
    std::optional<PeImage> image = parseKnownLauncher(request.launcher, "the launcher ", problem);
    if (!image) return std::nullopt;

    const std::u16string iniText = iniTextFromBytes(request.ini);
    if (iniText.find(u'[') == std::u16string::npos) {
        problem = "the INI file holds no [section]: nothing to embed";
        return std::nullopt;
    }
    jl::IniDocument ini;
    jl::parseIniText(ini, wideFromUtf16(iniText));
    const std::string upgradeCode =
        request.upgradeCode.empty() ? productInformation(ini, L"Upgrade Code") : request.upgradeCode;
    if (upgradeCode.empty()) {
        problem = "no upgrade code: give --upgrade-code or an \"Upgrade Code\" in [Product Information] of the INI file";
        return std::nullopt;
    }
    if (!isAscii(upgradeCode) || !isAscii(request.keyText) || request.keyText.empty()) {
        problem = "the upgrade code and the key text must be ASCII (an upgrade code is usually a GUID)";
        return std::nullopt;
    }

    // The launcher behaves as its header says: the subsystem switches a copy
    // between the GUI launcher and its console twin.
    if (!request.subsystem.empty()) {
        if (request.subsystem != "console" && request.subsystem != "gui") {
            problem = "the subsystem must be console or gui";
            return std::nullopt;
        }
        const std::uint16_t subsystem =
            request.subsystem == "console" ? jl::kSubsystemWindowsConsole : jl::kSubsystemWindowsGui;
        const std::optional<size_t> field = jl::peSubsystemOffset(image->bytes);
        if (!field) {
            problem = "the launcher is refused: its header has no subsystem field";
            return std::nullopt;
        }
        image->bytes[*field] = static_cast<std::uint8_t>(subsystem & 0xFF);
        image->bytes[*field + 1] = static_cast<std::uint8_t>(subsystem >> 8);
    }

    ResourceTable resources = image->resources;
    Bytes key = bytesOf(utf16FromAnyUtf8(request.keyText));
    Bytes settings = bytesOf(iniText);
    jl::applySettingsCipher(upgradeCode, key);
    jl::applySettingsCipher(request.keyText, settings);
    resources.remove(kRtRcdata, ResourceName::number(kEmbeddedKeyResource));
    resources.remove(kRtRcdata, ResourceName::number(kEmbeddedSettingsResource));
    resources.put({ResourceName::number(kRtRcdata), ResourceName::number(kEmbeddedKeyResource), 0, 0, std::move(key)});
    resources.put({ResourceName::number(kRtRcdata), ResourceName::number(kEmbeddedSettingsResource), 0, 0, std::move(settings)});

    if (request.icon) {
        std::string why;
        const std::optional<std::vector<IconImage>> icon = parseIconFile(*request.icon, &why);
        if (!icon) {
            problem = "the icon file is refused: " + why;
            return std::nullopt;
        }
        replaceProgramIcon(resources, *icon);
    }

    VersionInfo version;
    const std::string productVersion = !request.productVersion.empty() ? request.productVersion
                                       : !request.fileVersion.empty()  ? request.fileVersion
                                                                       : "1.0.0.0";
    const std::string fileVersion = request.fileVersion.empty() ? productVersion : request.fileVersion;
    const auto fileNumbers = parseVersionNumbers(fileVersion), productNumbers = parseVersionNumbers(productVersion);
    if (!fileNumbers || !productNumbers) {
        problem = "a version must be up to four numbers of 0 to 65535 separated by dots, such as 1.2.0.15";
        return std::nullopt;
    }
    std::copy(fileNumbers->begin(), fileNumbers->end(), version.fileVersion);
    std::copy(productNumbers->begin(), productNumbers->end(), version.productVersion);
    const std::string original = request.originalFileName;
    std::string productName = request.productName.empty() ? productInformation(ini, L"Product Name") : request.productName;
    if (productName.empty()) productName = baseName(original);
    const std::pair<const char16_t*, std::string> strings[] = {
        {u"CompanyName", request.company},
        {u"FileDescription", request.description.empty() ? productName : request.description},
        {u"FileVersion", fileVersion},
        {u"InternalName", baseName(original)},
        {u"LegalCopyright", request.copyright},
        {u"OriginalFilename", original},
        {u"ProductName", productName},
        {u"ProductVersion", productVersion}};
    for (const auto& [name, value] : strings) {
        if (!value.empty()) version.strings.emplace_back(name, utf16FromAnyUtf8(value));
    }
    const std::uint16_t versionLanguage = resources.ofType(kRtVersion).front()->language;
    for (const Resource* old : resources.ofType(kRtVersion)) resources.remove(kRtVersion, old->name);
    resources.put({ResourceName::number(kRtVersion), ResourceName::number(1), versionLanguage, 0, buildVersionResource(version)});

    const std::string level = request.executionLevel.empty() ? "asInvoker" : request.executionLevel;
    if (std::none_of(std::begin(kExecutionLevels), std::end(kExecutionLevels), [&](const char* l) { return level == l; })) {
        problem = "the execution level must be asInvoker, requireAdministrator or highestAvailable";
        return std::nullopt;
    }
    Resource manifest = *resources.find(kRtManifest, 1);
    const auto span = executionLevelSpan(manifest.data);
    if (!span) {
        problem = "the launcher is refused: its manifest requests no execution level";
        return std::nullopt;
    }
    manifest.data.erase(manifest.data.begin() + span->first, manifest.data.begin() + span->second);
    manifest.data.insert(manifest.data.begin() + span->first, level.begin(), level.end());
    resources.put(std::move(manifest));

    return PackOutcome{rewriteImage(*image, resources), iniText.size()};
}

std::optional<std::string> describeLauncher(ByteView bytes, std::string_view upgradeCode, std::string& problem) {
    const std::optional<PeImage> image = parseKnownLauncher(bytes, "", problem);
    if (!image) return std::nullopt;
    const ResourceTable& resources = image->resources;
    std::string out;
    const Resource* manifest = resources.find(kRtManifest, 1);
    const auto level = executionLevelSpan(manifest->data);
    out += "Execution level: " +
           (level ? std::string(manifest->data.begin() + level->first, manifest->data.begin() + level->second) : "(none)") + "\n";

    // The launcher reads this field of its own image to know whether it is a console program.
    const std::optional<std::uint16_t> subsystem = jl::readPeSubsystem(bytes);
    out += std::string("Subsystem: ") +
           (subsystem == jl::kSubsystemWindowsConsole ? "console"
            : subsystem == jl::kSubsystemWindowsGui  ? "GUI"
                                                      : "other (" + std::to_string(subsystem.value_or(0)) + ")") +
           "\n";

    const std::vector<const Resource*> groups = resources.ofType(kRtGroupIcon);
    out += "Icon:";
    for (const IconImage& icon : iconGroupImages(resources, *groups.front())) {
        out += ' ';
        out += std::to_string(icon.width) + "x" + std::to_string(icon.height);
        out += icon.png ? std::string(" PNG") : std::string(" ").append(std::to_string(icon.bitCount)).append("-bit");
        out += ',';
    }
    if (out.back() == ',') out.pop_back();
    out += "\n";

    if (const auto version = parseVersionResource(resources.ofType(kRtVersion).front()->data)) {
        auto dotted = [](const std::uint16_t (&n)[4]) {
            return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." + std::to_string(n[3]);
        };
        out += "Version information: file " + dotted(version->fileVersion) + ", product " + dotted(version->productVersion) + "\n";
        for (const auto& [name, value] : version->strings) out += "  " + utf8FromUtf16(name) + ": " + utf8FromUtf16(value) + "\n";
    }

    const Resource* key = resources.find(kRtRcdata, kEmbeddedKeyResource);
    const Resource* settings = resources.find(kRtRcdata, kEmbeddedSettingsResource);
    if (!key || !settings) {
        out += "Embedded settings: none\n";
        return out;
    }
    if (upgradeCode.empty()) {
        out += "Embedded settings: " + std::to_string(settings->data.size() / 2) +
               " characters, enciphered (give --upgrade-code, or keep the INI file beside the program, to show them)\n";
        return out;
    }
    Bytes keyText = key->data, text = settings->data;
    jl::applySettingsCipher(upgradeCode, keyText);
    const std::string innerKey = utf8FromUtf16(textOf(keyText));
    if (!isAscii(innerKey)) {
        out += "Embedded settings: " + std::to_string(settings->data.size() / 2) +
               " characters that this upgrade code does not decipher\n";
        return out;
    }
    jl::applySettingsCipher(innerKey, text);
    std::string shown = utf8FromUtf16(textOf(text));
    std::erase(shown, '\r');
    out += "Embedded settings (" + std::to_string(settings->data.size() / 2) + " characters):\n";
    size_t start = 0;
    while (start < shown.size()) {
        const size_t end = std::min(shown.find('\n', start), shown.size());
        out += "  " + shown.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return out;
}

} // namespace jlpack
