#include "settings/settings_source.h"

#include "support/unique_resource.h"

namespace jl {

DWORD IniFileSource::probe(unsigned char (&buffer)[4]) {
    UniqueFile file = adoptFile(
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return GetLastError();
    return ERROR_SUCCESS;
}

void IniFileSource::getString(const std::wstring& section, const std::wstring& key, std::wstring& value) {
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), path_.c_str());
        // A result of size - 1 means the value may have been cut: ask again with more room.
        if (length + 1 != buffer.size()) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    value = std::move(buffer);
}

void IniFileSource::getSectionNames(std::vector<std::wstring>& names) {
    std::wstring buffer(256, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path_.c_str());
        if (length + 2 != buffer.size()) break;
        buffer.assign(buffer.size() * 2, L'\0');
    }
    names.clear();
    std::wstring name;
    for (DWORD i = 0; i <= length && i < buffer.size(); ++i) {
        if (buffer[i] != L'\0') {
            name += buffer[i];
        } else {
            if (!name.empty()) names.push_back(name);
            name.clear();
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
