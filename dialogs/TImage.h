#pragma once
// A picture control: draws its bitmap at the bitmap's own size from the top-left corner,
// neither stretched nor centred; whatever lies outside the control is cut off.

#include <QImage>
#include <QWidget>

class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
