#pragma once
// Helpers shared by the widget tests.

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include "ui/Controls.h"

namespace velloran::test {

// Runs the GUI thread's events until `done` holds or `limit` has passed; whether it held.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Records what it is asked to do instead of doing it.
class RecordingServices final : public DesktopServices {
public:
    void PlayWave(const ByteSet& wave) override {
        std::lock_guard lock(mutex_);
        waves_.push_back(wave);
    }
    void OpenInBrowser(const Text& link) override {
        std::lock_guard lock(mutex_);
        links_.push_back(link);
    }
    std::vector<Text> Links() {
        std::lock_guard lock(mutex_);
        return links_;
    }

private:
    std::mutex mutex_;
    std::vector<ByteSet> waves_;
    std::vector<Text> links_;
};

}  // namespace velloran::test
