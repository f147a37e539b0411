// The main window as the user meets it: start state, layout, fonts, and the handlers of the
// window alone (banner toggle, double-click, minimise, exit, Esc).

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "monitor/CategoryTable.h"
#include "ui/QtText.h"
#include "ui/ControlFonts.h"
#include "ui/MainWindow.h"
#include "ui/PictureButton.h"
#include "ui/QtControls.h"
#include "ui/WindowHandlers.h"

namespace velloran {
namespace {

using test::PumpUntil;
using test::RecordingServices;

// The window wired the way the program wires it, with a recording browser service.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() : list(window.ResultsTable()), controls(window) {
        ConnectWindowHandlers(window, list, controls, services, nullptr, handlers);
        OnWindowCreated(window, controls);
        window.CentreOnScreen();
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Runs the event loop until something ends it; its exit code, or -1 after five seconds.
    int RunEventLoop(const std::function<void()>& whileRunning) {
        QTimer::singleShot(0, whileRunning);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
        guard.start(5000);
        return QApplication::exec();
    }

    MainWindow window;
    QtResultsList list;
    QtWindowControls controls;
    RecordingServices services;
    QObject handlers;
};

TEST_F(WindowTest, StartsWithTheFirstCategoryAnEmptyListAndTheBannerHidden) {
    EXPECT_EQ(controls.CategorySelection(), 0);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.SelectedRow(), -1);
    EXPECT_FALSE(controls.BannerVisible());
    EXPECT_FALSE(controls.BannerLabelVisible());
    EXPECT_FALSE(controls.SoundTicked());
    EXPECT_TRUE(window.CategoryBox().isVisible());
    EXPECT_TRUE(window.ResultsTable().isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Velloran"));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
}

// The texts are code page 936 bytes in the program; what the user sees must be these characters.
TEST_F(WindowTest, ShowsTheCategoriesColumnsAndCheckBoxTextInOrder) {
    const char* categories[] = {"大咖红包专场", "品牌红包专场", "优选红包专场", "企业红包专场",
                                "区域红包专场", "媒体红包专场", "合作伙伴红包", "金羊鸿运红包"};
    QComboBox& box = window.CategoryBox();
    ASSERT_EQ(box.count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(box.itemText(i), QString::fromUtf8(categories[i])) << "item " << i;
    }
    EXPECT_EQ(box.currentText(), QString::fromUtf8(categories[0]));

    const struct {
        const char* title;
        int width;
    } columns[] = {{"No.", 50}, {"Name", 150}, {"红包链接", 300}, {"状态", 210}};
    QTableWidget& table = window.ResultsTable();
    ASSERT_EQ(table.columnCount(), 4);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(table.horizontalHeaderItem(c)->text(), QString::fromUtf8(columns[c].title)) << "column " << c;
        EXPECT_EQ(table.columnWidth(c), columns[c].width) << "column " << c;
    }
    EXPECT_EQ(window.SoundBox().text(), QString::fromUtf8("声音提醒"));
    EXPECT_EQ(window.BannerLabel().text(), QStringLiteral("Velloran"));
}

// The scan pass picks its page by the combo box's index: item i must be the monitor's category i.
TEST_F(WindowTest, ComboItemsAreTheMonitorsCategoriesInOrder) {
    ASSERT_EQ(window.CategoryBox().count(), kCategoryCount);
    for (int i = 0; i < kCategoryCount; ++i) {
        EXPECT_EQ(ToText(window.CategoryBox().itemText(i)), Text(CategoryTable[static_cast<std::size_t>(i)].itemText))
            << "item " << i;
    }
}

TEST_F(WindowTest, PlacesEveryControlAtItsPositionAndSize) {
    const struct {
        const char* name;
        QRect geometry;  // relative to the parent's client area
    } expected[] = {
        {"图形按钮1", {671, 17, 24, 24}},  {"图形按钮2", {715, 17, 24, 24}},  {"图形按钮3", {12, 7, 34, 47}},
        {"图片框1", {56, 15, 217, 33}},    {"透明标签1", {24, 5, 184, 20}},   {"组合框1", {16, 86, 185, 30}},
        {"图形按钮4", {225, 82, 144, 42}}, {"图形按钮5", {396, 82, 144, 42}}, {"选择框1", {563, 93, 112, 24}},
        {"超级列表框1", {11, 142, 728, 413}},
    };
    EXPECT_EQ(window.size(), QSize(750, 576));
    for (const auto& control : expected) {
        auto* widget = window.findChild<QWidget*>(QString::fromUtf8(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), control.geometry) << control.name;
    }
    EXPECT_EQ(window.BannerLabel().parentWidget(), &window.Banner());
}

TEST_F(WindowTest, ListIsAGridOfWholeRowsThatNeverWraps) {
    QTableWidget& table = window.ResultsTable();
    EXPECT_TRUE(table.showGrid());
    EXPECT_EQ(table.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(table.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_TRUE(table.horizontalHeader()->isVisible());
    EXPECT_FALSE(table.wordWrap());
    EXPECT_EQ(table.frameShape(), QFrame::NoFrame);
    EXPECT_EQ(table.editTriggers(), QAbstractItemView::NoEditTriggers);

    // A long link stays on one line: the row keeps its height.
    const int row = list.InsertRow();
    const int heightBefore = table.rowHeight(row);
    list.SetCellText(row, 2, "http://example.com/" + Text(400, 'a') + " more words after a space");
    QCoreApplication::processEvents();
    EXPECT_EQ(table.rowHeight(row), heightBefore);
}

// Without the named Windows fonts an installed CJK font stands in; every Chinese character of the
// window must be in the font that draws it.
TEST_F(WindowTest, FontsCoverTheChineseTextsAtTheirPixelSizes) {
    const struct {
        QWidget* widget;
        int pixelSize;
        QString sample;
    } cases[] = {
        {&window.CategoryBox(), 21, QString::fromUtf8("大咖品牌优选企业区域媒体合作伙伴金羊鸿运红包专场")},
        {&window.SoundBox(), 16, QString::fromUtf8("声音提醒")},
        {&window.ResultsTable(), 12, QString::fromUtf8("红包链接状态已抢完还有双击打开地址！")},
        {&window.BannerLabel(), 14, QStringLiteral("Velloran")},
    };
    for (const auto& c : cases) {
        const QFont font = c.widget->font();
        EXPECT_EQ(font.pixelSize(), c.pixelSize) << c.widget->objectName().toStdString();
        const QFontMetrics metrics(font);
        for (const QChar ch : c.sample) {
            EXPECT_TRUE(metrics.inFont(ch)) << c.widget->objectName().toStdString() << " lacks U+" << std::hex
                                            << static_cast<unsigned>(ch.unicode()) << " in " << font.family().toStdString();
        }
    }
}

TEST_F(WindowTest, TabMovesAmongTheComboBoxTheCheckBoxAndTheList) {
    QApplication::setActiveWindow(&window);
    window.CategoryBox().setFocus(Qt::OtherFocusReason);
    QWidget* expected[] = {&window.SoundBox(), &window.ResultsTable(), &window.CategoryBox()};
    for (QWidget* next : expected) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        // The combo box's field is its line edit, which has the combo box as focus proxy.
        const bool matches = now == next || (now != nullptr && now->parentWidget() == next);
        EXPECT_TRUE(matches) << "focus on " << (now ? now->objectName().toStdString() : "nothing") << ", expected "
                             << next->objectName().toStdString();
    }
}

TEST_F(WindowTest, TwoLogoClicksShowAndThenHideTheBannerAndItsLabel) {
    QTest::mouseClick(&window.LogoButton(), Qt::LeftButton);
    EXPECT_TRUE(controls.BannerVisible());
    EXPECT_TRUE(controls.BannerLabelVisible());
    EXPECT_TRUE(window.BannerLabel().isVisible());  // really on screen, not only flagged

    QTest::mouseClick(&window.LogoButton(), Qt::LeftButton);
    EXPECT_FALSE(controls.BannerVisible());
    EXPECT_FALSE(controls.BannerLabelVisible());
}

// Only the banner's state is read: a label out of step with it follows the banner.
TEST_F(WindowTest, BannerToggleIgnoresTheLabelsOwnState) {
    const struct {
        bool bannerBefore;
        bool labelBefore;
        bool bothAfter;
    } cases[] = {{false, true, true}, {true, false, false}};
    for (const auto& c : cases) {
        controls.SetBannerVisible(c.bannerBefore);
        controls.SetBannerLabelVisible(c.labelBefore);
        ToggleBanner(controls);
        EXPECT_EQ(controls.BannerVisible(), c.bothAfter);
        EXPECT_EQ(controls.BannerLabelVisible(), c.bothAfter);
    }
}

TEST_F(WindowTest, DoubleClickWithNoRowSelectedHandsTheEmptyLinkOver) {
    list.SetCellText(list.InsertRow(), 2, "http://example.com/a");
    ASSERT_EQ(list.SelectedRow(), -1);
    // Below the only row: the empty part of the list.
    QTest::mouseDClick(window.ResultsTable().viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    ASSERT_TRUE(PumpUntil([&] { return !services.Links().empty(); }));
    EXPECT_EQ(services.Links(), std::vector<Text>{""});
}

TEST_F(WindowTest, DoubleClickOnARowOpensThatRowsLinkBytes) {
    const Text links[] = {"http://example.com/first", "http://example.com/\xBA\xEC\xB0\xFC"};  // .../红包
    for (const Text& link : links) {
        list.SetCellText(list.InsertRow(), 2, link);
    }
    QTableWidget& table = window.ResultsTable();
    for (const int row : {1, 0}) {
        // On the name column: where in the row does not matter, the selected row's link is taken.
        const QRect cell = table.visualRect(table.model()->index(row, 1));
        const std::size_t before = services.Links().size();
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        ASSERT_TRUE(PumpUntil([&] { return services.Links().size() == before + 1; }));
        EXPECT_EQ(list.SelectedRow(), row);
        EXPECT_EQ(services.Links().back(), links[row]);
    }
}

TEST_F(WindowTest, MinimiseButtonMinimisesTheWindow) {
    QTest::mouseClick(&window.MinimiseButton(), Qt::LeftButton);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);
}

TEST_F(WindowTest, ExitButtonEndsTheEventLoopWithCodeZero) {
    const int code = RunEventLoop([&] { QTest::mouseClick(&window.ExitButton(), Qt::LeftButton); });
    EXPECT_EQ(code, 0);
}

// Esc closes the window wherever the focus is, and closing the only window ends the program.
TEST_F(WindowTest, EscapeClosesTheWindowAndEndsTheProgram) {
    for (QWidget* focus : {static_cast<QWidget*>(&window.CategoryBox()), static_cast<QWidget*>(&window.SoundBox()),
                           static_cast<QWidget*>(&window.ResultsTable())}) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        focus->setFocus(Qt::OtherFocusReason);
        const int code = RunEventLoop([] {
            QWidget* target = QApplication::focusWidget();
            ASSERT_NE(target, nullptr);
            QTest::keyClick(target, Qt::Key_Escape);
        });
        EXPECT_EQ(code, 0) << "focus on " << focus->objectName().toStdString();
        EXPECT_FALSE(window.isVisible());
    }
}

TEST_F(WindowTest, WindowIsCentredOnTheWholeScreen) {
    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(window.geometry().topLeft(),
              QPoint(screen.x() + (screen.width() - 750) / 2, screen.y() + (screen.height() - 576) / 2));
}

}  // namespace
}  // namespace velloran
