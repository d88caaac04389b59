// The process entry and the C++ runtime's last resorts, for the shipped program only (the test
// programs keep the library's own). The library's versions print through a
// name demangler and throw exception objects whose classes bring most of the
// library's string and locale code with them; the launcher catches no
// exception, so each of these ends the process as an uncaught one did: a line
// on standard error and abort().

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "support/console_output.h"

namespace {

[[noreturn]] void endProcess(const char* what) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE) {
        const char prefix[] = "terminate called: ";
        DWORD written = 0;
        WriteFile(error, prefix, sizeof prefix - 1, &written, nullptr);
        WriteFile(error, what, static_cast<DWORD>(std::strlen(what)), &written, nullptr);
        WriteFile(error, "\n", 1, &written, nullptr);
    }
    std::abort();
}

[[noreturn]] void terminateQuietly() { endProcess("unhandled exception"); }

} // namespace

// The library's start-up value of the terminate handler; defining it here keeps
// the demangling handler out of the program.
namespace __cxxabiv1 {
std::terminate_handler __terminate_handler = terminateQuietly;
} // namespace __cxxabiv1

namespace std {
void __throw_bad_cast() { endProcess("bad cast"); }
void __throw_bad_alloc() { endProcess("out of memory"); }
void __throw_bad_typeid() { endProcess("bad typeid"); }
void __throw_bad_exception() { endProcess("bad exception"); }
void __throw_bad_array_new_length() { endProcess("bad array new length"); }
void __throw_logic_error(const char* what) { endProcess(what); }
void __throw_range_error(const char* what) { endProcess(what); }
void __throw_domain_error(const char* what) { endProcess(what); }
void __throw_length_error(const char* what) { endProcess(what); }
void __throw_out_of_range(const char* what) { endProcess(what); }
void __throw_runtime_error(const char* what) { endProcess(what); }
void __throw_overflow_error(const char* what) { endProcess(what); }
void __throw_underflow_error(const char* what) { endProcess(what); }
void __throw_invalid_argument(const char* what) { endProcess(what); }
void __throw_out_of_range_fmt(const char* what, ...) { endProcess(what); }
void __throw_bad_function_call() { endProcess("bad function call"); }

// Without type information, make_shared's control block asks the library
// whether a type_info names its tag, and the library's answer brings its
// exception classes along. This program names no type_info of its own (it is
// built without them), so only the tag itself, compared by address before
// this is asked, could match.
bool _Sp_make_shared_tag::_S_eq(const type_info&) noexcept { return false; }
} // namespace std

// The process entry, in place of the C runtime's start-up, whose argument,
// wildcard, locale and signal set-up the launcher has no use for: wmain takes
// no arguments and the C library initialises itself when it loads. What the
// start-up did that still matters is done here: a check that the image needs
// no pseudo relocations, the C library told the program's kind (so its
// last-resort messages go to standard error in a console program and never
// become a window there), global constructors, and exit() so atexit handlers
// run.
extern "C" void __set_app_type(int);
extern "C" void (*__CTOR_LIST__[])();
int wmain();

// The C library's import library carries atexit only as data; the start-up
// used to supply the function, which hands the handler to the library's table
// that exit() runs.
extern "C" int atexit(void (*handler)()) { return _onexit(reinterpret_cast<_onexit_t>(handler)) ? 0 : -1; }

// Data imported without dllimport needs its address patched as the image
// loads ("pseudo relocations"). The launcher imports no data, so the list the
// linker makes stays empty and nothing needs patching; a change that made it
// non-empty ends every start with this message rather than running with
// unpatched addresses.
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST__[];
extern "C" char __RUNTIME_PSEUDO_RELOC_LIST_END__[];
extern "C" void _pei386_runtime_relocator() {
    if (__RUNTIME_PSEUDO_RELOC_LIST_END__ != __RUNTIME_PSEUDO_RELOC_LIST__) {
        endProcess("the program imports data it cannot patch");
    }
}

// Runs the global constructors, last listed first as the compiler expects; the
// process entry calls it once (the compiler adds no call to it to wmain). The
// list starts with a marker and ends with a null entry.
extern "C" void __main() {
    int count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (; count > 0; --count) __CTOR_LIST__[count]();
}

extern "C" [[noreturn]] void jlProcessStart() {
    _pei386_runtime_relocator();
    constexpr int kConsoleApp = 1;
    constexpr int kGuiApp = 2;
    __set_app_type(jl::isConsoleProgram() ? kConsoleApp : kGuiApp);
    __main();
    std::exit(wmain());
}

// Out of memory ends the process rather than throwing.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    endProcess("out of memory");
}
void* operator new[](std::size_t size) { return operator new(size); }
// Sorting asks for a scratch buffer this way and copes without one.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }


// Guards of function-local statics, so the program needs no POSIX thread layer
// behind the library's. The guard's first byte says "made", its second "being
// made"; a thread that finds a static being made waits its turn.
extern "C" int __cxa_guard_acquire(long long* guard) {
    char* made = reinterpret_cast<char*>(guard);
    char* beingMade = made + 1;
    for (;;) {
        if (__atomic_load_n(made, __ATOMIC_ACQUIRE)) return 0;
        char idle = 0;
        if (__atomic_compare_exchange_n(beingMade, &idle, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
            if (!__atomic_load_n(made, __ATOMIC_ACQUIRE)) return 1;
            __atomic_store_n(beingMade, 0, __ATOMIC_RELEASE);
            return 0;
        }
        SwitchToThread();
    }
}

extern "C" void __cxa_guard_release(long long* guard) {
    char* made = reinterpret_cast<char*>(guard);
    __atomic_store_n(made, 1, __ATOMIC_RELEASE);
    __atomic_store_n(made + 1, 0, __ATOMIC_RELEASE);
}

extern "C" void __cxa_guard_abort(long long* guard) {
    __atomic_store_n(reinterpret_cast<char*>(guard) + 1, 0, __ATOMIC_RELEASE);
}
