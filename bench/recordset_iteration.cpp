// Reading a 100,000-row query through a recordset against a bare
// sqlite3_step loop over the same query, in one run.
#include "platform/jet/Jet.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr int kRows = 100000;
const QString kQuery = QStringLiteral("SELECT * FROM SPSTUD ORDER BY ID");

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<jet::Database> db;
    Fixture()
    {
        db = jet::Database::create(dir.filePath(QStringLiteral("bench.db")));
        db->execute(QStringLiteral("CREATE TABLE SPSTUD ([ID] COUNTER, [IDG] INTEGER, [FAM] STRING(100), [IM] STRING(100), "
                                   "[OTCH] STRING(100), [REGNOMMED] STRING(30), [D_R] DATETIME, [DUBLMED] BIT);"));
        jet::Transaction t(*db);
        for (int i = 0; i < kRows; ++i)
            db->execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, D_R, DUBLMED) VALUES (?,?,?,?,?,?,?)"),
                        {i % 50, QStringLiteral("Фамилия%1").arg(i), QStringLiteral("Имя"), QStringLiteral("Отчество"),
                         QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), QDate(1990, 1, 1).addDays(i % 5000), i % 2 ? -1 : 0});
        t.commit();
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// Every column of every row is read, as a list fill does.
void BM_BareStep(benchmark::State& state)
{
    sqlite3* h = fixture().db->handle();
    const QByteArray sql = kQuery.toUtf8();
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(h, sql.constData(), -1, &stmt, nullptr);
        size_t bytes = 0;
        long long sum = 0;
        const int n = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < n; ++c) {
                if (sqlite3_column_type(stmt, c) == SQLITE_TEXT) {
                    const unsigned char* t = sqlite3_column_text(stmt, c);
                    bytes += t ? size_t(sqlite3_column_bytes(stmt, c)) : 0;
                } else {
                    sum += sqlite3_column_int64(stmt, c);
                }
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_Recordset(benchmark::State& state)
{
    jet::Database& db = *fixture().db;
    for (auto _ : state) {
        auto rs = db.openRecordset(kQuery, jet::dbOpenSnapshot);
        const int n = rs->fieldCount();
        size_t count = 0;
        for (; !rs->isEOF(); rs->moveNext())
            for (int c = 0; c < n; ++c)
                count += rs->value(c).isNull() ? 0 : 1;
        benchmark::DoNotOptimize(count);
    }
}

BENCHMARK(BM_BareStep)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Recordset)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Collects the two timings to print their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    double bare = 0, recordset = 0;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            const double t = r.GetAdjustedRealTime();
            if (r.benchmark_name().find("BareStep") != std::string::npos)
                bare = t;
            else if (r.benchmark_name().find("Recordset") != std::string::npos)
                recordset = t;
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.bare > 0)
        std::printf("recordset/sqlite ratio: %.2f\n", reporter.recordset / reporter.bare);
    benchmark::Shutdown();
    return 0;
}
