#pragma once
// A button drawn entirely from pictures: normal, pointer-over and pressed. A state without a
// picture of its own shows the normal one. It takes no keyboard focus and carries no text; a click
// is reported when the left button is released over it after being pressed on it.

#include <QAbstractButton>
#include <QPixmap>

namespace velloran {

class PictureButton : public QAbstractButton {
public:
    PictureButton(QPixmap normal, QPixmap hover, QPixmap pressed, QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    const QPixmap& CurrentPicture() const;

    QPixmap normal_;
    QPixmap hover_;
    QPixmap pressed_;
    bool pointerOver_ = false;
};

}  // namespace velloran
