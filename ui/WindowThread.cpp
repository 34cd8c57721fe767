#include "ui/WindowThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace ui {
namespace {

// Work another thread waits for, handed over through plain locks (no object crosses threads inside the toolkit).
struct THandOff {
    const std::function<void()>* Work = nullptr;
    std::exception_ptr Failure;
    bool Done = false;
};

// The work handed to the window's thread and not yet run, and the word that a piece of it ran.
struct THandedWork {
    std::mutex Guard;
    std::condition_variable Ran;
    std::deque<THandOff*> Waiting;
};
THandedWork handed;

bool OnWindowThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application == nullptr || QThread::currentThread() == application->thread();
}

} // namespace

void RunOffWindowThread(const std::function<void()>& work) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        if (dispatcher != nullptr)
            dispatcher->wakeUp(); // the wait below returns even when no event comes
    });
    // The loop turns until the work ended; an end signalled before the wait began wakes it at once.
    QEventLoop loop;
    while (!done.load(std::memory_order_acquire)) {
        RunHandedWork();
        if (dispatcher == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        else
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    RunHandedWork();
    if (failure)
        std::rethrow_exception(failure);
}

void RunOnWindowThread(const std::function<void()>& work) {
    if (OnWindowThread()) {
        work();
        return;
    }
    THandOff handOff{.Work = &work, .Failure = {}, .Done = false};
    std::unique_lock lock(handed.Guard);
    handed.Waiting.push_back(&handOff);
    if (QAbstractEventDispatcher* dispatcher =
            QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()))
        dispatcher->wakeUp();
    handed.Ran.wait(lock, [&handOff] { return handOff.Done; });
    lock.unlock();
    if (handOff.Failure)
        std::rethrow_exception(handOff.Failure);
}

void RunHandedWork() {
    if (!OnWindowThread())
        return;
    for (;;) {
        THandOff* next = nullptr;
        {
            const std::lock_guard lock(handed.Guard);
            if (handed.Waiting.empty())
                return;
            next = handed.Waiting.front();
            handed.Waiting.pop_front();
        }
        std::exception_ptr failure;
        try {
            (*next->Work)();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(handed.Guard);
            next->Failure = failure;
            next->Done = true;
        }
        handed.Ran.notify_all();
    }
}

} // namespace ui
