#include "platform/ui/WorkAside.h"

#include "platform/aside/Aside.h"

namespace ui {

WorkAside::WorkAside(LongWork& progress, QString countCaption, Count form)
    : progress_(progress), countCaption_(std::move(countCaption)), form_(form)
{
}

void WorkAside::showCount()
{
    const long long total = total_.load(), done = done_.load();
    if (total <= 0 && done <= 0) {
        const long long seconds = waited_.elapsed() / 1000;
        if (seconds > 0 && seconds != shownSeconds_) {
            shownSeconds_ = seconds;
            progress_.showText(LongWork::secondsText(waitingCaption_, seconds));
        }
        return;
    }
    if (done == shownDone_ && total == shownTotal_)
        return;
    shownDone_ = done;
    shownTotal_ = total;
    // The numbers of the moment shown at once: the ticks come seldom enough.
    progress_.showText(form_ == Count::Percent ? LongWork::percentText(countCaption_, done, total)
                                               : LongWork::text(countCaption_, done, total));
}

void WorkAside::runJob(const std::function<void()>& job)
{
    waitingCaption_ = progress_.caption();
    waited_.start();
    shownSeconds_ = 0;
    aside::run(job, [this] { showCount(); });
}

} // namespace ui
