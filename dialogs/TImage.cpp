#include "dialogs/TImage.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) {}

void TImage::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}
