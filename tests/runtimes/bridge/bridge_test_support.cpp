#include "bridge_test_support.h"

#include "rig/app_folder.h"

namespace jltest::bridge {
namespace {

std::wstring buildFile(const std::wstring& relative) {
    const std::wstring joined = testProgramFolder() + L"\\..\\" + relative;
    wchar_t full[MAX_PATH];
    return GetFullPathNameW(joined.c_str(), MAX_PATH, full, nullptr) ? full : joined;
}

} // namespace

std::wstring jvmPath() { return buildFile(L"runtimes\\bridge\\bin\\server\\jvm.dll"); }
std::wstring programsJar() { return buildFile(L"runtimes\\bridge-programs\\bridge-programs.jar"); }

} // namespace jltest::bridge
