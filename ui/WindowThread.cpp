#include "ui/WindowThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

namespace ui {

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
        if (dispatcher == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        else
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

void RunOnWindowThread(const std::function<void()>& work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        work();
        return;
    }
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        application,
        [&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace ui
