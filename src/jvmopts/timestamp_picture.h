#pragma once
// Date-and-time pictures in output file names. Platform-neutral.

#include <string>
#include <string_view>
#include <vector>

namespace jl {

// Where the picture of a file name stands: between its first and last "%".
struct PictureStretch {
    bool present = false;  // the name holds a "%"
    size_t first = 0;      // index of the first "%"
    size_t last = 0;       // index of the last "%"
};
[[nodiscard]] PictureStretch findPictureStretch(std::wstring_view name);

// A picture cut into runs that are formatted on their own: the time letters
// (h H m s t) by the time formatter, the date letters (d M y g) by the date
// formatter, everything else as written. Formatting each run alone keeps the
// text one formatter produces ("PM", "December") away from the other's letters.
struct PictureRun {
    enum class Kind { literal, time, date } kind;
    std::wstring text;
};
[[nodiscard]] std::vector<PictureRun> splitPicture(std::wstring_view picture);

// Every "L" of the picture becomes the milliseconds, in decimal without leading zeros.
[[nodiscard]] std::wstring withMilliseconds(std::wstring_view picture, unsigned milliseconds);

} // namespace jl
