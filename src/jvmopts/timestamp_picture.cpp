#include "jvmopts/timestamp_picture.h"
#include "support/number_text.h"

namespace jl {

namespace {

PictureRun::Kind kindOf(wchar_t c) {
    switch (c) {
        case L'h': case L'H': case L'm': case L's': case L't': return PictureRun::Kind::time;
        case L'd': case L'M': case L'y': case L'g': return PictureRun::Kind::date;
        default: return PictureRun::Kind::literal;
    }
}

} // namespace

PictureStretch findPictureStretch(std::wstring_view name) {
    PictureStretch stretch;
    stretch.first = name.find(L'%');
    if (stretch.first == std::wstring_view::npos) return {};
    stretch.last = name.rfind(L'%');
    stretch.present = true;
    return stretch;
}

std::vector<PictureRun> splitPicture(std::wstring_view picture) {
    std::vector<PictureRun> runs;
    const auto append = [&](PictureRun::Kind kind, wchar_t c) {
        // A run of one kind that continues with the same letter stays one run (yyyy, HH).
        const bool joins = !runs.empty() && runs.back().kind == kind &&
                           (kind == PictureRun::Kind::literal || runs.back().text.back() == c);
        if (joins) {
            runs.back().text += c;
        } else {
            runs.push_back({kind, std::wstring(1, c)});
        }
    };
    for (size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == L'\'') {
            // Quoted text is literal; two quotes in a row stand for one, inside
            // a quoted stretch as well as outside ('it''s' gives it's).
            size_t j = i + 1;
            if (j < picture.size() && picture[j] == L'\'') {
                append(PictureRun::Kind::literal, L'\'');
                i = j;
                continue;
            }
            for (; j < picture.size(); ++j) {
                if (picture[j] != L'\'') {
                    append(PictureRun::Kind::literal, picture[j]);
                } else if (j + 1 < picture.size() && picture[j + 1] == L'\'') {
                    append(PictureRun::Kind::literal, L'\'');
                    ++j;
                } else {
                    break;
                }
            }
            i = j;
            continue;
        }
        append(kindOf(picture[i]), picture[i]);
    }
    return runs;
}

std::wstring withMilliseconds(std::wstring_view picture, unsigned milliseconds) {
    const std::wstring digits = decimalText(static_cast<unsigned long long>(milliseconds));
    std::wstring result;
    for (wchar_t c : picture) {
        if (c == L'L') {
            result += digits;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace jl
