#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "rig/app_folder.h"
#include "rig/launcher_run.h"
#include "support/trace.h"

namespace jl {
namespace {

// The text of each line after its "[pid +time ms] " stamp.
std::vector<std::string> tracedTexts(const std::wstring& path) {
    std::vector<std::string> texts;
    for (const std::string& line : jltest::fileLines(path)) {
        const size_t stamp = line.find("] ");
        texts.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
    }
    return texts;
}

TEST(Trace, EachLineNamesItsTopicAndFillsItsPieces) {
    const jltest::TemporaryFolder folder;
    const std::wstring path = folder.file(L"trace.log");
    SetEnvironmentVariableW(L"JLAUNCHER_LOG", path.c_str());
    const std::wstring value = L"C:\\Program Files\\Java";
    trace("setting [{}] {} = {}", "Application", Quoted{"Cmd"}, Quoted{value});
    trace<TraceTopic::launch>("{} argument(s)", size_t{3});
    trace<TraceTopic::settings>("no file");
    trace<TraceTopic::embeddedSettings>("{} characters", 12);
    trace<TraceTopic::options>("{} is passed", Quoted{value});
    trace<TraceTopic::runtime>("home {}, server VM {}", value, true);
    trace<TraceTopic::registry>("view {}", 64u);
    trace<TraceTopic::vendor>("none");
    trace<TraceTopic::scan>("none");
    trace<TraceTopic::jvm>("exit code {}", -1);
    trace<TraceTopic::classData>("none");
    trace<TraceTopic::singleInstance>("thread {}", 42ul);
    trace<TraceTopic::service>("state {}", 4u);
    trace<TraceTopic::splash>("window shown");
    trace<TraceTopic::streams>("none");
    trace<TraceTopic::phase>("JNI_CreateJavaVM returned");
    SetEnvironmentVariableW(L"JLAUNCHER_LOG", nullptr);
    trace<TraceTopic::jvm>("not written: the trace is off");

    const std::vector<std::string> expected = {
        "setting [Application] \"Cmd\" = \"C:\\Program Files\\Java\"",
        "launch: 3 argument(s)",
        "settings: no file",
        "embedded settings: 12 characters",
        "options: \"C:\\Program Files\\Java\" is passed",
        "runtime: home C:\\Program Files\\Java, server VM yes",
        "registry: view 64",
        "vendor: none",
        "scan: none",
        "jvm: exit code -1",
        "class data: none",
        "single instance: thread 42",
        "service: state 4",
        "splash: window shown",
        "streams: none",
        "phase: JNI_CreateJavaVM returned",
    };
    EXPECT_EQ(tracedTexts(path), expected);
}

} // namespace
} // namespace jl
