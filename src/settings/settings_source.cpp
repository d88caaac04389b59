#include "settings/settings_source.h"

#include "support/string_text.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

namespace {

enum class FileText { decoded, absent, unusual };

// The file's text as the profile functions decode it: UTF-16 after its byte
// order mark, anything else in the ANSI code page. Files in other forms, and
// files that cannot be read for another reason than their absence, are left to
// the functions themselves.
FileText readProfileFile(const std::wstring& path, std::wstring& text) {
    const std::optional<std::string> read = readFileBytes(path);
    if (!read) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileText::absent : FileText::unusual;
    }
    const std::string& bytes = *read;
    const auto startsWith = [&](std::string_view mark) { return std::string_view(bytes).substr(0, mark.size()) == mark; };
    if (startsWith("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) return FileText::unusual;
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return FileText::decoded;
    }
    if (startsWith("\xEF\xBB\xBF") || startsWith("\xFE\xFF")) return FileText::unusual;
    if (bytes.empty()) return FileText::decoded;
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return FileText::unusual;
    text.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return FileText::decoded;
}

} // namespace

void readSetting(SettingsSource& source, SettingKey key, std::wstring& value) {
    source.getString(widenAscii(key.section), widenAscii(key.key), value);
}

void IniFileSource::readFile() {
    std::wstring text;
    const FileText result = readProfileFile(path_, text);
    reading_ = result == FileText::unusual ? Reading::perKey : Reading::fromMemory;
    profile_ = ProfileText::parse(text);
}

void IniFileSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    if (reading_ == Reading::notYet) readFile();
    if (reading_ == Reading::fromMemory) {
        value = profile_.value(section, key).value_or(std::wstring());
        return;
    }
    value = readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
                const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                                                              static_cast<DWORD>(capacity), path_.c_str());
                // size - 1 means the value may have been cut: ask again with more room.
                if (length + 1 >= capacity) return capacity * 2;
                return length == 0 ? 0 : filledLength(buffer, length);
            }).value_or(std::wstring());
}

bool IniFileSource::writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    reading_ = Reading::notYet;  // the next read sees the file as written
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

void IniDocumentSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    if (const std::wstring* found = document_.findValue(section, key)) value = *found;
}

const char* describeOrigin(SettingOrigin origin) {
    switch (origin) {
        case SettingOrigin::embedded: return "embedded settings";
        case SettingOrigin::iniFile: return "INI file";
        case SettingOrigin::extendedByPlus: return "embedded settings extended by the INI file's \"+\" section";
        case SettingOrigin::none: break;
    }
    return "not set";
}

LayeredSettingsSource::LayeredSettingsSource(std::wstring path, std::wstring_view embeddedText)
    : file_(std::move(path)) {
    addEmbeddedText(embeddedText);
}

void LayeredSettingsSource::addEmbeddedText(std::wstring_view embeddedText) { parseIniText(document_, embeddedText); }

void LayeredSettingsSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    std::wstring result;
    lastOrigin_ = SettingOrigin::none;
    if (const std::wstring* embedded = document_.findValue(section, key)) {
        result = *embedded;
        lastOrigin_ = SettingOrigin::embedded;
    }
    std::wstring fromFile;
    file_.getString(section, key, fromFile);
    if (!fromFile.empty()) {
        value = std::move(fromFile);
        lastOrigin_ = SettingOrigin::iniFile;
        return;
    }
    std::wstring extension;
    file_.getString(section + L"+", key, extension);
    if (!extension.empty()) {
        if (extension.front() != L' ') result += L' ';
        result += extension;
        lastOrigin_ = SettingOrigin::extendedByPlus;
    }
    value = std::move(result);
}

} // namespace jl
