#pragma once
// Reading a RIFF WAVE file held in memory: just enough to hand its PCM samples to an audio output.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/TextTypes.h"

namespace velloran {

struct PcmWave {
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t bitsPerSample = 0;  // 8, 16 or 32
    std::size_t dataOffset = 0;       // where the samples start in the file
    std::size_t dataSize = 0;         // whole frames only
};

// The PCM layout of `file`, or nothing when it is not a complete, well-formed PCM WAVE file with
// at least one frame: wrong signature, a chunk running past the end of the data or of the RIFF
// chunk, no "fmt " before "data", a format other than integer PCM, or inconsistent format fields.
// Chunks other than "fmt " and "data" (LIST, fact, ...) are skipped.
std::optional<PcmWave> ParsePcmWave(const ByteSet& file);

}  // namespace velloran
