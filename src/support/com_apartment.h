#pragma once
// COM on the current thread for one task: the shell's folder picker and its
// "open" verb may run extensions that need a single-threaded apartment.

#include <objbase.h>

namespace jl {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Only a successful initialisation (S_OK or S_FALSE) is balanced; a thread
    // already in another apartment keeps it.
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

} // namespace jl
