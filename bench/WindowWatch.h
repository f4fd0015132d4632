#pragma once
// A watch over the window thread for the benchmarks. A thread of its own
// posts a probe to the window thread every few milliseconds and notes how
// late the window thread takes it: that is how long the windows went
// without being painted (a stall). The run is split into phases, named by
// the caller or following the status bar: a status text whose caption (the
// text before its count: "… 1200 из 20000", "… 45 %" or the seconds of a
// wait, "… 3 с") differs from the phase's begins a new phase. Per phase it
// gives its length, its longest stall (counted in the phase in which the
// stall began), whether it showed a count, the longest time its status text
// stood still, and whether the wait pointer stood over the program each
// time the window thread was probed.
#include "platform/ui/Messages.h"

#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QList>
#include <QObject>
#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace bench {

class WindowWatch {
public:
    struct Phase {
        QString name;
        qint64 startMs = 0;
        qint64 lengthMs = 0;
        qint64 longestStallMs = 0;
        bool counted = false;          // some status text of the phase carried a count
        qint64 longestSameTextMs = 0;  // the longest the status text did not change
        qint64 textChangedMs = 0;
        bool waitPointer = true;       // every probe of the phase found the wait pointer
    };

    // Made on the window thread; it watches until destroyed. With
    // `followStatus` the status texts begin the phases.
    explicit WindowWatch(bool followStatus = true) : context_(std::make_unique<QObject>())
    {
        clock_.start();
        beginPhase(QStringLiteral("(начало)"));
        if (followStatus)
            ui::setStatusHandler([this](const QString& text) { status(text); });
        watcher_ = std::thread([this] { watch(); });
    }
    ~WindowWatch()
    {
        stop_.store(true);
        watcher_.join();
        ui::setStatusHandler({});
    }
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    void beginPhase(const QString& name)
    {
        endPhase();
        Phase p;
        p.name = name;
        p.startMs = p.textChangedMs = clock_.elapsed();
        phases_ << p;
    }

    // The phases so far, the last one ended now; the watch goes on in a new
    // phase.
    QList<Phase> take()
    {
        endPhase();
        QList<Phase> out = phases_;
        phases_.clear();
        beginPhase(QStringLiteral("(далее)"));
        return out;
    }

    // Merges phases of one name (a stage shown again after another one).
    static QList<Phase> byName(const QList<Phase>& phases)
    {
        QList<Phase> out;
        for (const Phase& p : phases) {
            auto it = std::find_if(out.begin(), out.end(), [&](const Phase& q) { return q.name == p.name; });
            if (it == out.end()) {
                out << p;
                continue;
            }
            it->lengthMs += p.lengthMs;
            it->longestStallMs = std::max(it->longestStallMs, p.longestStallMs);
            it->counted = it->counted || p.counted;
            it->longestSameTextMs = std::max(it->longestSameTextMs, p.longestSameTextMs);
            it->waitPointer = it->waitPointer && p.waitPointer;
        }
        return out;
    }

    static void print(const char* what, const QList<Phase>& phases)
    {
        for (const Phase& p : byName(phases))
            std::printf("%s: \"%s\": %lld ms, longest stall %lld ms, %s, text still at most %lld ms%s\n", what,
                        qPrintable(p.name), p.lengthMs, p.longestStallMs, p.counted ? "counted" : "no count",
                        p.longestSameTextMs, p.waitPointer ? ", wait pointer" : "");
        std::fflush(stdout);
    }

    static qint64 longestStall(const QList<Phase>& phases)
    {
        qint64 out = 0;
        for (const Phase& p : phases)
            out = std::max(out, p.longestStallMs);
        return out;
    }

    // A phase longer than `ms` whose text stood still that long without a
    // count: its name, or an empty text when there is none.
    static QString uncountedPhase(const QList<Phase>& phases, qint64 ms)
    {
        for (const Phase& p : byName(phases))
            if (p.lengthMs > ms && !p.counted && p.longestSameTextMs > ms)
                return p.name;
        return {};
    }

    // A stage of work (one that shows a count or whose text begins "Идет")
    // during which the wait pointer was missing: its name, or an empty text.
    static QString phaseWithoutWaitPointer(const QList<Phase>& phases)
    {
        for (const Phase& p : byName(phases))
            if (!p.waitPointer && (p.counted || p.name.startsWith(QStringLiteral("Идет"))))
                return p.name;
        return {};
    }

private:
    static QString captionOf(const QString& text, bool* counted)
    {
        static const QRegularExpression count(QStringLiteral("\\s*\\d+( из \\d+| %| с)?\\s*$"));
        QString caption = text;
        const auto m = count.match(caption);
        *counted = m.hasMatch();
        if (*counted)
            caption.truncate(m.capturedStart());
        return caption.trimmed();
    }

    void status(const QString& text)
    {
        bool counted = false;
        const QString caption = captionOf(text, &counted);
        if (phases_.isEmpty() || phases_.last().name != caption)
            beginPhase(caption);
        Phase& p = phases_.last();
        const qint64 now = clock_.elapsed();
        p.longestSameTextMs = std::max(p.longestSameTextMs, now - p.textChangedMs);
        p.textChangedMs = now;
        p.counted = p.counted || counted;
    }

    void endPhase()
    {
        if (phases_.isEmpty())
            return;
        Phase& p = phases_.last();
        const qint64 now = clock_.elapsed();
        p.lengthMs = now - p.startMs;
        p.longestSameTextMs = std::max(p.longestSameTextMs, now - p.textChangedMs);
    }

    // Runs on the watching thread: one probe at a time.
    void watch()
    {
        while (!stop_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kProbeMs));
            if (outstanding_.exchange(true))
                continue;
            const qint64 sent = clock_.elapsed();
            QMetaObject::invokeMethod(
                context_.get(),
                [this, sent] {
                    // Counted in the phase in which it was sent: the one
                    // whose work held the window thread.
                    const qint64 late = clock_.elapsed() - sent;
                    for (auto it = phases_.rbegin(); it != phases_.rend(); ++it)
                        if (it->startMs <= sent || it + 1 == phases_.rend()) {
                            it->longestStallMs = std::max(it->longestStallMs, late);
                            break;
                        }
                    if (!phases_.isEmpty()) {
                        const QCursor* pointer = QGuiApplication::overrideCursor();
                        phases_.last().waitPointer =
                            phases_.last().waitPointer && pointer && pointer->shape() == Qt::WaitCursor;
                    }
                    outstanding_.store(false);
                },
                Qt::QueuedConnection);
        }
    }

    static constexpr int kProbeMs = 5;
    std::unique_ptr<QObject> context_;
    QElapsedTimer clock_;
    QList<Phase> phases_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> outstanding_{false};
    std::thread watcher_;
};

} // namespace bench
