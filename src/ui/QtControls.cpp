#include "ui/QtControls.h"

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableWidget>

#include "ui/BrowserLink.h"
#include "ui/GuiThreadCall.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"

namespace velloran {

namespace {

// Item role holding a cell's text as the code page 936 bytes it was set with.
constexpr int kTextBytesRole = Qt::UserRole + 1;

bool HasCell(const QTableWidget& table, std::int32_t row, std::int32_t column) {
    return row >= 0 && row < table.rowCount() && column >= 0 && column < table.columnCount();
}

}  // namespace

// --- QtResultsList ---------------------------------------------------------------------------

QtResultsList::QtResultsList(QTableWidget& table) : table_(table) {}

std::int32_t QtResultsList::InsertRow() {
    return CallOnGuiThread(calls_, std::int32_t{-1}, [this]() -> std::int32_t {
        const int row = table_.rowCount();
        table_.insertRow(row);
        for (int column = 0; column < table_.columnCount(); ++column) {
            auto* item = new QTableWidgetItem();
            item->setData(kTextBytesRole, QByteArray());
            table_.setItem(row, column, item);
        }
        return row;
    });
}

void QtResultsList::SetCellText(std::int32_t row, std::int32_t column, const Text& text) {
    CallOnGuiThread(calls_, [this, row, column, text] {
        if (!HasCell(table_, row, column)) {
            return;
        }
        QTableWidgetItem* item = table_.item(row, column);
        if (item == nullptr) {
            item = new QTableWidgetItem();
            table_.setItem(row, column, item);
        }
        item->setText(ToQString(text));
        item->setData(kTextBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    });
}

Text QtResultsList::GetCellText(std::int32_t row, std::int32_t column) {
    return CallOnGuiThread(calls_, Text(), [this, row, column]() -> Text {
        if (!HasCell(table_, row, column)) {
            return {};
        }
        const QTableWidgetItem* item = table_.item(row, column);
        if (item == nullptr) {
            return {};
        }
        const QByteArray bytes = item->data(kTextBytesRole).toByteArray();
        return Text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    });
}

std::int32_t QtResultsList::RowCount() {
    return CallOnGuiThread(calls_, std::int32_t{0}, [this]() -> std::int32_t { return table_.rowCount(); });
}

void QtResultsList::ClearRows() {
    CallOnGuiThread(calls_, [this] { table_.setRowCount(0); });
}

void QtResultsList::EnsureVisible(std::int32_t row) {
    CallOnGuiThread(calls_, [this, row] {
        if (row < 0 || row >= table_.rowCount()) {
            return;
        }
        table_.scrollTo(table_.model()->index(row, 0), QAbstractItemView::EnsureVisible);
    });
}

std::int32_t QtResultsList::SelectedRow() {
    return CallOnGuiThread(calls_, std::int32_t{-1}, [this]() -> std::int32_t {
        const QItemSelectionModel* selection = table_.selectionModel();
        if (selection == nullptr) {
            return -1;
        }
        int first = -1;
        for (const QModelIndex& index : selection->selectedIndexes()) {
            if (first == -1 || index.row() < first) {
                first = index.row();
            }
        }
        return first;
    });
}

// --- QtWindowControls ------------------------------------------------------------------------

QtWindowControls::QtWindowControls(MainWindow& window) : window_(window) {}

void QtWindowControls::SetWindowState(std::int32_t state) {
    CallOnGuiThread(calls_, [this, state] {
        if (state == kWindowStateMinimised) {
            window_.showMinimized();
        } else if (state == 0) {
            window_.showNormal();
        }
    });
}

// "Visible" is each control's own flag, as set by the calls below, independent of its parent.
bool QtWindowControls::BannerVisible() {
    return CallOnGuiThread(calls_, false, [this] { return !window_.Banner().isHidden(); });
}

void QtWindowControls::SetBannerVisible(bool visible) {
    CallOnGuiThread(calls_, [this, visible] { window_.Banner().setVisible(visible); });
}

bool QtWindowControls::BannerLabelVisible() {
    return CallOnGuiThread(calls_, false, [this] { return !window_.BannerLabel().isHidden(); });
}

void QtWindowControls::SetBannerLabelVisible(bool visible) {
    CallOnGuiThread(calls_, [this, visible] { window_.BannerLabel().setVisible(visible); });
}

std::int32_t QtWindowControls::CategorySelection() {
    return CallOnGuiThread(calls_, std::int32_t{-1},
                           [this]() -> std::int32_t { return window_.CategoryBox().currentIndex(); });
}

void QtWindowControls::SetCategorySelection(std::int32_t index) {
    // QComboBox raises `activated` only for the user's choices, so this is never taken for one.
    CallOnGuiThread(calls_, [this, index] {
        QComboBox& box = window_.CategoryBox();
        box.setCurrentIndex(index >= 0 && index < box.count() ? index : -1);
    });
}

bool QtWindowControls::SoundTicked() {
    return CallOnGuiThread(calls_, false, [this] { return window_.SoundBox().isChecked(); });
}

// --- QtDesktopServices -----------------------------------------------------------------------

QtDesktopServices::QtDesktopServices(UrlOpener openUrl)
    : openUrl_(openUrl ? std::move(openUrl) : UrlOpener([](const QUrl& url) { QDesktopServices::openUrl(url); })) {}

void QtDesktopServices::PlayWave(const ByteSet& wave) {
    CallOnGuiThread(calls_, [this, wave] { player_.Play(wave); });
}

void QtDesktopServices::OpenInBrowser(const Text& link) {
    CallOnGuiThread(calls_, [this, link] {
        const std::optional<QUrl> url = BrowserUrlFor(link);
        if (url) {
            openUrl_(*url);
        }
    });
}

}  // namespace velloran
