#include "platform/office/Office.h"

#include "platform/office/OfficeProcess.h"

#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <thread>

namespace office {

namespace {

// Resident memory of the processes of a group, in bytes.
long long groupResidentBytes(pid_t group)
{
    long long total = 0;
    for (pid_t p : Office::Impl::groupMembers(group)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(p));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:")) {
                total += line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
                break;
            }
    }
    return total;
}

} // namespace

struct Office::Guard::State {
    pid_t group = 0;
    Limits limits;
    std::atomic<int> exceeded{int(Exceeded::None)};
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;

    void watch()
    {
        using clock = std::chrono::steady_clock;
        const auto until = clock::now() + std::chrono::seconds(limits.seconds);
        std::unique_lock lock(mutex);
        while (!done) {
            Exceeded why = Exceeded::None;
            if (limits.seconds > 0 && clock::now() >= until)
                why = Exceeded::Time;
            else if (limits.memoryBytes > 0 && groupResidentBytes(group) > limits.memoryBytes)
                why = Exceeded::Memory;
            if (why != Exceeded::None) {
                exceeded.store(int(why));
                // Only signals here: the office's state is put right by the
                // thread that uses it, once its call has failed.
                ::kill(-group, SIGKILL);
                return;
            }
            wake.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
};

Office::Guard::Guard(Office& office) : Guard(office, office.limits())
{
}

Office::Guard::Guard(Office& office, const Limits& limits) : s_(std::make_shared<State>())
{
    s_->group = office.impl().watchedGroup();
    s_->limits = limits;
    if (s_->group > 0)
        s_->thread = std::thread([s = s_] { s->watch(); });
}

Office::Guard::~Guard()
{
    {
        std::lock_guard lock(s_->mutex);
        s_->done = true;
    }
    s_->wake.notify_all();
    if (s_->thread.joinable())
        s_->thread.join();
}

Office::Guard::Exceeded Office::Guard::exceeded() const
{
    return Exceeded(s_->exceeded.load());
}

} // namespace office
