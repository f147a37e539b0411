#include "ui/WaveFile.h"

#include <cstring>

namespace velloran {

namespace {

std::uint32_t ReadU32(const ByteSet& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t ReadU16(const ByteSet& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

bool TagIs(const ByteSet& bytes, std::size_t at, const char* tag) {
    return std::memcmp(bytes.data() + at, tag, 4) == 0;
}

constexpr std::uint16_t kFormatPcm = 1;

}  // namespace

std::optional<PcmWave> ParsePcmWave(const ByteSet& file) {
    if (file.size() < 12 || !TagIs(file, 0, "RIFF") || !TagIs(file, 8, "WAVE")) {
        return std::nullopt;
    }
    const std::uint64_t riffEnd = 8 + static_cast<std::uint64_t>(ReadU32(file, 4));
    if (riffEnd > file.size() || riffEnd < 12) {
        return std::nullopt;  // truncated file, or a RIFF size too small to hold the form type
    }

    std::optional<PcmWave> wave;
    bool haveFormat = false;
    PcmWave format;
    std::uint64_t at = 12;
    while (at + 8 <= riffEnd) {
        const std::uint64_t size = ReadU32(file, static_cast<std::size_t>(at) + 4);
        const std::uint64_t body = at + 8;
        if (body + size > riffEnd) {
            return std::nullopt;  // chunk cut short
        }
        if (TagIs(file, static_cast<std::size_t>(at), "fmt ")) {
            if (size < 16) {
                return std::nullopt;
            }
            const auto b = static_cast<std::size_t>(body);
            const std::uint16_t tag = ReadU16(file, b);
            format.channels = ReadU16(file, b + 2);
            format.sampleRate = ReadU32(file, b + 4);
            const std::uint32_t byteRate = ReadU32(file, b + 8);
            const std::uint16_t blockAlign = ReadU16(file, b + 12);
            format.bitsPerSample = ReadU16(file, b + 14);
            const bool supportedBits =
                format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 32;
            if (tag != kFormatPcm || !supportedBits || format.channels == 0 || format.channels > 8 ||
                format.sampleRate == 0 || blockAlign != format.channels * format.bitsPerSample / 8 ||
                byteRate != format.sampleRate * blockAlign) {
                return std::nullopt;
            }
            haveFormat = true;
        } else if (TagIs(file, static_cast<std::size_t>(at), "data")) {
            if (!haveFormat) {
                return std::nullopt;
            }
            const std::size_t frameBytes = format.channels * format.bitsPerSample / 8u;
            format.dataOffset = static_cast<std::size_t>(body);
            format.dataSize = static_cast<std::size_t>(size) / frameBytes * frameBytes;
            if (format.dataSize == 0) {
                return std::nullopt;
            }
            wave = format;
            break;
        }
        at = body + size + (size & 1);  // chunks are padded to an even length
    }
    return wave;
}

}  // namespace velloran
