#pragma once
// What the monitor and the window handlers need of the GUI: the results list, the few control
// properties they read and write, and two desktop services.
//
// The real implementations (ui/QtControls.h) may be called from any thread; a call from a worker
// runs on the GUI thread and waits for it, and a call made by a worker that has been stopped does
// nothing and returns the empty value (-1, 0, false or the empty text). Tests drive the monitor
// against in-memory fakes of these interfaces.

#include <cstdint>

#include "text/TextTypes.h"

namespace velloran {

// The four-column report list. Rows and columns are 0-based: 0 running number, 1 entry name,
// 2 entry link, 3 status.
class ResultsList {
public:
    virtual ~ResultsList() = default;
    // Appends a row of four empty cells; its index, or -1 on failure.
    virtual std::int32_t InsertRow() = 0;
    // No effect when the row or column does not exist.
    virtual void SetCellText(std::int32_t row, std::int32_t column, const Text& text) = 0;
    // The empty text for a row or column that does not exist (row -1 included).
    virtual Text GetCellText(std::int32_t row, std::int32_t column) = 0;
    virtual std::int32_t RowCount() = 0;
    virtual void ClearRows() = 0;
    // Scrolls until the whole row is visible; no effect for a missing row.
    virtual void EnsureVisible(std::int32_t row) = 0;
    // Index of the first selected row, -1 when none.
    virtual std::int32_t SelectedRow() = 0;
};

// Window state value that minimises the window.
inline constexpr std::int32_t kWindowStateMinimised = 2;

// The control properties the handlers and the passes reach.
class WindowControls {
public:
    virtual ~WindowControls() = default;
    virtual void SetWindowState(std::int32_t state) = 0;
    // The title banner picture box and its transparent label.
    virtual bool BannerVisible() = 0;
    virtual void SetBannerVisible(bool visible) = 0;
    virtual bool BannerLabelVisible() = 0;
    virtual void SetBannerLabelVisible(bool visible) = 0;
    // The category combo box: 0-based item index, -1 when none. Setting it from the program is not
    // a choice by the user and raises no selection event.
    virtual std::int32_t CategorySelection() = 0;
    virtual void SetCategorySelection(std::int32_t index) = 0;
    // The sound check box.
    virtual bool SoundTicked() = 0;
};

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Plays a complete RIFF WAVE file held in memory, once, on an output stream of its own; returns
    // as soon as playback has started. Malformed data and a missing audio device play nothing.
    virtual void PlayWave(const ByteSet& wave) = 0;
    // Hands an http or https link to the desktop's default browser and returns at once.
    virtual void OpenInBrowser(const Text& link) = 0;
};

}  // namespace velloran
