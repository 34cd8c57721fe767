#include "ui/TProgressBar.h"

#include <algorithm>

void TProgressBar::SetPosition(int position) {
    position_ = position;
    redraw();
}

void TProgressBar::SetMax(int max) {
    max_ = max;
    redraw();
}

void TProgressBar::redraw() {
    // A range of 0..0 would turn the bar into a busy indicator; an empty bar is what a zero
    // maximum means here.
    const int shownMax = std::max(max_, 1);
    setRange(0, shownMax);
    setValue(max_ <= 0 ? 0 : std::clamp(position_, 0, shownMax));
}
