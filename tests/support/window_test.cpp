// The ground the launcher's windows and threads stand on: the window binding,
// the modal dialog base and the stop helper.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "support/unique_resource.h"
#include "support/window.h"

namespace jl {
namespace {

constexpr wchar_t kClassName[] = L"JLauncherTestWindow";
constexpr UINT kPing = WM_APP + 1;

class PingWindow : public Window {
public:
    int pings = 0;
    bool destroyedSeen = false;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kPing) return ++pings;
        return Window::onMessage(message, wParam, lParam);
    }
    void onDestroyed() override { destroyedSeen = true; }
};

HWND createPingWindow(PingWindow& window) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!Window::registerClass(instance, kClassName)) return nullptr;
    if (!window.create(instance, kClassName, L"", WS_POPUP, 0, 0, 0, 10, 10, nullptr)) return nullptr;
    return window.handle();
}

TEST(WindowBinding, RoutesMessagesToTheObjectAndDiesWithItOrLetsItGoWhenDestroyedFirst) {
    HWND handle = nullptr;
    {
        PingWindow window;
        handle = createPingWindow(window);
        ASSERT_TRUE(handle);
        EXPECT_EQ(SendMessageW(handle, kPing, 0, 0), 1);
        EXPECT_EQ(SendMessageW(handle, kPing, 0, 0), 2);
    }
    // Gone with its object: a later message cannot reach freed memory.
    EXPECT_FALSE(IsWindow(handle));

    // A window destroyed first unbinds its object.
    PingWindow window;
    handle = createPingWindow(window);
    ASSERT_TRUE(handle);
    DestroyWindow(handle);
    EXPECT_TRUE(window.destroyedSeen);
    EXPECT_EQ(window.handle(), nullptr);
    EXPECT_FALSE(window.create(GetModuleHandleW(nullptr), L"NoSuchClass", L"", WS_POPUP, 0, 0, 0, 1, 1, nullptr));
}

struct LoopThread {
    std::atomic<bool> quitSeen{false}, finished{false};
    DWORD queueDelayMs = 0;
    bool ignoreQuit = false;
};

DWORD WINAPI messageLoop(void* parameter) {
    auto* state = static_cast<LoopThread*>(parameter);
    Sleep(state->queueDelayMs);  // no message queue yet: a posted quit cannot land
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            state->quitSeen = true;
            if (!state->ignoreQuit) break;
        }
        if (got < 0) break;
    }
    Sleep(200);  // clean-up after the loop, which the stop helper must wait for
    state->finished = true;
    return 0;
}

TEST(StopMessageLoopThread, ReturnsOnlyAfterTheThreadHasEndedAndGivesUpOnOneThatIgnoresTheQuit) {
    const struct { DWORD queueDelayMs; bool ignoreQuit; DWORD timeoutMs; bool stopped; } cases[] = {
        {0, false, 10000, true}, {300, false, 10000, true}, {0, true, 300, false}};
    for (const auto& c : cases) {
        LoopThread state{.queueDelayMs = c.queueDelayMs, .ignoreQuit = c.ignoreQuit};
        DWORD id = 0;
        UniqueHandle thread(CreateThread(nullptr, 0, messageLoop, &state, 0, &id));
        ASSERT_TRUE(thread);
        // The thread that ignores the quit has its queue before it is asked to stop.
        if (c.ignoreQuit) Sleep(50);
        EXPECT_EQ(stopMessageLoopThread(thread.get(), id, c.timeoutMs), c.stopped)
            << "queue made after " << c.queueDelayMs << " ms";
        EXPECT_TRUE(state.quitSeen);
        EXPECT_EQ(state.finished, c.stopped);
        if (!c.stopped) TerminateThread(thread.get(), 0);
    }
}

} // namespace
} // namespace jl
