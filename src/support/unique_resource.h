#pragma once
// Move-only ownership of Win32 handles, keys, views, modules and GDI objects.

#include <windows.h>

#include <utility>

namespace jl {

// Owns one value that Traits::close releases. Traits::invalid() is the value
// that means "nothing owned"; file and find handles use INVALID_HANDLE_VALUE,
// most others null. Releasing preserves the thread's last error, so a failure
// code read after a clean-up is still the original one.
template <typename Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() = default;
    explicit UniqueResource(Value value) : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    [[nodiscard]] Value get() const { return value_; }
    [[nodiscard]] bool valid() const { return value_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    Value release() { return std::exchange(value_, Traits::invalid()); }
    void reset(Value value = Traits::invalid()) {
        if (valid()) {
            const DWORD lastError = GetLastError();
            Traits::close(value_);
            SetLastError(lastError);
        }
        value_ = value;
    }
    // For APIs that hand the value out through a pointer: releases what is
    // owned and gives the address to fill.
    [[nodiscard]] Value* put() {
        reset();
        return &value_;
    }

private:
    Value value_ = Traits::invalid();
};

namespace detail {
template <typename T, auto Close>
struct NullIsInvalid {
    using Value = T;
    static constexpr T invalid() { return T{}; }
    static void close(T value) { Close(value); }
};
inline void closeHandle(HANDLE handle) { CloseHandle(handle); }
inline void closeFind(HANDLE handle) { FindClose(handle); }
inline void closeKey(HKEY key) { RegCloseKey(key); }
inline void unmapView(const void* view) { UnmapViewOfFile(view); }
inline void freeModule(HMODULE module) { FreeLibrary(module); }
inline void deleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void destroyWindow(HWND window) { DestroyWindow(window); }
inline void deleteDc(HDC dc) { DeleteDC(dc); }
inline void closeServiceHandle(SC_HANDLE handle) { CloseServiceHandle(handle); }
inline void deregisterEventSource(HANDLE source) { DeregisterEventSource(source); }

template <auto Close>
struct InvalidHandleValueIsInvalid {
    using Value = HANDLE;
    static Value invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) { Close(value); }
};
} // namespace detail

// Any value whose "nothing" is its null value, closed by Close.
template <typename T, auto Close>
using UniqueNullable = UniqueResource<detail::NullIsInvalid<T, Close>>;

// Kernel handles whose failure value is null (events, threads, mappings, ...).
using UniqueHandle = UniqueResource<detail::NullIsInvalid<HANDLE, detail::closeHandle>>;
// CreateFileW and FindFirstFileW report failure as INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<detail::InvalidHandleValueIsInvalid<detail::closeHandle>>;
using UniqueFind = UniqueResource<detail::InvalidHandleValueIsInvalid<detail::closeFind>>;
using UniqueKey = UniqueResource<detail::NullIsInvalid<HKEY, detail::closeKey>>;
using UniqueView = UniqueResource<detail::NullIsInvalid<const void*, detail::unmapView>>;
using UniqueModule = UniqueResource<detail::NullIsInvalid<HMODULE, detail::freeModule>>;
using UniqueGdiObject = UniqueResource<detail::NullIsInvalid<HGDIOBJ, detail::deleteGdiObject>>;
using UniqueWindow = UniqueResource<detail::NullIsInvalid<HWND, detail::destroyWindow>>;
// The service manager's handles, of the manager itself and of one service.
using UniqueServiceHandle = UniqueResource<detail::NullIsInvalid<SC_HANDLE, detail::closeServiceHandle>>;
// A registered event-log source (RegisterEventSourceW).
using UniqueEventSource = UniqueResource<detail::NullIsInvalid<HANDLE, detail::deregisterEventSource>>;

// Runs a clean-up at scope exit unless dismissed.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F action) : action_(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (armed_) action_();
    }
    void dismiss() { armed_ = false; }

private:
    F action_;
    bool armed_ = true;
};

} // namespace jl
