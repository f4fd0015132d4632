// The grades window of a group of 100 persons in a database of 20,000
// persons and 800,000 grade lines, against the bare statements that return
// the same rows (the group's persons and the grade lines of the person
// shown), both measured in the same run. Prints
// "grades view/query ratio: <x>".
#include "ScaleDatabase.h"

#include "core/ListView.h"
#include "directory/GradeLines.h"
#include "directory/frmSprav.h"
#include "platform/settings/Settings.h"

#include <QApplication>

namespace {

directory::frmSprav* g_window = nullptr;
qlonglong g_group = 0;
qlonglong g_person = 0;

void BM_BareQueries(benchmark::State& state)
{
    sqlite3* h = core::db().handle();
    const QByteArray persons = g_window->definition().ListSql.toUtf8();
    const directory::GradeLinesQuery lines = directory::gradeLinesQuery(g_person, core::state().CurrentDocKind);
    const QByteArray linesSql = lines.sql.toUtf8();
    std::vector<long long> lineParams;
    for (const QVariant& v : lines.params)
        lineParams.push_back(v.toLongLong());
    for (auto _ : state) {
        long rows = scale::readAll(h, persons, {g_group});
        rows += scale::readAll(h, linesSql, lineParams);
        benchmark::DoNotOptimize(rows);
    }
}

// The window's refresh: the persons of the group, sorted, and the grade
// lines of the person selected.
void BM_GradesView(benchmark::State& state)
{
    for (auto _ : state) {
        g_window->Ref();
        benchmark::DoNotOptimize(g_window->Spr2()->topLevelItemCount());
    }
}

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    if (!scale::make(home.filePath(QStringLiteral("qv.db")), scale::kGroups, scale::kPersonsPerGroup, true))
        return 1;

    core::state().ComboTypeAhead = true;
    core::state().CurrentKind = core::Grades;
    core::state().CurrentDocKind = scale::kGradeDocKind + 1;
    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG0"), QStringLiteral("0"));
    auto window = std::make_unique<directory::frmSprav>();
    window->resize(1000, 700);
    window->show();
    g_window = window.get();
    g_group = window->chosenGroupId();
    g_person = qlonglong(core::IdFromKey(core::listItemKey(core::selectedListItem(window->Spr()))));
    if (window->Spr()->topLevelItemCount() != scale::kPersonsPerGroup
        || window->Spr2()->topLevelItemCount() != scale::kLinesPerPerson) {
        std::fprintf(stderr, "the grades window does not show a group of %d persons with %d lines each (%d, %d)\n",
                     scale::kPersonsPerGroup, scale::kLinesPerPerson, window->Spr()->topLevelItemCount(),
                     window->Spr2()->topLevelItemCount());
        return 1;
    }

    benchmark::RegisterBenchmark("BareQueries", BM_BareQueries)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("GradesView", BM_GradesView)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    std::printf("grades view/query ratio: %.2f\n", reporter.ratio("GradesView", "BareQueries"));
    window.reset();
    core::CloseDatabase();
    return 0;
}
