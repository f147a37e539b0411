#pragma once
// The Qt implementations of the control interfaces of ui/Controls.h.
//
// Every call is safe from any thread: on the GUI thread it runs directly, from a worker it runs on
// the GUI thread while the worker waits (ui/GuiThreadCall.h), and a call made or queued by a worker
// that has been stopped does nothing and returns the empty value. Texts cross as code page 936.
// Each object must be created and destroyed on the GUI thread, and outlive every thread that uses it.

#include <functional>

#include <QObject>
#include <QUrl>

#include "ui/Controls.h"
#include "ui/GuiCallQueue.h"
#include "ui/WavePlayer.h"

class QTableWidget;

namespace velloran {

class MainWindow;

// 超级列表框1. A cell keeps the exact bytes it was given, so reading it back returns them
// unchanged even where code page 936 has no character for a byte sequence.
class QtResultsList final : public ResultsList {
public:
    explicit QtResultsList(QTableWidget& table);

    std::int32_t InsertRow() override;
    void SetCellText(std::int32_t row, std::int32_t column, const Text& text) override;
    Text GetCellText(std::int32_t row, std::int32_t column) override;
    std::int32_t RowCount() override;
    void ClearRows() override;
    void EnsureVisible(std::int32_t row) override;
    std::int32_t SelectedRow() override;

private:
    GuiCallQueue calls_;  // calls from other threads wait here, and are discarded with it
    QTableWidget& table_;
};

class QtWindowControls final : public WindowControls {
public:
    explicit QtWindowControls(MainWindow& window);

    // 2 minimises the window and 0 shows it normally again; other values are ignored.
    void SetWindowState(std::int32_t state) override;
    bool BannerVisible() override;
    void SetBannerVisible(bool visible) override;
    bool BannerLabelVisible() override;
    void SetBannerLabelVisible(bool visible) override;
    std::int32_t CategorySelection() override;
    void SetCategorySelection(std::int32_t index) override;
    bool SoundTicked() override;

private:
    GuiCallQueue calls_;
    MainWindow& window_;
};

class QtDesktopServices final : public DesktopServices {
public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // `openUrl` receives every link that passes the browser-link check; by default the desktop's
    // own handler (QDesktopServices::openUrl), which starts the default browser.
    explicit QtDesktopServices(UrlOpener openUrl = {});

    void PlayWave(const ByteSet& wave) override;
    // The empty link is accepted and does nothing; a link other than http or https is refused.
    void OpenInBrowser(const Text& link) override;

    // Sounds started and still playing (GUI thread only).
    std::size_t PlayingCount() const { return player_.PlayingCount(); }

private:
    GuiCallQueue calls_;
    WavePlayer player_;
    UrlOpener openUrl_;
};

}  // namespace velloran
