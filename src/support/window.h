#pragma once
// The binding of windows and dialogs to C++ objects, and the helpers that run and
// stop the threads that own them.

#include <windows.h>

namespace jl {

// A window whose messages reach an object. The object is bound when the window
// is created (WM_NCCREATE) and unbound when the window is destroyed
// (WM_NCDESTROY); destroying the object destroys a window that still exists, so
// a message can never reach an object that is gone.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    [[nodiscard]] HWND handle() const { return window_; }

    // Registers a class whose window procedure routes to the bound object; true
    // when the class exists afterwards (also when it was registered before).
    [[nodiscard]] static bool registerClass(HINSTANCE instance, const wchar_t* className, HCURSOR cursor = nullptr,
                                            HBRUSH background = nullptr, UINT style = 0);
    // CreateWindowExW on a class registered above, bound to this object; false
    // when the window could not be created.
    [[nodiscard]] bool create(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style,
                              DWORD extendedStyle, int x, int y, int width, int height, HWND parent);
    void destroy();

protected:
    // Every message after WM_NCCREATE; the default hands it to DefWindowProcW.
    virtual LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once the window has gone, while the object still exists.
    virtual void onDestroyed() {}

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// A modal dialog from a dialog template with hooks for its initialisation,
// commands and size changes. The object is bound at WM_INITDIALOG; messages the
// system sends before it are left to the dialog manager.
class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // DialogBoxParamW on the template resource; the dialog's result, or -1 (or
    // 0 with an invalid owner) when it could not be created.
    [[nodiscard]] INT_PTR run(HINSTANCE instance, WORD templateId, HWND owner);
    // The same from a template in memory.
    [[nodiscard]] INT_PTR runIndirect(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner);

    [[nodiscard]] HWND handle() const { return dialog_; }
    [[nodiscard]] HWND item(int id) const { return GetDlgItem(dialog_, id); }

protected:
    // WM_INITDIALOG; true lets the system set the focus to the first control.
    virtual bool onInit() { return true; }
    // WM_COMMAND with the control id and the notification code; true when handled.
    virtual bool onCommand(int id, int notification);
    // WM_SIZE with the size type and the new client size.
    virtual void onSize(UINT /*sizeType*/, int /*width*/, int /*height*/) {}
    // Any other message; set handled to answer it with the result.
    virtual INT_PTR onMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, bool& handled) {
        handled = false;
        return 0;
    }
    void end(INT_PTR result);

private:
    static INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    HWND dialog_ = nullptr;
};

// Centres a top-level window over its owner when the owner is visible and not
// minimised, otherwise over the work area of the monitor nearest to it, then
// moves it as little as needed to keep it inside that monitor's work area (right
// and bottom edges first, then left and top). No resize, activation or z-order
// change.
void centreInWorkArea(HWND window, HWND owner);

// Ends a thread that runs a message loop: posts WM_QUIT to it and waits until the
// thread has ended. False when the thread did not end within the time-out (or
// the quit message could not be posted and it is still running).
[[nodiscard]] bool stopMessageLoopThread(HANDLE thread, DWORD threadId, DWORD timeoutMs = INFINITE);

} // namespace jl
