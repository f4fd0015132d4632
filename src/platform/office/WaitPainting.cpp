#include "platform/office/WaitPainting.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace office::uno {

void waitPainting(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    for (;;) {
        {
            std::unique_lock lock(mutex);
            if (finished.wait_for(lock, std::chrono::milliseconds(40), [&] { return done; }))
                break;
        }
        // Windows are repainted; the user's input waits for the end.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
}

} // namespace office::uno
