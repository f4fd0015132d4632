// The window thread while a list or a registry book of many rows is printed,
// as a user meets it after the column chooser: from the print's first
// status text to its file saved. bench::WindowWatch splits the print into
// the stages of the status bar and prints, per stage, its length, its
// longest stall (the longest the windows went without being painted) and
// whether it showed a count; and whether the wait pointer stood over the
// program the whole time. Goals: no stall over 500 ms, every stage over a
// second counted, the wait pointer throughout.
//
// The prints: the students list (10 columns) of 100,000 rows through Calc;
// the retraining book of 20,000 persons (14 columns and 110 grade columns)
// through the Excel path, and the same book of 100,000 persons with 40
// grade columns through Calc. One print may be chosen on the command line:
// "list", "book-xls" or "book-ods", optionally followed by the rows.
//
// Each print runs twice: with no office running (the print starts it, as
// the first print of a session does) and with it running.
#include "WindowWatch.h"

#include "core/AppState.h"
#include "core/ListView.h"
#include "platform/office/Office.h"
#include "platform/ui/Messages.h"
#include "printing/BookPrinting.h"
#include "printing/ListPrinting.h"

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr qint64 kStallGoalMs = 500;
constexpr qint64 kCountedAfterMs = 1000;

struct Trial {
    const char* name;
    bool book;
    printing::OfficePath path;
    int rows;
    int dataColumns;   // list columns before the grade block
    int gradeColumns;  // 0 for a list
};

constexpr Trial kTrials[] = {
    {"list", false, printing::OfficePath::Calc, 100000, 10, 0},
    {"book-xls", true, printing::OfficePath::Excel, 20000, 14, 110},
    {"book-ods", true, printing::OfficePath::Calc, 100000, 14, 40},
};

QString cellText(int row, int column, int dataColumns)
{
    if (column > dataColumns)  // a grade column: most persons have a grade in a few of them
        return (row + column) % 3 == 0 ? QStringLiteral("5") : QString();
    switch (column) {
    case 1: return QStringLiteral("Фамилия%1").arg(row);
    case 2: return QStringLiteral("Имя%1").arg(row % 97);
    case 3: return QStringLiteral("Отчество%1").arg(row % 89);
    case 4: return QString::number(100000 + row);
    default: return QStringLiteral("Текст %1 графы %2").arg(row).arg(column);
    }
}

// The window's list: a key column and the printed columns, one row selected
// (every row printed).
void fillList(core::ReportList& list, const Trial& t, QStringList& captions, QList<int>& alignments)
{
    const int columns = t.dataColumns + t.gradeColumns;
    captions = QStringList{QString()};
    alignments = QList<int>{0};
    for (int c = 1; c <= columns; ++c) {
        captions << (c > t.dataColumns ? QStringLiteral("Дисциплина %1").arg(c - t.dataColumns)
                                       : QStringLiteral("Графа %1").arg(c));
        alignments << (c > t.dataColumns ? 2 : 0);
    }
    core::SetupListViewColumns(&list, captions, alignments);
    {
        core::ListAppender rows(&list);
        for (int r = 1; r <= t.rows; ++r) {
            rows.addRow(QStringLiteral("R%1").arg(r));
            for (int c = 1; c <= columns; ++c)
                rows.setText(c, cellText(r, c, t.dataColumns));
        }
    }
    list.topLevelItem(0).setSelected(true);
}

bool runTrial(const Trial& t, int rows, bool officeRunning)
{
    Trial trial = t;
    trial.rows = rows;
    core::ReportList list;
    QStringList captions;
    QList<int> alignments;
    fillList(list, trial, captions, alignments);
    office::Office& o = office::Office::instance();
    if (officeRunning)
        o.ensureRunning();
    else
        o.shutdown();

    QString file;
    QList<bench::WindowWatch::Phase> phases;
    {
        bench::WindowWatch watch;
        if (trial.book) {
            const printing::BookPrintJob job = printing::bookPrintJob(
                core::RetrainingDocuments, QStringLiteral("Книга регистрации"), &list, captions, alignments,
                trial.dataColumns + 1, trial.gradeColumns);
            const QList<bool> flags(job.lastColumn() + 1, true);
            file = printing::printSheet(printing::bookSheet(job, flags, trial.path), trial.path);
        } else {
            QComboBox groups;
            const printing::ListPrintJob job =
                printing::listPrintJob(core::Students, &list, captions, alignments, {}, &groups, nullptr);
            const QList<bool> flags(job.lastColumn() + 1, true);
            file = printing::printSheet(printing::listSheet(job, flags), trial.path);
        }
        phases = watch.take();
    }
    const QByteArray what = QStringLiteral("%1, %2 rows, %3 columns, office %4")
                                .arg(QString::fromLatin1(trial.name))
                                .arg(trial.rows)
                                .arg(trial.dataColumns + trial.gradeColumns)
                                .arg(officeRunning ? QStringLiteral("running") : QStringLiteral("started by the print"))
                                .toUtf8();
    bench::WindowWatch::print(what.constData(), phases);
    const qint64 longest = bench::WindowWatch::longestStall(phases);
    const QString uncounted = bench::WindowWatch::uncountedPhase(phases, kCountedAfterMs);
    const QString noPointer = bench::WindowWatch::phaseWithoutWaitPointer(phases);
    std::printf("%s: longest stall %lld ms (goal %lld)%s%s%s\n", what.constData(), longest, kStallGoalMs,
                uncounted.isEmpty() ? "" : qPrintable(QStringLiteral("; no count: ") + uncounted),
                noPointer.isEmpty() ? "" : qPrintable(QStringLiteral("; no wait pointer: ") + noPointer),
                file.isEmpty() ? "; NOT SAVED" : "");
    std::fflush(stdout);
    if (!file.isEmpty())
        QFile::remove(file);
    return !file.isEmpty() && longest <= kStallGoalMs && uncounted.isEmpty() && noPointer.isEmpty();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    qputenv("KALVETA_HEADLESS_OFFICE", "1");
    QApplication app(argc, argv);
    core::state().AppPath = home.path();
    QDir(home.path()).mkpath(QStringLiteral("Документы"));
    const QString templates = home.filePath(QStringLiteral("Шаблоны ЭЖ"));
    QDir(home.path()).mkpath(QStringLiteral("Шаблоны ЭЖ"));
    for (const char* name : {"Справочники (шаблон).xlt", "Справочники (шаблон).ots",
                             "Справочник Студенты (шаблон).xlt", "Справочник Студенты (шаблон).ots"}) {
        const QString file = QString::fromUtf8(name);
        if (!QFile::copy(QDir(QStringLiteral(KALVETA_BUILD_TEMPLATES_DIR)).filePath(file),
                         QDir(templates).filePath(file))) {
            std::fprintf(stderr, "template not built: %s\n", name);
            return 2;
        }
    }
    ui::setMessageHandler([](const ui::MessageRequest&) { return int(ui::Ok); });
    office::Office& o = office::Office::instance();
    o.setDataFolder(home.path());
    o.setHeadless(true);
    bool within = true;
    for (const Trial& t : kTrials) {
        if (argc > 1 && QByteArray(argv[1]) != t.name)
            continue;
        const int rows = argc > 2 && QByteArray(argv[2]).toInt() > 0 ? QByteArray(argv[2]).toInt() : t.rows;
        for (const bool running : {false, true})
            within = runTrial(t, rows, running) && within;
    }
    o.shutdown();
    return within ? 0 : 1;
}
