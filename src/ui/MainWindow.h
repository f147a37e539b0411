#pragma once
// The program's only window: borderless, skinned with pictures, 750 x 576, with the category combo
// box, the start-scan and start-check buttons, the sound check box, the results list, minimise and
// exit buttons and the title banner that the logo button shows and hides.
//
// The window only builds and lays out its controls; what the controls do is connected from outside
// (ui/WindowHandlers.h), and the workers reach them through ui/QtControls.h.

#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

namespace velloran {

class PictureButton;

class MainWindow : public QWidget {
public:
    MainWindow();

    // Places the window in the middle of the whole screen it is on (not only its work area).
    void CentreOnScreen();

    PictureButton& MinimiseButton() const { return *minimiseButton_; }   // 图形按钮1
    PictureButton& ExitButton() const { return *exitButton_; }           // 图形按钮2
    PictureButton& LogoButton() const { return *logoButton_; }           // 图形按钮3
    QLabel& Banner() const { return *banner_; }                          // 图片框1
    QLabel& BannerLabel() const { return *bannerLabel_; }                // 透明标签1
    QComboBox& CategoryBox() const { return *categoryBox_; }             // 组合框1
    PictureButton& StartScanButton() const { return *scanButton_; }      // 图形按钮4
    PictureButton& StartCheckButton() const { return *checkButton_; }    // 图形按钮5
    QCheckBox& SoundBox() const { return *soundBox_; }                   // 选择框1
    QTableWidget& ResultsTable() const { return *resultsTable_; }        // 超级列表框1

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();

    QPixmap background_;
    // Set while the window is dragged by hand, where the platform cannot move it itself.
    bool draggingByHand_ = false;
    QPoint dragOffset_;

    PictureButton* minimiseButton_ = nullptr;
    PictureButton* exitButton_ = nullptr;
    PictureButton* logoButton_ = nullptr;
    QLabel* banner_ = nullptr;
    QLabel* bannerLabel_ = nullptr;
    QComboBox* categoryBox_ = nullptr;
    PictureButton* scanButton_ = nullptr;
    PictureButton* checkButton_ = nullptr;
    QCheckBox* soundBox_ = nullptr;
    QTableWidget* resultsTable_ = nullptr;
};

}  // namespace velloran
