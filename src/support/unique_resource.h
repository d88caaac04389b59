#pragma once
// Move-only ownership of Win32 handles, keys, views and the like.

#include <windows.h>

#include <utility>

namespace jl {

// Owns one value of type T that Close releases. Values equal to Invalid, or to
// the null value of T, count as "nothing owned". Releasing preserves the thread's
// last error, so a failure code read after a clean-up is still the original one.
template <typename T, auto Close, T Invalid = T{}>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    [[nodiscard]] T get() const { return value_; }
    [[nodiscard]] bool valid() const { return value_ != Invalid && value_ != T{}; }
    explicit operator bool() const { return valid(); }

    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        if (valid()) {
            const DWORD lastError = GetLastError();
            Close(value_);
            SetLastError(lastError);
        }
        value_ = value;
    }

private:
    T value_ = Invalid;
};

namespace detail {
inline void closeHandle(HANDLE handle) { CloseHandle(handle); }
inline void closeFind(HANDLE handle) { FindClose(handle); }
inline void closeKey(HKEY key) { RegCloseKey(key); }
inline void unmapView(const void* view) { UnmapViewOfFile(view); }
inline void freeModule(HMODULE module) { FreeLibrary(module); }
} // namespace detail

// Kernel handles whose failure value is null (events, threads, mappings, ...).
using UniqueHandle = UniqueResource<HANDLE, detail::closeHandle>;
// Files and find handles: adopt them with adoptFile/adoptFind below.
using UniqueFile = UniqueResource<HANDLE, detail::closeHandle>;
using UniqueFind = UniqueResource<HANDLE, detail::closeFind>;
using UniqueKey = UniqueResource<HKEY, detail::closeKey>;
using UniqueView = UniqueResource<const void*, detail::unmapView>;
using UniqueModule = UniqueResource<HMODULE, detail::freeModule>;

// File and find handles report failure as INVALID_HANDLE_VALUE, which is not a
// constant expression; these adopt a result and store "nothing" for it.
inline UniqueFile adoptFile(HANDLE handle) {
    return UniqueFile(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}
inline UniqueFind adoptFind(HANDLE handle) {
    return UniqueFind(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

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
