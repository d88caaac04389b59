// The launcher's own splash window, on the screen of the test rig: what it looks
// like, where it is, when it is up and when it goes.

#include <windows.h>

#include "rig/held_thread.h"
#include "rig/splash_launch.h"
#include "rig/test_pictures.h"
#include "splash/splash_window.h"
#include "support/error_message.h"
#include "support/win_text.h"

namespace jltest {
namespace {

bool hasDropShadow(HWND window) { return (GetClassLongPtrW(window, GCL_STYLE) & CS_DROPSHADOW) != 0; }

struct PictureFormat {
    const wchar_t* mimeType;
    const wchar_t* extension;
    int tolerance;  // JPEG is lossy
    bool console = false;  // the console twin shows a configured splash as the GUI program does
    std::string name() const { return jl::toUtf8(extension) + (console ? "Console" : ""); }
    friend void PrintTo(const PictureFormat& format, std::ostream* out) { *out << format.name(); }
};

class SplashPicture : public SplashLaunch, public ::testing::WithParamInterface<PictureFormat> {};

// Every launch also plants a gdiplus.dll beside the program and lets Wine search
// like Windows: the picture still shows, decoded by the system's GDI+.
TEST_P(SplashPicture, ShowsCentredInAPlainToolWindowWithThePicturesPixels) {
    const std::wstring picture = app_.path(std::wstring(L"splash.") + GetParam().extension);
    ASSERT_TRUE(writePicture(picture, GetParam().mimeType));
    ASSERT_TRUE(CopyFileW(builtProgram(L"planted_dbghelp.dll").c_str(), app_.path(L"gdiplus.dll").c_str(), FALSE));
    if (GetParam().console) ASSERT_TRUE(CopyFileW(builtProgram(L"jlauncherc.exe").c_str(), app_.exePath().c_str(), FALSE));
    writeIni(L"Splash Screen=" + picture + L"\nSplash Screen Shadow=yes");
    LaunchedProcess process = start({{L"WINEDLLOVERRIDES", L"gdiplus=n,b"}});
    const HWND splash = waitForWindow(process.processId(), kSplashClass, L"", 20000);
    ASSERT_NE(splash, nullptr);
    const LONG_PTR style = GetWindowLongPtrW(splash, GWL_STYLE), exStyle = GetWindowLongPtrW(splash, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_BORDER), WS_POPUP);
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW);
    EXPECT_FALSE(hasDropShadow(splash));
    EXPECT_EQ(windowRect(splash), centred(kPictureWidth, kPictureHeight));
    const POINT points[] = {{kPictureWidth / 4, kPictureHeight / 4}, {kPictureWidth * 3 / 4, kPictureHeight / 4}, {kPictureWidth / 4, kPictureHeight * 3 / 4},
                            {kPictureWidth * 3 / 4, kPictureHeight * 3 / 4}};
    for (int quarter = 0; quarter < 4; ++quarter) {
        const std::optional<COLORREF> seen = pixelColour(splash, points[quarter]);
        ASSERT_TRUE(seen) << quarter;
        for (const int shift : {0, 8, 16}) {  // red, green, blue
            EXPECT_NEAR((*seen >> shift) & 0xFF, (kQuarters[quarter] >> shift) & 0xFF, GetParam().tolerance) << quarter;
        }
    }
    EXPECT_FALSE(saveScreenshot(splash, L"splash-" + jl::fromUtf8(GetParam().name())).empty());
    release();
    EXPECT_EQ(process.waitForExit(), 0);
    EXPECT_FALSE(fileExists(app_.path(L"gdiplus.dll.loaded"))) << "the planted gdiplus.dll was loaded";
}

INSTANTIATE_TEST_SUITE_P(Formats, SplashPicture,
                         ::testing::Values(PictureFormat{L"image/png", L"png", 0}, PictureFormat{L"image/jpeg", L"jpg", 48},
                                           PictureFormat{L"image/bmp", L"bmp", 0}, PictureFormat{L"image/gif", L"gif", 0},
                                           PictureFormat{L"image/png", L"png", 0, true}),
                         [](const auto& info) { return info.param.name(); });

TEST_F(SplashLaunch, MissingPictureGivesAnEmptyWindowAndOversizedOneStartsOffScreen) {
    const int width = GetSystemMetrics(SM_CXSCREEN) + 321, height = GetSystemMetrics(SM_CYSCREEN) + 123;
    ASSERT_TRUE(writePicture(app_.path(L"large.png"), L"image/png", width, height));
    struct Case { const wchar_t *picture, *shadow; int width, height; };
    for (const Case& c : {Case{L"missing.png", L"True", 0, 0}, Case{L"large.png", L"true", width, height}}) {
        writeIni(std::wstring(L"Splash Screen=") + app_.path(c.picture) + L"\nSplash Screen Shadow=" + c.shadow);
        LaunchedProcess process = start();
        const HWND splash = waitForWindow(process.processId(), kSplashClass, L"", 20000);
        ASSERT_NE(splash, nullptr) << c.picture;
        EXPECT_EQ(windowRect(splash), centred(c.width, c.height)) << c.picture;
        // Only the exact lower-case "true" asks for the shadow.
        EXPECT_EQ(hasDropShadow(splash), std::wstring(c.shadow) == L"true") << c.picture;
        release();
        EXPECT_EQ(process.waitForExit(), 0) << c.picture;
        EXPECT_EQ(events("create-result").size(), 1u) << c.picture;
    }
}

TEST_F(SplashLaunch, UpBeforeTheVmIsCreatedAndGoneWhenAnExceptionEscapesMain) {
    ASSERT_TRUE(writeSplashIni());
    EXPECT_EQ(run(L"createDelay=1500;thread=600").exitCode, 0);
    EXPECT_TRUE(hasSplash(windowsAt("create-return"))) << windowsAt("create-return");
    EXPECT_TRUE(hasSplash(windowsAt("thread-end"))) << windowsAt("thread-end");
    // The VM waits for the program's thread while the exception is handled: the splash has already gone.
    run(L"wait=2000;thread=3000;main=throw");
    EXPECT_TRUE(splashSeenDuringMain());
    EXPECT_FALSE(hasSplash(windowsAt("thread-end"))) << windowsAt("thread-end");
}

TEST_F(SplashLaunch, StartUpMessageIsOwnedByTheSplashAndInFrontOfIt) {
    ASSERT_TRUE(writeSplashIni());
    LaunchedProcess process = LaunchedProcess::start(app_.exePath(), L"", probeEnvironment(app_, L"create=-1"));
    const std::optional<DialogSnapshot> message = process.waitForDialog();
    ASSERT_TRUE(message);
    const HWND splash = waitForWindow(process.processId(), kSplashClass, L"", 5000);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(GetWindow(message->window, GW_OWNER), splash);
    HWND below = message->window;
    while (below && below != splash) below = GetWindow(below, GW_HWNDNEXT);
    EXPECT_EQ(below, splash) << "the message is not in front of the splash";
    EXPECT_TRUE(process.pressButton(message->window, IDOK));
    EXPECT_EQ(process.waitForExit(), -1);
}

// A message that comes after the splash has gone, however it went, still shows.
TEST_F(SplashLaunch, StartUpMessageAfterTheSplashHasGoneStillShows) {
    // Closed from outside by WM_CLOSE, as a task manager's "End task" sends it.
    struct Case { const char* name; const wchar_t* display; bool closedFromOutside; };
    const auto check = [this](const Case& c) {
        ASSERT_TRUE(writeSplashIni(c.display));
        LaunchedProcess process =
            LaunchedProcess::start(app_.exePath(), L"", probeEnvironment(app_, L"createDelay=5000;create=-1"));
        const HWND splash = waitForWindow(process.processId(), kSplashClass, L"", 20000);
        ASSERT_NE(splash, nullptr);
        if (c.closedFromOutside) PostMessageW(splash, WM_CLOSE, 0, 0);
        ASSERT_TRUE(waitForWindowGone(splash, 4000));
        const std::optional<DialogSnapshot> message = process.waitForDialog();
        ASSERT_TRUE(message) << "no message; the launch ended with " << process.waitForExit().value_or(999);
        EXPECT_EQ(message->text, L"JNI exception: failed to create the Java VM\nReason: unknown.\n");
        EXPECT_EQ(GetWindow(message->window, GW_OWNER), nullptr);
        EXPECT_TRUE(process.pressButton(message->window, IDOK));
        EXPECT_EQ(process.waitForExit(), -1);
    };
    for (const Case& c :
         {Case{"closed from outside", L"", true}, Case{"closed by its time-out", L"Splash Timeout=1", false}}) {
        SCOPED_TRACE(c.name);
        check(c);
    }
}

// The launcher's end waits 10 s for the splash thread. One held up longer (here
// by the loader lock, as a thread stuck in the system's DLL loading would be)
// runs on after the launcher's own state has gone: it must read only what it
// owns, and a splash closed meanwhile must not come up late.
TEST(SplashThread, HeldPastTheStopReadsOnlyWhatItOwnsAndNeverComesUp) {
    TemporaryFolder folder;
    jl::SplashSettings settings;
    settings.image = folder.file(L"splash.png");
    settings.timeoutSeconds = 60;
    ASSERT_TRUE(writePicture(settings.image, L"image/png"));
    FaultsOnceFreed<jl::SplashState> splash;
    ASSERT_TRUE(splash.valid());
    jl::UniqueHandle thread;
    {
        LoaderLockHold hold;
        ASSERT_TRUE(hold.held());
        jl::startSplash(*splash, settings, folder.file(L"bin\\server\\jvm.dll"));
        thread = duplicateThreadHandle(splash->thread.get());
        ASSERT_TRUE(thread);
        const ULONGLONG stopStarted = GetTickCount64();
        jl::closeSplashWindow(*splash);
        EXPECT_GE(GetTickCount64() - stopStarted, 9000u) << "the stop did not wait for the held thread";
        splash.free();  // as the launcher's end leaves it
    }
    const std::optional<DWORD> exitCode = threadExitCode(thread.get(), 20000);
    ASSERT_TRUE(exitCode) << "the thread came up late";
    EXPECT_EQ(*exitCode, 0u) << "the splash thread read the launcher's freed state";
    EXPECT_EQ(FindWindowW(kSplashClass, nullptr), nullptr);
    EXPECT_EQ(jl::messageOwner(), nullptr);
}

TEST_F(SplashLaunch, NoSplashSwitchFromTheCommandLineOrCmdShowsNothing) {
    struct Case { const wchar_t *arguments, *cmd; };
    for (const Case& c : {Case{L"-nosplash", L""}, Case{L"a /nosplash", L""}, Case{L"", L"x -nosplash"}}) {
        ASSERT_TRUE(writeSplashIni(L"", std::wstring(L"[Application]\nCmd=") + c.cmd));
        EXPECT_EQ(run(L"wait=1500", c.arguments).exitCode, 0);
        EXPECT_FALSE(splashSeenDuringMain() || hasSplash(windowsAt("main-end"))) << c.arguments << c.cmd;
        EXPECT_EQ(events("create-result").size(), 1u);
    }
}

TEST_F(SplashLaunch, ClosesOnTheProgramsFirstWindowOrAfterItsTimeoutWhenAsked) {
    struct Case { const wchar_t *display, *scenario; bool upAtMainEnd; };
    for (const Case& c : {Case{L"", L"window=600;wait=2500", true},
                          Case{L"Splash Close On Window=yes", L"window=600;wait=2500", false},
                          Case{L"Splash Close On Window=yes", L"wait=2500", true},
                          Case{L"Splash Timeout=1", L"wait=2500", false}}) {
        ASSERT_TRUE(writeSplashIni(c.display));
        EXPECT_EQ(run(c.scenario).exitCode, 0);
        const std::vector<std::string> lists = windowsDuringMain();
        EXPECT_TRUE(std::ranges::any_of(lists, hasSplash)) << c.display << " " << c.scenario;
        EXPECT_EQ(hasSplash(windowsAt("main-end")), c.upAtMainEnd) << c.display << " " << c.scenario;
        // Closed by the program's window: it was already there when the splash went.
        const auto up = std::ranges::find_if(lists, hasSplash);
        const auto gone = std::find_if_not(up, lists.end(), hasSplash);
        if (std::wstring_view(c.display).ends_with(L"yes") && gone != lists.end()) {
            EXPECT_NE(gone->find("ProbeJavaWindow"), std::string::npos) << *gone;
        }
    }
}

} // namespace
} // namespace jltest
