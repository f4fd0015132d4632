#include "platform/ui/WorkAside.h"

#include "platform/aside/Aside.h"

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
    aside::run(job, [this] { showCount(); });
}

} // namespace ui
