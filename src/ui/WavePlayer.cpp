#include "ui/WavePlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QMediaDevices>

#include "ui/WaveFile.h"

namespace velloran {

// One playing sound. Member order matters: the sink is destroyed first, while the buffer it reads
// still exists.
struct WavePlayer::Playback {
    std::uint64_t id = 0;
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QAudioSink> sink;

    ~Playback() {
        if (sink) {
            sink->disconnect();
            sink->stop();
            sink.reset();
        }
    }
};

namespace {

QAudioFormat::SampleFormat SampleFormatFor(std::uint16_t bitsPerSample) {
    switch (bitsPerSample) {
        case 8:
            return QAudioFormat::UInt8;
        case 16:
            return QAudioFormat::Int16;
        default:
            return QAudioFormat::Int32;
    }
}

}  // namespace

WavePlayer::WavePlayer() = default;

WavePlayer::~WavePlayer() {
    playbacks_.clear();
}

void WavePlayer::Play(const ByteSet& wave) {
    const std::optional<PcmWave> layout = ParsePcmWave(wave);
    if (!layout) {
        return;
    }
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        return;
    }
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(layout->sampleRate));
    format.setChannelCount(layout->channels);
    format.setSampleFormat(SampleFormatFor(layout->bitsPerSample));
    if (!device.isFormatSupported(format)) {
        return;
    }

    auto playback = std::make_unique<Playback>();
    playback->id = nextId_++;
    playback->buffer = std::make_unique<QBuffer>();
    playback->buffer->setData(reinterpret_cast<const char*>(wave.data()) + layout->dataOffset,
                              static_cast<qsizetype>(layout->dataSize));
    playback->buffer->open(QIODevice::ReadOnly);
    playback->sink = std::make_unique<QAudioSink>(device, format);
    const std::uint64_t id = playback->id;
    // Idle: every sample has been played. Stopped: the output failed or was lost. Either way the
    // stream is done; it is released from the event loop, never inside its own signal.
    connect(playback->sink.get(), &QAudioSink::stateChanged, this, [this, id](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) {
            QMetaObject::invokeMethod(this, [this, id] { Finish(id); }, Qt::QueuedConnection);
        }
    });
    QAudioSink& sink = *playback->sink;
    QBuffer& buffer = *playback->buffer;
    playbacks_.push_back(std::move(playback));
    sink.start(&buffer);
    if (sink.error() != QAudio::NoError) {
        Finish(id);
    }
}

void WavePlayer::Finish(std::uint64_t id) {
    playbacks_.remove_if([id](const std::unique_ptr<Playback>& playback) { return playback->id == id; });
}

}  // namespace velloran
