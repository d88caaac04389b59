#pragma once
// Pictures of four coloured quarters in every format the splash reads, and the
// screen rectangles a test compares a window with.

#include <windows.h>

#include <array>
#include <string>

namespace jltest {

inline constexpr int kPictureWidth = 120, kPictureHeight = 80;
// The picture's quarters: top left, top right, bottom left, bottom right.
inline constexpr COLORREF kQuarters[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};

[[nodiscard]] int quarterOf(int x, int y, int width, int height);
// Writes a picture in the format of the MIME type ("image/png", "image/gif", ...).
bool writePicture(const std::wstring& path, const wchar_t* mimeType, int width = kPictureWidth,
                  int height = kPictureHeight);
// Pictures that are hard to show: a PNG that claims 20,000 x 20,000 pixels and
// holds almost none, and a 1 x 1 GIF of a thousand frames.
[[nodiscard]] std::string hugePngHeader();
[[nodiscard]] std::string thousandFrameGif();
// Left, top, right and bottom of a window of that size centred on the screen.
[[nodiscard]] std::array<LONG, 4> centred(int width, int height);
[[nodiscard]] std::array<LONG, 4> windowRect(HWND window);

} // namespace jltest
