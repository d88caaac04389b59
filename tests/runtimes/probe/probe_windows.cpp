#include "probe_windows.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "probe_record.h"

namespace probe {

namespace {

BOOL CALLBACK addVisibleWindow(HWND window, LPARAM parameter) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    wchar_t name[256];
    if (!GetClassNameW(window, name, 256)) return TRUE;
    auto& list = *reinterpret_cast<std::string*>(parameter);
    if (!list.empty()) list += ',';
    list += utf8(name);
    return TRUE;
}

std::string visibleWindowClasses() {
    std::string classes;
    EnumWindows(addVisibleWindow, reinterpret_cast<LPARAM>(&classes));
    return classes;
}

} // namespace

void recordVisibleWindows(const char* moment) {
    record(std::string("windows at=") + moment + " classes=" + percentEncoded(visibleWindowClasses()));
}

void showWindowAndWait(long windowAfterMs, unsigned long waitMs) {
    if (waitMs == 0) return;
    const HANDLE release =
        CreateEventW(nullptr, TRUE, FALSE, (L"JlProbeRelease." + std::to_wstring(GetCurrentProcessId())).c_str());
    const ULONGLONG start = GetTickCount64(), deadline = start + waitMs;
    HWND shown = nullptr;
    std::string seen = "(nothing yet)";
    for (ULONGLONG now = start; now < deadline; now = GetTickCount64()) {
        if (windowAfterMs >= 0 && !shown && now >= start + static_cast<ULONGLONG>(windowAfterMs)) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = DefWindowProcW;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"ProbeJavaWindow";
            RegisterClassW(&windowClass);
            shown = CreateWindowExW(0, L"ProbeJavaWindow", L"Probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 240,
                                    120, nullptr, nullptr, windowClass.hInstance, nullptr);
        }
        if (const std::string classes = visibleWindowClasses(); classes != seen) {
            record("windows at=main classes=" + percentEncoded(classes));
            seen = classes;
        }
        // Polled often enough to see a window that is up for a tenth of a second.
        const DWORD result = MsgWaitForMultipleObjects(release ? 1 : 0, &release, FALSE,
                                                       static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                                       QS_ALLINPUT);
        if (release && result == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    recordVisibleWindows("main-end");
    if (release) CloseHandle(release);
    if (shown) DestroyWindow(shown);
}

} // namespace probe
