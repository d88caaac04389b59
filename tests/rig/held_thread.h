#pragma once
// For tests of a stop that gives up on a thread: a way to hold a new thread of
// the test's own process before it runs any code of its own, for as long as the
// test likes, and state that faults when it is read after it was freed.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>

#include "support/module.h"
#include "support/unique_resource.h"

namespace jltest {

// Holds the process's loader lock. A thread started meanwhile waits in its
// start-up (the DLLs' thread-attach calls run under that lock) and runs none of
// its own code, as a thread stuck in the system's DLL loading would, until the
// hold ends. The holder itself may go on calling anything.
class LoaderLockHold {
public:
    LoaderLockHold() {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        lock_ = jl::resolve<Lock>(ntdll, "LdrLockLoaderLock");
        unlock_ = jl::resolve<Unlock>(ntdll, "LdrUnlockLoaderLock");
        held_ = lock_ && unlock_ && lock_(0, nullptr, &cookie_) == 0;
    }
    ~LoaderLockHold() { release(); }
    LoaderLockHold(const LoaderLockHold&) = delete;
    LoaderLockHold& operator=(const LoaderLockHold&) = delete;

    [[nodiscard]] bool held() const { return held_; }
    void release() {
        if (held_) unlock_(0, cookie_);
        held_ = false;
    }

private:
    using Lock = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
    using Unlock = LONG(NTAPI*)(ULONG, ULONG_PTR);
    Lock lock_ = nullptr;
    Unlock unlock_ = nullptr;
    ULONG_PTR cookie_ = 0;
    bool held_ = false;
};

// A handle of the test's own to a thread, still valid once the state that
// held the thread's first handle has gone.
[[nodiscard]] inline jl::UniqueHandle duplicateThreadHandle(HANDLE thread) {
    HANDLE duplicate = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return jl::UniqueHandle(duplicate);
}

// A thread's exit code once it has ended, waiting up to timeoutMs; empty if it has not.
[[nodiscard]] inline std::optional<DWORD> threadExitCode(HANDLE thread, DWORD timeoutMs) {
    DWORD exitCode = 0;
    if (WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0 || !GetExitCodeThread(thread, &exitCode)) return {};
    return exitCode;
}

// The exit code of a thread that read freed state.
inline constexpr DWORD kFreedStateRead = 0xDEAD;

// A T in pages of its own. free() destroys it and takes the pages away (the
// address range stays reserved, so nothing else lands there): a later read
// faults, and the fault ends the reading thread with kFreedStateRead instead of
// ending the whole test program. One at a time.
template <typename T>
class FaultsOnceFreed {
public:
    FaultsOnceFreed() {
        pages_ = VirtualAlloc(nullptr, sizeof(T), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        object_ = pages_ ? new (pages_) T() : nullptr;
        handler_ = AddVectoredExceptionHandler(1, endThreadReadingFreedState);
    }
    ~FaultsOnceFreed() {
        if (object_) object_->~T();
        RemoveVectoredExceptionHandler(handler_);
        freedRange().first = freedRange().second = 0;
    }
    FaultsOnceFreed(const FaultsOnceFreed&) = delete;
    FaultsOnceFreed& operator=(const FaultsOnceFreed&) = delete;

    [[nodiscard]] bool valid() const { return object_ != nullptr; }
    T& operator*() const { return *object_; }
    T* operator->() const { return object_; }

    void free() {
        if (!object_) return;
        object_->~T();
        object_ = nullptr;
        VirtualFree(pages_, sizeof(T), MEM_DECOMMIT);
        const auto begin = reinterpret_cast<uintptr_t>(pages_);
        freedRange().first = begin;
        freedRange().second = begin + sizeof(T);
    }

private:
    static std::pair<std::atomic<uintptr_t>, std::atomic<uintptr_t>>& freedRange() {
        static std::pair<std::atomic<uintptr_t>, std::atomic<uintptr_t>> range;
        return range;
    }
    static LONG CALLBACK endThreadReadingFreedState(EXCEPTION_POINTERS* exception) {
        const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
        if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2) {
            return EXCEPTION_CONTINUE_SEARCH;
        }
        const uintptr_t address = record.ExceptionInformation[1];
        if (address < freedRange().first || address >= freedRange().second) return EXCEPTION_CONTINUE_SEARCH;
        ExitThread(kFreedStateRead);
    }

    void* pages_ = nullptr;
    T* object_ = nullptr;
    void* handler_ = nullptr;
};

} // namespace jltest
