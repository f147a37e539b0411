// The X server test runs the window on a real X server: it starts its own Xvfb on a free display
// before the QApplication connects to it, and stops it at the end.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "SanitizerSuppressions.h"

#include <chrono>
#include <csignal>
#include <cstdlib>

#include <sys/prctl.h>


// The X tools are started with fork and exec from a process that already runs threads;
// ThreadSanitizer would stop each child before its exec.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}

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

    // Xvfb picks a free display itself and writes its number once it accepts clients, so several
    // of these processes can start at once (ctest -j) without racing for a display.
    QProcess xvfb;
    xvfb.setStandardErrorFile(QProcess::nullDevice());
    // The server goes with us even if this process dies before it can stop it.
    xvfb.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    xvfb.start(QStringLiteral(VELLORAN_XVFB),
               {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                QStringLiteral("1280x1024x24"), QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                QStringLiteral("tcp")});
    QByteArray announced;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (xvfb.waitForStarted(100) && xvfb.state() == QProcess::Running && !announced.contains('\n') &&
           std::chrono::steady_clock::now() < deadline) {
        xvfb.waitForReadyRead(100);
        announced += xvfb.readAllStandardOutput();
    }
    bool numberRead = false;
    const int display = announced.trimmed().toInt(&numberRead);
    if (!numberRead || xvfb.state() != QProcess::Running) {
        std::fprintf(stderr, "could not start Xvfb\n");
        xvfb.kill();
        xvfb.waitForFinished(2000);
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
