#include "ui/PictureButton.h"

#include <QPainter>

namespace velloran {

PictureButton::PictureButton(QPixmap normal, QPixmap hover, QPixmap pressed, QWidget* parent)
    : QAbstractButton(parent), normal_(std::move(normal)), hover_(std::move(hover)), pressed_(std::move(pressed)) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

QSize PictureButton::sizeHint() const {
    return normal_.isNull() ? QSize(24, 24) : normal_.deviceIndependentSize().toSize();
}

const QPixmap& PictureButton::CurrentPicture() const {
    if (isDown()) {
        return pressed_.isNull() ? normal_ : pressed_;
    }
    if (pointerOver_ && !hover_.isNull()) {
        return hover_;
    }
    return normal_;
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), CurrentPicture());
}

void PictureButton::enterEvent(QEnterEvent* event) {
    pointerOver_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    pointerOver_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace velloran
