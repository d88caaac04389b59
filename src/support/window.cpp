#include "support/window.h"

namespace jl {

Window::~Window() { destroy(); }

bool Window::registerClass(HINSTANCE instance, const wchar_t* className, HCURSOR cursor, HBRUSH background,
                           UINT style) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, className, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Window::create(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style,
                    DWORD extendedStyle, int x, int y, int width, int height, HWND parent) {
    if (window_) return false;
    return CreateWindowExW(extendedStyle, className, title, style, x, y, width, height, parent, nullptr, instance,
                           this) != nullptr;
}

void Window::destroy() {
    // WM_NCDESTROY clears window_; DestroyWindow only works on the owning thread,
    // so a window of another thread is unbound here instead of being left to
    // call into a dead object.
    if (!window_) return;
    if (GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(window_);
    } else {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    }
    window_ = nullptr;
}

LRESULT Window::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->onMessage(message, wParam, lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->onDestroyed();
        return result;
    }
    return self->onMessage(message, wParam, lParam);
}

INT_PTR ModalDialog::run(HINSTANCE instance, WORD templateId, HWND owner) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, dialogProcedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR ModalDialog::runIndirect(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner) {
    return DialogBoxIndirectParamW(instance, dialogTemplate, owner, dialogProcedure, reinterpret_cast<LPARAM>(this));
}

bool ModalDialog::onCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) {
        end(id);
        return true;
    }
    return false;
}

void ModalDialog::end(INT_PTR result) { EndDialog(dialog_, result); }

INT_PTR CALLBACK ModalDialog::dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        self->dialog_ = dialog;
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return self->onInit() ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
        case WM_COMMAND:
            return self->onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_SIZE:
            self->onSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_NCDESTROY:
            SetWindowLongPtrW(dialog, DWLP_USER, 0);
            self->dialog_ = nullptr;
            return FALSE;
        default: {
            bool handled = false;
            const INT_PTR result = self->onMessage(message, wParam, lParam, handled);
            if (!handled) return FALSE;
            // Messages that return a value of their own (brushes, WM_GETMINMAXINFO's
            // answer) pass it as the procedure's result; others through DWLP_MSGRESULT.
            if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORDLG || message == WM_CTLCOLOREDIT ||
                message == WM_CTLCOLORBTN) {
                return result;
            }
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
            return TRUE;
        }
    }
}

void centreInWorkArea(HWND window, HWND owner) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const bool useOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(useOwner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;

    RECT centre = area;
    if (useOwner) GetWindowRect(owner, &centre);
    int x = centre.left + (centre.right - centre.left - width) / 2;
    int y = centre.top + (centre.bottom - centre.top - height) / 2;
    if (x + width > area.right) x = area.right - width;
    if (y + height > area.bottom) y = area.bottom - height;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool stopMessageLoopThread(HANDLE thread, DWORD threadId, DWORD timeoutMs) {
    if (!thread) return true;
    if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return true;
    // A thread that has not made its queue yet cannot take the message; it is
    // offered again until it can, or until it has ended.
    const ULONGLONG deadline = timeoutMs == INFINITE ? 0 : GetTickCount64() + timeoutMs;
    while (!PostThreadMessageW(threadId, WM_QUIT, 0, 0)) {
        if (WaitForSingleObject(thread, 10) == WAIT_OBJECT_0) return true;
        if (deadline && GetTickCount64() >= deadline) return false;
    }
    const DWORD remaining =
        timeoutMs == INFINITE ? INFINITE : static_cast<DWORD>(deadline > GetTickCount64() ? deadline - GetTickCount64() : 0);
    return WaitForSingleObject(thread, remaining) == WAIT_OBJECT_0;
}

} // namespace jl
