#include <gtest/gtest.h>

#include <string>

#include "jvmopts/path_options.h"

namespace jl {
namespace {

TEST(ClassPathEntries, AbsolutePlainEntriesPassAndOthersAreSearched) {
    const struct { const wchar_t* entry; bool searched; const wchar_t *pattern, *prefix; } cases[] = {
        {L"C:\\x\\missing.jar", false, L"C:\\x\\missing.jar", L""},
        {L"\\\\server\\share\\a.jar", false, L"\\\\server\\share\\a.jar", L""},
        {L"C:\\x\\a?.jar", false, L"C:\\x\\a?.jar", L""},
        {L"C:\\x\\*.jar", true, L"C:\\x\\*.jar", L"C:\\x\\"},
        {L"\\lib\\*.jar", true, L"C:\\Apps\\Tool\\lib\\*.jar", L"C:\\Apps\\Tool\\lib\\"},
        {L"\\app.jar", true, L"C:\\Apps\\Tool\\app.jar", L"C:\\Apps\\Tool\\"},
        {L"lib\\a.jar", true, L"C:\\Apps\\Toollib\\a.jar", L"C:\\Apps\\Toollib\\"},
        {L"a", true, L"C:\\Apps\\Toola", L"C:\\Apps\\Tool"},
        {L"C:*.jar", true, L"C:*.jar", L""},
    };
    for (const auto& c : cases) {
        const ClassPathEntry entry = classifyClassPathEntry(c.entry, L"C:\\Apps\\Tool");
        EXPECT_EQ(entry.searched, c.searched) << ::testing::PrintToString(std::wstring(c.entry));
        EXPECT_EQ(entry.pattern, c.pattern);
        EXPECT_EQ(entry.prefix, c.prefix);
    }
}

} // namespace
} // namespace jl
