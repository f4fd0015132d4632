#include "platform/aside/Aside.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace aside {

namespace {

// The one event policy of a waiting window thread.
constexpr QEventLoop::ProcessEventsFlags kPolicy = QEventLoop::ExcludeUserInputEvents;

} // namespace

bool onWindowThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void takeEvents()
{
    if (onWindowThread())
        QCoreApplication::processEvents(kPolicy);
}

void run(const std::function<void()>& work, const std::function<void()>& tick)
{
    if (!onWindowThread()) {
        work();
        return;
    }
    std::exception_ptr error;
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done.store(true);
        // Queued: taken by the loop below once it runs, however early the
        // work ends.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer ticks;
    if (tick) {
        ticks.setInterval(kTickMs);
        QObject::connect(&ticks, &QTimer::timeout, &loop, [&tick] { tick(); });
        ticks.start();
    }
    // The loop ends when the work has ended; it returns at once when the
    // application is quitting, and the work is then waited for plainly.
    while (!done.load())
        if (loop.exec(kPolicy) != 0)
            break;
    ticks.stop();
    worker.join();
    if (tick)
        tick();
    if (error)
        std::rethrow_exception(error);
}

} // namespace aside
