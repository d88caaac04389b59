// Cutting an output file name's time-stamp picture into runs.

#include <gtest/gtest.h>

#include "jvmopts/timestamp_picture.h"

namespace jl {
namespace {

std::wstring runsText(std::wstring_view picture) {
    std::wstring text;
    for (const PictureRun& run : splitPicture(picture)) {
        text += run.kind == PictureRun::Kind::time ? L"t:" : run.kind == PictureRun::Kind::date ? L"d:" : L"";
        text += run.text + L"|";
    }
    return text;
}

TEST(TimestampPicture, RunsKeepTimeDateAndLiteralsApart) {
    const struct {
        const wchar_t* picture;
        const wchar_t* runs;
    } cases[] = {
        {L"yyyyMMdd-HHmm'x'", L"d:yyyy|d:MM|d:dd|-|t:HH|t:mm|x|"},
        {L"hh tt", L"t:hh| |t:tt|"},
        // Two quotes stand for one, inside a quoted stretch too, as the system's formatters read them.
        {L"'it''s' HH", L"it's |t:HH|"},
        {L"''HH''", L"'|t:HH|'|"},
        {L"'a''''b'", L"a''b|"},
        {L"'unclosed HH", L"unclosed HH|"},
        {L"'open''", L"open'|"},
        {L"'", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(runsText(c.picture), c.runs) << ::testing::PrintToString(std::wstring(c.picture));
}

TEST(TimestampPicture, EveryLIsTheMilliseconds) {
    EXPECT_EQ(withMilliseconds(L"ss.L-LL", 42), L"ss.42-4242");
    EXPECT_EQ(withMilliseconds(L"L", 0), L"0");
    EXPECT_EQ(withMilliseconds(L"HHmm", 999), L"HHmm");
}

} // namespace
} // namespace jl
