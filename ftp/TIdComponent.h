#pragma once
// Common base of connections and channels: keeps the shared socket service alive and carries the work events
// through which a transfer reports its progress. Counts are 64-bit so transfers past 2 GiB are reported right.

#include "ftp/TIdStack.h"

#include <cstdint>
#include <functional>

enum TWorkMode { wmRead = 0, wmWrite = 1 };

class TIdComponent;
using TWorkBeginEvent = std::function<void(TIdComponent* Sender, TWorkMode AWorkMode, int64_t AWorkCountMax)>;
using TWorkEvent = std::function<void(TIdComponent* Sender, TWorkMode AWorkMode, int64_t AWorkCount)>;
using TWorkEndEvent = std::function<void(TIdComponent* Sender, TWorkMode AWorkMode)>;

// Bookkeeping of the work span of one mode: only the outermost begin/end pair fires events.
struct TWorkSpan {
    int Nesting = 0;
    int64_t CountMax = 0;
    int64_t Count = 0;
};

class TIdComponent {
public:
    TIdComponent() = default;
    virtual ~TIdComponent() = default;
    TIdComponent(const TIdComponent&) = delete;
    TIdComponent& operator=(const TIdComponent&) = delete;

    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;

    virtual void NotifyWorkBegin(TWorkMode mode, int64_t countMax);
    // `delta` bytes more are done; OnWork gets the running total. Ignored outside a span.
    virtual void NotifyWork(TWorkMode mode, int64_t delta);
    virtual void NotifyWorkEnd(TWorkMode mode);

    const TWorkSpan& WorkSpan(TWorkMode mode) const { return spans_[mode]; }

private:
    TIdStackUse stackUse_;
    TWorkSpan spans_[2];
};
