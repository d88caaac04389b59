// The VM option list as the JVM will receive it, assembled from an INI file for a
// program in a test folder.

#include <gtest/gtest.h>

#include <windows.h>

#include "jvmopts/jvm_options.h"
#include "rig/app_folder.h"
#include "settings/settings_source.h"
#include "support/string_text.h"
#include "support/win_text.h"

namespace jltest {
namespace {

class JvmOptions : public ::testing::Test {
protected:
    bool assemble(std::wstring_view ini, const std::wstring& programPath = {}) {
        writeUtf16File(folder_ + L"\\Tool.ini", ini);
        jl::IniFileSource settings(folder_ + L"\\Tool.ini");
        jl::readOutputRedirection(settings, configuration_.output);
        return jl::assembleJvmOptions(settings, programPath.empty() ? folder_ + L"\\Tool.exe" : programPath,
                                      configuration_);
    }
    void touch(const std::wstring& relative) {
        const size_t slash = relative.rfind(L'\\');
        if (slash != std::wstring::npos) CreateDirectoryW((folder_ + L"\\" + relative.substr(0, slash)).c_str(), nullptr);
        writeBytesFile(folder_ + L"\\" + relative, "PK");
    }

    const TemporaryFolder temporary_{L"jlopts"};
    const std::wstring& folder_ = temporary_.path();
    jl::JvmConfiguration configuration_;
};

TEST_F(JvmOptions, ClassPathOfWildcardAndAbsoluteEntriesAfterTheEmbeddedJarOrItAlone) {
    touch(L"lib\\a.jar");
    touch(L"lib\\b.jar");
    ASSERT_TRUE(assemble(L"[Class Path]\nClass Path=\\lib\\*.jar;%SystemDrive%\\ext\\x.jar\n"
                         L"[Application]\nEmbedded Jar=yes\n"));
    ASSERT_EQ(configuration_.vmOptions.size(), 1u);
    EXPECT_EQ(jl::fromAnsiString(configuration_.vmOptions[0]), L"-Djava.class.path=" + folder_ + L"\\Tool.exe;" + folder_ +
                                                              L"\\lib\\a.jar;" + folder_ + L"\\lib\\b.jar;C:\\ext\\x.jar;");
    // Alone, the embedded jar is a class path.
    configuration_ = {};
    ASSERT_TRUE(assemble(L"[Class Path]\nClass Path=\\missing\\*.jar\n[Application]\nEmbedded Jar=YES\n"));
    EXPECT_EQ(jl::fromAnsiString(configuration_.vmOptions.at(0)), L"-Djava.class.path=" + folder_ + L"\\Tool.exe;");
}

TEST_F(JvmOptions, ParametersKeepTheirOrderAndAreExpandedAndLastStackSizeCounts) {
    SetEnvironmentVariableW(L"JL_UNDEFINED", nullptr);
    SetEnvironmentVariableW(L"JL_OPTION_VALUE", L"expanded");
    ASSERT_TRUE(assemble(L"[Class Path]\nClass Path=C:\\app.jar\n[Java Runtime Environment]\n"
                         L"Virtual Machine Parameters=  -Xmx512m \"-Dtitle=A B\" -Da=%JL_OPTION_VALUE% "
                         L"-Db=%JL_UNDEFINED% -Xss1m -Dname=\x4E2D -Xss512k\n"
                         L"[Application]\nOutput File=%JL_OPTION_VALUE%\\out.log\nOutput Append=Yes\n"
                         L"Error File=err.log\nError Append=yes\nCmd=one \"two words\" \"\" %JL_OPTION_VALUE%\n"));
    const std::vector<std::string> expected = {"-Djava.class.path=C:\\app.jar;", "-Xmx512m", "-Dtitle=A B",
                                               "-Da=expanded", "-Db=%JL_UNDEFINED%", "-Xss1m",
                                               "-Dname=?", "-Xss512k"};
    EXPECT_EQ(configuration_.vmOptions, expected);
    EXPECT_EQ(configuration_.javaThreadStackSize, 524288u);
    EXPECT_EQ(configuration_.output.outputFile, L"expanded\\out.log");
    EXPECT_FALSE(configuration_.output.outputAppend);
    EXPECT_EQ(configuration_.output.errorFile, L"err.log");
    EXPECT_TRUE(configuration_.output.errorAppend);
    jl::IniFileSource settings(folder_ + L"\\Tool.ini");
    EXPECT_EQ(jl::cmdArguments(settings), (std::vector<std::wstring>{L"one", L"two words", L"expanded"}));
}

TEST_F(JvmOptions, FolderNamedOutsideTheAnsiCodePageIsPassedByItsShortName) {
    const std::wstring greek = L"\x03A9\x03BC\x03AD\x03B3\x03B1";
    touch(greek + L"\\a.jar");
    touch(greek + L"\\Tool.exe");
    ASSERT_FALSE(jl::fitsAnsiCodePage(greek)) << "this test needs an ANSI code page without Greek";
    // The program itself is the first entry when it carries the jar.
    ASSERT_TRUE(assemble(L"[Class Path]\nClass Path=\\*.jar;" + folder_ + L"\\" + greek + L"\\a.jar\n"
                         L"[Application]\nEmbedded Jar=yes\n",
                         folder_ + L"\\" + greek + L"\\Tool.exe"));
    const std::wstring option = jl::fromAnsiString(configuration_.vmOptions.at(0));
    ASSERT_EQ(option.find(L'?'), std::wstring::npos) << option;
    std::vector<std::wstring> entries;
    jl::splitString(option.substr(option.find(L'=') + 1), L";", entries);
    ASSERT_EQ(entries.size(), 3u) << option;
    EXPECT_TRUE(entries[0].ends_with(L"Tool.exe")) << entries[0];
    for (const std::wstring& entry : entries) EXPECT_TRUE(fileExists(entry)) << entry;
}

TEST_F(JvmOptions, LibraryPathAndPathPutTheConfiguredFoldersAroundTheInheritedPath) {
    const std::wstring inheritedPath = jl::environmentVariable(L"Path");
    SetEnvironmentVariableW(L"Path", L"C:\\windows\\system32;C:\\windows");
    SetEnvironmentVariableW(L"JL_NATIVE_ROOT", L"C:\\ProgramData");
    jl::prepareLibraryPath(L"C:\\Java\\jre\\bin\\server\\jvm.dll", L"%JL_NATIVE_ROOT%\\Tool\\native",
                           L"C:\\Apps\\Tool\\bin;", L"C:\\Apps\\Tool\\", configuration_);
    const std::wstring newPath = jl::environmentVariable(L"Path");
    SetEnvironmentVariableW(L"Path", inheritedPath.c_str());

    ASSERT_EQ(configuration_.vmOptions.size(), 1u);
    EXPECT_EQ(jl::fromAnsiString(configuration_.vmOptions[0]),
              L"-Djava.library.path=C:\\ProgramData\\Tool\\native;C:\\Apps\\Tool\\;.;C:\\windows\\system32;C:\\windows;C:\\Java\\jre\\lib");
    EXPECT_EQ(newPath, L"C:\\Apps\\Tool\\bin;C:\\windows\\system32;C:\\windows;C:\\Java\\jre\\bin");
    EXPECT_EQ(jl::environmentVariable(L"VQ_JVM_HOME"), L"C:\\Java\\jre");
}

} // namespace
} // namespace jltest
