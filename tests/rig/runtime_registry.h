#pragma once
// Java runtimes for one test: folders laid out like runtime homes, registered
// under HKEY_LOCAL_MACHINE in either registry view or, as the vendors' own
// installers do, under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER; all removed
// afterwards.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "rig/app_folder.h"

namespace jltest {

// Creates the files (and their folders) below a runtime home. Names ending in
// "jvm.dll" get a copy of the given image or else unloadableX64Image(), which a
// launch takes and fails to load; all others a few bytes.
void createRuntimeFiles(const std::wstring& home, std::initializer_list<std::wstring_view> relativeFiles,
                        const std::wstring& jvmImage = {});

// The seven registry roots' vendor keys and the vendor installers' keys (in both
// hives) belong to the test while it runs. A machine with runtimes registered for
// real is left alone: those tests skip.
class RegisteredRuntimes : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Registers version under root (e.g. L"Software\\JavaSoft\\JDK\\") with JavaHome.
    void add(std::wstring_view root, std::wstring_view version, std::wstring_view javaHome, bool view32 = false);
    // Registers version under the classic root with a JavaHome value of any type.
    void addJavaHomeValue(std::wstring_view version, unsigned long type, std::string_view bytes);
    // Writes a value as a vendor's installer does, e.g. under
    // L"Software\\Eclipse Adoptium\\JDK\\17.0.9.9\\hotspot\\MSI" in HKLM or HKCU.
    void addVendorText(bool currentUser, std::wstring_view keyPath, std::wstring_view name, std::wstring_view text);
    void addVendorNumber(bool currentUser, std::wstring_view keyPath, std::wstring_view name, unsigned long number);
    // A runtime home below the test's own folder.
    [[nodiscard]] std::wstring home(std::wstring_view name) const { return runtimes_ + L"\\" + std::wstring(name) + L"\\"; }

    std::wstring runtimes_;

private:
    bool owned_ = false;
};

} // namespace jltest
