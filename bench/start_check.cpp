// The database part of start-up (opening, checking, verifying and upgrading
// the working database, then the main window's table work: missing document
// kinds and digit copies) on a file of 20,000 persons and 800,000 grade
// lines and on one of 100,000 persons and 4,000,000 grade lines, each
// against one bare "PRAGMA quick_check" of the same file, all measured in the
// same run. Both files were closed cleanly, as after an ordinary session.
// Prints "start/quick_check ratio: <x>" (20,000 persons), "start 100k/
// quick_check ratio: <x>" and "start at 100000 persons: <s> s" (goal: 1.5 s).
// Then the file of 100,000 persons is left as a run killed just after a save
// leaves it (its journal beside it), started once (the whole check), and the
// starts after that are measured against the starts after a clean close:
// "start 100k after a crash/start 100k ratio: <x>" (goal: 1, the file counts
// as closed cleanly once the whole check has passed).
// With KALVETA_BENCH_DATABASE set, a copy of the file of 100,000 persons is
// saved there, to try the program on it by hand.
#include "ScaleDatabase.h"

#include "books/RegNumberDigits.h"
#include "platform/jet/SqlFunctions.h"
#include "platform/settings/Settings.h"
#include "shell/Startup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kLargeGroups = 1000;  // of scale::kPersonsPerGroup: 100,000 persons

QString g_path;
QString g_largePath;

void quickCheck(benchmark::State& state, const QString& file)
{
    const QByteArray path = QFile::encodeName(file);
    for (auto _ : state) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(path.constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
        jet::detail::registerTextSemantics(h);  // the file's indexes are ordered by its collation
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(h, "PRAGMA quick_check", -1, &stmt, nullptr);
        if (sqlite3_step(stmt) != SQLITE_ROW || std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) != "ok")
            state.SkipWithError("quick_check did not pass");
        sqlite3_finalize(stmt);
        sqlite3_close_v2(h);
    }
}

void start(benchmark::State& state, const QString& file)
{
    for (auto _ : state) {
        if (!shell::prepareWorkingDatabase(file, true))
            state.SkipWithError("the database did not open");
        core::FillMissingDocKind();
        books::UpdateRegNumberDigits();
        core::CloseDatabase();
    }
}

// The file as a run killed just after a save leaves it: the save committed,
// the engine's journal of the session still beside the file.
void leaveAsKilledAfterSave(const QString& file)
{
    const QString journal = file + QStringLiteral("-journal");
    QByteArray left;
    {
        auto db = jet::Database::open(file);
        db->execute(QStringLiteral("UPDATE INF SET REF = coalesce(REF, 0) + 1"));
        QFile j(journal);
        if (j.open(QIODevice::ReadOnly))
            left = j.readAll();
    }
    QFile j(journal);
    if (left.isEmpty() || !j.open(QIODevice::WriteOnly) || j.write(left) != left.size())
        std::fprintf(stderr, "the journal of the session was not kept\n");
}

void BM_StartAfterCrash100k(benchmark::State& state)
{
    static const bool once = [] {
        leaveAsKilledAfterSave(g_largePath);
        // The first start after the crash: the whole check, not measured.
        const bool opened = shell::prepareWorkingDatabase(g_largePath, true);
        core::CloseDatabase();
        return opened;
    }();
    if (!once)
        state.SkipWithError("the database did not open after the crash");
    start(state, g_largePath);
}

void BM_QuickCheck(benchmark::State& state) { quickCheck(state, g_path); }
void BM_Start(benchmark::State& state) { start(state, g_path); }
void BM_QuickCheck100k(benchmark::State& state) { quickCheck(state, g_largePath); }
void BM_Start100k(benchmark::State& state) { start(state, g_largePath); }

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    core::state().AppPath = home.path();
    g_path = home.filePath(QStringLiteral("qv.db"));
    if (!scale::make(g_path, scale::kGroups, scale::kPersonsPerGroup, true))
        return 1;
    core::CloseDatabase();
    g_largePath = home.filePath(QStringLiteral("large.db"));
    if (!scale::make(g_largePath, kLargeGroups, scale::kPersonsPerGroup, true))
        return 1;
    core::CloseDatabase();
    if (const QString copy = qEnvironmentVariable("KALVETA_BENCH_DATABASE"); !copy.isEmpty())
        QFile::copy(g_largePath, copy);
    std::fprintf(stderr, "files: %lld and %lld bytes\n", QFileInfo(g_path).size(), QFileInfo(g_largePath).size());

    benchmark::RegisterBenchmark("QuickCheck", BM_QuickCheck)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("Start", BM_Start)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("QuickCheck100k", BM_QuickCheck100k)->Unit(benchmark::kMillisecond)->MinTime(4.0);
    benchmark::RegisterBenchmark("Start100k", BM_Start100k)->Unit(benchmark::kMillisecond)->MinTime(4.0);
    benchmark::RegisterBenchmark("StartAfterCrash100k", BM_StartAfterCrash100k)->Unit(benchmark::kMillisecond)->MinTime(4.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    std::printf("start/quick_check ratio: %.2f\n", reporter.ratio("Start", "QuickCheck"));
    std::printf("start 100k/quick_check ratio: %.2f\n", reporter.ratio("Start100k", "QuickCheck100k"));
    std::printf("start at 100000 persons: %.2f s (goal 1.5 s)\n", reporter.seconds["Start100k"]);
    std::printf("start 100k after a crash/start 100k ratio: %.2f (goal 1)\n",
                reporter.ratio("StartAfterCrash100k", "Start100k"));
    return 0;
}
