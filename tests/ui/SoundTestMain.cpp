// The sound test plays through a real sound server: it starts its own PulseAudio (a null sink, a
// private runtime folder) before Qt looks for a server, and stops it at the end.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include "SanitizerSuppressions.h"

#include <chrono>
#include <csignal>
#include <cstdlib>

#include <sys/prctl.h>
#include <thread>

// The test asks the sound server through pactl, started with fork and exec from a process that
// already runs threads; ThreadSanitizer would stop the child before its exec.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]).startsWith("--gtest_list_tests")) {
            QApplication application(argc, argv);
            return RUN_ALL_TESTS();
        }
    }
    QByteArray runtime = QDir::tempPath().toLocal8Bit() + "/velloran-sound-XXXXXX";
    if (mkdtemp(runtime.data()) == nullptr) {
        std::fprintf(stderr, "no runtime folder\n");
        return 1;
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    const QString socket = QString::fromLocal8Bit(runtime) + QStringLiteral("/pulse/native");

    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromLocal8Bit(runtime));  // its cookie goes there
    server.setProcessEnvironment(environment);
    // The server goes with us even if this process dies before it can stop it.
    server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server.start(QStringLiteral(VELLORAN_PULSEAUDIO),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--use-pid-file=false"), QStringLiteral("--load=module-null-sink"),
                  QStringLiteral("--load=module-native-protocol-unix")});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (server.waitForStarted(100) && server.state() == QProcess::Running && !QFile::exists(socket) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (server.state() != QProcess::Running || !QFile::exists(socket)) {
        std::fprintf(stderr, "could not start PulseAudio\n");
        return 1;
    }
    qputenv("PULSE_SERVER", (QStringLiteral("unix:") + socket).toLocal8Bit());
    int result = 1;
    {
        QApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    server.terminate();
    if (!server.waitForFinished(3000)) {
        server.kill();
        server.waitForFinished(2000);
    }
    QDir(QString::fromLocal8Bit(runtime)).removeRecursively();
    return result;
}
