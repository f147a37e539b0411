#pragma once
// Plays in-memory WAVE files, each on an audio output stream of its own so that sounds overlap.
// Lives on the GUI thread and is used only there.

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

#include <QObject>

#include "text/TextTypes.h"

class QAudioSink;
class QBuffer;

namespace velloran {

class WavePlayer : public QObject {
public:
    WavePlayer();
    // Stops whatever still plays; every stream goes before the buffer it reads.
    ~WavePlayer() override;

    // Starts playing `wave` once and returns. Data that is not a complete PCM WAVE file, a missing
    // audio device and an output that cannot be opened all mean silence.
    void Play(const ByteSet& wave);

    // Streams started and not yet finished.
    std::size_t PlayingCount() const { return playbacks_.size(); }

private:
    struct Playback;
    void Finish(std::uint64_t id);

    std::list<std::unique_ptr<Playback>> playbacks_;
    std::uint64_t nextId_ = 1;
};

}  // namespace velloran
