#pragma once
// The splash picture, decoded by GDI+ into a bitmap that paints with one BitBlt.

#include <windows.h>

#include <string>

#include "support/unique_resource.h"

namespace jl {

// Decodes the picture file (any format GDI+ reads) and draws it into a bitmap
// compatible with the screen. A file that cannot be decoded gives a 0 x 0 size.
// GDI+ is loaded from the system folder and started on the first call.
[[nodiscard]] UniqueGdiObject renderSplashPicture(const std::wstring& path, SIZE& size);

} // namespace jl
