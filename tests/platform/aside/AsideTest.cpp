// A long call run aside while the window thread keeps taking its events.
#include "platform/aside/Aside.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits until `delivered` is ready: it is only when the window thread takes
// its events meanwhile (a guard time ends the wait otherwise, so that a
// fault fails instead of hanging).
bool windowThreadDelivers(const std::shared_future<void>& delivered)
{
    return delivered.wait_for(60s) == std::future_status::ready;
}

} // namespace

TEST(Aside, TheWindowThreadTakesItsEventsAndTicksWhileTheWorkRunsOnAThreadOfItsOwn)
{
    ASSERT_TRUE(aside::onWindowThread());
    std::promise<void> promise;
    const std::shared_future<void> delivered = promise.get_future().share();
    // An event posted to the window thread, and a timer of it.
    QMetaObject::invokeMethod(qApp, [&promise] { promise.set_value(); }, Qt::QueuedConnection);
    bool timerRan = false;
    QTimer::singleShot(0, qApp, [&] { timerRan = true; });

    const std::thread::id windowThread = std::this_thread::get_id();
    std::thread::id workThread;
    bool workOnWindowThread = true;
    std::atomic<int> ticks{0};
    bool ticksOnWindowThread = true;
    bool delivers = false;
    aside::run(
        [&] {
            workThread = std::this_thread::get_id();
            workOnWindowThread = aside::onWindowThread();
            delivers = windowThreadDelivers(delivered);
            // Long enough for the window thread to tick at least once.
            const auto until = std::chrono::steady_clock::now() + 60s;
            while (ticks.load() < 2 && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(5ms);
        },
        [&] {
            ticksOnWindowThread = ticksOnWindowThread && std::this_thread::get_id() == windowThread;
            ++ticks;
        });
    EXPECT_TRUE(delivers);
    EXPECT_TRUE(timerRan);
    EXPECT_NE(workThread, windowThread);
    EXPECT_FALSE(workOnWindowThread);
    // Ticks while waiting, and one more at the end.
    EXPECT_GE(ticks.load(), 3);
    EXPECT_TRUE(ticksOnWindowThread);
}

TEST(Aside, WhatTheWorkThrowsIsThrownToTheCallerAfterTheLastTick)
{
    int ticks = 0;
    EXPECT_THROW(aside::run([] { throw std::runtime_error("нет файла"); }, [&] { ++ticks; }), std::runtime_error);
    EXPECT_EQ(ticks, 1);
    // The next call runs as usual.
    bool ran = false;
    aside::run([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(Aside, NestedCallsRunInPlaceOffTheWindowThreadAndAsideOnIt)
{
    // A call inside work that already runs aside runs on that work's thread.
    std::thread::id outer, inner;
    int innerTicks = 0;
    aside::run([&] {
        outer = std::this_thread::get_id();
        aside::run([&] { inner = std::this_thread::get_id(); }, [&] { ++innerTicks; });
    });
    EXPECT_EQ(inner, outer);
    EXPECT_NE(inner, std::this_thread::get_id());
    EXPECT_EQ(innerTicks, 0);

    // A call the window thread makes while it waits for another one (from a
    // timer) runs aside in its turn, and both end.
    std::promise<void> innerDone;
    const std::shared_future<void> innerEnded = innerDone.get_future().share();
    std::thread::id timerWork;
    bool innerOnWindowThread = true;
    QTimer::singleShot(0, qApp, [&] {
        aside::run([&] {
            timerWork = std::this_thread::get_id();
            innerOnWindowThread = aside::onWindowThread();
        });
        innerDone.set_value();
    });
    bool outerSawInner = false;
    aside::run([&] { outerSawInner = windowThreadDelivers(innerEnded); });
    EXPECT_TRUE(outerSawInner);
    EXPECT_NE(timerWork, std::this_thread::get_id());
    EXPECT_FALSE(innerOnWindowThread);
}

TEST(Aside, OffTheWindowThreadTheWorkRunsInPlace)
{
    std::thread::id caller, ran;
    bool onWindow = true;
    std::thread t([&] {
        caller = std::this_thread::get_id();
        onWindow = aside::onWindowThread();
        aside::run([&] { ran = std::this_thread::get_id(); });
        // Taking events off the window thread does nothing.
        aside::takeEvents();
    });
    t.join();
    EXPECT_FALSE(onWindow);
    EXPECT_EQ(ran, caller);
}
