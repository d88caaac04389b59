// The packer's platform-neutral parts: cipher, .ico reader, version resource and
// the image rewrite, on images made in memory. Runs natively and under Wine.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "icon_file.h"
#include "packer.h"
#include "pe_file.h"
#include "rig/pe_samples.h"
#include "settings/settings_cipher.h"
#include "version_resource.h"

namespace jltest {
namespace {

using jlpack::Bytes;

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) text += "0123456789abcdef"[b >> 4], text += "0123456789abcdef"[b & 15];
    return text;
}

TEST(PackCipher, Md5MatchesTheReferenceDigests) {
    const std::pair<const char*, const char*> digests[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"}};
    for (const auto& [text, digest] : digests) EXPECT_EQ(hex(jl::md5(bytesOf(text))), digest) << text;
}

TEST(PackCipher, EnciphersAsTheLauncherDeciphers) {
    // The launcher's own test vector: RC4 under the Base provider's 40-bit key from MD5("JLauncher").
    Bytes data = bytesOf("[Application]");
    jl::applySettingsCipher("JLauncher", data);
    EXPECT_EQ(data, (Bytes{0x3c, 0x7f, 0xb9, 0x2e, 0x07, 0xac, 0xe6, 0x2a, 0xfd, 0x24, 0xfd, 0x4c, 0x9c}));
    jl::applySettingsCipher("JLauncher", data);
    EXPECT_EQ(data, bytesOf("[Application]"));
}

TEST(PackIconFile, RefusesDamagedAndHugeIcons) {
    Bytes truncated = sampleIconFile({32});
    truncated.resize(truncated.size() - 1);
    Bytes badHeader = sampleIconFile({16});
    badHeader[2] = 2;  // a cursor file
    Bytes noImages = sampleIconFile({16});
    noImages[4] = 0;
    Bytes shortDirectory = sampleIconFile({16});
    shortDirectory.resize(12);
    Bytes manyImages = sampleIconFile({16});
    manyImages[4] = 65;
    Bytes bigBytes = sampleIconFile({16});
    bigBytes[8 + 6 + 3] = 0x10;  // declares 256 MiB and more
    const std::pair<Bytes, const char*> refusals[] = {
        {{}, "bad header"},
        {badHeader, "bad header"},
        {noImages, "holds no images"},
        {shortDirectory, "directory runs past the end"},
        {truncated, "runs past the end"},
        {sampleIconFile({0}, 1024), "1024x1024, larger than Windows shows icons"},
        {sampleIconFile({0}, 0), "has no size"},
        {bigBytes, "more than icons need"},
        {manyImages, "65 images, more than an icon needs"}};
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

TEST(PackVersion, NumbersAndStringsSurviveARoundTrip) {
    EXPECT_EQ(jlpack::parseVersionNumbers("2.5"), (std::array<std::uint16_t, 4>{2, 5, 0, 0}));
    EXPECT_EQ(jlpack::parseVersionNumbers("1.2.3.65535"), (std::array<std::uint16_t, 4>{1, 2, 3, 65535}));
    for (const char* bad : {"", "1.", "1..2", "1.2.3.4.5", "65536", "1.x", "v1"}) EXPECT_FALSE(jlpack::parseVersionNumbers(bad)) << bad;

    jlpack::VersionInfo info{{1, 2, 3, 4}, {5, 6, 7, 8}, {{u"ProductName", u"Gr\u00FC\u00DFe"}, {u"FileVersion", u"1.2.3.4"}, {u"A", u""}}};
    const auto read = jlpack::parseVersionResource(jlpack::buildVersionResource(info));
    ASSERT_TRUE(read);
    EXPECT_TRUE(std::equal(read->fileVersion, read->fileVersion + 4, info.fileVersion));
    EXPECT_TRUE(std::equal(read->productVersion, read->productVersion + 4, info.productVersion));
    EXPECT_EQ(read->strings, info.strings);
}

TEST(PackImage, RefusesWhatItCannotRewrite) {
    const Bytes good = sampleImage(sampleLauncherResources());
    ASSERT_TRUE(jlpack::parsePeImage(good));
    auto changed = [&](size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
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

TEST(PackImage, RewriteKeepsEverythingElseAndFixesTheChecksum) {
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
    // The headers differ only in sizes, addresses and checksum; the relocations move up intact.
    EXPECT_EQ(reread->sections[1].virtualAddress, 0x1000 + (reread->sections[0].virtualSize + 0xFFFu) / 0x1000 * 0x1000);
    EXPECT_GT(reread->sections[1].virtualAddress, image->sections[1].virtualAddress);
    EXPECT_TRUE(std::equal(rewritten.begin() + reread->sections[1].rawPointer,
                           rewritten.begin() + reread->sections[1].rawPointer + 12, original.begin() + image->sections[1].rawPointer));
    const size_t checksumAt = 64 + 24 + 64;
    std::uint32_t checksum = 0;
    std::memcpy(&checksum, &rewritten[checksumAt], 4);
    EXPECT_EQ(checksum, jlpack::peChecksum(rewritten, checksumAt));
    EXPECT_NE(checksum, 0u);
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

TEST(PackLauncher, PackingAPackedCopyReplacesAndNeverDuplicates) {
    std::string problem;
    const auto once = jlpack::packLauncher(sampleRequest(), problem);
    ASSERT_TRUE(once) << problem;
    jlpack::PackRequest again = sampleRequest();
    again.launcher = once->image;
    const auto twice = jlpack::packLauncher(again, problem);
    ASSERT_TRUE(twice) << problem;
    EXPECT_EQ(twice->image, once->image);
    const auto image = jlpack::parsePeImage(twice->image);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->resources.ofType(jlpack::kRtIcon).size(), 3u);
    EXPECT_EQ(image->resources.ofType(jlpack::kRtGroupIcon).size(), 1u);
    EXPECT_EQ(image->resources.ofType(jlpack::kRtRcdata).size(), 2u);
    EXPECT_EQ(image->resources.ofType(jlpack::kRtVersion).size(), 1u);
}

TEST(PackLauncher, PrintShowsWhatTheCopyCarries) {
    std::string problem;
    const auto packed = jlpack::packLauncher(sampleRequest(), problem);
    ASSERT_TRUE(packed) << problem;
    const auto shown = jlpack::describeLauncher(packed->image, "{CODE}", problem);
    ASSERT_TRUE(shown) << problem;
    for (const char* part : {"Execution level: highestAvailable\n", "Icon: 16x16 32-bit, 32x32 32-bit, 256x256 PNG\n",
                             "file 2.1.0.0, product 2.1.0.0", "  ProductName: Sample\n", "  OriginalFilename: Sample.exe\n",
                             "  [Application]\n  Cmd=x\n"}) {
        EXPECT_NE(shown->find(part), std::string::npos) << part << " in\n" << *shown;
    }
    const auto enciphered = jlpack::describeLauncher(packed->image, "", problem);
    ASSERT_TRUE(enciphered);
    EXPECT_EQ(enciphered->find("Cmd=x"), std::string::npos);
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
