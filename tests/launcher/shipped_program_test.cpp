// What the shipped program carries: a GUI x64 image with its manifest, icon and
// version information.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "rig/app_folder.h"
#include "rig/program_resources.h"
#include "support/unique_resource.h"

namespace jltest {
namespace {

class ShippedProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module_.valid()) << "jlauncher.exe does not load as data"; }

    const jl::UniqueModule module_{LoadLibraryExW(builtProgram(L"jlauncher.exe").c_str(), nullptr,
                                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    const HMODULE image_ = module_.get();
};

TEST_F(ShippedProgram, IsAGuiImageForX64) {
    const std::string file = readBytesFile(builtProgram(L"jlauncher.exe"));
    ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), file.size());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(file.data() + dos->e_lfanew);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // Stripped: no COFF symbol table is left in the image.
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
}

TEST_F(ShippedProgram, CarriesAnIconAndVersionInformation) {
    EXPECT_FALSE(resourceBytes(image_, RT_GROUP_ICON, MAKEINTRESOURCEW(1)).empty());
    // The pictures are stored compressed; each size must still make an icon.
    for (const int size : {16, 24, 32, 48}) EXPECT_EQ(iconWidth(image_, size), size);
    const std::string version = resourceBytes(image_, RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_GE(version.size(), 40u + sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(version.data() + 40);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

} // namespace
} // namespace jltest
