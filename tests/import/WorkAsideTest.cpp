// Long work run aside while the window thread keeps taking its events.
#include "platform/ui/Messages.h"
#include "platform/ui/WorkAside.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

// The work waits for an event that only the window thread can deliver: it
// ends only when that thread keeps running its events meanwhile (a guard
// time ends it otherwise, so that a fault fails instead of hanging).
bool waitForWindowThread(std::shared_future<void> delivered)
{
    return delivered.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
}

} // namespace

TEST(WorkAside, TheWindowThreadRunsItsEventsWhileTheWorkRuns)
{
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    ui::LongWork work(QStringLiteral("Открытие"));
    ui::WorkAside aside(work, QStringLiteral("Чтение: строка"));
    std::promise<void> promise;
    const std::shared_future<void> delivered = promise.get_future().share();
    QTimer::singleShot(0, qApp, [&promise] { promise.set_value(); });

    const std::thread::id windowThread = std::this_thread::get_id();
    std::thread::id workThread;
    const int result = aside.run([&](const ui::WorkAside::Report& report) {
        workThread = std::this_thread::get_id();
        report(40, 100);
        const bool ok = waitForWindowThread(delivered);
        report(100, 100);
        return ok ? 7 : -1;
    });
    EXPECT_EQ(result, 7);
    EXPECT_NE(workThread, windowThread);
    // The last numbers the work told are shown after the counting caption.
    EXPECT_EQ(ui::statusText(), QStringLiteral("Чтение: строка 100 из 100"));
}

TEST(WorkAside, AFailureOfTheWorkIsThrownToTheCaller)
{
    ui::LongWork work(QStringLiteral("Открытие"));
    ui::WorkAside aside(work, QStringLiteral("Чтение: строка"));
    EXPECT_THROW(aside.run([](const ui::WorkAside::Report&) -> int { throw std::runtime_error("нет файла"); }),
                 std::runtime_error);
    // Nothing counted: the caption stays.
    EXPECT_EQ(ui::statusText(), QStringLiteral("Открытие"));
    // The same object runs the next work as usual.
    bool ran = false;
    aside.run([&](const ui::WorkAside::Report&) { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(WorkAside, WorkToldInItsOwnUnitsIsShownInPerCent)
{
    ui::LongWork work(QStringLiteral("Открытие таблицы..."));
    ui::WorkAside aside(work, QStringLiteral("Открытие таблицы..."), ui::WorkAside::Count::Percent);
    aside.run([](const ui::WorkAside::Report& report) { report(450000, 1000000); });
    EXPECT_EQ(ui::statusText(), QStringLiteral("Открытие таблицы... 45 %"));
    const struct {
        long long done, total;
        const char* text;
    } cases[] = {{0, 1000, "Открытие 0 %"}, {999, 1000, "Открытие 99 %"}, {1000, 1000, "Открытие 100 %"},
                 {1200, 1000, "Открытие 100 %"}, {5, 0, "Открытие 0 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(ui::LongWork::percentText(QStringLiteral("Открытие"), c.done, c.total), QString::fromUtf8(c.text));
}

TEST(WorkAside, AWaitWithoutNumbersCountsItsSecondsAfterItsCaption)
{
    ui::LongWork work(QStringLiteral("Запуск офисной программы..."));
    ui::WorkAside aside(work, QStringLiteral("Чтение: строка"));
    std::promise<void> promise;
    const std::shared_future<void> counted = promise.get_future().share();
    bool set = false;
    ui::setStatusHandler([&](const QString& text) {
        if (!set && text == QStringLiteral("Запуск офисной программы... 1 с")) {
            set = true;
            promise.set_value();
        }
    });
    bool seen = false;
    aside.run([&](const ui::WorkAside::Report&) { seen = waitForWindowThread(counted); });
    ui::setStatusHandler({});
    EXPECT_TRUE(seen);
    // The caption stays for what follows.
    EXPECT_EQ(work.caption(), QStringLiteral("Запуск офисной программы..."));
}
