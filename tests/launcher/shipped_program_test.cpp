// What the shipped program carries: its icon and version information (its
// subsystem shows in jlpack's print of a packed copy: Jlpack.PrintShowsWhatACopyCarries).

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
