#include "settings/settings_source.h"

#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jl {

DWORD IniFileSource::probe(unsigned char (&buffer)[4]) {
    UniqueFile file = UniqueFile(
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return GetLastError();
    return ERROR_SUCCESS;
}

void IniFileSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    value = readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
                const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer,
                                                              static_cast<DWORD>(capacity), path_.c_str());
                // size - 1 means the value may have been cut: ask again with more room.
                if (length + 1 >= capacity) return capacity * 2;
                return length == 0 ? 0 : wcsnlen(buffer, length);
            }).value_or(std::wstring());
}

void IniFileSource::getSectionNames(std::vector<std::wstring>& names) {
    // The names come NUL-separated; a result of size - 2 means the list was cut.
    const std::wstring list = readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
                                  const DWORD length = GetPrivateProfileSectionNamesW(
                                      buffer, static_cast<DWORD>(capacity), path_.c_str());
                                  return length + 2 >= capacity ? capacity * 2 : length;
                              }).value_or(std::wstring());
    names.clear();
    size_t start = 0;
    for (size_t i = 0; i <= list.size(); ++i) {
        if (i == list.size() || list[i] == L'\0') {
            if (i > start) names.push_back(list.substr(start, i - start));
            start = i + 1;
        }
    }
}

bool IniFileSource::writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str()) != FALSE;
}

bool IniFileSource::deleteFile() { return DeleteFileW(path_.c_str()) != FALSE; }

DWORD IniDocumentSource::probe(unsigned char (&buffer)[4]) {
    buffer[0] = buffer[1] = buffer[2] = buffer[3] = 0;
    return 1;
}

void IniDocumentSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    if (const std::wstring* found = document_.findValue(section, key)) value = *found;
}

void IniDocumentSource::getSectionNames(std::vector<std::wstring>& names) {
    names.clear();
    for (const IniSection& section : document_.sections()) names.push_back(section.name);
}

bool IniDocumentSource::writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    document_.appendPair(section, key, value);
    return true;
}

const wchar_t* describeOrigin(SettingOrigin origin) {
    switch (origin) {
        case SettingOrigin::embedded: return L"embedded settings";
        case SettingOrigin::iniFile: return L"INI file";
        case SettingOrigin::extendedByPlus: return L"embedded settings extended by the INI file's \"+\" section";
        case SettingOrigin::none: break;
    }
    return L"not set";
}

LayeredSettingsSource::LayeredSettingsSource(std::wstring path, std::wstring_view embeddedText)
    : file_(std::move(path)) {
    parseIniText(document_, embeddedText);
}

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
