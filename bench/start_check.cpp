// The database part of start-up on a file of 20,000 persons and 800,000
// grade lines (opening, checking, verifying and upgrading the working
// database, then the main window's table work: missing document kinds and
// digit copies), against one bare "PRAGMA quick_check" of the same file,
// both measured in the same run. Prints "start/quick_check ratio: <x>".
#include "ScaleDatabase.h"

#include "books/RegNumberDigits.h"
#include "platform/jet/SqlFunctions.h"
#include "platform/settings/Settings.h"
#include "shell/Startup.h"

#include <QApplication>
#include <QFileInfo>

namespace {

QString g_path;

void BM_QuickCheck(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(g_path);
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

void BM_Start(benchmark::State& state)
{
    for (auto _ : state) {
        if (!shell::prepareWorkingDatabase(g_path, true))
            state.SkipWithError("the database did not open");
        core::FillMissingDocKind();
        books::UpdateRegNumberDigits();
        core::CloseDatabase();
    }
}

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    core::state().AppPath = home.path();
    g_path = home.filePath(QStringLiteral("qv.db"));
    if (!scale::make(g_path, scale::kGroups, scale::kPersonsPerGroup, true))
        return 1;
    core::CloseDatabase();
    std::fprintf(stderr, "file: %lld bytes\n", QFileInfo(g_path).size());

    benchmark::RegisterBenchmark("QuickCheck", BM_QuickCheck)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("Start", BM_Start)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    std::printf("start/quick_check ratio: %.2f\n", reporter.ratio("Start", "QuickCheck"));
    return 0;
}
