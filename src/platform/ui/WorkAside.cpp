#include "platform/ui/WorkAside.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace ui {

WorkAside::WorkAside(LongWork& progress, QString countCaption)
    : progress_(progress), countCaption_(std::move(countCaption))
{
}

void WorkAside::showCount()
{
    const long long total = total_.load(), done = done_.load();
    if (total <= 0 && done <= 0)
        return;
    if (!counting_) {
        counting_ = true;
        progress_.setCaption(countCaption_);
    }
    progress_.step(done, total);
}

void WorkAside::runJob(const std::function<void()>& job)
{
    if (!QCoreApplication::instance()) {
        job();
        return;
    }
    std::exception_ptr error;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        // Queued: taken by the loop below once it runs, however early the
        // job ends.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer ticks;
    ticks.setInterval(LongWork::intervalMs / 2);
    QObject::connect(&ticks, &QTimer::timeout, &loop, [this] { showCount(); });
    ticks.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    ticks.stop();
    worker.join();
    showCount();
    if (error)
        std::rethrow_exception(error);
}

} // namespace ui
