// The runtime's splash library in place of the launcher's window: which calls it
// gets, with what, and when the launcher falls back to its own window.

#include "rig/splash_launch.h"

namespace jltest {
namespace {

TEST_F(SplashLaunch, RuntimeLibraryGetsThePictureInTheAnsiCodePageAndIsClosedOnce) {
    // The picture need not exist: the library is only told its name.
    const std::wstring picture = app_.path(L"caf\x00E9 splash.png");
    const std::string name = ansiPercentEncoded(picture);
    writeIni(L"Splash Screen=" + picture + L"\nPreffer Native Splash Screen=yEs");
    EXPECT_EQ(run(L"wait=1500").exitCode, 0);
    EXPECT_EQ(splashCalls(),
              (std::vector<std::string>{"splash-init", "splash-load-file name=" + name,
                                        "splash-set-file-jar-name file=" + name + " jar=", "destroy", "splash-close"}));
    EXPECT_FALSE(splashSeenDuringMain() || hasSplash(windowsAt("main-end")));
    // A failed start closes it at once; shutdown finds nothing left to close.
    run(L"create=-1");
    EXPECT_EQ(events("splash-close").size(), 1u);
}

TEST_F(SplashLaunch, OwnWindowWhenTheLibraryLacksSplashInitOrIsMissing) {
    writeIni(L"Splash Screen=" + app_.path(L"splash.png") + L"\nPreffer Native Splash Screen=Yes", L"",
             probeRuntimeHome(L"probe-no-splashinit"));
    EXPECT_EQ(run(L"wait=2500").exitCode, 0);
    EXPECT_TRUE(splashSeenDuringMain());
    EXPECT_EQ(splashCalls(), (std::vector<std::string>{"destroy", "splash-close"}));

    // A runtime with no splash library two folders above its jvm.dll.
    const std::wstring home = app_.path(L"jre");
    ASSERT_TRUE(copyProbeRuntime(home));
    writeIni(L"Splash Screen=" + app_.path(L"splash.png") + L"\nPreffer Native Splash Screen=Yes", L"", home);
    EXPECT_EQ(run(L"wait=2500").exitCode, 0);
    EXPECT_TRUE(splashSeenDuringMain());
    EXPECT_TRUE(events("splash-init").empty());
}

} // namespace
} // namespace jltest
