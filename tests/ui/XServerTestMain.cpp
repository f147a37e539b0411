// The X server test runs the window on a real X server: it starts its own Xvfb on a free display
// before the QApplication connects to it, and stops it at the end.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "LeakSuppressions.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// The first display number whose X socket and lock file do not exist yet.
int FreeDisplay() {
    for (int display = 90; display < 190; ++display) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display))) {
            return display;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/velloran-test-XXXXXX";
        if (mkdtemp(runtime.data()) != nullptr) {
            qputenv("XDG_RUNTIME_DIR", runtime);
        }
    }
    // Listing the tests needs no X server.
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]).startsWith("--gtest_list_tests")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            QApplication application(argc, argv);
            return RUN_ALL_TESTS();
        }
    }

    // Several of these processes may start at once (ctest -j); retry on another display if the
    // chosen one was taken in the meantime.
    QProcess xvfb;
    int display = -1;
    for (int attempt = 0; attempt < 5 && display < 0; ++attempt) {
        const int candidate = FreeDisplay() + attempt * 7;
        xvfb.start(QStringLiteral(VELLORAN_XVFB),
                   {QStringLiteral(":%1").arg(candidate), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
        if (!xvfb.waitForStarted(5000)) {
            continue;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline && xvfb.state() == QProcess::Running &&
               !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(candidate))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (xvfb.state() == QProcess::Running && QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(candidate))) {
            display = candidate;
        } else {
            xvfb.kill();
            xvfb.waitForFinished(2000);
        }
    }
    if (display < 0) {
        std::fprintf(stderr, "could not start Xvfb\n");
        return 1;
    }
    qputenv("DISPLAY", QStringLiteral(":%1").arg(display).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 1;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    xvfb.terminate();
    if (!xvfb.waitForFinished(3000)) {
        xvfb.kill();
        xvfb.waitForFinished(2000);
    }
    return result;
}
