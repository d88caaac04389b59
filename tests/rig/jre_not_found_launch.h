#pragma once
// A launch that finds no runtime, held at its JRE Not Found dialog: the dialog's
// controls read back, the folder picker driven, and the link's colour on the screen.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "resources/resource_ids.h"
#include "rig/dialog_driver.h"
#include "rig/launcher_run.h"

namespace jltest {

class JreNotFound : public ::testing::Test {
protected:
    // Starts MyApp.exe without any runtime and waits for the dialog; moreSections
    // follow [Product Information].
    void open(std::wstring_view iniLines, std::map<std::wstring, std::wstring> environment = {},
              std::wstring_view moreSections = {}) {
        app_.writeIni(probeIni(iniLines, L"[Product Information]\nProduct Name=Demo\nProduct Code={DEMO}\n" +
                                             std::wstring(moreSections)));
        environment.merge(probeEnvironment(app_));
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

    // Waits until the link is painted in the colour (a repaint follows a click).
    [[nodiscard]] bool waitForLinkColour(COLORREF colour) const {
        for (int attempt = 0; attempt < 30; ++attempt) {
            if (linkUnderlineColour(dialog_, IDC_JRE_LINK) == colour) return true;
            Sleep(100);
        }
        ADD_FAILURE() << "the link shows " << std::hex
                      << linkUnderlineColour(dialog_, IDC_JRE_LINK).value_or(0xFFFFFFFF) << ", not " << colour;
        return false;
    }

    AppFolder app_;
    std::optional<LaunchedProcess> process_;  // killed by its destructor if a test fails half-way
    HWND dialog_ = nullptr;
};

} // namespace jltest
