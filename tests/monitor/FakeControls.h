#pragma once
// In-memory stand-ins for the results list, the controls and the desktop services. Like the real
// control layer they may be called from any thread, and a call made by a worker that has been
// stopped does nothing and returns the empty value. Every effect is logged in order, so a test
// can tell what happened after a given moment.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/win_threads/WorkerThread.h"
#include "ui/Controls.h"

namespace velloran::testing {

class FakeResultsList : public ResultsList {
public:
    using Row = std::array<Text, 4>;

    std::int32_t InsertRow() override {
        WaitAtGate();
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped()) return -1;
        rows_.push_back(Row{});
        log_.push_back("insert");
        return static_cast<std::int32_t>(rows_.size()) - 1;
    }
    void SetCellText(std::int32_t row, std::int32_t column, const Text& text) override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped() || !Exists(row) || column < 0 || column > 3) return;
        rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
        log_.push_back("set " + std::to_string(row) + "," + std::to_string(column));
    }
    Text GetCellText(std::int32_t row, std::int32_t column) override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped() || !Exists(row) || column < 0 || column > 3) return {};
        return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    }
    std::int32_t RowCount() override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped()) return 0;
        return static_cast<std::int32_t>(rows_.size());
    }
    void ClearRows() override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped()) return;
        rows_.clear();
        log_.push_back("clear");
    }
    void EnsureVisible(std::int32_t row) override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped() || !Exists(row)) return;
        log_.push_back("visible " + std::to_string(row));
    }
    std::int32_t SelectedRow() override { return -1; }

    // Test side.
    std::vector<Row> Rows() {
        std::lock_guard lock(mutex_);
        return rows_;
    }
    void SetRows(std::vector<Row> rows) {
        std::lock_guard lock(mutex_);
        rows_ = std::move(rows);
    }
    std::vector<std::string> Log() {
        std::lock_guard lock(mutex_);
        return log_;
    }
    std::size_t LogSize() {
        std::lock_guard lock(mutex_);
        return log_.size();
    }
    // Makes InsertRow wait, as a call waiting for a busy GUI thread does, until the gate is
    // opened or the calling worker is stopped.
    void CloseGate() {
        std::lock_guard lock(gateMutex_);
        gateOpen_ = false;
    }
    void OpenGate() {
        {
            std::lock_guard lock(gateMutex_);
            gateOpen_ = true;
        }
        gateChanged_.notify_all();
    }
    bool SomeoneAtGate() const { return waitingAtGate_.load() > 0; }

private:
    bool Exists(std::int32_t row) const { return row >= 0 && static_cast<std::size_t>(row) < rows_.size(); }
    void WaitAtGate() {
        std::unique_lock lock(gateMutex_);
        ++waitingAtGate_;
        gateChanged_.wait_for(lock, platform::CurrentStopToken(), std::chrono::seconds(20), [this] { return gateOpen_; });
        --waitingAtGate_;
    }

    std::mutex mutex_;
    std::vector<Row> rows_;
    std::vector<std::string> log_;
    std::mutex gateMutex_;
    std::condition_variable_any gateChanged_;
    bool gateOpen_ = true;
    std::atomic<int> waitingAtGate_{0};
};

class FakeWindowControls : public WindowControls {
public:
    void SetWindowState(std::int32_t state) override { windowState = state; }
    bool BannerVisible() override { return banner; }
    void SetBannerVisible(bool visible) override { banner = visible; }
    bool BannerLabelVisible() override { return bannerLabel; }
    void SetBannerLabelVisible(bool visible) override { bannerLabel = visible; }
    std::int32_t CategorySelection() override {
        if (platform::CurrentWorkerStopped()) return -1;
        ++selectionReads;
        return selection;
    }
    void SetCategorySelection(std::int32_t index) override { selection = index; }
    bool SoundTicked() override { return !platform::CurrentWorkerStopped() && ticked; }

    std::atomic<std::int32_t> windowState{0};
    std::atomic<bool> banner{false};
    std::atomic<bool> bannerLabel{false};
    std::atomic<std::int32_t> selection{0};
    std::atomic<int> selectionReads{0};
    std::atomic<bool> ticked{false};
};

class FakeDesktopServices : public DesktopServices {
public:
    void PlayWave(const ByteSet& wave) override {
        std::lock_guard lock(mutex_);
        if (platform::CurrentWorkerStopped()) return;
        playedSizes_.push_back(wave.size());
    }
    void OpenInBrowser(const Text& link) override {
        std::lock_guard lock(mutex_);
        opened_.push_back(link);
    }
    std::vector<std::size_t> PlayedSizes() {
        std::lock_guard lock(mutex_);
        return playedSizes_;
    }

private:
    std::mutex mutex_;
    std::vector<std::size_t> playedSizes_;
    std::vector<Text> opened_;
};

}  // namespace velloran::testing
