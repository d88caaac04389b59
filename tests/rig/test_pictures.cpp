#include "rig/test_pictures.h"

#include <objidl.h>
// objidl.h first: the lean Windows headers leave out what gdiplus.h needs.
#include <gdiplus.h>

#include <algorithm>
#include <vector>

#include "rig/app_folder.h"

namespace jltest {

int quarterOf(int x, int y, int width, int height) { return (x < width / 2 ? 0 : 1) + (y < height / 2 ? 0 : 2); }

// Wine's GDI+ writes no GIF that it can read back, so GIFs are written here: four
// palette colours, the LZW stream restarted every two pixels so codes stay 3 bits.
namespace {

bool writeGif(const std::wstring& path, int width, int height) {
    std::string gif = "GIF89a";
    const auto put16 = [&](int value) { gif += static_cast<char>(value & 0xFF), gif += static_cast<char>(value >> 8); };
    put16(width), put16(height), gif += "\x81", gif += std::string(2, '\0');
    for (const COLORREF colour : kQuarters) {
        gif += static_cast<char>(GetRValue(colour)), gif += static_cast<char>(GetGValue(colour));
        gif += static_cast<char>(GetBValue(colour));
    }
    gif += ',', put16(0), put16(0), put16(width), put16(height), gif += std::string(1, '\0') + "\x02";
    std::string data;
    unsigned bits = 0, count = 0;
    const auto code = [&](unsigned value) {
        for (bits |= value << count, count += 3; count >= 8; bits >>= 8, count -= 8) data += static_cast<char>(bits);
    };
    for (int i = 0; i < width * height; ++i) {
        if (i % 2 == 0) code(4);  // clear
        code(static_cast<unsigned>(quarterOf(i % width, i / width, width, height)));
    }
    code(5);  // end
    if (count) data += static_cast<char>(bits);
    for (size_t i = 0; i < data.size(); i += 255) {
        const std::string block = data.substr(i, 255);
        gif += static_cast<char>(block.size()) + block;
    }
    writeBytesFile(path, gif + std::string(1, '\0') + ";");
    return true;
}

uint32_t crc32(std::string_view bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

std::string bigEndian(uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string pngChunk(std::string_view type, std::string_view data) {
    const std::string typed = std::string(type) + std::string(data);
    return bigEndian(static_cast<uint32_t>(data.size())) + typed + bigEndian(crc32(typed));
}

} // namespace

std::string hugePngHeader() {
    const std::string header = bigEndian(20000) + bigEndian(20000) + std::string("\x08\x02\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)) + pngChunk("IEND", "");
}

std::string thousandFrameGif() {
    std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
    gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int frame = 0; frame < 1000; ++frame) {
        gif += std::string("\x21\xF9\x04\x00\x01\x00\x00\x00", 8);
        gif += std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00", 15);
    }
    return gif + "\x3B";
}

bool writePicture(const std::wstring& path, const wchar_t* mimeType, int width, int height) {
    if (std::wstring(mimeType) == L"image/gif") return writeGif(path, width, height);
    static const bool started = [] {
        ULONG_PTR token = 0;
        const Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<char> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (!started || size == 0 || Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok) return false;
    const auto encoder = std::find_if(encoders, encoders + count,
                                      [&](const auto& codec) { return std::wstring(codec.MimeType) == mimeType; });
    if (encoder == encoders + count) return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(&bitmap);
    for (int quarter = 0; quarter < 4; ++quarter) {
        const COLORREF colour = kQuarters[quarter];
        Gdiplus::SolidBrush brush(Gdiplus::Color(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        graphics.FillRectangle(&brush, quarter % 2 * (width / 2), quarter / 2 * (height / 2), width - width / 2,
                               height - height / 2);
    }
    return bitmap.Save(path.c_str(), &encoder->Clsid, nullptr) == Gdiplus::Ok;
}

// Left, top, right and bottom.
std::array<LONG, 4> centred(int width, int height) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {x, y, x + width, y + height};
}

std::array<LONG, 4> windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace jltest
