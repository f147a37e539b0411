#include "ui/Application.h"

#include <QApplication>
#include <QStyleFactory>

#include "ui/MainWindow.h"
#include "ui/QtControls.h"
#include "ui/Resources.h"
#include "ui/WindowHandlers.h"
#include "ui/WorkerControl.h"

namespace velloran {

int RunVelloran(int argc, char** argv, const Text& siteHost) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloran"));
    QApplication::setDesktopFileName(QStringLiteral("velloran"));
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);  // the same look of the controls on every desktop
    }

    MainWindow window;
    QtResultsList list(window.ResultsTable());
    QtWindowControls controls(window);
    QtDesktopServices services;
    int exitCode = 0;
    {
        // The worker control goes first at the end of this block: its destructor stops and joins
        // the workers, and any of them still waiting for the GUI thread is released by the stop.
        WorkerControl workers(list, controls, services, AlertSoundBytes(), siteHost);
        QObject handlers;
        ConnectWindowHandlers(window, list, controls, services, &workers, handlers);
        OnWindowCreated(window, controls);
        window.CentreOnScreen();
        window.show();
        exitCode = QApplication::exec();
    }
    return exitCode;
}

}  // namespace velloran
