#include "jvmopts/vm_print_hook.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "support/module.h"

namespace jl {

namespace {

// 1 or 2 for the C library's own standard output or error, else 0.
int standardStreamOf(HMODULE library, FILE* stream) {
    if (const auto streamNumbered = resolve<FILE*(__cdecl*)(unsigned)>(library, "__acrt_iob_func")) {
        for (const unsigned number : {1u, 2u}) {
            if (streamNumbered(number) == stream) return static_cast<int>(number);
        }
    } else if (const auto streams = resolve<FILE*(__cdecl*)()>(library, "__iob_func")) {
        for (const int number : {1, 2}) {
            if (streams() + number == stream) return number;
        }
    }
    return 0;
}

// The system C library's printf spells the 64-bit size "I64" where C99 has
// "ll", "z", "j" and "t", and knows no "hh" (a char argument arrives promoted,
// so "h" prints it the same).
std::string systemPrintfFormat(const char* format) {
    std::string result;
    for (const char* c = format; *c;) {
        result += *c;
        if (*c++ != '%') continue;
        while (*c && std::string_view("-+ #0123456789.*").find(*c) != std::string_view::npos) result += *c++;
        if (c[0] == 'h' && c[1] == 'h') {
            result += 'h';
            c += 2;
        } else if (c[0] == 'l' && c[1] == 'l') {
            result += "I64";
            c += 2;
        } else if (*c == 'z' || *c == 'j' || *c == 't') {
            result += "I64";
            ++c;
        }
        if (*c) result += *c++;
    }
    return result;
}

} // namespace

jint JNICALL printVmMessage(FILE* stream, const char* format, va_list arguments) {
    const std::string systemFormat = systemPrintfFormat(format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = _vscprintf(systemFormat.c_str(), copy);
    va_end(copy);
    if (length < 0) return length;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    va_copy(copy, arguments);
    _vsnprintf(text.data(), text.size(), systemFormat.c_str(), copy);
    va_end(copy);
    text.resize(static_cast<size_t>(length));
    // The stream belongs to the runtime's C library: only that library may look
    // inside it. Its standard streams stand for the standard handles, which it
    // may have found missing when it started, before the launcher set them.
    HMODULE library = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(stream), &library)) {
        library = loadedModule(L"ucrtbase.dll");
    }
    HANDLE target = GetStdHandle(STD_ERROR_HANDLE);
    if (standardStreamOf(library, stream) == 1) {
        target = GetStdHandle(STD_OUTPUT_HANDLE);
    } else if (standardStreamOf(library, stream) == 0) {
        const auto fileNumber = resolve<int(__cdecl*)(FILE*)>(library, "_fileno");
        const auto osHandle = resolve<intptr_t(__cdecl*)(int)>(library, "_get_osfhandle");
        const int number = fileNumber && osHandle ? fileNumber(stream) : -1;
        if (number > 2) target = reinterpret_cast<HANDLE>(osHandle(number));
    }
    DWORD written = 0;
    if (target && target != INVALID_HANDLE_VALUE) WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return length;
}

} // namespace jl
