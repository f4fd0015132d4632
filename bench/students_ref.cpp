// Refreshing the students window of a group of 20,000 persons against the
// bare list query, both measured in the same run. Prints
// "students Ref/query ratio: <x>".
#include "core/AppState.h"
#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "directory/frmSprav.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kPersons = 20000;

qlonglong g_group = 0;
directory::frmSprav* g_window = nullptr;

// Surnames, names and certificate numbers in no particular order.
void fillGroup(jet::Database& db)
{
    static const char* const surnames[] = {"Иванов", "Петрова", "Сидоров", "Ёлкина", "Жуков", "Абрамова",
                                           "Яковлев", "Щукина", "Орлов", "Быстрова", "Лебедев", "Морозова"};
    static const char* const names[] = {"Анна", "Борис", "Виктор", "Галина", "Дмитрий", "Елена", "Юрий"};
    db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("Б 99")});
    g_group = db.lastInsertKey();
    std::mt19937 random(20240305);
    jet::Transaction t(db);
    for (int i = 0; i < kPersons; ++i) {
        const QString surname = QString::fromUtf8(surnames[random() % std::size(surnames)]) + QString::number(random() % 1000);
        db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, NOMMED, DUBLMED, MEMO) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {g_group, surname, QString::fromUtf8(names[random() % std::size(names)]), QStringLiteral("Иванович"),
                    QString::number(random() % 100000000), QStringLiteral("1123457819123"), (i % 7 == 0) ? -1 : 0,
                    QStringLiteral("примечание")});
    }
    t.commit();
}

// The students list query alone: run and every row read.
void BM_BareQuery(benchmark::State& state)
{
    const directory::ListDefinition def = directory::DefineColumns(core::Students, false);
    for (auto _ : state) {
        auto rs = core::db().openRecordset(def.ListSql, jet::dbOpenSnapshot, {g_group});
        long rows = 0;
        for (; !rs->isEOF(); rs->moveNext())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}

// The window's refresh: query, one item per row with its cells, sorted by surname.
void BM_StudentsRef(benchmark::State& state)
{
    for (auto _ : state) {
        g_window->Ref();
        benchmark::DoNotOptimize(g_window->Spr()->topLevelItemCount());
    }
}

// Remembers the mean time per iteration of each benchmark.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0)
                continue;
            const std::string name = run.benchmark_name();
            seconds[name.substr(0, name.find('/'))] = run.real_accumulated_time / double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KALVETA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    settings::useSettingsFolder(home.path() + QStringLiteral("/config"));
    ui::setMessageHandler([](const ui::MessageRequest& r) {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return int(ui::Ok);
    });

    if (!newdb::CreateNewDatabase(home.filePath(QStringLiteral("qv.db")), true)) {
        std::fprintf(stderr, "the database could not be made\n");
        return 1;
    }
    fillGroup(core::db());

    core::state().ComboTypeAhead = true;
    core::state().CurrentKind = core::Students;
    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("0"));
    auto window = std::make_unique<directory::frmSprav>();
    window->resize(1000, 700);
    window->show();
    g_window = window.get();
    if (window->chosenGroupId() != g_group || window->Spr()->topLevelItemCount() != kPersons) {
        std::fprintf(stderr, "the students window does not show the group of %d persons\n", kPersons);
        return 1;
    }

    benchmark::RegisterBenchmark("BareQuery", BM_BareQuery)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("StudentsRef", BM_StudentsRef)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double query = reporter.seconds["BareQuery"];
    const double ref = reporter.seconds["StudentsRef"];
    if (query > 0 && ref > 0)
        std::printf("students Ref/query ratio: %.2f\n", ref / query);
    window.reset();
    core::state().MainDatabase.reset();
    return 0;
}
