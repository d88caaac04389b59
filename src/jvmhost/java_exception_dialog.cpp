#include "jvmhost/java_exception_dialog.h"

#include <windows.h>

#include <array>

#include "jvmhost/modified_utf8.h"
#include "resources/resource_ids.h"
#include "support/module.h"
#include "support/trace.h"
#include "support/unique_resource.h"
#include "support/window.h"

namespace jl {
namespace {

// How a control follows a change of the dialog's client size.
enum class Follow { fixed, move, stretch };

struct ResizeRule {
    int id;
    Follow horizontal;
    Follow vertical;
};

constexpr std::array<ResizeRule, 8> kResizeTable{{
    {IDC_EXCEPTION_GROUP, Follow::stretch, Follow::stretch},
    {IDC_EXCEPTION_INTRO, Follow::stretch, Follow::fixed},
    {IDC_EXCEPTION_WARNING, Follow::stretch, Follow::move},
    {IDC_EXCEPTION_INSTRUCTION, Follow::stretch, Follow::move},
    {IDC_EXCEPTION_TRACE, Follow::stretch, Follow::stretch},
    {IDOK, Follow::move, Follow::move},
    {IDCANCEL, Follow::move, Follow::move},
    {IDC_EXCEPTION_SIZE_GRIP, Follow::move, Follow::move},
}};

// Java writes "\n" line ends (and does so on every platform through the test
// runtime); an edit control breaks lines only at "\r\n".
std::wstring withWindowsLineEnds(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
        result += text[i];
    }
    return result;
}

class JavaExceptionDialog : public ModalDialog {
public:
    explicit JavaExceptionDialog(std::wstring trace) : trace_(std::move(trace)) {}

protected:
    bool onInit() override {
        SetDlgItemTextW(handle(), IDC_EXCEPTION_TRACE, trace_.c_str());
        SendMessageW(item(IDC_EXCEPTION_TRACE), EM_SETREADONLY, TRUE, 0);
        centreInWorkArea(handle(), GetWindow(handle(), GW_OWNER));
        SetWindowLongPtrW(handle(), GWL_STYLE, GetWindowLongPtrW(handle(), GWL_STYLE) | WS_CLIPCHILDREN);
        // A top-level dialog with a modal frame shows no caption icon unless it has one.
        SetWindowLongPtrW(handle(), GWL_EXSTYLE, GetWindowLongPtrW(handle(), GWL_EXSTYLE) | WS_EX_DLGMODALFRAME);
        if (!SendMessageW(handle(), WM_GETICON, ICON_SMALL, 0)) SendMessageW(handle(), WM_SETICON, ICON_SMALL, 0);
        recordLayout();
        return false;  // no initial focus from the system
    }

    bool onCommand(int id, int) override {
        if (id != IDOK && id != IDCANCEL) return false;
        end(id);
        return true;
    }

    void onSize(UINT sizeType, int width, int height) override {
        if (sizeType == SIZE_MINIMIZED || rescaling_) return;
        if (sizeType == SIZE_MAXIMIZED) ShowWindow(grip_.get(), SW_HIDE);
        if (sizeType == SIZE_RESTORED) ShowWindow(grip_.get(), SW_SHOW);
        layOut(width - initialClient_.cx, height - initialClient_.cy);
    }

    INT_PTR onMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) override {
        handled = true;
        switch (message) {
            case WM_GETMINMAXINFO:
                reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimumSize_.cx, minimumSize_.cy};
                return 0;
            case WM_DPICHANGED:
                // The dialog manager rescales the dialog, its font and its controls
                // after this; the layout is recorded afresh once it has.
                rescaling_ = true;
                minimumSize_.cx = MulDiv(minimumSize_.cx, HIWORD(lParam), dpi_);
                minimumSize_.cy = MulDiv(minimumSize_.cy, HIWORD(lParam), dpi_);
                dpi_ = HIWORD(lParam);
                PostMessageW(handle(), kRecordLayoutAgain, 0, 0);
                handled = false;
                return 0;
            case kRecordLayoutAgain:
                rescaling_ = false;
                recordLayout(false);
                return 0;
            case WM_DESTROY:
                grip_.reset();
                handled = false;
                return 0;
            default:
                handled = false;
                return 0;
        }
    }

private:
    static constexpr UINT kRecordLayoutAgain = WM_APP + 1;

    struct Placement {
        HWND control;
        RECT initial;
        ResizeRule rule;
    };

    // The layout is always the recorded one plus the total change since, so
    // rounding never accumulates while the user drags.
    void recordLayout(bool first = true) {
        RECT client{};
        GetClientRect(handle(), &client);
        initialClient_ = {client.right, client.bottom};
        // The grip places itself in the bottom-right corner of the rectangle it is given.
        grip_.reset(CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEBOX | SBS_SIZEGRIP |
                                        SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                    0, 0, client.right, client.bottom, handle(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_EXCEPTION_SIZE_GRIP)),
                                    programInstance(), nullptr));
        if (IsZoomed(handle())) ShowWindow(grip_.get(), SW_HIDE);
        if (first) {
            RECT window{};
            GetWindowRect(handle(), &window);
            minimumSize_ = {window.right - window.left, window.bottom - window.top};
            dpi_ = static_cast<int>(dialogDpi());
        }
        for (size_t i = 0; i < kResizeTable.size(); ++i) {
            Placement& placement = placements_[i];
            placement.control = item(kResizeTable[i].id);
            placement.rule = kResizeTable[i];
            GetWindowRect(placement.control, &placement.initial);
            MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&placement.initial), 2);
        }
    }

    void layOut(int dx, int dy) {
        const bool visible = IsWindowVisible(handle());
        if (visible) SendMessageW(handle(), WM_SETREDRAW, FALSE, 0);
        for (const Placement& placement : placements_) {
            RECT r = placement.initial;
            const auto follow = [](Follow rule, LONG& low, LONG& high, int delta) {
                if (rule == Follow::move) low += delta;
                if (rule != Follow::fixed) high += delta;
            };
            follow(placement.rule.horizontal, r.left, r.right, dx);
            follow(placement.rule.vertical, r.top, r.bottom, dy);
            SetWindowPos(placement.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            // The grip paints only its corner, so it would keep old pixels when moved.
            if (placement.control == grip_.get()) InvalidateRect(placement.control, nullptr, TRUE);
        }
        if (visible) {
            SendMessageW(handle(), WM_SETREDRAW, TRUE, 0);
            RedrawWindow(handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
    }

    // GetDpiForWindow exists from Windows 10 1607; before it the system DPI is the only one.
    UINT dialogDpi() const {
        using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
        static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
            reinterpret_cast<void*>(GetProcAddress(loadedModule(L"user32.dll"), "GetDpiForWindow")));
        if (getDpiForWindow) return getDpiForWindow(handle());
        HDC screen = GetDC(nullptr);
        ScopeExit release([screen] { ReleaseDC(nullptr, screen); });
        return static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    }

    std::wstring trace_;
    UniqueWindow grip_;
    std::array<Placement, kResizeTable.size()> placements_{};
    SIZE initialClient_{};
    SIZE minimumSize_{};
    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    bool rescaling_ = false;
};

} // namespace

std::wstring describeThrowable(JNIEnv* env, jthrowable exception) {
    // The VM refuses most calls while an exception is pending, so main's
    // exception is set aside while its trace is printed and then put back as it
    // was: the caller decides what becomes of it.
    const bool wasPending = env->ExceptionCheck();
    env->ExceptionClear();
    std::wstring text;
    if (env->PushLocalFrame(16) == JNI_OK) {
        ScopeExit popFrame([env] { env->PopLocalFrame(nullptr); });
        jclass bytesClass = env->FindClass("java/io/ByteArrayOutputStream");
        jmethodID bytesConstructor = bytesClass ? env->GetMethodID(bytesClass, "<init>", "()V") : nullptr;
        jobject bytes = bytesConstructor ? env->NewObject(bytesClass, bytesConstructor) : nullptr;
        jclass printClass = bytes ? env->FindClass("java/io/PrintStream") : nullptr;
        jmethodID printConstructor =
            printClass ? env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V") : nullptr;
        jobject printer = printConstructor ? env->NewObject(printClass, printConstructor, bytes) : nullptr;
        jmethodID printStackTrace =
            printer ? env->GetMethodID(env->GetObjectClass(exception), "printStackTrace", "(Ljava/io/PrintStream;)V")
                    : nullptr;
        jmethodID toString = nullptr;
        if (printStackTrace) {
            env->CallVoidMethod(exception, printStackTrace, printer);
            if (env->ExceptionCheck()) env->ExceptionDescribe();
            toString = env->GetMethodID(env->GetObjectClass(bytes), "toString", "()Ljava/lang/String;");
        }
        auto printed = toString ? static_cast<jstring>(env->CallObjectMethod(bytes, toString)) : nullptr;
        if (env->ExceptionCheck()) env->ExceptionDescribe();
        if (const char* characters = printed ? env->GetStringUTFChars(printed, nullptr) : nullptr) {
            text = decodeModifiedUtf8(characters);
            env->ReleaseStringUTFChars(printed, characters);
        }
    }
    // A failed look-up leaves its own error pending; main's exception replaces it.
    env->ExceptionClear();
    if (wasPending) env->Throw(exception);
    return text;
}

ExceptionChoice showJavaExceptionDialog(JNIEnv* env, jthrowable exception) {
    const std::wstring text = describeThrowable(env, exception);
    if (text.empty()) {
        trace<TraceTopic::jvm>("no trace of the exception could be made; going on as after Ignore");
        return ExceptionChoice::ignore;
    }
    JavaExceptionDialog dialog(withWindowsLineEnds(text));
    const INT_PTR result = dialog.run(programInstance(), IDD_JAVA_EXCEPTION, GetActiveWindow());
    trace<TraceTopic::jvm>("Java Exception dialog answered {}", static_cast<long long>(result));
    if (result == IDOK) return ExceptionChoice::ignore;
    // System.exit is refused while main's exception is still pending; on Ignore
    // it stays, so the VM reports it as uncaught when the thread leaves.
    env->ExceptionClear();
    return ExceptionChoice::stop;
}

} // namespace jl
