// Refreshing the students window of a group of 20,000 persons against the
// bare list query, both measured in the same run. Prints
// "students Ref/query ratio: <x>".
#include "ScaleDatabase.h"

#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "directory/frmSprav.h"

#include <memory>

namespace {

constexpr int kPersons = 20000;

qlonglong g_group = 0;
directory::frmSprav* g_window = nullptr;

// Surnames, names and certificate numbers in no particular order.
void fillGroup(jet::Database& db)
{
    db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("Б 99")});
    g_group = db.lastInsertKey();
    std::mt19937 random(20240305);
    jet::Transaction t(db);
    for (int i = 0; i < kPersons; ++i) {
        const QString surname = QString::fromUtf8(scale::kSurnames[random() % std::size(scale::kSurnames)]) + QString::number(random() % 1000);
        db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, NOMMED, DUBLMED, MEMO) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {g_group, surname, QString::fromUtf8(scale::kNames[random() % std::size(scale::kNames)]), QStringLiteral("Иванович"),
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

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);

    if (!scale::makeWith(home.filePath(QStringLiteral("qv.db")), [] { fillGroup(core::db()); }))
        return 1;

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
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    if (const double ratio = reporter.ratio("StudentsRef", "BareQuery"); ratio > 0)
        std::printf("students Ref/query ratio: %.2f\n", ratio);
    window.reset();
    core::state().MainDatabase.reset();
    return 0;
}
