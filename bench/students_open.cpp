// Opening the students window on one group of 100 persons (of 20,000 in
// 200 groups) and on a group of all 20,000, against the bare statements that
// return the same rows (the groups of the filter and the persons shown), each
// pair measured in the same run. Prints "students open/query ratio: <x>" for
// each.
#include "ScaleDatabase.h"

#include "core/ListCodes.h"
#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "directory/frmSprav.h"
#include "platform/settings/Settings.h"

#include <QApplication>

namespace {

struct Case {
    std::unique_ptr<jet::Database> db;
    qlonglong group = 0;
    int persons = 0;
};
Case g_cases[2];

// Makes `c` the working database for one benchmark.
void use(Case& c)
{
    std::swap(core::state().MainDatabase, c.db);
}

void bare(benchmark::State& state, Case& c)
{
    use(c);
    sqlite3* h = core::db().handle();
    const core::ListQuery groups = core::directoryListQuery(core::Groups, 0);
    const QByteArray groupsSql = groups.sql.toUtf8();
    const QByteArray persons = directory::DefineColumns(core::Students, false).ListSql.toUtf8();
    for (auto _ : state) {
        long rows = scale::readAll(h, groupsSql, {});
        rows += scale::readAll(h, persons, {c.group});
        benchmark::DoNotOptimize(rows);
    }
    use(c);
}

void open(benchmark::State& state, Case& c)
{
    use(c);
    core::state().CurrentKind = core::Students;
    for (auto _ : state) {
        auto window = std::make_unique<directory::frmSprav>();
        window->resize(1000, 700);
        window->show();
        if (window->Spr()->topLevelItemCount() != c.persons)
            state.SkipWithError("the window does not show the group");
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    use(c);
}

void BM_BareGroup(benchmark::State& state) { bare(state, g_cases[0]); }
void BM_OpenGroup(benchmark::State& state) { open(state, g_cases[0]); }
void BM_BareAll(benchmark::State& state) { bare(state, g_cases[1]); }
void BM_OpenAll(benchmark::State& state) { open(state, g_cases[1]); }

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    core::state().ComboTypeAhead = true;
    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("0"));

    const struct {
        const char* file;
        int groups;
        int perGroup;
    } layouts[] = {{"groups.db", scale::kGroups, scale::kPersonsPerGroup},
                   {"all.db", 1, scale::kGroups * scale::kPersonsPerGroup}};
    for (int i = 0; i < 2; ++i) {
        if (!scale::make(home.filePath(QString::fromLatin1(layouts[i].file)), layouts[i].groups, layouts[i].perGroup, false))
            return 1;
        g_cases[i].group = jet::toLong(core::db().scalar(QStringLiteral("SELECT min(IDG) FROM SPGRUP")));
        g_cases[i].persons = layouts[i].perGroup;
        g_cases[i].db = std::move(core::state().MainDatabase);
    }

    benchmark::RegisterBenchmark("BareGroup", BM_BareGroup)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("OpenGroup", BM_OpenGroup)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("BareAll", BM_BareAll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("OpenAll", BM_OpenAll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    std::printf("students open/query ratio: %.2f (a group of %d)\n", reporter.ratio("OpenGroup", "BareGroup"),
                scale::kPersonsPerGroup);
    std::printf("students open/query ratio: %.2f (a group of %d)\n", reporter.ratio("OpenAll", "BareAll"),
                scale::kGroups * scale::kPersonsPerGroup);
    for (Case& c : g_cases)
        c.db.reset();
    return 0;
}
