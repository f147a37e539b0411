// PlayWave against a running sound server: every call gets a stream of its own, the streams really
// reach the server at the same time, end by themselves, and nothing breaks when the services go
// away while sounds still play.

#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "UiTestSupport.h"
#include "platform/win_threads/WorkerThread.h"
#include "ui/QtControls.h"
#include "ui/Resources.h"

namespace velloran {
namespace {

using namespace std::chrono_literals;

// How many playback streams the sound server has right now.
int ServerStreamCount() {
    QProcess pactl;
    pactl.start(QStringLiteral(VELLORAN_PACTL), {QStringLiteral("list"), QStringLiteral("short"),
                                                 QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(5000)) {
        pactl.kill();
        pactl.waitForFinished(1000);
        return -1;
    }
    return QString::fromLocal8Bit(pactl.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).size();
}

TEST(SoundTest, ThreeAlertsPlayTogetherOnStreamsOfTheirOwnAndEndByThemselves) {
    QtDesktopServices services([](const QUrl&) {});
    const ByteSet alert = AlertSoundBytes();
    for (int i = 0; i < 3; ++i) {
        services.PlayWave(alert);
        EXPECT_EQ(services.PlayingCount(), static_cast<std::size_t>(i + 1)) << "a new alert cut an earlier one";
    }
    EXPECT_TRUE(test::PumpUntil([] { return ServerStreamCount() == 3; }, 3s)) << ServerStreamCount();
    // About one second of sound each; allow for a slow machine.
    EXPECT_TRUE(test::PumpUntil([&] { return services.PlayingCount() == 0; }, 8s));
    EXPECT_TRUE(test::PumpUntil([] { return ServerStreamCount() == 0; }, 3s));
}

TEST(SoundTest, AWorkerStartsAnAlertThroughTheGuiThread) {
    QtDesktopServices services([](const QUrl&) {});
    const ByteSet alert = AlertSoundBytes();
    std::atomic<bool> returned{false};
    platform::WorkerThread worker([&] {
        services.PlayWave(alert);
        returned = true;
    });
    ASSERT_TRUE(test::PumpUntil([&] { return returned.load(); }, 5s));
    EXPECT_EQ(services.PlayingCount(), 1u);
    EXPECT_TRUE(test::PumpUntil([&] { return services.PlayingCount() == 0; }, 8s));
}

TEST(SoundTest, GoingAwayWhileSoundsPlayReleasesThemSafely) {
    {
        QtDesktopServices services([](const QUrl&) {});
        services.PlayWave(AlertSoundBytes());
        services.PlayWave(AlertSoundBytes());
        test::PumpUntil([] { return false; }, 100ms);
        EXPECT_EQ(services.PlayingCount(), 2u);
    }
    EXPECT_TRUE(test::PumpUntil([] { return ServerStreamCount() == 0; }, 3s));
}

}  // namespace
}  // namespace velloran
