// The JRE Not Found dialog as a user meets it: a launch that finds no runtime
// says what it needs, offers the download link and lets the user browse for a
// runtime folder; OK launches the chosen runtime and remembers it.

#include <gtest/gtest.h>

#include <shlobj.h>

#include "resources/resource_ids.h"
#include "rig/dialog_driver.h"
#include "rig/launcher_run.h"
#include "runtimes/probe/probe_record.h"
#include "support/unique_resource.h"

namespace jltest {
namespace {

constexpr wchar_t kServerIni[] = L"JVM Type=server\nMinimum Version=1.8\nMaximum Version=any\n";
constexpr wchar_t kLinkAddress[] = L"https://www.java.com/download/";
constexpr COLORREF kDefaultLink = RGB(0, 0, 255);
constexpr COLORREF kDefaultVisited = RGB(128, 0, 128);

std::wstring builtProbeFile(const wchar_t* relative) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW((testProgramFolder() + L"\\..\\runtimes\\probe\\" + relative).c_str(), MAX_PATH, full, nullptr);
    return full;
}

// A copy of the probe runtime whose VM lies in <home>\<vmFolder>\jvm.dll; no VM
// at all when vmFolder is empty.
void placeRuntime(const std::wstring& home, const std::wstring& vmFolder) {
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, (home + L"\\bin").c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(CopyFileW(builtProbeFile(L"bin\\java.dll").c_str(), (home + L"\\bin\\java.dll").c_str(), FALSE));
    if (vmFolder.empty()) return;
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, (home + L"\\" + vmFolder).c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(CopyFileW(builtProbeFile(L"bin\\server\\jvm.dll").c_str(), (home + L"\\" + vmFolder + L"\\jvm.dll").c_str(),
                          FALSE));
}

// Sets a value under HKCU for the test and puts the earlier state back after it.
class UserRegistryValue {
public:
    UserRegistryValue(const wchar_t* keyPath, const wchar_t* name, const std::wstring& value) : name_(name) {
        RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key_.put(), nullptr);
        DWORD size = sizeof previous_;
        hadPrevious_ = RegQueryValueExW(key_.get(), name, nullptr, &previousType_, previous_, &size) == ERROR_SUCCESS;
        previousSize_ = size;
        set_ = RegSetValueExW(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~UserRegistryValue() {
        if (hadPrevious_) {
            RegSetValueExW(key_.get(), name_, 0, previousType_, previous_, previousSize_);
        } else {
            RegDeleteValueW(key_.get(), name_);
        }
    }
    [[nodiscard]] bool set() const { return set_; }

private:
    jl::UniqueKey key_;
    const wchar_t* name_;
    BYTE previous_[512] = {};
    DWORD previousType_ = 0, previousSize_ = 0;
    bool hadPrevious_ = false, set_ = false;
};

class JreNotFound : public ::testing::Test {
protected:
    // Starts MyApp.exe without any runtime and waits for the dialog.
    void open(std::wstring_view iniLines, std::map<std::wstring, std::wstring> environment = {}) {
        app_.writeIni(L"[Product Information]\nProduct Name=Demo\nProduct Code={DEMO}\n"
                      L"[Java Runtime Environment]\nMain Class=app.Main\n" + std::wstring(iniLines) +
                      L"[Class Path]\nClass Path=C:\\app.jar\n");
        environment.merge(launcherEnvironment(app_));
        environment[L"JL_PROBE_RECORD"] = app_.path(L"probe.log");
        process_.emplace(LaunchedProcess::start(app_.exePath(), L"", environment));
        dialog_ = waitForWindow(process_->processId(), L"#32770", L"JRE Not Found");
        ASSERT_NE(dialog_, nullptr) << "no JRE Not Found dialog appeared\n" << app_.readTrace();
    }

    [[nodiscard]] HWND control(int id) const {
        const std::optional<ControlInfo> info = findControl(dialog_, id);
        return info ? info->window : nullptr;
    }
    [[nodiscard]] std::wstring pathShown() const { return windowText(control(IDC_JRE_PATH_EDIT)); }
    [[nodiscard]] bool okEnabled() const { return IsWindowEnabled(control(IDOK)) != FALSE; }

    HWND openPicker() {
        if (!clickEnabledButton(dialog_, IDC_JRE_BROWSE)) return nullptr;
        return waitForFolderPicker(process_->processId(), dialog_);
    }
    void browseTo(const std::wstring& folder) {
        const HWND picker = openPicker();
        ASSERT_NE(picker, nullptr) << "no folder picker appeared";
        ASSERT_TRUE(chooseFolderInPicker(picker, folder)) << ::testing::PrintToString(folder);
        ASSERT_TRUE(syncWith(dialog_));
    }

    [[nodiscard]] std::wstring perUserIni() const { return app_.appDataFolder() + L"\\Demo\\{DEMO}\\MyApp.ini"; }

    // The colour of the link's underline: the lowest pixel unlike the background
    // in a column through its first letters, which have no descenders.
    [[nodiscard]] std::optional<COLORREF> underlineColour() const {
        const std::optional<ControlInfo> link = findControl(dialog_, IDC_JRE_LINK);
        if (!link) return std::nullopt;
        const std::optional<COLORREF> background = pixelColour(dialog_, {link->rect.right - 1, link->rect.bottom - 1});
        const LONG x = link->rect.left + (link->rect.right - link->rect.left) / 20;
        for (LONG y = link->rect.bottom - 1; y >= link->rect.top; --y) {
            const std::optional<COLORREF> colour = pixelColour(dialog_, {x, y});
            if (colour && colour != background) return colour;
        }
        return std::nullopt;
    }
    // Waits until the link is painted in the colour (a repaint follows a click).
    [[nodiscard]] bool waitForLinkColour(COLORREF colour) const {
        for (int attempt = 0; attempt < 30; ++attempt) {
            if (underlineColour() == colour) return true;
            Sleep(100);
        }
        ADD_FAILURE() << "the link shows " << std::hex << underlineColour().value_or(0xFFFFFFFF) << ", not " << colour;
        return false;
    }

    AppFolder app_;
    std::optional<LaunchedProcess> process_;  // killed by its destructor if a test fails half-way
    HWND dialog_ = nullptr;
};

struct RequirementCase {
    const wchar_t* name;
    const wchar_t* iniLines;
    const wchar_t* message;
    friend void PrintTo(const RequirementCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.name); }
};

class JreNotFoundMessage : public JreNotFound, public ::testing::WithParamInterface<RequirementCase> {};

TEST_P(JreNotFoundMessage, NamesTheRequirementStartsWithOkDisabledAndCancelEndsTheLaunch) {
    ASSERT_NO_FATAL_FAILURE(open(GetParam().iniLines));
    EXPECT_EQ(windowText(control(IDC_JRE_MESSAGE)), GetParam().message);
    EXPECT_EQ(windowText(control(IDC_JRE_LINK)), kLinkAddress);
    EXPECT_TRUE(pathShown().empty());
    EXPECT_FALSE(okEnabled());
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

TEST_F(JreNotFound, EachBrowseDecidesOkAndACancelledPickerChangesNothing) {
    const std::wstring good = app_.path(L"runtimes\\good"), empty = app_.path(L"runtimes\\empty");
    ASSERT_NO_FATAL_FAILURE(placeRuntime(good, L"bin\\server"));
    ASSERT_NO_FATAL_FAILURE(placeRuntime(empty, L""));
    ASSERT_NO_FATAL_FAILURE(open(kServerIni));

    ASSERT_NO_FATAL_FAILURE(browseTo(good));
    EXPECT_EQ(pathShown(), good);
    EXPECT_TRUE(okEnabled());

    const HWND picker = openPicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_TRUE(cancelFolderPicker(picker));
    ASSERT_TRUE(syncWith(dialog_));
    EXPECT_EQ(pathShown(), good);
    EXPECT_TRUE(okEnabled());

    ASSERT_NO_FATAL_FAILURE(browseTo(empty));
    EXPECT_EQ(pathShown(), empty);
    EXPECT_FALSE(okEnabled());
    ASSERT_TRUE(clickEnabledButton(dialog_, IDCANCEL));
    EXPECT_EQ(process_->waitForExit(), -1);
}

TEST_F(JreNotFound, JdkTopFolderIsRefusedItsJreFolderLaunchesAndIsRemembered) {
    const std::wstring jdk = app_.path(L"runtimes\\jdk");
    ASSERT_NO_FATAL_FAILURE(placeRuntime(jdk + L"\\jre", L"bin\\server"));
    ASSERT_NO_FATAL_FAILURE(open(kServerIni));

    ASSERT_NO_FATAL_FAILURE(browseTo(jdk));
    EXPECT_FALSE(okEnabled());
    ASSERT_NO_FATAL_FAILURE(browseTo(jdk + L"\\jre"));
    EXPECT_EQ(pathShown(), jdk + L"\\jre");
    ASSERT_TRUE(clickEnabledButton(dialog_, IDOK));
    EXPECT_EQ(process_->waitForExit(), 0) << app_.readTrace();

    bool loaded = false;
    for (const std::string& line : probe::readRecord(app_.path(L"probe.log"))) {
        const std::optional<std::string> path = probe::fieldOf(line, "path");
        if (probe::eventOf(line) == "load" && path && probe::percentDecoded(*path).find("jdk\\jre\\bin\\server\\jvm.dll") != std::string::npos) {
            loaded = true;
        }
    }
    EXPECT_TRUE(loaded) << "the chosen VM was not loaded";
    wchar_t remembered[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"", remembered, MAX_PATH, perUserIni().c_str());
    EXPECT_EQ(std::wstring(remembered), jdk + L"\\jre\\");
}

struct ColourCase {
    const wchar_t* name;
    const wchar_t* setting;
    COLORREF expected;
    friend void PrintTo(const ColourCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.setting); }
};

class JreNotFoundLinkColour : public JreNotFound, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(JreNotFoundLinkColour, FollowsTheBrowserSettingWhenItReads) {
    const UserRegistryValue anchor(L"Software\\Microsoft\\Internet Explorer\\Settings", L"Anchor Color",
                                   GetParam().setting);
    ASSERT_TRUE(anchor.set());
    ASSERT_NO_FATAL_FAILURE(open(kServerIni));
    EXPECT_TRUE(waitForLinkColour(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Settings, JreNotFoundLinkColour, ::testing::Values(
    ColourCase{L"Green", L"0,128,0", RGB(0, 128, 0)},
    ColourCase{L"Malformed", L"0;128;0", kDefaultLink}),
    [](const auto& info) { return std::string(info.param.name, info.param.name + wcslen(info.param.name)); });

enum class Gesture { click, space };
void PrintTo(Gesture gesture, std::ostream* out) { *out << (gesture == Gesture::click ? "click" : "space"); }

class JreNotFoundLink : public JreNotFound, public ::testing::WithParamInterface<Gesture> {};

TEST_P(JreNotFoundLink, OpensTheDownloadPageAndTurnsVisited) {
    UrlHandlerOverride urls;
    ASSERT_TRUE(urls.active());
    ASSERT_NO_FATAL_FAILURE(open(kServerIni, {{L"JL_URL_RECORD", urls.recordFile()}}));
    ASSERT_TRUE(waitForLinkColour(kDefaultLink));
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

TEST_F(JreNotFound, EveryControlLiesInsideAndNoTextIsCutOff) {
    ASSERT_NO_FATAL_FAILURE(open(kServerIni));
    const int dpi = rigDpi();
    EXPECT_FALSE(saveScreenshot(dialog_, L"jre-not-found-" + std::to_wstring(dpi) + L"dpi").empty());
    RECT client{};
    ASSERT_TRUE(GetClientRect(dialog_, &client));
    const std::vector<ControlInfo> controls = listControls(dialog_);
    EXPECT_EQ(controls.size(), 10u);
    for (const ControlInfo& info : controls) {
        const std::string label = ::testing::PrintToString(info.text) + " (id " + std::to_string(info.id) + ")";
        EXPECT_TRUE(info.visible) << label;
        EXPECT_GE(info.rect.left, client.left) << label;
        EXPECT_GE(info.rect.top, client.top) << label;
        EXPECT_LE(info.rect.right, client.right) << label;
        EXPECT_LE(info.rect.bottom, client.bottom) << label;
        const DWORD kind = info.style & SS_TYPEMASK;
        if (_wcsicmp(info.className.c_str(), L"Static") == 0 && kind != SS_ICON && !info.text.empty()) {
            EXPECT_LE(wrappedTextHeight(info.text, info.rect.right - info.rect.left, dpi),
                      info.rect.bottom - info.rect.top)
                << label << " is cut off at " << dpi << " DPI";
        }
    }
    ASSERT_TRUE(clickEnabledButton(dialog_, IDCANCEL));
    EXPECT_EQ(process_->waitForExit(), -1);
}

} // namespace
} // namespace jltest
