#pragma once
// Holds the Java splash library's "SplashClose" entry: invoking the holder calls
// it at most once, and so does destroying the holder.

namespace jl {

class SplashCloser {
public:
    using CloseFunction = void (*)();

    SplashCloser() = default;
    SplashCloser(const SplashCloser&) = delete;
    SplashCloser& operator=(const SplashCloser&) = delete;
    ~SplashCloser() { invoke(); }

    // A different function replaces the held one only after calling it.
    void set(CloseFunction function) {
        if (function != function_) invoke();
        function_ = function;
    }
    void invoke() {
        CloseFunction function = function_;
        function_ = nullptr;
        if (function) function();
    }

private:
    CloseFunction function_ = nullptr;
};

} // namespace jl
