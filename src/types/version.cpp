#include "types/version.h"

#include "support/message_ids.h"
#include "support/number_text.h"

namespace jl {

namespace {

bool isVersionDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

} // namespace

bool parseVersion(std::wstring_view text, int32_t fill, Version& version) {
    version = Version{};
    Version parsed{};
    size_t position = 0;
    int partsRead = 0;
    while (partsRead < 4) {
        while (position < text.size() && !isVersionDigit(text[position])) ++position;
        if (position == text.size()) break;
        int64_t value = 0;
        for (; position < text.size() && isVersionDigit(text[position]); ++position) {
            value = value * 10 + (text[position] - L'0');
            if (value > INT32_MAX) return false;
        }
        parsed.parts[partsRead++] = static_cast<int32_t>(value);
    }
    if (partsRead == 0) return false;
    for (int i = partsRead; i < 4; ++i) parsed.parts[i] = fill;
    version = parsed;
    return true;
}

int compareVersions(const Version& a, const Version& b) {
    for (size_t i = 0; i < 4; ++i) {
        if (a.parts[i] < b.parts[i]) return -1;
        if (a.parts[i] > b.parts[i]) return 1;
    }
    return 0;
}

bool versionInRange(const Version& version, const Version& minimum, const Version& maximum) {
    return compareVersions(version, maximum) <= 0 && compareVersions(version, minimum) >= 0;
}

bool versionMatchesPattern(const Version& version, const Version& pattern) {
    if (version == pattern) return true;
    size_t significant = 4;
    while (significant > 0 && pattern.parts[significant - 1] == 0) --significant;
    for (size_t i = 0; i < significant; ++i) {
        if (version.parts[i] != pattern.parts[i]) return false;
    }
    return true;
}

bool isOpenBound(const Version& version) {
    return version == kNoMinimum || version == kNoMaximum;
}

std::wstring fullVersionText(const Version& version) {
    std::wstring text;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) text += L'.';
        appendDecimal(text, static_cast<long long>(version.parts[i]));
    }
    return text;
}

std::wstring formatVersion(const Version& version) {
    int highest = -1;
    for (int i = 3; i >= 0; --i) {
        if (version.parts[i] != 0 && version.parts[i] != kOpenPart) {
            highest = i;
            break;
        }
    }
    if (highest < 0) return L"0.0.0.0";
    if (highest < 1) highest = 1;
    std::wstring text;
    for (int i = 0; i <= highest; ++i) {
        if (i > 0) text += L'.';
        appendDecimal(text, static_cast<long long>(version.parts[i]));
    }
    return text;
}

VersionRequirementText versionRequirementText(const Version& minimum, const Version& maximum) {
    const bool minimumOpen = isOpenBound(minimum);
    const bool maximumOpen = isOpenBound(maximum);
    if (minimumOpen && maximumOpen) return {kMsgLatestVersion, {}};
    if (minimumOpen) return {kMsgMaximumVersion, {formatVersion(maximum)}};
    if (maximumOpen) return {kMsgMinimumVersion, {formatVersion(minimum)}};
    if (minimum == maximum) return {kMsgExactVersion, {formatVersion(minimum)}};
    return {kMsgVersionBetween, {formatVersion(minimum), formatVersion(maximum)}};
}

} // namespace jl
