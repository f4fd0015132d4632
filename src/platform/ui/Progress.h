#pragma once
// Long work seen by the user: the wait cursor for the whole operation, and
// its progress in the first panel of the status bar ("… 12000 из 20000"),
// with the windows repainted between steps so the program never looks frozen.
//
//     ui::LongWork work(QStringLiteral("Заполнение книги"));
//     for (...) { ...; work.step(done, total); }
//
// step() is cheap: the text changes and events are processed only when the
// interval has passed since the last time (a quarter of a second), so a
// loop may call it for every row. The events are taken as work run aside
// takes them (platform/aside): user input is not processed meanwhile, so the
// work cannot be re-entered from the keyboard or the mouse.
#include <QElapsedTimer>
#include <QString>

namespace ui {

class LongWork {
public:
    explicit LongWork(QString caption);
    ~LongWork();
    LongWork(const LongWork&) = delete;
    LongWork& operator=(const LongWork&) = delete;

    // Reports `done` of `total` (total ≤ 0: `done` alone). Shows the text and
    // repaints at most every interval, and always for the first and last step.
    void step(long long done, long long total = 0);
    // Another stage of the same work: a new caption, shown at once.
    void setCaption(QString caption);
    // Shows the caption alone at once (a stage with no count).
    void show();
    // Shows a text of the moment at once (numbers made by the caller); the
    // caption stays for what follows.
    void showText(const QString& text);
    const QString& caption() const { return caption_; }

    // The text step() would show for these numbers.
    static QString text(const QString& caption, long long done, long long total);
    // The text for work measured in units of its own: the share done in per
    // cent ("… 45 %").
    static QString percentText(const QString& caption, long long done, long long total);
    // The text for a wait that gives no measure of its progress (an office
    // starting, a file being stored): the seconds waited so far ("… 3 с").
    static QString secondsText(const QString& caption, long long seconds);
    // How often the text is renewed, in milliseconds.
    static constexpr int intervalMs = 250;

    // After long work over many rows: the memory it freed goes back to the
    // system at once, so that the program's memory returns near where it
    // was before the work.
    static void giveBackFreedMemory();

private:
    void repaint();
    QString caption_;
    QElapsedTimer sinceShown_;
    bool cursorSet_ = false;
};

} // namespace ui
