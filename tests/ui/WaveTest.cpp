// The alert sound's exact file layout, the WAVE reader's refusals, and PlayWave on bad data or
// without an audio device.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "UiTestSupport.h"
#include "ui/QtControls.h"
#include "ui/Resources.h"
#include "ui/WaveFile.h"

namespace velloran {
namespace {

std::uint32_t U32At(const ByteSet& bytes, std::size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}
std::uint16_t U16At(const ByteSet& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
std::string TagAt(const ByteSet& bytes, std::size_t at) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4);
}

TEST(AlertSoundTest, HasExactlyTheFixedChunkLayout) {
    const ByteSet wave = AlertSoundBytes();
    ASSERT_EQ(wave.size(), 175468u);
    EXPECT_EQ(TagAt(wave, 0), "RIFF");
    EXPECT_EQ(U32At(wave, 4), 175460u);
    EXPECT_EQ(TagAt(wave, 8), "WAVE");

    EXPECT_EQ(TagAt(wave, 12), "fmt ");
    EXPECT_EQ(U32At(wave, 16), 18u);
    EXPECT_EQ(U16At(wave, 20), 1);  // PCM
    EXPECT_EQ(U16At(wave, 22), 2);  // channels
    EXPECT_EQ(U32At(wave, 24), 44100u);
    EXPECT_EQ(U32At(wave, 28), 176400u);
    EXPECT_EQ(U16At(wave, 32), 4);   // block align
    EXPECT_EQ(U16At(wave, 34), 16);  // bits per sample
    EXPECT_EQ(U16At(wave, 36), 0);   // extra size

    EXPECT_EQ(TagAt(wave, 38), "LIST");
    EXPECT_EQ(U32At(wave, 42), 122u);
    EXPECT_EQ(TagAt(wave, 46), "INFO");
    // The INFO list is made of whole tagged sub-chunks that end exactly at the end of the list.
    std::size_t at = 50;
    while (at < 46 + 122) {
        const std::uint32_t size = U32At(wave, at + 4);
        at += 8 + size + (size & 1);
    }
    EXPECT_EQ(at, 168u);

    EXPECT_EQ(TagAt(wave, 168), "data");
    EXPECT_EQ(U32At(wave, 172), 175292u);

    const auto layout = ParsePcmWave(wave);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->dataOffset, 176u);
    EXPECT_EQ(layout->dataSize, 175292u);
    EXPECT_EQ(layout->channels, 2);
    EXPECT_EQ(layout->sampleRate, 44100u);
    EXPECT_EQ(layout->bitsPerSample, 16);
}

TEST(AlertSoundTest, IsAnAudibleSoundThatEndsInSilence) {
    const ByteSet wave = AlertSoundBytes();
    ASSERT_EQ(wave.size(), 175468u);
    int peak = 0;
    for (std::size_t at = 176; at + 1 < wave.size(); at += 2) {
        peak = std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(U16At(wave, at)))));
    }
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32768);
    const auto lastLeft = static_cast<std::int16_t>(U16At(wave, wave.size() - 4));
    const auto lastRight = static_cast<std::int16_t>(U16At(wave, wave.size() - 2));
    EXPECT_LE(std::abs(lastLeft), 64);  // no click at the end
    EXPECT_LE(std::abs(lastRight), 64);
}

// Builds small WAVE files chunk by chunk.
class WaveBuilder {
public:
    WaveBuilder& Chunk(const char* tag, const ByteSet& body, bool pad = true) {
        chunks_.insert(chunks_.end(), tag, tag + 4);
        PutU32(chunks_, static_cast<std::uint32_t>(body.size()));
        chunks_.insert(chunks_.end(), body.begin(), body.end());
        if (pad && body.size() % 2 == 1) {
            chunks_.push_back(0);
        }
        return *this;
    }
    WaveBuilder& Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                        std::uint16_t blockAlign = 0, std::uint32_t byteRate = 0, std::size_t size = 16) {
        if (blockAlign == 0) {
            blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
        }
        if (byteRate == 0) {
            byteRate = rate * blockAlign;
        }
        ByteSet body;
        PutU16(body, tag);
        PutU16(body, channels);
        PutU32(body, rate);
        PutU32(body, byteRate);
        PutU16(body, blockAlign);
        PutU16(body, bits);
        body.resize(size, 0);
        return Chunk("fmt ", body);
    }
    ByteSet File(const char* form = "WAVE", std::int64_t riffSizeAdjust = 0) const {
        ByteSet file{'R', 'I', 'F', 'F'};
        PutU32(file, static_cast<std::uint32_t>(4 + chunks_.size() + riffSizeAdjust));
        file.insert(file.end(), form, form + 4);
        file.insert(file.end(), chunks_.begin(), chunks_.end());
        return file;
    }

private:
    static void PutU32(ByteSet& out, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    static void PutU16(ByteSet& out, std::uint16_t value) {
        out.push_back(static_cast<std::uint8_t>(value));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    ByteSet chunks_;
};

const ByteSet kFrames(64, 0x10);  // 16 stereo 16-bit frames

TEST(WaveFileTest, AcceptsPcmWithOtherChunksAndOddPadding) {
    const ByteSet file = WaveBuilder()
                             .Chunk("LIST", ByteSet(7, 'x'))  // odd size, padded to 8
                             .Format(1, 2, 22050, 16)
                             .Chunk("fact", ByteSet(4, 0))
                             .Chunk("data", kFrames)
                             .File();
    const auto layout = ParsePcmWave(file);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->sampleRate, 22050u);
    EXPECT_EQ(layout->dataSize, kFrames.size());
    EXPECT_EQ(std::memcmp(file.data() + layout->dataOffset, kFrames.data(), kFrames.size()), 0);
}

TEST(WaveFileTest, UsesOnlyWholeFrames) {
    ByteSet samples(kFrames);
    samples.resize(kFrames.size() + 3, 0x10);  // three stray bytes after the last frame
    const auto layout = ParsePcmWave(WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", samples).File());
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->dataSize, kFrames.size());
}

TEST(WaveFileTest, RefusesWhatIsNotACompletePcmWave) {
    const ByteSet good = WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", kFrames).File();
    ASSERT_TRUE(ParsePcmWave(good).has_value());
    const ByteSet alert = AlertSoundBytes();
    const struct {
        const char* name;
        ByteSet file;
    } cases[] = {
        {"empty", {}},
        {"RIFF only", ByteSet{'R', 'I', 'F', 'F'}},
        {"text", ByteSet{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'}},
        {"another RIFF form", WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", kFrames).File("AVI ")},
        {"truncated in the data", ByteSet(good.begin(), good.end() - 10)},
        {"alert truncated", ByteSet(alert.begin(), alert.begin() + 1000)},
        {"alert cut inside fmt", ByteSet(alert.begin(), alert.begin() + 30)},
        {"RIFF size beyond the file", WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", kFrames).File("WAVE", 2)},
        {"data chunk beyond RIFF", WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", kFrames).File("WAVE", -8)},
        {"float samples", WaveBuilder().Format(3, 2, 44100, 32).Chunk("data", kFrames).File()},
        {"extensible format", WaveBuilder().Format(0xFFFE, 2, 44100, 16).Chunk("data", kFrames).File()},
        {"ADPCM", WaveBuilder().Format(2, 2, 44100, 4, 2048, 44100).Chunk("data", kFrames).File()},
        {"24-bit", WaveBuilder().Format(1, 2, 44100, 24).Chunk("data", kFrames).File()},
        {"no channels", WaveBuilder().Format(1, 0, 44100, 16, 4).Chunk("data", kFrames).File()},
        {"rate 0", WaveBuilder().Format(1, 2, 0, 16, 4, 1).Chunk("data", kFrames).File()},
        {"wrong block align", WaveBuilder().Format(1, 2, 44100, 16, 3).Chunk("data", kFrames).File()},
        {"wrong byte rate", WaveBuilder().Format(1, 2, 44100, 16, 4, 1000).Chunk("data", kFrames).File()},
        {"fmt too short", WaveBuilder().Format(1, 2, 44100, 16, 0, 0, 14).Chunk("data", kFrames).File()},
        {"data before fmt", WaveBuilder().Chunk("data", kFrames).Format(1, 2, 44100, 16).File()},
        {"no data", WaveBuilder().Format(1, 2, 44100, 16).File()},
        {"no fmt", WaveBuilder().Chunk("data", kFrames).File()},
        {"empty data", WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", {}).File()},
        {"less than a frame", WaveBuilder().Format(1, 2, 44100, 16).Chunk("data", ByteSet(3, 1)).File()},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ParsePcmWave(c.file).has_value()) << c.name;
    }
}

// Bad data and a missing audio device are silence: no crash, no hang, nothing left playing.
TEST(PlayWaveTest, BadDataPlaysNothingAndReturnsAtOnce) {
    QtDesktopServices services([](const QUrl&) {});
    const ByteSet alert = AlertSoundBytes();
    const ByteSet bad[] = {{}, ByteSet(alert.begin(), alert.begin() + 5000), ByteSet(1000, 0xAB)};
    for (const ByteSet& wave : bad) {
        services.PlayWave(wave);
        EXPECT_EQ(services.PlayingCount(), 0u);
    }
}

TEST(PlayWaveTest, OverlappingAlertsStartAndEndCleanly) {
    const ByteSet alert = AlertSoundBytes();
    {
        QtDesktopServices services([](const QUrl&) {});
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 3; ++i) {
            services.PlayWave(alert);
        }
        // Returns as soon as playback has started (or failed for want of a device).
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_LE(services.PlayingCount(), 3u);
        // With a device the streams finish on their own after about a second; without one they are
        // gone at once. Either way none is left after a few seconds.
        EXPECT_TRUE(test::PumpUntil([&] { return services.PlayingCount() == 0; }, std::chrono::seconds(5)));
    }
    {
        // Going away while sounds may still be playing must release them safely.
        QtDesktopServices services([](const QUrl&) {});
        services.PlayWave(alert);
        services.PlayWave(alert);
    }
}

}  // namespace
}  // namespace velloran
