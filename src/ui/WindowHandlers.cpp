#include "ui/WindowHandlers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QTableWidget>

#include "ui/MainWindow.h"
#include "ui/PictureButton.h"
#include "ui/WorkerControl.h"

namespace velloran {

namespace {

constexpr int kComboSelectionFieldHeight = 30;

// Reports every left double-click on the list's viewport, on a row or on the empty space below
// them, after the view has handled it. The view itself only reports double-clicks on items.
class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(QObject& parent, std::function<void()> onDoubleClick)
        : QObject(&parent), onDoubleClick_(std::move(onDoubleClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The press before it has already selected the row under the pointer.
            QMetaObject::invokeMethod(this, onDoubleClick_, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onDoubleClick_;
};

}  // namespace

void OnWindowCreated(MainWindow& window, WindowControls& controls) {
    window.CategoryBox().setFixedHeight(kComboSelectionFieldHeight);
    controls.SetCategorySelection(0);
}

void ToggleBanner(WindowControls& controls) {
    if (!controls.BannerVisible()) {
        controls.SetBannerVisible(true);
        controls.SetBannerLabelVisible(true);
    } else {
        controls.SetBannerVisible(false);
        controls.SetBannerLabelVisible(false);
    }
}

void OpenSelectedLink(ResultsList& list, DesktopServices& services) {
    const std::int32_t row = list.SelectedRow();
    const Text link = list.GetCellText(row, 2);
    services.OpenInBrowser(link);
}

void ConnectWindowHandlers(MainWindow& window, ResultsList& list, WindowControls& controls,
                           DesktopServices& services, WorkerControl* workers, QObject& lifetime) {
    QObject::connect(&window.MinimiseButton(), &QAbstractButton::clicked, &lifetime,
                     [&controls] { controls.SetWindowState(kWindowStateMinimised); });
    QObject::connect(&window.ExitButton(), &QAbstractButton::clicked, &lifetime,
                     [] { QCoreApplication::exit(0); });
    QObject::connect(&window.LogoButton(), &QAbstractButton::clicked, &lifetime,
                     [&controls] { ToggleBanner(controls); });
    QObject::connect(&window.StartScanButton(), &QAbstractButton::clicked, &lifetime, [workers] {
        if (workers != nullptr) {
            workers->OnStartScanClicked();
        }
    });
    QObject::connect(&window.StartCheckButton(), &QAbstractButton::clicked, &lifetime, [workers] {
        if (workers != nullptr) {
            workers->OnStartCheckClicked();
        }
    });
    // `activated` is raised only when the user picks an item, never for setCurrentIndex.
    QObject::connect(&window.CategoryBox(), &QComboBox::activated, &lifetime, [workers](int) {
        if (workers != nullptr) {
            workers->OnCategoryChosen();
        }
    });
    auto* watcher = new DoubleClickWatcher(lifetime, [&list, &services] { OpenSelectedLink(list, services); });
    window.ResultsTable().viewport()->installEventFilter(watcher);
}

}  // namespace velloran
