// The JRE Not Found dialog as a user meets it: a launch that finds no runtime
// says what it needs, offers the download link and lets the user browse for a
// runtime folder; OK launches the chosen runtime and remembers it.

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "rig/jre_not_found_launch.h"

namespace jltest {
namespace {

constexpr wchar_t kServerIni[] = L"JVM Type=server\nMinimum Version=1.8\nMaximum Version=any\n";
constexpr wchar_t kLinkAddress[] = L"https://www.java.com/download/";
constexpr COLORREF kDefaultLink = RGB(0, 0, 255);
constexpr COLORREF kDefaultVisited = RGB(128, 0, 128);

struct RequirementCase {
    const wchar_t *name, *iniLines, *message;
    friend void PrintTo(const RequirementCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.name); }
};

class JreNotFoundMessage : public JreNotFound, public ::testing::WithParamInterface<RequirementCase> {};

TEST_P(JreNotFoundMessage, NamesTheRequirementFitsTheDpiStartsWithOkDisabledAndCancelEndsTheLaunch) {
    ASSERT_NO_FATAL_FAILURE(open(GetParam().iniLines));
    EXPECT_EQ(windowText(control(IDC_JRE_MESSAGE)), GetParam().message);
    EXPECT_EQ(windowText(control(IDC_JRE_LINK)), kLinkAddress);
    EXPECT_TRUE(pathShown().empty());
    EXPECT_FALSE(okEnabled());
    const int dpi = rigDpi();
    EXPECT_EQ(expectControlsFit(dialog_, dpi), 10u);
    EXPECT_FALSE(saveScreenshot(dialog_, L"jre-not-found-" + std::to_wstring(dpi) + L"dpi-" + GetParam().name).empty());
    ASSERT_TRUE(clickEnabledButton(dialog_, IDCANCEL));
    EXPECT_EQ(process_->waitForExit(), -1);
    EXPECT_FALSE(fileExists(perUserIni()));
    EXPECT_TRUE(probe::readRecord(app_.path(L"probe.log")).empty());
}

INSTANTIATE_TEST_SUITE_P(Requirements, JreNotFoundMessage, ::testing::Values(
    RequirementCase{L"ServerFromOnePointEight", kServerIni,
                    L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server "
                    L"JVM (minimum version 1.8) from:"},
    RequirementCase{L"AnyClientVm", L"JVM Type=client\nMinimum Version=any\nMaximum Version=any\n",
                    L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (latest "
                    L"version) from:"}),
    [](const auto& info) { return std::string(info.param.name, info.param.name + wcslen(info.param.name)); });

TEST_F(JreNotFound, EachBrowseDecidesOkAndTheChosenJreFolderLaunchesAndIsRemembered) {
    const std::wstring good = app_.path(L"runtimes\\good"), empty = app_.path(L"runtimes\\empty"),
                       jdk = app_.path(L"runtimes\\jdk");
    ASSERT_TRUE(copyProbeRuntime(good));
    ASSERT_TRUE(copyProbeRuntime(empty, L""));
    ASSERT_TRUE(copyProbeRuntime(jdk + L"\\jre"));
    ASSERT_NO_FATAL_FAILURE(open(kServerIni));

    ASSERT_NO_FATAL_FAILURE(browseTo(good));
    EXPECT_EQ(pathShown(), good);
    EXPECT_TRUE(okEnabled());
    // A cancelled picker changes nothing.
    const HWND picker = openPicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(cancelFolderPicker(picker));
    ASSERT_TRUE(syncWith(dialog_));
    EXPECT_EQ(pathShown(), good);
    EXPECT_TRUE(okEnabled());
    // Neither a home without a VM nor a JDK's top folder will do.
    ASSERT_NO_FATAL_FAILURE(browseTo(empty));
    EXPECT_EQ(pathShown(), empty);
    EXPECT_FALSE(okEnabled());
    ASSERT_NO_FATAL_FAILURE(browseTo(jdk));
    EXPECT_FALSE(okEnabled());

    ASSERT_NO_FATAL_FAILURE(browseTo(jdk + L"\\jre"));
    EXPECT_EQ(pathShown(), jdk + L"\\jre");
    ASSERT_TRUE(clickEnabledButton(dialog_, IDOK));
    EXPECT_EQ(process_->waitForExit(), 0) << app_.readTrace();
    EXPECT_NE(loadedProbeJvm(app_).find("jdk\\jre\\bin\\server\\jvm.dll"), std::string::npos) << loadedProbeJvm(app_);
    EXPECT_EQ(rememberedJrePath(perUserIni()), jdk + L"\\jre\\");
}

// A runtime folder whose jvm.dll this 64-bit program cannot load. A "Pair
// Product" takes a 32-bit one; anything else keeps OK disabled, and a 32-bit one
// is named as the reason.
struct UnloadableCase {
    const wchar_t* name;
    bool thirtyTwoBit, pairProduct;  // not 32-bit: a jvm.dll that is no image at all
    friend void PrintTo(const UnloadableCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.name); }
};

constexpr wchar_t kThirtyTwoBitReason[] = L"This Java runtime is 32-bit; this program needs a 64-bit one.";

class JreNotFoundUnloadable : public JreNotFound, public ::testing::WithParamInterface<UnloadableCase> {};

TEST_P(JreNotFoundUnloadable, IsRefusedWithItsReasonUnlessThePairedProgramTakesIt) {
    const UnloadableCase& c = GetParam();
    const std::wstring chosen = app_.path(L"runtimes\\chosen"), good = app_.path(L"runtimes\\good");
    ASSERT_TRUE(copyProbeRuntime(chosen) && copyProbeRuntime(good));
    const std::wstring jvm = chosen + L"\\bin\\server\\jvm.dll";
    writeBytesFile(jvm, c.thirtyTwoBit ? readBytesFile(builtProgram(L"x86_image.dll")) : std::string("not an image at all"));
    ASSERT_TRUE(CopyFileW(builtProgram(L"jl_pair_recorder.exe").c_str(), app_.path(L"MyApp32.exe").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(open(kServerIni,
                                 {{L"JL_PAIR_RECORD", app_.path(L"pair-record.txt")}, {L"JL_PAIR_EXIT_CODE", L"42"}},
                                 c.pairProduct ? L"[Application]\nPair Return Code=yes\nPair Product=" +
                                                     app_.path(L"MyApp32.exe") + L"\n"
                                               : L""));
    const std::wstring hint = windowText(control(IDC_JRE_BROWSE_HINT));

    ASSERT_NO_FATAL_FAILURE(browseTo(chosen));
    EXPECT_EQ(pathShown(), chosen);
    const bool accepted = c.thirtyTwoBit && c.pairProduct;
    EXPECT_EQ(okEnabled(), accepted);
    EXPECT_EQ(windowText(control(IDC_JRE_BROWSE_HINT)), c.thirtyTwoBit && !accepted ? kThirtyTwoBitReason : hint);
    const int dpi = rigDpi();
    EXPECT_EQ(expectControlsFit(dialog_, dpi), 10u);
    EXPECT_FALSE(saveScreenshot(dialog_, L"jre-not-found-" + std::to_wstring(dpi) + L"dpi-" + c.name).empty());
    if (accepted) {
        ASSERT_TRUE(clickEnabledButton(dialog_, IDOK));
        EXPECT_EQ(process_->waitForExit(), 42) << app_.readTrace();
        EXPECT_TRUE(fileExists(app_.path(L"pair-record.txt")));
        EXPECT_EQ(rememberedJrePath(perUserIni()), chosen + L"\\");
        return;
    }
    // A 64-bit runtime is taken, and the reason goes.
    ASSERT_NO_FATAL_FAILURE(browseTo(good));
    EXPECT_TRUE(okEnabled());
    EXPECT_EQ(windowText(control(IDC_JRE_BROWSE_HINT)), hint);
    ASSERT_NO_FATAL_FAILURE(browseTo(chosen));
    EXPECT_FALSE(okEnabled());
    ASSERT_TRUE(clickEnabledButton(dialog_, IDCANCEL));
    EXPECT_EQ(process_->waitForExit(), -1);
    EXPECT_FALSE(fileExists(perUserIni()));
    EXPECT_TRUE(probe::readRecord(app_.path(L"probe.log")).empty());
    EXPECT_FALSE(fileExists(app_.path(L"pair-record.txt")));
}

INSTANTIATE_TEST_SUITE_P(Runtimes, JreNotFoundUnloadable, ::testing::Values(
    UnloadableCase{L"ThirtyTwoBit", true, false},
    UnloadableCase{L"ThirtyTwoBitWithPairProduct", true, true},
    UnloadableCase{L"NotAnImage", false, false},
    UnloadableCase{L"NotAnImageWithPairProduct", false, true}),
    [](const auto& info) { return std::string(info.param.name, info.param.name + wcslen(info.param.name)); });

enum class Gesture { click, space };
void PrintTo(Gesture gesture, std::ostream* out) { *out << (gesture == Gesture::click ? "click" : "space"); }

class JreNotFoundLink : public JreNotFound, public ::testing::WithParamInterface<Gesture> {};

// The browser settings give the click's launch a link colour, and the other's a
// malformed one that leaves the default.
TEST_P(JreNotFoundLink, TakesTheBrowserColourOpensTheDownloadPageAndTurnsVisited) {
    RegistryTextOverride anchor(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", L"Anchor Color",
                                GetParam() == Gesture::click ? L"0,128,0" : L"0;128;0");
    ASSERT_TRUE(anchor.set());
    UrlHandlerOverride urls;
    ASSERT_TRUE(urls.active());
    ASSERT_NO_FATAL_FAILURE(open(kServerIni, {{L"JL_URL_RECORD", urls.recordFile()}}));
    ASSERT_TRUE(waitForLinkColour(GetParam() == Gesture::click ? RGB(0, 128, 0) : kDefaultLink));
    const HWND link = control(IDC_JRE_LINK);
    if (GetParam() == Gesture::click) {
        clickAt(link, POINT{4, 4});
    } else {
        ASSERT_TRUE(setFocusTo(link));
        pressKey(link, VK_SPACE);
    }
    EXPECT_EQ(urls.waitForUrl().value_or(L"(none)"), kLinkAddress);
    // Away from the link, so its focus rectangle does not cover the underline.
    ASSERT_TRUE(setFocusTo(control(IDC_JRE_BROWSE)));
    EXPECT_TRUE(waitForLinkColour(kDefaultVisited));
    ASSERT_TRUE(clickEnabledButton(dialog_, IDCANCEL));
    EXPECT_EQ(process_->waitForExit(), -1);
}

INSTANTIATE_TEST_SUITE_P(Gestures, JreNotFoundLink, ::testing::Values(Gesture::click, Gesture::space),
                         [](const auto& info) { return info.param == Gesture::click ? "Click" : "Space"; });

} // namespace
} // namespace jltest
