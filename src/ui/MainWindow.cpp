#include "ui/MainWindow.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QWindow>

#include "ui/ControlFonts.h"
#include "ui/PictureButton.h"
#include "ui/QtText.h"
#include "ui/Resources.h"
#include "monitor/CategoryTable.h"
#include "ui/UiTexts.h"

namespace velloran {

namespace {

constexpr int kWindowWidth = 750;
constexpr int kWindowHeight = 576;
// The combo box is created 160 px high including its drop-down list, whose closed field is 20 px.
constexpr int kComboCreatedHeight = 160;
constexpr int kComboFieldHeight = 20;

// Items of the combo box's drop-down list are one pixel taller than their font needs.
class OnePixelTallerDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(option.fontMetrics.height() + 1);
        return size;
    }
};

void SetColours(QWidget& widget, QPalette::ColorRole textRole, const QColor& text, QPalette::ColorRole backRole,
                const QColor& back) {
    QPalette palette = widget.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, textRole, text);
        palette.setColor(group, backRole, back);
    }
    widget.setPalette(palette);
}

PictureButton* MakeButton(const char* objectName, const QString& picture, bool withPressed, QRect geometry,
                          QWidget* parent) {
    auto* button = new PictureButton(ResourcePicture(picture + QStringLiteral("_normal")),
                                     ResourcePicture(picture + QStringLiteral("_hover")),
                                     withPressed ? ResourcePicture(picture + QStringLiteral("_pressed")) : QPixmap(),
                                     parent);
    button->setObjectName(QString::fromUtf8(objectName));
    button->setGeometry(geometry);
    return button;
}

}  // namespace

MainWindow::MainWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ToQString(kProgramName));
    setWindowIcon(QIcon(ResourcePicture(QStringLiteral("velloran"))));
    setFixedSize(kWindowWidth, kWindowHeight);
    // Opaque, and stored in the window's own pixel format once, so that painting it is a plain copy
    // rather than a format conversion on every paint.
    background_ = QPixmap::fromImage(
        ResourcePicture(QStringLiteral("background")).toImage().convertToFormat(QImage::Format_RGB32));
    BuildControls();

    // Esc closes the window wherever the focus is; closing the last window ends the program.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void MainWindow::BuildControls() {
    minimiseButton_ = MakeButton("图形按钮1", QStringLiteral("minimise"), false, QRect(671, 17, 24, 24), this);
    exitButton_ = MakeButton("图形按钮2", QStringLiteral("exit"), false, QRect(715, 17, 24, 24), this);
    logoButton_ = MakeButton("图形按钮3", QStringLiteral("logo"), true, QRect(12, 7, 34, 47), this);

    banner_ = new QLabel(this);
    banner_->setObjectName(QString::fromUtf8("图片框1"));
    banner_->setGeometry(56, 15, 217, 33);
    banner_->setPixmap(ResourcePicture(QStringLiteral("banner")));
    banner_->hide();

    bannerLabel_ = new QLabel(ToQString(kProgramName), banner_);
    bannerLabel_->setObjectName(QString::fromUtf8("透明标签1"));
    bannerLabel_->setGeometry(24, 5, 184, 20);
    bannerLabel_->setFont(ControlFont(FontKind::YaHei, 14));
    bannerLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bannerLabel_->setWordWrap(false);
    bannerLabel_->setAttribute(Qt::WA_TranslucentBackground);
    bannerLabel_->setAutoFillBackground(false);
    SetColours(*bannerLabel_, QPalette::WindowText, QColor(0xFF, 0xFF, 0xFF), QPalette::Window, Qt::transparent);
    bannerLabel_->hide();

    categoryBox_ = new QComboBox(this);
    categoryBox_->setObjectName(QString::fromUtf8("组合框1"));
    categoryBox_->setEditable(true);
    categoryBox_->setInsertPolicy(QComboBox::NoInsert);  // typing never adds an item
    categoryBox_->setFont(ControlFont(FontKind::YaHei, 21));
    categoryBox_->setItemDelegate(new OnePixelTallerDelegate(categoryBox_));
    for (const Category& category : CategoryTable) {
        categoryBox_->addItem(ToQString(Text(category.itemText)));
    }
    categoryBox_->setGeometry(16, 86, 185, kComboFieldHeight);
    // The drop-down list gets the rest of the created height.
    const int itemHeight = categoryBox_->fontMetrics().height() + 1;
    categoryBox_->setMaxVisibleItems(std::max(1, (kComboCreatedHeight - kComboFieldHeight) / itemHeight));
    SetColours(*categoryBox_, QPalette::Text, QColor(0xC0, 0xC0, 0xC0), QPalette::Base, QColor(0xFF, 0xFF, 0xFF));
    SetColours(*categoryBox_, QPalette::ButtonText, QColor(0xC0, 0xC0, 0xC0), QPalette::Button,
               QColor(0xFF, 0xFF, 0xFF));
    categoryBox_->setCurrentIndex(0);

    scanButton_ = MakeButton("图形按钮4", QStringLiteral("scan"), false, QRect(225, 82, 144, 42), this);
    checkButton_ = MakeButton("图形按钮5", QStringLiteral("check"), false, QRect(396, 82, 144, 42), this);

    soundBox_ = new QCheckBox(ToQString(kSoundCheckBoxText), this);
    soundBox_->setObjectName(QString::fromUtf8("选择框1"));
    soundBox_->setGeometry(563, 93, 112, 24);
    soundBox_->setFont(ControlFont(FontKind::YaHei, 16));
    soundBox_->setAutoFillBackground(true);
    SetColours(*soundBox_, QPalette::WindowText, QColor(0x80, 0x80, 0x80), QPalette::Window, QColor(0xF6, 0xF6, 0xF6));
    soundBox_->setChecked(false);

    resultsTable_ = new QTableWidget(0, static_cast<int>(kColumnTitles.size()), this);
    resultsTable_->setObjectName(QString::fromUtf8("超级列表框1"));
    resultsTable_->setGeometry(11, 142, 728, 413);
    resultsTable_->setFont(ControlFont(FontKind::SimSun, 12));
    resultsTable_->horizontalHeader()->setFont(resultsTable_->font());
    QStringList titles;
    for (const Text& title : kColumnTitles) {
        titles << ToQString(title);
    }
    resultsTable_->setHorizontalHeaderLabels(titles);
    for (int column = 0; column < static_cast<int>(kColumnWidths.size()); ++column) {
        resultsTable_->setColumnWidth(column, kColumnWidths[static_cast<std::size_t>(column)]);
    }
    resultsTable_->horizontalHeader()->setStretchLastSection(false);
    resultsTable_->horizontalHeader()->setHighlightSections(false);
    resultsTable_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    resultsTable_->horizontalHeader()->setVisible(true);
    resultsTable_->verticalHeader()->setVisible(false);  // a report list has no row headers
    resultsTable_->verticalHeader()->setDefaultSectionSize(resultsTable_->fontMetrics().height() + 6);
    resultsTable_->setShowGrid(true);
    resultsTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    resultsTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsTable_->setWordWrap(false);  // long links stay on one line
    resultsTable_->setTextElideMode(Qt::ElideRight);
    resultsTable_->setFrameShape(QFrame::NoFrame);
    resultsTable_->setAlternatingRowColors(false);
    SetColours(*resultsTable_, QPalette::Text, QColor(0x60, 0x60, 0x60), QPalette::Base, QColor(0xFF, 0xFF, 0xFF));

    // Tab moves among the combo box, the check box and the list only.
    categoryBox_->setFocusPolicy(Qt::StrongFocus);
    soundBox_->setFocusPolicy(Qt::StrongFocus);
    resultsTable_->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(categoryBox_, soundBox_);
    setTabOrder(soundBox_, resultsTable_);
    setTabOrder(resultsTable_, categoryBox_);
}

// Reached by an Esc that no control took and no shortcut caught, which happens where the window
// gets keys without being the active window (a desktop without a window manager).
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::CentreOnScreen() {
    QScreen* target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (target == nullptr) {
        return;
    }
    // alignedRect gives exactly (screen - size) / 2; centring on QRect::center() is one pixel off.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), target->geometry()));
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawTiledPixmap(rect(), background_);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Let the window system move the window as if its title bar had been grabbed; where it cannot
    // (no window manager), follow the pointer ourselves.
    QWindow* window = windowHandle();
    if (window != nullptr && window->startSystemMove()) {
        return;
    }
    draggingByHand_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (draggingByHand_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        draggingByHand_ = false;
    }
    QWidget::mouseReleaseEvent(event);
}

}  // namespace velloran
