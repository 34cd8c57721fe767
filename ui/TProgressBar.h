#pragma once
#include <QProgressBar>

// A progress bar that keeps the position it is given even above its maximum (the progress
// display runs ahead of the bytes on purpose) and draws such a position as a full bar.
class TProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

    int Position() const { return position_; }
    int Max() const { return max_; }
    void SetPosition(int position);
    void SetMax(int max);

private:
    void redraw();
    int position_ = 0;
    int max_ = 100;
};
