#include "ftp/TIdComponent.h"

void TIdComponent::NotifyWorkBegin(TWorkMode mode, int64_t countMax) {
    TWorkSpan& span = spans_[mode];
    if (++span.Nesting != 1)
        return; // only the outermost span of a mode reports
    span.CountMax = countMax;
    span.Count = 0;
    if (OnWorkBegin)
        OnWorkBegin(this, mode, countMax);
}

void TIdComponent::NotifyWork(TWorkMode mode, int64_t delta) {
    TWorkSpan& span = spans_[mode];
    if (span.Nesting < 1)
        return;
    span.Count += delta;
    if (OnWork)
        OnWork(this, mode, span.Count);
}

void TIdComponent::NotifyWorkEnd(TWorkMode mode) {
    TWorkSpan& span = spans_[mode];
    if (span.Nesting == 1 && OnWorkEnd)
        OnWorkEnd(this, mode);
    --span.Nesting;
}
