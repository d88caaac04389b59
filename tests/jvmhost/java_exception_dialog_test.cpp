// The Java Exception dialog as a user meets it: real HotSpot on the bridge
// runtime lets an exception escape main, the launcher shows its trace, and the
// user's answer decides how the program ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <regex>

#include "resources/resource_ids.h"
#include "rig/dialog_driver.h"
#include "rig/launcher_run.h"

namespace jltest {
namespace {

class JavaExceptionDialog : public ::testing::Test {
protected:
    // Starts report.ThrowFromMain, whose main throws, on the bridge runtime, with a splash picture.
    LaunchedProcess start(bool failureCheck, const std::wstring& arguments = {}) {
        app_.writeIni(bridgeIni(app_, L"report.ThrowFromMain", L"Failure Check=" + std::wstring(failureCheck ? L"yes" : L"no")) +
                      L"\n[Display]\nSplash Screen=" + buildFolder(L"demo\\splash.png") + L"\n");
        return LaunchedProcess::start(app_.exePath(), arguments, launcherEnvironment(app_));
    }

    AppFolder app_;
};

TEST_F(JavaExceptionDialog, ShowsTheTraceLaidOutForTheDpiAndIgnoreLetsTheProgramEnd) {
    LaunchedProcess process = start(true);
    const HWND dialog = waitForWindow(process.processId(), L"#32770", L"Java Exception");
    ASSERT_TRUE(dialog);
    const int dpi = rigDpi();
    const std::wstring screenshot = L"java-exception-" + std::to_wstring(dpi) + L"dpi";

    const ControlInfo trace = findControl(dialog, IDC_EXCEPTION_TRACE).value_or(ControlInfo{});
    EXPECT_NE(trace.text.find(L"java.lang.IllegalStateException: Gr\u00fc\u00dfe \u2713 "), std::wstring::npos)
        << ::testing::PrintToString(trace.text);
    EXPECT_NE(trace.text.find(L"\r\n\tat report.ThrowFromMain.descend("), std::wstring::npos);
    const auto lineEnds = std::ranges::count(trace.text, L'\n');
    EXPECT_FALSE(std::regex_search(trace.text, std::wregex(L"(^|[^\r])\n"))) << "a line feed without its carriage return";
    EXPECT_TRUE(trace.style & ES_READONLY);
    EXPECT_TRUE(trace.style & WS_VSCROLL);
    EXPECT_FALSE(trace.style & (WS_HSCROLL | ES_AUTOHSCROLL));
    // The long message line wraps into more lines than the text has, and the
    // 60 frames scroll.
    EXPECT_GT(sendTo(trace.window, EM_GETLINECOUNT), lineEnds + 2);
    EXPECT_GT(LOWORD(sendTo(trace.window, EM_SCROLL, SB_PAGEDOWN)), 0);
    EXPECT_GT(sendTo(trace.window, EM_GETFIRSTVISIBLELINE), 0);

    expectControlsFit(dialog, dpi);
    EXPECT_FALSE(saveScreenshot(dialog, screenshot).empty());

    // Dragged larger: each control follows its rule from where it started.
    const SIZE first = windowSize(dialog);
    const std::map<int, RECT> before = controlRects(dialog);
    const int dx = MulDiv(160, dpi, 96), dy = MulDiv(120, dpi, 96);
    ASSERT_TRUE(resizeWindowTo(dialog, first.cx + dx, first.cy + dy));
    ASSERT_EQ(std::pair(windowSize(dialog).cx, windowSize(dialog).cy), std::pair(first.cx + dx, first.cy + dy))
        << "the dialog did not take the size asked for";
    const std::map<int, RECT> after = controlRects(dialog);
    struct Rule { int id, left, right, top, bottom; };  // how many times dx or dy each edge moves
    for (const Rule& rule : {Rule{IDC_EXCEPTION_GROUP, 0, 1, 0, 1}, Rule{IDC_EXCEPTION_INTRO, 0, 1, 0, 0},
                             Rule{IDC_EXCEPTION_INSTRUCTION, 0, 1, 1, 1}, Rule{IDC_EXCEPTION_WARNING, 0, 1, 1, 1},
                             Rule{IDC_EXCEPTION_TRACE, 0, 1, 0, 1}, Rule{IDOK, 1, 1, 1, 1}, Rule{IDCANCEL, 1, 1, 1, 1},
                             Rule{IDC_EXCEPTION_SIZE_GRIP, 1, 1, 1, 1}, Rule{IDC_EXCEPTION_ERROR_ICON, 0, 0, 0, 0}}) {
        SCOPED_TRACE(rule.id);
        ASSERT_TRUE(before.contains(rule.id) && after.contains(rule.id));
        const RECT& was = before.at(rule.id);
        const RECT& is = after.at(rule.id);
        EXPECT_EQ((std::array{is.left, is.right, is.top, is.bottom}),
                  (std::array{was.left + rule.left * dx, was.right + rule.right * dx, was.top + rule.top * dy,
                              was.bottom + rule.bottom * dy}));
    }
    EXPECT_FALSE(saveScreenshot(dialog, screenshot + L"-resized").empty());

    // Never smaller than its first size.
    ASSERT_TRUE(resizeWindowTo(dialog, first.cx - dx, first.cy - dy));
    EXPECT_EQ(std::pair(windowSize(dialog).cx, windowSize(dialog).cy), std::pair(first.cx, first.cy));

    ASSERT_TRUE(maximize(dialog));
    EXPECT_FALSE(findControl(dialog, IDC_EXCEPTION_SIZE_GRIP)->visible);
    ASSERT_TRUE(restore(dialog));
    EXPECT_TRUE(findControl(dialog, IDC_EXCEPTION_SIZE_GRIP)->visible);

    ASSERT_TRUE(clickEnabledButton(dialog, IDOK));
    EXPECT_EQ(process.waitForExit(), 0);
    // Ignored, the exception is still reported as uncaught, as without the dialog.
    EXPECT_NE(readBytesFile(app_.path(L"err.txt")).find("IllegalStateException: Gr\xc3\xbc\xc3\x9f" "e"),
              std::string::npos);
}

struct Answer { const char* name; const wchar_t* arguments; std::function<void(HWND dialog)> give; int exitCode; };

void PrintTo(const Answer& answer, std::ostream* out) { *out << answer.name; }

class JavaExceptionAnswer : public JavaExceptionDialog, public ::testing::WithParamInterface<Answer> {};

TEST_P(JavaExceptionAnswer, DecidesTheExitCode) {
    LaunchedProcess process = start(true, GetParam().arguments);
    const HWND dialog = waitForWindow(process.processId(), L"#32770", L"Java Exception");
    ASSERT_TRUE(dialog);
    GetParam().give(dialog);
    EXPECT_EQ(process.waitForExit(20000), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, JavaExceptionAnswer,
    // Stop ends the program although a non-daemon thread would run for a minute more.
    ::testing::Values(
        Answer{"Stop", L"worker:60000", [](HWND dialog) { EXPECT_TRUE(clickEnabledButton(dialog, IDCANCEL)); }, -1},
        Answer{"Escape", L"", [](HWND dialog) { pressKey(dialog, VK_ESCAPE); }, -1},
        Answer{"CloseBox", L"", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }, -1},
        Answer{"EnterAtOnce", L"", [](HWND dialog) { pressKey(dialog, VK_RETURN); }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(JavaExceptionDialog, TheSplashGoesBeforeTheDialogComes) {
    LaunchedProcess process = start(true, L"pause:3000");
    ASSERT_TRUE(waitForWindow(process.processId(), L"SplashScreenWindow", L"", 20000)) << "the splash never showed\n" << app_.readTrace();
    const HWND dialog = waitForWindow(process.processId(), L"#32770", L"Java Exception");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(waitForWindow(process.processId(), L"SplashScreenWindow", L"", 0), nullptr);
    pressKey(dialog, VK_RETURN);
    EXPECT_EQ(process.waitForExit(20000), 0);
}

TEST_F(JavaExceptionDialog, WithoutFailureCheckNothingIsShown) {
    expectEndedWithoutMessage(start(false).finish());
}

} // namespace
} // namespace jltest
