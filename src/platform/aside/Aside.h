#pragma once
// The one way the program waits for a call that blocks for long (an office
// loading, reading or storing a large document) without its windows
// freezing: the call runs on a thread of its own while the window thread
// keeps taking its events, under one policy: everything but the user's
// input is taken (painting, timers, events posted to it); the user's keys
// and clicks wait until the call has ended, so the work cannot be
// re-entered from the windows.
//
//     aside::run([&] { document = load(url); });
//     aside::run([&] { rows = read(sheet, report); }, [&] { showCount(); });
//
// Nested use runs in place: a call made on a thread that is not the window
// thread (inside work that already runs aside, say) or without an
// application object runs on the calling thread. A call made from the
// window thread while it waits for another one (from a timer, say) runs
// aside in its turn. What the work throws is thrown again by run().
#include <functional>

namespace aside {

// How often, at most, `tick` runs while the work runs (milliseconds).
inline constexpr int kTickMs = 125;

// Runs `work` as above; `tick`, when given, runs on the window thread every
// kTickMs while it waits, and once more when the work has ended (also when
// it failed). Work run in place has no tick: nothing waits for it.
void run(const std::function<void()>& work, const std::function<void()>& tick = {});

// Takes the events waiting for the window thread under the same policy,
// for long work that runs on the window thread itself in short steps.
// Does nothing off the window thread or without an application object.
void takeEvents();

// Whether the calling thread is the application's window thread (false
// without an application object).
bool onWindowThread();

} // namespace aside
