#include "rig/runtime_registry.h"

#include <windows.h>

#include "support/unique_resource.h"

namespace jltest {

namespace {

constexpr const wchar_t* kVendorKeys[] = {L"JavaSoft", L"JRockit", L"IBM"};
constexpr wchar_t kOwnerMark[] = L"JLauncherTestOwned";

jl::UniqueKey openKey(const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return jl::UniqueKey(key);
}

jl::UniqueKey createKey(const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                           nullptr, &key, nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create a registry key";
    return jl::UniqueKey(status == ERROR_SUCCESS ? key : nullptr);
}

void removeVendorKeys() {
    for (REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
        jl::UniqueKey software = openKey(L"Software", KEY_ALL_ACCESS | view);
        if (!software) continue;
        for (const wchar_t* vendor : kVendorKeys) RegDeleteTreeW(software.get(), vendor);
    }
}

} // namespace

void createRuntimeFiles(const std::wstring& home, std::initializer_list<std::wstring_view> relativeFiles,
                        const std::wstring& jvmImage) {
    for (std::wstring_view relative : relativeFiles) {
        const std::wstring path = home + std::wstring(relative);
        for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
            CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        }
        if (!jvmImage.empty() && relative.ends_with(L"jvm.dll")) {
            ASSERT_TRUE(CopyFileW(jvmImage.c_str(), path.c_str(), FALSE)) << GetLastError();
        } else {
            writeBytesFile(path, "stand-in");
        }
    }
}

void RegisteredRuntimes::SetUp() {
    for (REGSAM view : {REGSAM{0}, REGSAM{KEY_WOW64_32KEY}}) {
        for (const wchar_t* vendor : kVendorKeys) {
            jl::UniqueKey key = openKey(std::wstring(L"Software\\") + vendor, KEY_READ | view);
            if (key && RegQueryValueExW(key.get(), kOwnerMark, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                GTEST_SKIP() << "Java runtimes are registered on this machine; these tests only run where none are";
            }
        }
    }
    removeVendorKeys();  // what an interrupted run may have left
    owned_ = true;
    runtimes_ = makeTemporaryFolder(L"jlrt");
}

void RegisteredRuntimes::TearDown() {
    if (!owned_) return;
    removeVendorKeys();
    removeFolderTree(runtimes_);
}

void RegisteredRuntimes::add(std::wstring_view root, std::wstring_view version, std::wstring_view javaHome,
                             bool view32) {
    const REGSAM view = view32 ? KEY_WOW64_32KEY : 0;
    const std::wstring rootPath(root);
    const std::wstring vendor = rootPath.substr(0, rootPath.find(L'\\', 9));
    jl::UniqueKey vendorKey = createKey(vendor, view);
    const DWORD one = 1;
    RegSetValueExW(vendorKey.get(), kOwnerMark, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    jl::UniqueKey runtime = createKey(rootPath + std::wstring(version), view);
    const std::wstring home(javaHome);
    RegSetValueExW(runtime.get(), L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                   static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)));
}

} // namespace jltest
