#include "text/TextOpsScan.h"

#include <cstring>

namespace velloran::scan {

namespace {

constexpr std::uint8_t FoldByte(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 0x20) : b; }

bool MatchesAt(Bytes hay, std::size_t at, Bytes needle, bool fold) {
    if (!fold) return std::memcmp(hay.data() + at, needle.data(), needle.size()) == 0;
    for (std::size_t k = 0; k < needle.size(); ++k) {
        if (FoldByte(hay[at + k]) != FoldByte(needle[k])) return false;
    }
    return true;
}

}  // namespace

std::size_t FindAtBoundarySimple(Bytes hay, std::size_t from, Bytes needle, bool fold) {
    if (needle.size() > hay.size()) return kNotFound;
    const std::size_t last = hay.size() - needle.size();
    for (std::size_t at = from; at <= last; at += CharLength(hay, at)) {
        if (MatchesAt(hay, at, needle, fold)) return at;
    }
    return kNotFound;
}

std::size_t FindAtBoundary(Bytes hay, std::size_t from, Bytes needle, bool fold) {
    return FindAtBoundarySimple(hay, from, needle, fold);
}

SpaceHit FindSpace(Bytes bytes, std::size_t from) {
    for (std::size_t at = from; at < bytes.size(); at += CharLength(bytes, at)) {
        if (bytes[at] == 0x20) return {at, 1};
        if (bytes[at] == 0xA1 && at + 1 < bytes.size() && bytes[at + 1] == 0xA1) return {at, 2};
    }
    return {};
}

std::size_t SkipLeadingSpaces(Bytes bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes[at] == 0x20) {
            at += 1;
        } else if (bytes[at] == 0xA1 && at + 1 < bytes.size() && bytes[at + 1] == 0xA1) {
            at += 2;
        } else {
            break;
        }
    }
    return at;
}

std::size_t EndBeforeTrailingSpaces(Bytes bytes, std::size_t begin) {
    std::size_t end = begin;
    for (std::size_t at = begin; at < bytes.size();) {
        const std::size_t length = CharLength(bytes, at);
        const bool space = bytes[at] == 0x20 || (length == 2 && bytes[at] == 0xA1 && bytes[at + 1] == 0xA1);
        at += length;
        if (!space) end = at;
    }
    return end;
}

void LowerSingleByteCapitals(Text& text) {
    const Bytes bytes = BytesOf(text);
    for (std::size_t at = 0; at < bytes.size(); at += CharLength(bytes, at)) {
        if (bytes[at] >= 'A' && bytes[at] <= 'Z') text[at] = static_cast<char>(bytes[at] + 0x20);
    }
}

}  // namespace velloran::scan
