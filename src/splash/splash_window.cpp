#include "splash/splash_window.h"

#include "splash/java_splash.h"
#include "splash/splash_picture.h"
#include "support/error_message.h"
#include "support/module.h"
#include "support/trace.h"

namespace jl {

namespace {

constexpr wchar_t kClassName[] = L"SplashScreenWindow";
constexpr UINT kClassStyle = CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW;
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT_PTR kJavaWindowTimer = 2;
constexpr UINT kJavaWindowPollMs = 100;
constexpr DWORD kStopTimeoutMs = 10000;


// The splash thread's share of its state, handed over by startSplash.
using SplashShare = std::shared_ptr<SplashThreadState>;

DWORD WINAPI splashThreadMain(void* parameter) {
    const std::unique_ptr<SplashShare> share(static_cast<SplashShare*>(parameter));
    SplashThreadState& splash = **share;
    SplashWindow& window = splash.window;
    const bool created = window.create(splash.settings.image, splash.settings.shadow);
    // A splash closed while this thread was held up never comes up late.
    const bool shown = created && !splash.closed.load();
    if (shown) {
        setMessageOwner(window.handle());
        ShowWindow(window.handle(), SW_SHOWNORMAL);
        UpdateWindow(window.handle());
        RECT bounds{};
        GetWindowRect(window.handle(), &bounds);
        trace<TraceTopic::splash>("window shown, {} x {} at {}, {}", bounds.right - bounds.left,
                                  bounds.bottom - bounds.top, bounds.left, bounds.top);
        window.startAutoClose(splash.settings.closeOnJavaWindow, splash.settings.timeoutSeconds);
    } else if (created) {
        trace<TraceTopic::splash>("the splash was closed before its window came up");
    } else {
        trace<TraceTopic::splash>("the splash window could not be created (error {})", GetLastError());
    }
    SetEvent(splash.windowReady.get());
    MSG message;
    while (shown && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window.destroy();
    return 0;
}

struct OtherWindowSearch {
    HWND splash;
    DWORD processId;
    bool found;
};

BOOL CALLBACK findOtherVisibleWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<OtherWindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    // Message boxes owned by the splash are the launcher's own, not the program's.
    if (processId == search.processId && window != search.splash && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) != search.splash) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool SplashWindow::create(const std::wstring& picturePath, bool shadow) {
    const HINSTANCE instance = programInstance();
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const auto background = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    // The class is registered once per process, so the first splash decides the shadow.
    const bool registered =
        registerClass(instance, kClassName, arrow, background, shadow ? kClassStyle : kClassStyle & ~CS_DROPSHADOW) ||
        (shadow && registerClass(instance, kClassName, arrow, background, kClassStyle & ~CS_DROPSHADOW));
    if (!registered) return false;

    SIZE size{};
    bitmap_ = renderSplashPicture(picturePath, size);
    // The process is DPI-aware: these are physical pixels of the primary screen.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    return Window::create(instance, kClassName, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, x, y, size.cx, size.cy, nullptr);
}

void SplashWindow::startAutoClose(bool onJavaWindow, UINT timeoutSeconds) {
    if (timeoutSeconds) SetTimer(handle(), kTimeoutTimer, timeoutSeconds * 1000, nullptr);
    // The Java program's windows announce themselves nowhere the launcher could
    // listen, so the process's top-level windows are looked at now and then.
    if (onJavaWindow) SetTimer(handle(), kJavaWindowTimer, kJavaWindowPollMs, nullptr);
}

bool SplashWindow::javaWindowShown() const {
    OtherWindowSearch search{handle(), GetCurrentProcessId(), false};
    EnumWindows(findOtherVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void SplashWindow::paint() {
    PAINTSTRUCT paint;
    const HDC target = BeginPaint(handle(), &paint);
    const UniqueNullable<HDC, detail::deleteDc> memory(CreateCompatibleDC(target));
    BITMAP bitmap{};
    if (memory && bitmap_ && GetObjectW(bitmap_.get(), sizeof bitmap, &bitmap)) {
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap_.get());
        BitBlt(target, 0, 0, bitmap.bmWidth, bitmap.bmHeight, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), previous);
    }
    EndPaint(handle(), &paint);
}

LRESULT SplashWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the picture covers the whole window
        case WM_TIMER:
            if (wParam != kTimeoutTimer && (wParam != kJavaWindowTimer || !javaWindowShown())) return 0;
            // A message box of the launch disables its owner: the splash stays until it is answered.
            if (!IsWindowEnabled(handle())) {
                SetTimer(handle(), wParam, kJavaWindowPollMs, nullptr);
                return 0;
            }
            trace<TraceTopic::splash>("{}", wParam == kTimeoutTimer
                                                ? "\"Splash Timeout\" reached, the window closes"
                                                : "the Java program shows a window, the splash closes");
            KillTimer(handle(), kTimeoutTimer);
            KillTimer(handle(), kJavaWindowTimer);
            PostQuitMessage(0);
            return 0;
        case WM_CLOSE:
            // A message box of the launch disables its owner: the splash stays until it is answered.
            if (!IsWindowEnabled(handle())) return 0;
            return Window::onMessage(message, wParam, lParam);
        case WM_DESTROY:
            // However the window goes, later messages must not be given it as their
            // owner (the system refuses a box owned by a window that is gone), and
            // the thread has nothing left to run.
            releaseMessageOwner(handle());
            PostQuitMessage(0);
            return 0;
        default:
            return Window::onMessage(message, wParam, lParam);
    }
}

void startSplash(SplashState& splash, const SplashSettings& settings, const std::wstring& jvmLibraryPath) {
    if (settings.image.empty()) return;

    const std::wstring library = findSplashLibrary(jvmLibraryPath, L"splashscreen.dll");
    if (settings.preferJavaSplash && !library.empty() && startJavaSplash(library, settings.image, splash.closer)) return;

    // The window is made on its own thread while this one goes on to load the JVM.
    splash.shared = std::make_shared<SplashThreadState>();
    splash.shared->settings = settings;
    splash.shared->windowReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    setMessageOwnerPending(splash.shared->windowReady.get());
    auto* share = new SplashShare(splash.shared);
    DWORD threadId = 0;
    splash.thread.reset(CreateThread(nullptr, 0, splashThreadMain, share, 0, &threadId));
    splash.threadId = threadId;
    // The picture races the VM's own start-up threads for the processor.
    SetThreadPriority(splash.thread.get(), THREAD_PRIORITY_HIGHEST);
    if (!splash.thread) {
        delete share;
        setMessageOwnerPending(nullptr);
    }
    trace<TraceTopic::splash>("the splash thread {}{}", splash.thread ? "starts for " : "could not start for ",
                              Quoted{settings.image});
}

void closeSplashWindow(SplashState& splash) {
    if (!splash.shared) return;
    setMessageOwnerPending(nullptr);
    splash.shared->closed = true;
    // The thread destroys its own window. A thread stuck in the system's DLL
    // loading must not hang the launcher's end, and it holds its own share of what
    // it reads: the launcher's share goes whether the thread ended in time or not.
    if (!stopMessageLoopThread(splash.thread.get(), splash.threadId, kStopTimeoutMs)) {
        trace<TraceTopic::splash>("the splash thread did not end in time; it keeps what it reads");
    }
    setMessageOwner(nullptr);
    splash.shared.reset();
    splash.thread.reset();
}

} // namespace jl
