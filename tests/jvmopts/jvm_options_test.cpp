// The VM option list as the JVM will receive it, assembled from an INI file for a
// program in a test folder.

#include <gtest/gtest.h>

#include <windows.h>

#include "jvmopts/jvm_options.h"
#include "rig/app_folder.h"
#include "support/string_text.h"
#include "support/win_text.h"

namespace jltest {
namespace {

class JvmOptions : public ::testing::Test {
protected:
    // Assembles the options of the settings the test has set.
    bool assemble(const std::wstring& programPath = {}) {
        return jl::assembleJvmOptions(settings_, application_,
                                      programPath.empty() ? folder_ + L"\\Tool.exe" : programPath, configuration_);
    }
    void touch(const std::wstring& relative) {
        const size_t slash = relative.rfind(L'\\');
        if (slash != std::wstring::npos) CreateDirectoryW((folder_ + L"\\" + relative.substr(0, slash)).c_str(), nullptr);
        writeBytesFile(folder_ + L"\\" + relative, "PK");
    }

    const TemporaryFolder temporary_{L"jlopts"};
    const std::wstring& folder_ = temporary_.path();
    jl::JvmSettings settings_;
    jl::ApplicationSettings application_;
    jl::JvmConfiguration configuration_;
};

TEST_F(JvmOptions, ParametersKeepTheirOrderAndAreExpandedAndLastStackSizeCounts) {
    SetEnvironmentVariableW(L"JL_UNDEFINED", nullptr);
    SetEnvironmentVariableW(L"JL_OPTION_VALUE", L"expanded");
    settings_.classPath = L"C:\\app.jar";
    settings_.vmParameters = L"  -Xmx512m \"-Dtitle=A B\" -Da=%JL_OPTION_VALUE% -Db=%JL_UNDEFINED% -Xss1m -Dname=\x4E2D -Xss512k";
    settings_.cmd = L"one \"two words\" \"\" %JL_OPTION_VALUE%";
    ASSERT_TRUE(assemble());
    const std::vector<std::string> expected = {"-Djava.class.path=C:\\app.jar;", "-Xmx512m", "-Dtitle=A B",
                                               "-Da=expanded", "-Db=%JL_UNDEFINED%", "-Xss1m",
                                               "-Dname=?", "-Xss512k"};
    EXPECT_EQ(configuration_.vmOptions, expected);
    EXPECT_EQ(configuration_.javaThreadStackSize, 524288u);
    EXPECT_EQ(jl::cmdArguments(settings_), (std::vector<std::wstring>{L"one", L"two words", L"expanded"}));
}

// Options pasted from a java command line keep their meaning; those the VM does
// not take, which settings say instead (the jar, the module, the class path), go.
TEST_F(JvmOptions, TwoWordFormsOfTheJavaCommandBecomeTheVmsOneWordForms) {
    settings_.classPath = L"C:\\app.jar";
    settings_.vmParameters = L"--add-opens java.base/java.lang=ALL-UNNAMED -jar app.jar -p \"C:\\my mods\" -cp x.jar "
                             L"--enable-preview -m app/app.Main --module m/x -classpath y --class-path z -jarx --add-modules";
    ASSERT_TRUE(assemble());
    EXPECT_EQ(configuration_.vmOptions,
              (std::vector<std::string>{"-Djava.class.path=C:\\app.jar;", "--add-opens=java.base/java.lang=ALL-UNNAMED",
                                        "--module-path=C:\\my mods", "--enable-preview", "-jarx", "--add-modules"}));
}

// A jar leads the class path; a module needs none, and its own module path and
// modules come as the VM's one-word options with the main module's property.
// How tools name the program shows in the bridge's launches (sun.java.command).
TEST_F(JvmOptions, JarLeadsTheClassPathAndModuleModeTakesModuleOptionsWithoutClassPath) {
    touch(L"app\\run.jar");
    touch(L"mods\\a.jar");
    application_.mainJar = L"\\app\\run.jar";
    ASSERT_TRUE(jl::locateMainJar(application_.mainJar, folder_ + L"\\Tool.exe", configuration_));
    settings_.classPath = L"C:\\extra.jar";
    ASSERT_TRUE(assemble());
    EXPECT_EQ(jl::fromAnsiString(configuration_.vmOptions.at(0)),
              L"-Djava.class.path=" + folder_ + L"\\app\\run.jar;C:\\extra.jar;");
    // Jar mode without "Class Path" still has its class path, and no message.
    configuration_.vmOptions.clear();
    settings_.classPath.clear();
    ASSERT_TRUE(assemble());
    EXPECT_EQ(jl::fromAnsiString(configuration_.vmOptions.at(0)), L"-Djava.class.path=" + folder_ + L"\\app\\run.jar;");

    configuration_ = {};
    application_ = {};
    application_.mainModule = L"shapes.app/shapes.app.Main";
    settings_.modulePath = L"\\mods\\*.jar;%SystemDrive%\\more";
    settings_.addModules = L"shapes.extra,java.sql";
    ASSERT_TRUE(assemble());
    EXPECT_EQ(configuration_.vmOptions,
              (std::vector<std::string>{"--module-path=" + jl::toAnsiString(folder_) + "\\mods\\a.jar;C:\\more",
                                        "--add-modules=shapes.extra,java.sql", "-Djdk.module.main=shapes.app"}));
}

TEST_F(JvmOptions, FolderNamedOutsideTheAnsiCodePageIsPassedByItsShortName) {
    const std::wstring greek = L"\x03A9\x03BC\x03AD\x03B3\x03B1";
    touch(greek + L"\\a.jar");
    touch(greek + L"\\Tool.exe");
    ASSERT_FALSE(jl::fitsAnsiCodePage(greek)) << "this test needs an ANSI code page without Greek";
    // The program itself is the first entry when it carries the jar.
    settings_.classPath = L"\\*.jar;" + folder_ + L"\\" + greek + L"\\a.jar";
    settings_.embeddedJar = true;
    ASSERT_TRUE(assemble(folder_ + L"\\" + greek + L"\\Tool.exe"));
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
    jl::JvmSettings settings;
    settings.libraryPath = L"%JL_NATIVE_ROOT%\\Tool\\native";
    settings.systemPath = L"C:\\Apps\\Tool\\bin;";
    jl::prepareLibraryPath(L"C:\\Java\\jre\\bin\\server\\jvm.dll", settings, L"C:\\Apps\\Tool\\", configuration_);
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
