#pragma once
// Drives another process's dialogs through user32 the way a user would: finds
// them, reads their controls, clicks, types, resizes, answers the shell folder
// picker and takes screenshots. Every wait has a time-out; nothing here blocks
// on a hung target.

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace jltest {

struct ControlInfo {
    HWND window = nullptr;
    int id = 0;
    std::wstring className;
    std::wstring text;
    RECT rect{};  // in the dialog's client coordinates
    DWORD style = 0, exStyle = 0;
    bool enabled = false, visible = false;
};

// A visible top-level window of the process with that class ("#32770" for
// dialogs) and caption (any caption when empty), polled until the time-out; null then.
HWND waitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption,
                   DWORD timeoutMs = 20000);
// Waits until the window no longer exists (or is hidden); false at the time-out.
bool waitForWindowGone(HWND window, DWORD timeoutMs = 20000);

// Direct children, in z-order.
std::vector<ControlInfo> listControls(HWND dialog);
std::optional<ControlInfo> findControl(HWND dialog, int id);

// False when missing, hidden or disabled (Wine's BM_CLICK presses disabled buttons).
bool clickEnabledButton(HWND dialog, int id);
// Posts WM_KEYDOWN, WM_CHAR (for keys with a character: Enter, Escape, Space,
// Tab, Backspace) and WM_KEYUP to the focused control of target's thread (to
// target when nothing there has the focus), as a user's key press would arrive.
void pressKey(HWND target, UINT virtualKey);
// Cross-process focus (WM_NEXTDLGCTL to the dialog, else AttachThreadInput),
// verified with the focus of the control's thread (GetGUIThreadInfo).
bool setFocusTo(HWND control);
// The control that has the focus in the window's thread; null when none.
HWND focusedControl(HWND anyWindowOfThread);
// Left button down/up at a point of a control (posted, after a mouse move there).
void clickAt(HWND control, POINT clientPoint);

// As a user's drag ends: size set, then waits until the target processed it.
// True when the target answered; the size it took may be clamped by the target.
bool resizeWindowTo(HWND window, int width, int height);
bool maximize(HWND window);
bool restore(HWND window);
// Waits until the window's thread has handled everything sent to it so far.
bool syncWith(HWND window, DWORD timeoutMs = 5000);

// The shell folder picker: a "#32770" window of the process owned by `owner`
// (any owner when null) that holds a tree of folders.
HWND waitForFolderPicker(DWORD processId, HWND owner, DWORD timeoutMs = 20000);
// Selects the folder (BFFM_SETSELECTIONW with the path written into the picker's
// process), checks that the tree shows it selected and OK is enabled, presses OK
// and waits for the picker to close.
bool chooseFolderInPicker(HWND picker, const std::wstring& folder);
// The text of the picker's selected tree item (the folder's display name).
std::wstring folderPickerSelection(HWND picker);
bool cancelFolderPicker(HWND picker);

// The window's pixels as on the screen, saved as PNG in <test program folder>\..\screenshots
// (build/screenshots). Returns the saved path; empty on failure.
std::wstring saveScreenshot(HWND window, const std::wstring& name);
// The colour of one pixel of a window's client area as on the screen.
std::optional<COLORREF> pixelColour(HWND window, POINT clientPoint);
// The colour of a link control's underline: the lowest pixel unlike the background
// in a column through its first letters, which have no descenders.
std::optional<COLORREF> linkUnderlineColour(HWND dialog, int linkId);
// How many distinct colours the window shows on the screen (1 for an all-black
// or all-blank capture); 0 when it cannot be captured.
int distinctColours(HWND window);

// The height a text needs when drawn word-wrapped at a width with the dialog
// font "MS Shell Dlg" 8 pt at the given DPI (what the dialog manager uses).
int wrappedTextHeight(const std::wstring& text, int width, int dpi);
// Checks that each control of the dialog is visible inside its client area and
// that no static text is cut off at the DPI; returns how many controls there are.
size_t expectControlsFit(HWND dialog, int dpi);
// DPI the rig prefix runs at (96 or 144), as this process sees it. Makes the
// process DPI aware first, so that it measures real pixels.
int rigDpi();
// The DPI the rig was created with (JL_RIG_DPI, set by wine-run.sh); 0 when unknown.
int configuredRigDpi();

// Sets one string value in the registry for a test (name null: the key's default
// value) and puts the earlier state back when destroyed: the previous value, or
// no value, and no key the override had to create.
class RegistryTextOverride {
public:
    RegistryTextOverride(HKEY root, std::wstring key, const wchar_t* name, const std::wstring& text);
    ~RegistryTextOverride();
    RegistryTextOverride(const RegistryTextOverride&) = delete;
    RegistryTextOverride& operator=(const RegistryTextOverride&) = delete;
    [[nodiscard]] bool set() const { return set_; }

private:
    HKEY root_;
    std::wstring key_;
    const wchar_t* name_;
    std::wstring createdKey_;  // the outermost key this override created
    std::optional<std::wstring> previous_;
    DWORD previousType_ = REG_SZ;
    bool set_ = false;
};

// SendMessageTimeoutW's answer, 0 when the window does not answer in 5 s.
LRESULT sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
SIZE windowSize(HWND window);
// Each direct child's rectangle in the dialog's client coordinates, by id.
std::map<int, RECT> controlRects(HWND dialog);

// Registers the URL recorder (jl_url_recorder.exe) as the "open" command of the
// http and https protocols and puts the previous registration back when destroyed.
// Wine 8 reads protocol handlers from HKLM\Software\Classes only; Windows gives
// HKCU\Software\Classes precedence: both are set, each restored on its own.
// The recorder appends each command line it gets to the file named by
// JL_URL_RECORD; give programs that environment variable (recordFile()).
class UrlHandlerOverride {
public:
    explicit UrlHandlerOverride(const std::wstring& recorderProgram = {});
    ~UrlHandlerOverride();
    UrlHandlerOverride(const UrlHandlerOverride&) = delete;
    UrlHandlerOverride& operator=(const UrlHandlerOverride&) = delete;

    [[nodiscard]] bool active() const { return active_; }
    // The file the recorder appends to (a new temporary file, removed at the end).
    [[nodiscard]] const std::wstring& recordFile() const { return recordFile_; }
    // Sets JL_URL_RECORD in this process too, so its children inherit it.
    void exportToEnvironment() const;
    // The URLs recorded so far (the recorder's first argument, one per start).
    [[nodiscard]] std::vector<std::wstring> recordedUrls() const;
    // The first recorded URL; empty at the time-out.
    [[nodiscard]] std::optional<std::wstring> waitForUrl(DWORD timeoutMs = 20000) const;

private:
    std::vector<std::unique_ptr<RegistryTextOverride>> commands_;
    std::wstring recordFile_;
    bool active_ = false;
};

} // namespace jltest
