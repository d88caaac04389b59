#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jvmopts/vm_option_files.h"

namespace jl {
namespace {

using Options = std::vector<std::wstring>;

TEST(VmOptionFiles, OneOptionALineWithCommentsBlanksAndTheJavaCommandsTwoWordForms) {
    EXPECT_EQ(vmOptionLines(L"\xFEFF# heap for this user\r\n\r\n  -Xmx2g  \r\n\t-Dapp.title=A B\n#-Dgone=1\n"
                            L"--add-opens java.base/java.lang=ALL-UNNAMED\n-p  C:\\mods\n--add-modules\n-ea"),
              (Options{L"-Xmx2g", L"-Dapp.title=A B", L"--add-opens=java.base/java.lang=ALL-UNNAMED",
                       L"--module-path=C:\\mods", L"--add-modules", L"-ea"}));
    EXPECT_EQ(vmOptionLines(L""), Options{});
    EXPECT_EQ(vmOptionLines(L"   \n# only a comment"), Options{});
}

TEST(VmOptionFiles, ClassPathOptionsAreRecognisedInEveryForm) {
    for (const wchar_t* option : {L"-cp a.jar", L"-classpath a.jar", L"--class-path a.jar", L"--class-path=a.jar",
                                  L"-Djava.class.path=a.jar"}) {
        EXPECT_TRUE(isClassPathOption(option)) << option;
    }
    for (const wchar_t* option : {L"-cpx", L"-Djava.class.pathology=1", L"-Xmx1g", L"--module-path a"}) {
        EXPECT_FALSE(isClassPathOption(option)) << option;
    }
}

// The program's parameters are layer 0, the administrator's file 1, the user's file 2.
TEST(VmOptionFiles, ALaterLayerReplacesTheSameOptionAndALayerKeepsItsOwnRepeats) {
    const Options options{L"-Xmx512m", L"-Xss1m",        L"-Xss2m",        L"-Dname=ini",       L"-XX:+UseG1GC",
                          L"-ea",      L"-Xmx1g",        L"-Dname=admin",  L"-XX:-UseG1GC",     L"-Dother=1",
                          L"-ea",      L"-Xmx2g",        L"-XX:MaxRAM=1g", L"-Dname.more=user"};
    const std::vector<size_t> layers{0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2};
    std::vector<std::wstring> kept;
    for (const size_t index : survivingOptions(options, layers)) kept.push_back(options[index]);
    EXPECT_EQ(kept, (Options{L"-Xss1m", L"-Xss2m", L"-ea", L"-Dname=admin", L"-XX:-UseG1GC", L"-Dother=1", L"-ea",
                             L"-Xmx2g", L"-XX:MaxRAM=1g", L"-Dname.more=user"}));
}

} // namespace
} // namespace jl
