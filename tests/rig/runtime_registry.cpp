#include "rig/runtime_registry.h"

#include <windows.h>

#include "rig/pe_samples.h"
#include "support/unique_resource.h"

namespace jltest {

namespace {

// Microsoft's key holds far more than runtimes: only its runtime keys are owned.
constexpr const wchar_t* kOwnedKeys[] = {
    L"Software\\JavaSoft",           L"Software\\JRockit",     L"Software\\IBM",
    L"Software\\Eclipse Adoptium",   L"Software\\Eclipse Foundation", L"Software\\AdoptOpenJDK",
    L"Software\\Microsoft\\JDK",     L"Software\\Microsoft\\JRE", L"Software\\Semeru",
    L"Software\\Azul Systems",       L"Software\\BellSoft",    L"Software\\SapMachine",
};
const HKEY kHives[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
constexpr REGSAM kViews[] = {0, KEY_WOW64_32KEY};
constexpr wchar_t kOwnerMark[] = L"JLauncherTestOwned";

jl::UniqueKey openKey(HKEY hive, const std::wstring& path, REGSAM access) {
    jl::UniqueKey key;
    if (RegOpenKeyExW(hive, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) return {};
    return key;
}

jl::UniqueKey createKey(HKEY hive, const std::wstring& path, REGSAM view) {
    jl::UniqueKey key;
    const LSTATUS status =
        RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr);
    EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create a registry key";
    return key;
}

// Creates the key and marks the owned key above it as the test's.
jl::UniqueKey createOwnedKey(HKEY hive, const std::wstring& path, REGSAM view) {
    for (const std::wstring owned : kOwnedKeys) {
        if (path.rfind(owned + L"\\", 0) != 0) continue;
        const DWORD one = 1;
        RegSetValueExW(createKey(hive, owned, view).get(), kOwnerMark, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&one), sizeof one);
        return createKey(hive, path, view);
    }
    ADD_FAILURE() << "the key is not one the tests own";
    return {};
}

void removeOwnedKeys() {
    for (HKEY hive : kHives) {
        for (REGSAM view : kViews) {
            for (const std::wstring owned : kOwnedKeys) {
                const size_t slash = owned.rfind(L'\\');
                jl::UniqueKey parent = openKey(hive, owned.substr(0, slash), KEY_ALL_ACCESS | view);
                if (parent) RegDeleteTreeW(parent.get(), owned.substr(slash + 1).c_str());
            }
        }
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
        } else if (relative.ends_with(L"jvm.dll")) {
            writeBytesFile(path, unloadableX64Image());
        } else {
            writeBytesFile(path, "stand-in");
        }
    }
}

void RegisteredRuntimes::SetUp() {
    for (HKEY hive : kHives) {
        for (REGSAM view : kViews) {
            for (const wchar_t* owned : kOwnedKeys) {
                jl::UniqueKey key = openKey(hive, owned, KEY_READ | view);
                if (key && RegQueryValueExW(key.get(), kOwnerMark, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                    GTEST_SKIP() << "Java runtimes are registered on this machine; these tests only run where none are";
                }
            }
        }
    }
    removeOwnedKeys();  // what an interrupted run may have left
    owned_ = true;
    runtimes_ = makeTemporaryFolder(L"jlrt");
}

void RegisteredRuntimes::TearDown() {
    if (!owned_) return;
    removeOwnedKeys();
    removeFolderTree(runtimes_);
}

void RegisteredRuntimes::add(std::wstring_view root, std::wstring_view version, std::wstring_view javaHome,
                             bool view32) {
    jl::UniqueKey runtime =
        createOwnedKey(HKEY_LOCAL_MACHINE, std::wstring(root) + std::wstring(version), view32 ? KEY_WOW64_32KEY : 0);
    const std::wstring home(javaHome);
    RegSetValueExW(runtime.get(), L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                   static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t)));
}

void RegisteredRuntimes::addJavaHomeValue(std::wstring_view version, unsigned long type, std::string_view bytes) {
    jl::UniqueKey runtime = createOwnedKey(
        HKEY_LOCAL_MACHINE, L"Software\\JavaSoft\\Java Runtime Environment\\" + std::wstring(version), 0);
    EXPECT_EQ(RegSetValueExW(runtime.get(), L"JavaHome", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

void RegisteredRuntimes::addVendorText(bool currentUser, std::wstring_view keyPath, std::wstring_view name,
                                       std::wstring_view text) {
    jl::UniqueKey key = createOwnedKey(currentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, std::wstring(keyPath), 0);
    const std::wstring value(text);
    RegSetValueExW(key.get(), std::wstring(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegisteredRuntimes::addVendorNumber(bool currentUser, std::wstring_view keyPath, std::wstring_view name,
                                         unsigned long number) {
    jl::UniqueKey key = createOwnedKey(currentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, std::wstring(keyPath), 0);
    const DWORD value = number;
    RegSetValueExW(key.get(), std::wstring(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

} // namespace jltest
