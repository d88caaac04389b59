// The dialog driver on real dialogs of a helper process (jl_dialog_fixture):
// it proves the tooling that the launcher's dialog tests stand on, at the DPI of
// the rig the program runs on.
#include "rig/dialog_driver.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include "rig/app_folder.h"
#include "rig/launched_process.h"

namespace jltest {
namespace {

LaunchedProcess startFixture(const std::wstring& arguments) {
    return LaunchedProcess::start(builtProgram(L"jl_dialog_fixture.exe"), arguments);
}

HWND waitForMessageBox(const LaunchedProcess& fixture) {
    return waitForWindow(fixture.processId(), L"#32770", L"Fixture");
}

int height(const RECT& rect) { return rect.bottom - rect.top; }
int width(const RECT& rect) { return rect.right - rect.left; }

bool underWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

TEST(DialogDriver, TestProcessSeesTheRigDpi) {
    const int dpi = rigDpi();
    EXPECT_TRUE(dpi == 96 || dpi == 144) << dpi;
    // Under the rig the DPI it was made with must be what programs see; a rig
    // that silently ran at 96 would make its 144 DPI tests prove nothing.
    if (underWine()) {
        EXPECT_EQ(dpi, configuredRigDpi());
    }
}

TEST(DialogDriver, ReadsControlsScalesWithDpiAndTakesScreenshots) {
    const std::wstring text = L"The driver reads this text.";
    LaunchedProcess fixture = startFixture(L"message \"" + text + L"\"");
    HWND box = waitForMessageBox(fixture);
    ASSERT_TRUE(box);

    const std::optional<ControlInfo> message = findControl(box, 0xFFFF);
    const std::optional<ControlInfo> ok = findControl(box, IDOK);
    ASSERT_TRUE(message && ok && findControl(box, IDCANCEL));
    EXPECT_EQ(message->text, text);
    EXPECT_EQ(ok->className, L"Button");
    EXPECT_TRUE(ok->enabled && ok->visible);
    const int dpi = rigDpi();
    EXPECT_GE(height(message->rect), wrappedTextHeight(text, width(message->rect), dpi));
    // Button height against one line of dialog text at the rig's DPI: the same
    // ratio at every DPI when the box is scaled, 1.5 times off when it is not.
    const int lineHeight = wrappedTextHeight(L"Ag", 1000, dpi);
    ASSERT_GT(lineHeight, 0);
    const double ratio = static_cast<double>(height(ok->rect)) / lineHeight;
    EXPECT_GT(ratio, 1.5) << "OK " << height(ok->rect) << " px, line " << lineHeight << " px at " << dpi << " dpi";
    EXPECT_LT(ratio, 2.5) << "OK " << height(ok->rect) << " px, line " << lineHeight << " px at " << dpi << " dpi";

    const std::wstring shot = saveScreenshot(box, L"dialog_driver_message_" + std::to_wstring(dpi));
    ASSERT_FALSE(shot.empty());
    EXPECT_TRUE(fileExists(shot));
    EXPECT_GE(distinctColours(box), 3) << "the screenshot is blank";
    RECT client;
    GetClientRect(box, &client);
    const std::optional<COLORREF> corner = pixelColour(box, {client.right - 2, 2});
    ASSERT_TRUE(corner);
    EXPECT_NE(*corner, RGB(0, 0, 0));

    pressKey(box, VK_ESCAPE);
    EXPECT_EQ(fixture.waitForExit(10000), IDCANCEL);
}

TEST(DialogDriver, EnterReachesTheDefaultButton) {
    LaunchedProcess fixture = startFixture(L"message Enter");
    HWND box = waitForMessageBox(fixture);
    ASSERT_TRUE(box);
    pressKey(box, VK_RETURN);
    EXPECT_EQ(fixture.waitForExit(10000), IDOK);
}

TEST(DialogDriver, SpaceOnTheFocusedButtonPressesIt) {
    LaunchedProcess fixture = startFixture(L"message Space");
    HWND box = waitForMessageBox(fixture);
    ASSERT_TRUE(box);
    HWND cancel = GetDlgItem(box, IDCANCEL);
    ASSERT_TRUE(setFocusTo(cancel));
    EXPECT_EQ(focusedControl(box), cancel);
    pressKey(box, VK_SPACE);
    EXPECT_EQ(fixture.waitForExit(10000), IDCANCEL);
}

TEST(DialogDriver, ClicksButtonsOnlyWhenEnabled) {
    LaunchedProcess fixture = startFixture(L"message Click");
    HWND box = waitForMessageBox(fixture);
    ASSERT_TRUE(box);
    EXPECT_FALSE(clickEnabledButton(box, 4321));
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_TRUE(ok);
    EnableWindow(ok, FALSE);
    EXPECT_FALSE(clickEnabledButton(box, IDOK));
    EnableWindow(ok, TRUE);
    // A mouse click in the middle of Cancel.
    HWND cancel = GetDlgItem(box, IDCANCEL);
    RECT rect;
    GetClientRect(cancel, &rect);
    clickAt(cancel, {rect.right / 2, rect.bottom / 2});
    EXPECT_EQ(fixture.waitForExit(10000), IDCANCEL);
    EXPECT_TRUE(waitForWindowGone(box, 5000));
}

class FolderPicker : public testing::Test {
protected:
    void SetUp() override {
        folder_ = makeTemporaryFolder(L"picker");
        chosen_ = folder_ + L"\\Chosen folder";
        ASSERT_TRUE(CreateDirectoryW(chosen_.c_str(), nullptr));
        resultFile_ = folder_ + L"\\result.txt";
    }
    void TearDown() override { removeFolderTree(folder_); }

    std::wstring folder_, chosen_, resultFile_;
};

TEST_F(FolderPicker, ChoosesAFolderAndResizes) {
    LaunchedProcess fixture = startFixture(L"picker \"" + resultFile_ + L"\"");
    HWND owner = waitForWindow(fixture.processId(), L"Static", L"Fixture owner");
    ASSERT_TRUE(owner);
    HWND picker = waitForFolderPicker(fixture.processId(), owner);
    ASSERT_TRUE(picker);

    RECT before;
    GetWindowRect(picker, &before);
    ASSERT_TRUE(resizeWindowTo(picker, width(before) + 120, height(before) + 80));
    RECT after;
    GetWindowRect(picker, &after);
    EXPECT_EQ(width(after), width(before) + 120);
    EXPECT_EQ(height(after), height(before) + 80);
    ASSERT_TRUE(maximize(picker));
    ASSERT_TRUE(restore(picker));
    EXPECT_FALSE(saveScreenshot(picker, L"dialog_driver_picker_" + std::to_wstring(rigDpi())).empty());

    ASSERT_TRUE(chooseFolderInPicker(picker, chosen_));
    EXPECT_EQ(fixture.waitForExit(10000), 1);
    const std::string result = readBytesFile(resultFile_);
    std::string expected(chosen_.begin(), chosen_.end());  // ASCII path
    EXPECT_EQ(_stricmp(result.c_str(), expected.c_str()), 0) << result;
}

TEST_F(FolderPicker, Cancels) {
    LaunchedProcess fixture = startFixture(L"picker \"" + resultFile_ + L"\"");
    HWND picker = waitForFolderPicker(fixture.processId(), nullptr);
    ASSERT_TRUE(picker);
    ASSERT_TRUE(cancelFolderPicker(picker));
    EXPECT_EQ(fixture.waitForExit(10000), 0);
    EXPECT_FALSE(fileExists(resultFile_));
}

TEST(UrlHandler, ShellExecuteOfAnHttpsUrlReachesTheRecorder) {
    const std::wstring url = L"https://example.com/get-java?from=jlauncher&v=1";
    DWORD previousType = 0;
    wchar_t previous[1024] = {};
    DWORD previousSize = sizeof previous;
    const LSTATUS hadPrevious = RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https\\shell\\open\\command",
                                             nullptr, RRF_RT_REG_SZ, &previousType, previous, &previousSize);
    {
        UrlHandlerOverride handler;
        ASSERT_TRUE(handler.active());
        handler.exportToEnvironment();
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr,
                                                                    SW_SHOWNORMAL));
        EXPECT_GT(result, 32);
        EXPECT_EQ(handler.waitForUrl(10000), url);
        SetEnvironmentVariableW(L"JL_URL_RECORD", nullptr);
    }
    wchar_t restored[1024] = {};
    DWORD restoredSize = sizeof restored;
    const LSTATUS hasRestored = RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https\\shell\\open\\command",
                                             nullptr, RRF_RT_REG_SZ, nullptr, restored, &restoredSize);
    EXPECT_EQ(hasRestored, hadPrevious);
    EXPECT_STREQ(restored, previous);
}

} // namespace
} // namespace jltest
