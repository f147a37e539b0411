// The window on a real X server (our own Xvfb, no window manager), seen from outside through the
// X tools: size, position, decorations, taskbar presence, dragging, Esc, and a screenshot.

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>

#include "UiTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/QtControls.h"
#include "ui/WindowHandlers.h"

namespace velloran {
namespace {

// Runs an X tool to its end while the GUI thread keeps serving the X server; its standard output.
QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return {};
    }
    const bool finished = test::PumpUntil([&] { return process.state() == QProcess::NotRunning; },
                                          std::chrono::seconds(10));
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
        ADD_FAILURE() << program.toStdString() << " did not finish";
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// One "Name: value" field of xwininfo's report.
int WinInfoField(const QString& report, const QString& field) {
    const QRegularExpression line(QRegularExpression::escape(field) + QStringLiteral(":\\s*(-?\\d+)"));
    const QRegularExpressionMatch match = line.match(report);
    return match.hasMatch() ? match.captured(1).toInt() : -100000;
}

class WindowOnXServerTest : public ::testing::Test {
protected:
    WindowOnXServerTest() : list(window.ResultsTable()), controls(window) {
        ConnectWindowHandlers(window, list, controls, services, nullptr, handlers);
        OnWindowCreated(window, controls);
        window.CentreOnScreen();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        test::PumpUntil([] { return false; }, std::chrono::milliseconds(300));  // let it paint
    }

    // The id of our visible top-level window as the X server knows it, found by its caption.
    QString FindWindowId() {
        const QString found =
            RunTool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QStringLiteral("^Velloran$")})
                .trimmed();
        const QStringList ids = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(ids.size(), 1) << found.toStdString();
        return ids.isEmpty() ? QString() : ids.first();
    }

    QString WinInfo(const QString& id) { return RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}); }

    MainWindow window;
    QtResultsList list;
    QtWindowControls controls;
    test::RecordingServices services;
    QObject handlers;
};

TEST_F(WindowOnXServerTest, IsAnUndecoratedTaskbarWindowOf750x576CentredOnTheScreen) {
    const QString id = FindWindowId();
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(id.toULongLong(), static_cast<unsigned long long>(window.winId()));

    const QString info = WinInfo(id);
    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(WinInfoField(info, QStringLiteral("Width")), 750) << info.toStdString();
    EXPECT_EQ(WinInfoField(info, QStringLiteral("Height")), 576);
    EXPECT_EQ(WinInfoField(info, QStringLiteral("Absolute upper-left X")), (screen.width() - 750) / 2);
    EXPECT_EQ(WinInfoField(info, QStringLiteral("Absolute upper-left Y")), (screen.height() - 576) / 2);
    EXPECT_EQ(WinInfoField(info, QStringLiteral("Border width")), 0);

    // Motif hints: flags with the decorations bit (2), decorations none.
    const QString hints = RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_MOTIF_WM_HINTS")});
    const QRegularExpressionMatch motif =
        QRegularExpression(QStringLiteral("=\\s*(0x[0-9a-f]+|\\d+),\\s*(0x[0-9a-f]+|\\d+),\\s*(0x[0-9a-f]+|\\d+)"))
            .match(hints);
    ASSERT_TRUE(motif.hasMatch()) << hints.toStdString();
    EXPECT_TRUE(motif.captured(1).toUInt(nullptr, 0) & 2u) << hints.toStdString();
    EXPECT_EQ(motif.captured(3).toUInt(nullptr, 0), 0u) << hints.toStdString();

    // A normal window that does not keep itself out of the taskbar, captioned "Velloran".
    const QString properties = RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), id});
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_NORMAL"))) << properties.toStdString();
    EXPECT_FALSE(properties.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")));
    EXPECT_FALSE(properties.contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Velloran\"")));
}

// Pressing on the background and moving drags the window along.
TEST_F(WindowOnXServerTest, DraggingTheBackgroundMovesTheWindow) {
    const QString id = FindWindowId();
    ASSERT_FALSE(id.isEmpty());
    const QString before = WinInfo(id);
    const int left = WinInfoField(before, QStringLiteral("Absolute upper-left X"));
    const int top = WinInfoField(before, QStringLiteral("Absolute upper-left Y"));
    const QPoint grab(left + 400, top + 30);  // title area, no control there
    RunTool(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(grab.x()), QString::number(grab.y()), QStringLiteral("sleep"),
             QStringLiteral("0.1"), QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
             QStringLiteral("0.1"), QStringLiteral("mousemove"), QString::number(grab.x() + 20),
             QString::number(grab.y() + 10), QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove"),
             QString::number(grab.x() + 60), QString::number(grab.y() + 40), QStringLiteral("sleep"),
             QStringLiteral("0.2"), QStringLiteral("mouseup"), QStringLiteral("1")});
    test::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    const QString after = WinInfo(id);
    EXPECT_EQ(WinInfoField(after, QStringLiteral("Absolute upper-left X")), left + 60) << after.toStdString();
    EXPECT_EQ(WinInfoField(after, QStringLiteral("Absolute upper-left Y")), top + 40);
}

TEST_F(WindowOnXServerTest, EscapeTypedOnTheWindowEndsTheProgram) {
    const QString id = FindWindowId();
    ASSERT_FALSE(id.isEmpty());
    const QString info = WinInfo(id);
    // Without a window manager the keyboard focus follows the pointer.
    const QPoint inside(WinInfoField(info, QStringLiteral("Absolute upper-left X")) + 300,
                        WinInfoField(info, QStringLiteral("Absolute upper-left Y")) + 300);
    QTimer::singleShot(0, [&] {
        RunTool(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                 QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("key"), QStringLiteral("Escape")});
    });
    QTimer::singleShot(8000, [] { QCoreApplication::exit(-1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
}

// A screenshot of the whole X screen with the banner shown and a few rows, for the eye and the
// README (copied by hand to docs/window.png).
TEST_F(WindowOnXServerTest, WritesAScreenshot) {
    ToggleBanner(controls);
    const char* rows[][3] = {
        {"\xB4\xF3\xBF\xA7\xBA\xEC\xB0\xFC \xB5\xDA\xD2\xBB\xC6\xDA", "http://hongbao.weibo.com/h5/aj/1001",
         "\xD2\xD1\xC7\xC0\xCD\xEA"},  // 大咖红包 第一期, 已抢完
        {"\xC6\xB7\xC5\xC6\xBA\xEC\xB0\xFC \xB5\xDA\xB6\xFE\xC6\xDA", "http://hongbao.weibo.com/h5/aj/1002",
         "\xBB\xB9\xD3\xD0\xBA\xEC\xB0\xFC\xA3\xA1\xCB\xAB\xBB\xF7\xB4\xF2\xBF\xAA\xBA\xEC\xB0\xFC\xB5\xD8\xD6\xB7\xA3"
         "\xA1"},  // 品牌红包 第二期, 还有红包！双击打开红包地址！
        {"Velloran", "http://hongbao.weibo.com/h5/aj/1003", ""},
    };
    for (int i = 0; i < 3; ++i) {
        const std::int32_t row = list.InsertRow();
        list.SetCellText(row, 0, std::to_string(i + 1));
        for (int column = 0; column < 3; ++column) {
            list.SetCellText(row, column + 1, rows[i][column]);
        }
    }
    window.ResultsTable().selectRow(1);
    test::PumpUntil([] { return false; }, std::chrono::milliseconds(500));
    const QPixmap screen = window.screen()->grabWindow(0);
    ASSERT_FALSE(screen.isNull());
    const QPixmap shot = screen.copy(window.geometry());
    const QString path = QStringLiteral(VELLORAN_SCREENSHOT_DIR "/velloran-window.png");
    ASSERT_TRUE(shot.save(path, "PNG")) << path.toStdString();
    // The picture really came from the server: the background's red fills the title area.
    const QColor title = shot.toImage().pixelColor(400, 30);
    EXPECT_GT(title.red(), 150);
    EXPECT_LT(title.green(), 90);
}

}  // namespace
}  // namespace velloran

namespace velloran {
namespace {

// The program itself, as a user starts it: its window appears centred, and both Esc and the exit
// button end it with exit code 0 (its worker control and the window torn down in order).
TEST(ProgramOnXServerTest, StartsCentredAndEndsWithCodeZeroByEscOrTheExitButton) {
    const struct {
        const char* how;
        QPoint pointer;  // relative to the window
        QStringList then;
    } endings[] = {
        {"Esc", {300, 300}, {QStringLiteral("key"), QStringLiteral("Escape")}},
        {"exit button", {715 + 12, 17 + 12}, {QStringLiteral("click"), QStringLiteral("1")}},
    };
    for (const auto& ending : endings) {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        // In a sanitizer build the program gets the same allowances for foreign libraries as the
        // tests, and reports anything else of its own through its exit code.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           QStringLiteral("suppressions=" VELLORAN_SUPPRESSIONS_DIR "/lsan.supp:print_suppressions=0"));
        environment.insert(QStringLiteral("TSAN_OPTIONS"),
                           QStringLiteral("suppressions=" VELLORAN_SUPPRESSIONS_DIR "/tsan.supp"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELLORAN_PROGRAM), {});
        ASSERT_TRUE(program.waitForStarted(5000)) << ending.how;
        QString id;
        test::PumpUntil(
            [&] {
                id = RunTool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                         QStringLiteral("--name"), QStringLiteral("^Velloran$")})
                         .trimmed();
                return !id.isEmpty() || program.state() != QProcess::Running;
            },
            std::chrono::seconds(20));
        ASSERT_FALSE(id.isEmpty()) << ending.how << ": no window";
        const QString info = RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        const int left = WinInfoField(info, QStringLiteral("Absolute upper-left X"));
        const int top = WinInfoField(info, QStringLiteral("Absolute upper-left Y"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(left, (screen.width() - 750) / 2) << ending.how;
        EXPECT_EQ(top, (screen.height() - 576) / 2) << ending.how;

        QStringList actions{QStringLiteral("mousemove"), QString::number(left + ending.pointer.x()),
                            QString::number(top + ending.pointer.y()), QStringLiteral("sleep"), QStringLiteral("0.3")};
        RunTool(QStringLiteral("xdotool"), actions + ending.then);
        const bool ended = test::PumpUntil([&] { return program.state() == QProcess::NotRunning; },
                                           std::chrono::seconds(10));
        if (!ended) {
            program.kill();
            program.waitForFinished(2000);
        }
        ASSERT_TRUE(ended) << ending.how << " did not end the program";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << ending.how;
        EXPECT_EQ(program.exitCode(), 0) << ending.how;
    }
}

}  // namespace
}  // namespace velloran
