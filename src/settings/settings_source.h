#pragma once
// Where settings are read from and written to: the INI file beside the program
// (read once, answered as the private-profile functions would), an in-memory
// document, or both layered.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"
#include "settings/profile_text.h"
#include "settings/setting_keys.h"

namespace jl {

class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    // What the value becomes for a missing entry is each source's own rule.
    virtual void getString(const std::wstring& section, const std::wstring& key, std::wstring& value) = 0;
};

// The value the source gives for a key, into value as it stands; the key's
// names are widened here, once for every caller.
void readSetting(SettingsSource& source, SettingKey key, std::wstring& value);

// The value the source gives for a key, starting from the empty string.
[[nodiscard]] inline std::wstring readSetting(SettingsSource& source, SettingKey key) {
    std::wstring value;
    readSetting(source, key, value);
    return value;
}

class IniFileSource : public SettingsSource {
public:
    explicit IniFileSource(std::wstring path) : path_(std::move(path)) {}
    // Missing file, section or key: the empty string. Long values are read whole.
    void getString(const std::wstring& section, const std::wstring& key, std::wstring& value) override;
    [[nodiscard]] bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    [[nodiscard]] const std::wstring& path() const { return path_; }

private:
    enum class Reading { notYet, fromMemory, perKey };
    void readFile();

    std::wstring path_;
    Reading reading_ = Reading::notYet;
    ProfileText profile_;
};

class IniDocumentSource : public SettingsSource {
public:
    IniDocumentSource() = default;
    explicit IniDocumentSource(IniDocument document) : document_(std::move(document)) {}
    // A missing section or key leaves the value as it was.
    void getString(const std::wstring& section, const std::wstring& key, std::wstring& value) override;

private:
    IniDocument document_;
};

// Where the last value a layered source gave came from, for the trace.
enum class SettingOrigin {
    none,              // nowhere: the empty string
    embedded,          // the embedded settings alone
    iniFile,           // the INI file, overriding any embedded value
    extendedByPlus,    // the embedded value (possibly empty) extended by the file's "+" section
};
[[nodiscard]] const char* describeOrigin(SettingOrigin origin);

// The embedded settings give defaults; a non-empty value in the INI file replaces
// them; a value in the file's "[section+]" extends them after one space.
class LayeredSettingsSource : public SettingsSource {
public:
    LayeredSettingsSource(std::wstring path, std::wstring_view embeddedText);
    // The embedded settings for a source made before they were known: what
    // deciphers them is read from the file first.
    void addEmbeddedText(std::wstring_view embeddedText);
    void getString(const std::wstring& section, const std::wstring& key, std::wstring& value) override;
    [[nodiscard]] SettingOrigin lastOrigin() const { return lastOrigin_; }
    // The file alone, without the embedded settings.
    [[nodiscard]] IniFileSource& file() { return file_; }

private:
    IniFileSource file_;
    IniDocument document_;
    SettingOrigin lastOrigin_ = SettingOrigin::none;
};

} // namespace jl
