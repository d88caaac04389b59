// The README's table of settings names exactly the keys of the code's own list,
// so neither can change without the other.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/setting_keys.h"

namespace jltest {
namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

using Keys = std::set<std::pair<std::string, std::string>>;

Keys matches(const std::string& text, const std::regex& pattern) {
    Keys keys;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
        keys.emplace((*it)[1], (*it)[2]);
    }
    return keys;
}

TEST(SettingsReference, ReadmeTableNamesEveryKeyTheCodeReads) {
    const std::string code = fileText(JL_SOURCE_DIR "/src/settings/setting_keys.h");
    const std::string readme = fileText(JL_SOURCE_DIR "/README.md");
    const size_t table = readme.find("### Every setting");
    ASSERT_NE(table, std::string::npos);
    const Keys inCode = matches(code, std::regex(R"re(\{"([^"]+)", "([^"]+)"\})re"));
    const Keys inReadme = matches(readme.substr(table), std::regex(R"re(\n\| "([^"]+)" \| "([^"]+)" \|)re"));
    ASSERT_GT(inCode.size(), 30u);
    // The list every launch traces holds each key once.
    Keys everyKey;
    for (const jl::SettingKey& key : jl::keys::kEveryKey) everyKey.emplace(key.section, key.key);
    EXPECT_EQ(everyKey, inCode);
    EXPECT_EQ(std::size(jl::keys::kEveryKey), inCode.size());
    for (const auto& [section, key] : inCode) {
        EXPECT_TRUE(inReadme.count({section, key})) << "README lacks [" << section << "] \"" << key << "\"";
    }
    for (const auto& [section, key] : inReadme) {
        EXPECT_TRUE(inCode.count({section, key})) << "README names [" << section << "] \"" << key << "\", which the code does not read";
    }
}

} // namespace
} // namespace jltest
