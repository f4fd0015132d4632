#pragma once
// Work that blocks for long in one call (an office loading or exporting a
// large workbook) run aside (platform/aside: on a thread of its own, the
// windows painted, the user's input held back), with the work's progress
// shown through a LongWork (wait cursor, status text).
//
//     ui::LongWork work(caption);
//     ui::WorkAside aside(work, QStringLiteral("Чтение таблицы: строка"));
//     const Sheet s = aside.run([&](const ui::WorkAside::Report& report) { return read(path, report); });
//
// The work may call `report(done, total)` from its thread as often as it
// likes; the window thread shows the latest numbers after `countCaption`.
// Until the first numbers come, a wait of over a second counts its seconds
// after the caption the work began with ("Открытие таблицы... 3 с").
// An exception of the work is thrown again by run(). Off the window thread
// (or without an application object) the work runs on the calling thread.
#include "platform/ui/Progress.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

namespace ui {

class WorkAside {
public:
    using Report = std::function<void(long long done, long long total)>;
    // How the numbers are shown: "12 из 100", or the share done ("12 %")
    // for work told in units of its own.
    enum class Count { Of, Percent };

    WorkAside(LongWork& progress, QString countCaption, Count form = Count::Of);

    template <class F>
    auto run(F&& work) -> std::invoke_result_t<F&, const Report&>
    {
        using R = std::invoke_result_t<F&, const Report&>;
        const Report report = [this](long long done, long long total) {
            total_.store(total);
            done_.store(done);
        };
        if constexpr (std::is_void_v<R>) {
            runJob([&] { work(report); });
        } else {
            std::optional<R> result;
            runJob([&] { result.emplace(work(report)); });
            return std::move(*result);
        }
    }

private:
    // Runs `job` aside and waits painting; throws what the job threw.
    void runJob(const std::function<void()>& job);
    void showCount();

    LongWork& progress_;
    QString countCaption_;
    Count form_;
    long long shownDone_ = -1;
    long long shownTotal_ = -1;
    QString waitingCaption_;
    QElapsedTimer waited_;
    long long shownSeconds_ = 0;
    std::atomic<long long> done_{0};
    std::atomic<long long> total_{0};
};

} // namespace ui
