// The packer's platform-neutral parts: .ico reader, version resource, the image
// rewrite and the packing request, on images made in memory. Runs natively and
// under Wine. The cipher is held against CryptoAPI in the Windows equivalence test.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "icon_file.h"
#include "packer.h"
#include "pe_file.h"
#include "rig/pe_samples.h"
#include "version_resource.h"

namespace jltest {
namespace {

using jlpack::Bytes;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

TEST(PackIconFile, RefusesDamagedAndHugeIcons) {
    const auto changed = [](size_t at, std::uint8_t value) { Bytes bytes = sampleIconFile({16}); bytes[at] = value; return bytes; };
    const auto cut = [](Bytes bytes, size_t size) { bytes.resize(size); return bytes; };
    const Bytes of32 = sampleIconFile({32});
    const std::pair<Bytes, const char*> refusals[] = {
        {{}, "bad header"},
        {changed(2, 2), "bad header"},  // a cursor file
        {changed(4, 0), "holds no images"},
        {cut(sampleIconFile({16}), 12), "directory runs past the end"},
        {cut(of32, of32.size() - 1), "runs past the end"},
        {sampleIconFile({0}, 1024), "1024x1024, larger than Windows shows icons"},
        {sampleIconFile({0}, 0), "has no size"},
        {changed(8 + 6 + 3, 0x10), "more than icons need"},  // declares 256 MiB and more
        {changed(4, 65), "65 images, more than an icon needs"}};
    for (const auto& [file, reason] : refusals) {
        std::string problem;
        EXPECT_FALSE(jlpack::parseIconFile(file, &problem)) << reason;
        EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    }
}

TEST(PackIconFile, ReadsEveryImageWithItsTrueSize) {
    const auto images = jlpack::parseIconFile(sampleIconFile({16, 48, 0}, 256));
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 3u);
    EXPECT_EQ((*images)[1].width, 48u);
    EXPECT_EQ((*images)[1].height, 48u);
    EXPECT_FALSE((*images)[1].png);
    EXPECT_EQ((*images)[2].width, 256u);
    EXPECT_TRUE((*images)[2].png);
}

TEST(PackVersion, NumbersAreOneToFourPartsOfSixteenBits) {
    EXPECT_EQ(jlpack::parseVersionNumbers("2.5"), (std::array<std::uint16_t, 4>{2, 5, 0, 0}));
    EXPECT_EQ(jlpack::parseVersionNumbers("1.2.3.65535"), (std::array<std::uint16_t, 4>{1, 2, 3, 65535}));
    for (const char* bad : {"", "1.", "1..2", "1.2.3.4.5", "65536", "1.x", "v1"}) EXPECT_FALSE(jlpack::parseVersionNumbers(bad)) << bad;
}

TEST(PackImage, RefusesWhatItCannotRewrite) {
    const Bytes good = sampleImage(sampleLauncherResources());
    ASSERT_TRUE(jlpack::parsePeImage(good));
    const auto changed = [&](size_t at, std::uint8_t value) { Bytes bytes = good; bytes[at] = value; return bytes; };
    Bytes noResources = good;
    std::memset(&noResources[64 + 24 + 112 + 2 * 8], 0, 8);
    Bytes signedImage = changed(64 + 24 + 112 + 4 * 8, 0x10);
    Bytes unknownAfterResources = changed(64 + 24 + 240 + 40 + 1, 'd');  // ".reloc" renamed ".deloc"
    const std::pair<Bytes, const char*> refusals[] = {
        {Bytes(good.begin(), good.begin() + good.size() / 2), "truncated"},
        {Bytes(good.begin(), good.begin() + 100), "truncated"},
        {changed(0, 'X'), "no MZ header"},
        {changed(68, 0x4c), "not a 64-bit"},
        {noResources, "has no resource section"},
        {signedImage, "is signed"},
        {unknownAfterResources, "sections other than .reloc"},
        {changed(0x200 + 15, 0x7F), "runs past the resource section"}};
    for (const auto& [bytes, reason] : refusals) {
        std::string problem;
        EXPECT_FALSE(jlpack::parsePeImage(bytes, &problem)) << reason;
        EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    }
}

TEST(PackImage, RewriteKeepsEverythingElse) {
    jlpack::ResourceTable resources = sampleLauncherResources();
    resources.put({{true, 0, u"NAMED"}, {true, 0, u"Entry"}, 0x409, 1252, bytesOf("named")});
    const Bytes original = sampleImage(resources);
    const auto image = jlpack::parsePeImage(original);
    ASSERT_TRUE(image);
    resources.put({jlpack::ResourceName::number(jlpack::kRtRcdata), jlpack::ResourceName::number(7), 0, 0, Bytes(9000, 1)});
    const Bytes rewritten = jlpack::rewriteImage(*image, resources);
    const auto reread = jlpack::parsePeImage(rewritten);
    ASSERT_TRUE(reread);
    ASSERT_EQ(reread->resources.all().size(), resources.all().size());
    for (size_t i = 0; i < resources.all().size(); ++i) {
        EXPECT_EQ(reread->resources.all()[i].name, resources.all()[i].name);
        EXPECT_EQ(reread->resources.all()[i].data, resources.all()[i].data);
        EXPECT_EQ(reread->resources.all()[i].codePage, resources.all()[i].codePage);
    }
    // The headers differ only in sizes, addresses and checksum (held against Windows in the
    // equivalence test); the relocations move up intact.
    EXPECT_EQ(reread->sections[1].virtualAddress, 0x1000 + (reread->sections[0].virtualSize + 0xFFFu) / 0x1000 * 0x1000);
    EXPECT_GT(reread->sections[1].virtualAddress, image->sections[1].virtualAddress);
    EXPECT_TRUE(std::equal(rewritten.begin() + reread->sections[1].rawPointer,
                           rewritten.begin() + reread->sections[1].rawPointer + 12, original.begin() + image->sections[1].rawPointer));
}

jlpack::PackRequest sampleRequest() {
    jlpack::PackRequest request;
    request.launcher = sampleImage(sampleLauncherResources());
    request.ini = bytesOf("[Product Information]\nProduct Name=Sample\nUpgrade Code={CODE}\n[Application]\nCmd=x\n");
    request.keyText = "0123456789ABCDEF";
    request.icon = sampleIconFile({16, 32, 0}, 256);
    request.productVersion = "2.1";
    request.originalFileName = "Sample.exe";
    request.executionLevel = "highestAvailable";
    return request;
}

TEST(PackLauncher, RefusesImagesThatAreNoLauncherAndBadRequests) {
    jlpack::ResourceTable plain = sampleLauncherResources();
    plain.remove(5, jlpack::ResourceName::number(201));
    // The command line's refusals are tested through the program itself.
    jlpack::PackRequest notLauncher = sampleRequest(), badVersion = sampleRequest(), wideCode = sampleRequest();
    notLauncher.launcher = sampleImage(plain);
    badVersion.fileVersion = "1.2.3.4.5";
    wideCode.upgradeCode = "\xC3\xBC";
    const std::pair<jlpack::PackRequest, const char*> refusals[] = {
        {notLauncher, "the launcher is refused: it is not a JLauncher launcher"},
        {badVersion, "a version must be"},
        {wideCode, "must be ASCII"}};
    for (const auto& [request, reason] : refusals) {
        std::string problem;
        EXPECT_FALSE(jlpack::packLauncher(request, problem)) << reason;
        EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    }
}

TEST(PackIniText, DecodesEveryEncodingToCrLfLines) {
    const std::u16string expected = u"[A]\r\nK=Gr\u00FC\u00DFe \u20AC\r\n";
    const Bytes utf16 = {0xFF, 0xFE, '[', 0, 'A', 0, ']', 0, '\n', 0, 'K', 0, '=', 0, 'G', 0, 'r', 0, 0xFC, 0, 0xDF, 0,
                         'e', 0, ' ', 0, 0xAC, 0x20, '\r', 0};
    for (const Bytes& bytes : {bytesOf("[A]\nK=Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\r"), bytesOf("\xEF\xBB\xBF[A]\r\nK=Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\n"),
                               bytesOf("[A]\r\nK=Gr\xFC\xDF" "e \x80\r\n"), utf16}) {
        EXPECT_EQ(jlpack::iniTextFromBytes(bytes), expected);
    }
}

} // namespace
} // namespace jltest
