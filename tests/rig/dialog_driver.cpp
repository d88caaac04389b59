#include "rig/dialog_driver.h"

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <set>

#include "rig/app_folder.h"
#include "rig/launched_process.h"
#include "support/unique_resource.h"
#include "support/win_text.h"

namespace jltest {

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;

std::wstring classNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

bool isWindowShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

struct TopLevelSearch {
    DWORD processId;
    const std::wstring* className;
    const std::wstring* caption;
    HWND owner;  // only windows owned by it, when set
    bool needTree;
    HWND found;
};

HWND folderTreeOf(HWND picker) {
    HWND found = nullptr;
    EnumChildWindows(
        picker,
        [](HWND child, LPARAM parameter) -> BOOL {
            if (classNameOf(child) == WC_TREEVIEWW) {
                *reinterpret_cast<HWND*>(parameter) = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK matchTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TopLevelSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (classNameOf(window) != *search->className) return TRUE;
    if (!search->caption->empty() && windowText(window) != *search->caption) return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    if (search->needTree && !folderTreeOf(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND pollTopLevel(TopLevelSearch search, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        search.found = nullptr;
        EnumWindows(matchTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) return search.found;
        Sleep(kPollMs);
    }
}

// Memory in another process, for messages whose pointers user32 does not marshal.
class RemoteMemory {
public:
    RemoteMemory(HWND window, size_t size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                       PROCESS_QUERY_INFORMATION,
                                   FALSE, processId));
        if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    [[nodiscard]] bool valid() const { return address_ != nullptr; }
    [[nodiscard]] char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(size_t offset, const void* data, size_t size) const {
        SIZE_T done = 0;
        return offset + size <= size_ && WriteProcessMemory(process_.get(), at(offset), data, size, &done) && done == size;
    }
    bool read(size_t offset, void* data, size_t size) const {
        SIZE_T done = 0;
        return offset + size <= size_ && ReadProcessMemory(process_.get(), at(offset), data, size, &done) && done == size;
    }

private:
    jl::UniqueHandle process_;
    void* address_ = nullptr;
    size_t size_;
};

std::wstring lastPathPart(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The PNG encoder's class id (fixed by GDI+).
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    [[nodiscard]] bool ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

// The window's rectangle copied from the screen. Wine draws into a window surface
// and flushes it to the X server a little later: the copy is repeated until two
// in a row match.
struct ScreenCapture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // top-down, 0x00RRGGBB
};

std::optional<ScreenCapture> captureOnce(const RECT& rect) {
    ScreenCapture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0) return std::nullopt;
    HDC screen = GetDC(nullptr);
    if (!screen) return std::nullopt;
    jl::ScopeExit releaseScreen([&] { ReleaseDC(nullptr, screen); });
    HDC memory = CreateCompatibleDC(screen);
    jl::ScopeExit deleteMemory([&] { DeleteDC(memory); });
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return std::nullopt;
    jl::ScopeExit deleteBitmap([&] { DeleteObject(bitmap); });
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const BOOL copied = BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    SelectObject(memory, previous);
    if (!copied) return std::nullopt;
    const DWORD* first = static_cast<const DWORD*>(bits);
    capture.pixels.assign(first, first + static_cast<size_t>(capture.width) * capture.height);
    for (DWORD& pixel : capture.pixels) pixel &= 0x00FFFFFF;
    return capture;
}

std::optional<ScreenCapture> captureSettled(HWND window) {
    if (!isWindowShown(window)) return std::nullopt;
    // The capture reads the screen: other tests' windows must not cover this one
    // while it is read.
    const bool wasTopmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!wasTopmost) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    jl::ScopeExit restoreZOrder([&] {
        if (!wasTopmost) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
    });
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    syncWith(window);
    std::optional<ScreenCapture> last;
    for (int attempt = 0; attempt < 20; ++attempt) {
        Sleep(attempt == 0 ? 50 : 75);
        RECT rect;
        if (!GetWindowRect(window, &rect)) return std::nullopt;
        std::optional<ScreenCapture> next = captureOnce(rect);
        if (!next) return std::nullopt;
        if (last && last->width == next->width && last->height == next->height && last->pixels == next->pixels) {
            return next;
        }
        last = std::move(next);
    }
    return last;
}

std::wstring screenshotFolder() {
    const std::wstring relative = testProgramFolder() + L"\\..\\screenshots";
    wchar_t full[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(relative.c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring folder = length && length < MAX_PATH * 2 ? std::wstring(full, length) : relative;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool savePng(const ScreenCapture& capture, const std::wstring& path) {
    GdiplusSession gdiplus;
    if (!gdiplus.ok()) return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    // The capture's rows stay alive for the bitmap's whole life.
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(
            capture.width, capture.height, capture.width * 4, PixelFormat32bppRGB,
            reinterpret_cast<BYTE*>(const_cast<DWORD*>(capture.pixels.data())), &bitmap) != Gdiplus::Ok) {
        return false;
    }
    const bool saved =
        Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return saved;
}

LPARAM keyData(UINT virtualKey, bool up) {
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    LPARAM data = 1 | (static_cast<LPARAM>(scanCode & 0xFF) << 16);
    if (up) data |= (1u << 30) | (1u << 31);
    return data;
}

std::optional<wchar_t> keyCharacter(UINT virtualKey) {
    switch (virtualKey) {
    case VK_RETURN: return L'\r';
    case VK_ESCAPE: return L'\x1B';
    case VK_SPACE: return L' ';
    case VK_TAB: return L'\t';
    case VK_BACK: return L'\b';
    default: return std::nullopt;
    }
}

} // namespace

HWND waitForWindow(DWORD processId, const std::wstring& className, const std::wstring& caption, DWORD timeoutMs) {
    return pollTopLevel({processId, &className, &caption, nullptr, false, nullptr}, timeoutMs);
}

bool waitForWindowGone(HWND window, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (isWindowShown(window)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
    return true;
}

bool syncWith(HWND window, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &ignored) != 0;
}

std::vector<ControlInfo> listControls(HWND dialog) {
    std::vector<ControlInfo> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlInfo info;
        info.window = child;
        info.id = GetDlgCtrlID(child);
        info.className = classNameOf(child);
        info.text = windowText(child);
        GetWindowRect(child, &info.rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&info.rect), 2);
        info.style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        info.exStyle = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE));
        info.enabled = IsWindowEnabled(child) != FALSE;
        info.visible = IsWindowVisible(child) != FALSE;
        controls.push_back(std::move(info));
    }
    return controls;
}

std::optional<ControlInfo> findControl(HWND dialog, int id) {
    for (ControlInfo& control : listControls(dialog)) {
        if (control.id == id) return std::move(control);
    }
    return std::nullopt;
}

bool clickEnabledButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    // Wine presses a disabled button too; Windows would not, so neither may a test.
    if (!button || !IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
    const LONG_PTR kind = GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
    const bool toggles = kind == BS_AUTOCHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_AUTO3STATE;
    // A check box must change its own state, which only the button does; a push
    // button's click is the notification its dialog gets.
    if (toggles) return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != FALSE;
}

HWND focusedControl(HWND anyWindowOfThread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(anyWindowOfThread, nullptr);
    if (!thread || !GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndFocus;
}

void pressKey(HWND target, UINT virtualKey) {
    HWND focus = focusedControl(target);
    HWND receiver = focus ? focus : target;
    PostMessageW(receiver, WM_KEYDOWN, virtualKey, keyData(virtualKey, false));
    if (std::optional<wchar_t> character = keyCharacter(virtualKey)) {
        PostMessageW(receiver, WM_CHAR, *character, keyData(virtualKey, false));
    }
    PostMessageW(receiver, WM_KEYUP, virtualKey, keyData(virtualKey, true));
    syncWith(receiver);
}

bool setFocusTo(HWND control) {
    if (!IsWindow(control)) return false;
    HWND root = GetAncestor(control, GA_ROOT);
    if (root && root != control && classNameOf(root) == L"#32770") {
        // The dialog manager moves the focus itself, default button included.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(root, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE, SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &ignored);
    }
    if (focusedControl(control) != control) {
        const DWORD theirs = GetWindowThreadProcessId(control, nullptr);
        const DWORD ours = GetCurrentThreadId();
        if (AttachThreadInput(ours, theirs, TRUE)) {
            SetFocus(control);
            AttachThreadInput(ours, theirs, FALSE);
        }
    }
    syncWith(control);
    return focusedControl(control) == control;
}

void clickAt(HWND control, POINT clientPoint) {
    const LPARAM at = MAKELPARAM(clientPoint.x, clientPoint.y);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    PostMessageW(control, WM_MOUSEMOVE, 0, at);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    syncWith(control);
}

bool resizeWindowTo(HWND window, int width, int height) {
    if (!IsWindow(window)) return false;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_ENTERSIZEMOVE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    // Asynchronous, so a hung target cannot hold the test; the sync below waits for it.
    if (!SetWindowPos(window, nullptr, 0, 0, width, height,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS)) {
        return false;
    }
    SendMessageTimeoutW(window, WM_EXITSIZEMOVE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    return syncWith(window);
}

bool maximize(HWND window) {
    return IsWindow(window) && ShowWindowAsync(window, SW_MAXIMIZE) && syncWith(window) && IsZoomed(window);
}

bool restore(HWND window) {
    return IsWindow(window) && ShowWindowAsync(window, SW_RESTORE) && syncWith(window) && !IsZoomed(window) &&
           !IsIconic(window);
}

HWND waitForFolderPicker(DWORD processId, HWND owner, DWORD timeoutMs) {
    const std::wstring dialogClass = L"#32770";
    const std::wstring anyCaption;
    return pollTopLevel({processId, &dialogClass, &anyCaption, owner, true, nullptr}, timeoutMs);
}

namespace {

bool sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr,
            UINT timeoutMs = kSendTimeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                               result ? result : &ignored) != 0;
}

HTREEITEM treeItem(HWND tree, UINT relation, HTREEITEM from) {
    DWORD_PTR item = 0;
    if (!sendTo(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from), &item)) return nullptr;
    return reinterpret_cast<HTREEITEM>(item);
}

// A tree item's text, read through a TVITEMW in the tree's own process.
std::wstring treeItemText(HWND tree, HTREEITEM item) {
    if (!item) return {};
    constexpr size_t kTextChars = MAX_PATH;
    RemoteMemory remote(tree, sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote.valid()) return {};
    TVITEMW request{};
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = item;
    request.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(TVITEMW)));
    request.cchTextMax = kTextChars;
    const wchar_t empty = 0;
    if (!remote.write(0, &request, sizeof request) || !remote.write(sizeof(TVITEMW), &empty, sizeof empty)) return {};
    DWORD_PTR ok = 0;
    if (!sendTo(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.at(0)), &ok) || !ok) return {};
    std::wstring text(kTextChars, L'\0');
    if (!remote.read(sizeof(TVITEMW), text.data(), kTextChars * sizeof(wchar_t))) return {};
    text.resize(wcsnlen(text.c_str(), kTextChars));
    return text;
}

bool sameName(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// Asks the picker to select a path it parses itself; true when the tree then
// shows the path's last part selected.
bool pickerSelectsPath(HWND picker, HWND tree, const std::wstring& path) {
    const size_t bytes = (path.size() + 1) * sizeof(wchar_t);
    RemoteMemory remote(picker, bytes);
    if (!remote.valid() || !remote.write(0, path.c_str(), bytes)) return false;
    // A known starting point, so that a selection left from before cannot pass for this one.
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(treeItem(tree, TVGN_ROOT, nullptr)));
    // The picker reads the path from its own memory; the message's result is not
    // the outcome (a dialog answers through DWLP_MSGRESULT).
    if (!sendTo(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote.at(0)), nullptr, 10000)) return false;
    return sameName(treeItemText(tree, treeItem(tree, TVGN_CARET, nullptr)), lastPathPart(path));
}

// Expands the selected item and selects its child of that name, as a user's
// clicks in the tree would.
bool selectChildByName(HWND tree, const std::wstring& name) {
    HTREEITEM parent = treeItem(tree, TVGN_CARET, nullptr);
    if (!parent || !sendTo(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent), nullptr, 10000)) return false;
    for (HTREEITEM child = treeItem(tree, TVGN_CHILD, parent); child; child = treeItem(tree, TVGN_NEXT, child)) {
        if (sameName(treeItemText(tree, child), name)) {
            return sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child)) &&
                   treeItem(tree, TVGN_CARET, nullptr) == child;
        }
    }
    return false;
}

} // namespace

std::wstring folderPickerSelection(HWND picker) {
    HWND tree = folderTreeOf(picker);
    return tree ? treeItemText(tree, treeItem(tree, TVGN_CARET, nullptr)) : std::wstring();
}

bool chooseFolderInPicker(HWND picker, const std::wstring& folder) {
    HWND tree = folderTreeOf(picker);
    if (!isWindowShown(picker) || !tree) return false;
    // Wine 8's picker cannot select some folders by path (seen: a long name with a
    // space, such as "Chosen folder"): its nearest ancestor that it can select is
    // selected by path, the rest by name in the tree.
    std::vector<std::wstring> remaining;
    std::wstring path = folder;
    while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    bool selected = false;
    // A drive's item shows a label, not its path: the walk stops above it.
    while (path.size() > 3 && !selected) {
        selected = pickerSelectsPath(picker, tree, path);
        const size_t slash = path.find_last_of(L"\\/");
        if (selected || slash == std::wstring::npos) break;
        remaining.push_back(path.substr(slash + 1));
        path.resize(slash);
    }
    if (!selected) {
        ADD_FAILURE() << "the folder picker selects no part of " << testing::PrintToString(folder);
        return false;
    }
    for (auto name = remaining.rbegin(); name != remaining.rend(); ++name) {
        if (!selectChildByName(tree, *name)) {
            ADD_FAILURE() << "the folder picker shows no folder " << testing::PrintToString(*name) << " on the way to "
                          << testing::PrintToString(folder);
            return false;
        }
    }
    if (!clickEnabledButton(picker, IDOK)) {
        ADD_FAILURE() << "the folder picker's OK button is missing or disabled for " << testing::PrintToString(folder);
        return false;
    }
    return waitForWindowGone(picker, 10000);
}

bool cancelFolderPicker(HWND picker) {
    return clickEnabledButton(picker, IDCANCEL) && waitForWindowGone(picker, 10000);
}

std::wstring saveScreenshot(HWND window, const std::wstring& name) {
    std::optional<ScreenCapture> capture = captureSettled(window);
    if (!capture) return {};
    std::wstring fileName = name;
    for (wchar_t& c : fileName) {
        if (c < 32 || std::wcschr(L"<>:\"/\\|?*", c)) c = L'_';
    }
    if (fileName.size() < 4 || _wcsicmp(fileName.c_str() + fileName.size() - 4, L".png") != 0) fileName += L".png";
    const std::wstring path = screenshotFolder() + L"\\" + fileName;
    return savePng(*capture, path) ? path : std::wstring();
}

std::optional<COLORREF> pixelColour(HWND window, POINT clientPoint) {
    if (!isWindowShown(window)) return std::nullopt;
    POINT screenPoint = clientPoint;
    RECT windowRect;
    if (!ClientToScreen(window, &screenPoint) || !GetWindowRect(window, &windowRect)) return std::nullopt;
    std::optional<ScreenCapture> capture = captureSettled(window);
    if (!capture) return std::nullopt;
    const int x = screenPoint.x - windowRect.left, y = screenPoint.y - windowRect.top;
    if (x < 0 || y < 0 || x >= capture->width || y >= capture->height) return std::nullopt;
    const DWORD pixel = capture->pixels[static_cast<size_t>(y) * capture->width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

std::optional<COLORREF> linkUnderlineColour(HWND dialog, int linkId) {
    const std::optional<ControlInfo> link = findControl(dialog, linkId);
    if (!link) return std::nullopt;
    const std::optional<COLORREF> background = pixelColour(dialog, {link->rect.right - 1, link->rect.bottom - 1});
    const LONG x = link->rect.left + (link->rect.right - link->rect.left) / 20;
    for (LONG y = link->rect.bottom - 1; y >= link->rect.top; --y) {
        const std::optional<COLORREF> colour = pixelColour(dialog, {x, y});
        if (colour && colour != background) return colour;
    }
    return std::nullopt;
}

int distinctColours(HWND window) {
    std::optional<ScreenCapture> capture = captureSettled(window);
    if (!capture) return 0;
    std::set<DWORD> colours(capture->pixels.begin(), capture->pixels.end());
    return static_cast<int>(colours.size());
}

int wrappedTextHeight(const std::wstring& text, int width, int dpi) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return 0;
    jl::ScopeExit deleteDc([&] { DeleteDC(dc); });
    HFONT font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             L"MS Shell Dlg");
    if (!font) return 0;
    jl::ScopeExit deleteFont([&] { DeleteObject(font); });
    HGDIOBJ previous = SelectObject(dc, font);
    RECT rect{0, 0, width, 0};
    // The flags a static control draws its text with.
    const int height = DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                                 DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, previous);
    return height;
}

size_t expectControlsFit(HWND dialog, int dpi) {
    RECT client{};
    EXPECT_TRUE(GetClientRect(dialog, &client));
    const std::vector<ControlInfo> controls = listControls(dialog);
    for (const ControlInfo& control : controls) {
        SCOPED_TRACE(::testing::PrintToString(control.text) + " (id " + std::to_string(control.id) + ")");
        EXPECT_TRUE(control.visible);
        EXPECT_GE(control.rect.left, client.left);
        EXPECT_GE(control.rect.top, client.top);
        EXPECT_LE(control.rect.right, client.right);
        EXPECT_LE(control.rect.bottom, client.bottom);
        if (_wcsicmp(control.className.c_str(), L"Static") == 0 && (control.style & SS_TYPEMASK) != SS_ICON &&
            !control.text.empty()) {
            EXPECT_LE(wrappedTextHeight(control.text, control.rect.right - control.rect.left, dpi),
                      control.rect.bottom - control.rect.top)
                << "cut off at " << dpi << " DPI";
        }
    }
    return controls.size();
}

int rigDpi() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SystemDpi = UINT(WINAPI*)();
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    static const bool aware = [user32] {
        // Per monitor v2 first; Wine 8 knows only the older per-monitor context.
        if (auto set = reinterpret_cast<SetContext>(GetProcAddress(user32, "SetProcessDpiAwarenessContext"))) {
            if (set(reinterpret_cast<HANDLE>(-4)) || set(reinterpret_cast<HANDLE>(-3))) return true;
        }
        return SetProcessDPIAware() != FALSE;
    }();
    (void)aware;
    if (auto systemDpi = reinterpret_cast<SystemDpi>(GetProcAddress(user32, "GetDpiForSystem"))) {
        return static_cast<int>(systemDpi());
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int configuredRigDpi() {
    wchar_t value[16] = {};
    if (!GetEnvironmentVariableW(L"JL_RIG_DPI", value, 16)) return 0;
    return _wtoi(value);
}

// --- URL handler ---------------------------------------------------------------

namespace {

const wchar_t* const kProtocols[] = {L"http", L"https"};

} // namespace

RegistryTextOverride::RegistryTextOverride(HKEY root, std::wstring key, const wchar_t* name, const std::wstring& text)
    : root_(root), key_(std::move(key)), name_(name) {
    jl::UniqueKey existing;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_READ, existing.put()) == ERROR_SUCCESS) {
        previous_ = jl::readGrowingText([&](wchar_t* buffer, size_t capacity) -> size_t {
            DWORD bytes = static_cast<DWORD>(capacity * sizeof(wchar_t));
            const LSTATUS status = RegQueryValueExW(existing.get(), name_, nullptr, &previousType_,
                                                    reinterpret_cast<BYTE*>(buffer), &bytes);
            if (status == ERROR_MORE_DATA) return bytes / sizeof(wchar_t) + 1;
            return status == ERROR_SUCCESS ? wcsnlen(buffer, bytes / sizeof(wchar_t)) : 0;
        });
    } else {
        // The outermost missing key, so restoring leaves the tree as it was.
        std::wstring missing = key_;
        for (size_t slash = missing.rfind(L'\\'); slash != std::wstring::npos; slash = missing.rfind(L'\\')) {
            jl::UniqueKey parent;
            if (RegOpenKeyExW(root_, missing.substr(0, slash).c_str(), 0, KEY_READ, parent.put()) == ERROR_SUCCESS) break;
            missing.resize(slash);
        }
        createdKey_ = missing;
    }
    set_ = RegSetKeyValueW(root_, key_.c_str(), name_, REG_SZ, text.c_str(),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

RegistryTextOverride::~RegistryTextOverride() {
    if (!set_) return;
    if (!createdKey_.empty()) {
        RegDeleteTreeW(root_, createdKey_.c_str());
        RegDeleteKeyW(root_, createdKey_.c_str());
    } else if (previous_) {
        RegSetKeyValueW(root_, key_.c_str(), name_, previousType_, previous_->c_str(),
                        static_cast<DWORD>((previous_->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(root_, key_.c_str(), name_);
    }
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

SIZE windowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

std::map<int, RECT> controlRects(HWND dialog) {
    std::map<int, RECT> rects;
    for (const ControlInfo& control : listControls(dialog)) rects[control.id] = control.rect;
    return rects;
}

UrlHandlerOverride::UrlHandlerOverride(const std::wstring& recorderProgram) {
    const std::wstring recorder = recorderProgram.empty() ? builtProgram(L"jl_url_recorder.exe") : recorderProgram;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    wchar_t file[MAX_PATH + 1];
    if (!GetTempFileNameW(temp, L"url", 0, file)) {
        ADD_FAILURE() << "cannot create the URL record file, error " << GetLastError();
        return;
    }
    recordFile_ = file;
    const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const wchar_t* protocol : kProtocols) {
            commands_.push_back(std::make_unique<RegistryTextOverride>(
                root, std::wstring(L"Software\\Classes\\") + protocol + L"\\shell\\open\\command", nullptr, command));
            // HKLM may be closed to a normal user on Windows; HKCU is what counts there.
            if (commands_.back()->set()) active_ = true;
        }
    }
    if (!active_) ADD_FAILURE() << "cannot register the URL recorder";
}

UrlHandlerOverride::~UrlHandlerOverride() {
    commands_.clear();
    if (!recordFile_.empty()) DeleteFileW(recordFile_.c_str());
}

void UrlHandlerOverride::exportToEnvironment() const { SetEnvironmentVariableW(L"JL_URL_RECORD", recordFile_.c_str()); }

std::vector<std::wstring> UrlHandlerOverride::recordedUrls() const {
    std::vector<std::wstring> urls;
    const std::string bytes = readBytesFile(recordFile_);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::wstring commandLine = jl::fromUtf8(line);
        int count = 0;
        LPWSTR* arguments = CommandLineToArgvW(commandLine.c_str(), &count);
        if (!arguments) continue;
        urls.push_back(count > 1 ? arguments[1] : L"");
        LocalFree(arguments);
    }
    return urls;
}

std::optional<std::wstring> UrlHandlerOverride::waitForUrl(DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        std::vector<std::wstring> urls = recordedUrls();
        if (!urls.empty()) return urls.front();
        if (GetTickCount64() >= deadline) return std::nullopt;
        Sleep(50);
    }
}

} // namespace jltest
