#pragma once
// A database at the scale of a large institution for the benchmarks: 200
// groups of 100 persons (20,000), a study plan of 40 lines per group and 40
// grade lines per person (800,000), written with bare statements in one
// transaction on the program's own connection (its column rules need the
// connection's functions). Also the start every window benchmark shares and
// the helpers that read a query the bare way and record the mean time of
// each benchmark.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace scale {

constexpr int kGroups = 200;
constexpr int kPersonsPerGroup = 100;
constexpr int kLinesPerPerson = 40;
constexpr int kGradeDocKind = 1;  // VidDokum of the lines: retraining documents

// Names the filled persons take, in no particular order.
inline constexpr const char* kSurnames[] = {"Иванов", "Петрова", "Сидоров", "Ёлкина", "Жуков", "Абрамова",
                                            "Яковлев", "Щукина", "Орлов", "Быстрова", "Лебедев", "Морозова"};
inline constexpr const char* kNames[] = {"Анна", "Борис", "Виктор", "Галина", "Дмитрий", "Елена", "Юрий"};

// An offscreen application whose home folder and settings live in a
// temporary folder; every message is printed to stderr and answered "OK".
class Environment {
public:
    Environment(int& argc, char** argv) : app_(argc, argv)
    {
        settings::useSettingsFolder(home_.path() + QStringLiteral("/config"));
        ui::setMessageHandler([](const ui::MessageRequest& r) {
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
            return int(ui::Ok);
        });
    }
    QString path() const { return home_.path(); }
    QString filePath(const QString& name) const { return home_.filePath(name); }

private:
    // A temporary home, named in the environment before the application starts.
    struct Home {
        Home()
        {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            qputenv("KALVETA_HOME", dir.path().toUtf8());
        }
        QString path() const { return dir.path(); }
        QString filePath(const QString& name) const { return dir.filePath(name); }
        QTemporaryDir dir;
    };
    Home home_;
    QApplication app_;
};

class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "%s: %s\n", sql, sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    sqlite3_stmt* operator*() const { return stmt_; }
    // Binds whole numbers and texts in order, runs, resets.
    void run(std::initializer_list<std::variant<long long, const char*, std::nullptr_t>> values)
    {
        int i = 0;
        for (const auto& v : values) {
            ++i;
            if (std::holds_alternative<long long>(v))
                sqlite3_bind_int64(stmt_, i, std::get<long long>(v));
            else if (std::holds_alternative<const char*>(v))
                sqlite3_bind_text(stmt_, i, std::get<const char*>(v), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(stmt_, i);
        }
        if (sqlite3_step(stmt_) != SQLITE_DONE)
            std::fprintf(stderr, "insert: %s\n", sqlite3_errmsg(sqlite3_db_handle(stmt_)));
        sqlite3_reset(stmt_);
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

// Fills the open working database. `groups` groups of `perGroup` persons;
// grade lines and plans only when `withGrades`.
inline void fill(int groups, int perGroup, bool withGrades)
{
    sqlite3* h = core::db().handle();
    std::mt19937 random(20240305);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    {
        Statement group(h, "INSERT INTO SPGRUP (NAIM) VALUES (?)");
        Statement person(h, "INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMMED, REGNOMMEDF, NOMMED, DUBLMED, MEMO) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Statement plan(h, "INSERT INTO SPNAGR (SORT, IDG, IDD, CH, kursovaya) VALUES (?, ?, ?, ?, 0)");
        Statement line(h, "INSERT INTO EXAM (SORT, ID, IDD, CH, IDB, LINE, kursovaya, VidDokum) "
                          "VALUES (?, ?, ?, ?, ?, 0, 0, ?)");
        long long personKey = 0;
        for (int g = 1; g <= groups; ++g) {
            const std::string groupName = "Группа " + std::to_string(1000 + g);
            group.run({groupName.c_str()});
            const long long groupKey = sqlite3_last_insert_rowid(h);
            if (withGrades)
                for (int l = 1; l <= kLinesPerPerson; ++l)
                    plan.run({l, groupKey, (l % 12) + 1, "72"});
            for (int p = 0; p < perGroup; ++p) {
                const std::string surname = std::string(kSurnames[random() % std::size(kSurnames)]) + std::to_string(random() % 1000);
                const std::string number = std::to_string(random() % 100000000);
                person.run({groupKey, surname.c_str(), kNames[random() % std::size(kNames)], "Иванович", number.c_str(),
                            number.c_str(), "1123457819123", (p % 7 == 0) ? -1LL : 0LL, "примечание"});
                ++personKey;
                if (withGrades)
                    for (int l = 1; l <= kLinesPerPerson; ++l)
                        line.run({l, personKey, (l % 12) + 1, "72", (l % 10) + 1, (long long)kGradeDocKind});
            }
        }
    }
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

// A new database at `path` (its structure, reference rows and search
// indexes), filled by `fillRows` and left open as the working database;
// false, said on stderr, when it could not be made.
template <class Fill>
bool makeWith(const QString& path, Fill fillRows)
{
    if (!newdb::CreateNewDatabase(path, true)) {
        std::fprintf(stderr, "the database could not be made\n");
        return false;
    }
    fillRows();
    return true;
}

// The same, filled as above.
inline bool make(const QString& path, int groups, int perGroup, bool withGrades)
{
    return makeWith(path, [&] { fill(groups, perGroup, withGrades); });
}

// Runs a query the bare way and reads every column of every row.
inline long readAll(sqlite3* h, const QByteArray& sql, const std::vector<long long>& params)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(h, sql.constData(), -1, &stmt, nullptr);
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_int64(stmt, int(i + 1), params[i]);
    long rows = 0;
    size_t bytes = 0;
    const int n = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < n; ++c) {
            if (sqlite3_column_type(stmt, c) == SQLITE_TEXT)
                bytes += size_t(sqlite3_column_bytes(stmt, c)) + (sqlite3_column_text(stmt, c) ? 1 : 0);
            else
                bytes += size_t(sqlite3_column_int64(stmt, c) & 1);
        }
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
    return rows;
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
    // 0 while either has not run.
    double ratio(const std::string& measured, const std::string& baseline)
    {
        const double b = seconds[baseline];
        return b > 0 ? seconds[measured] / b : 0;
    }
    std::map<std::string, double> seconds;
};

// Reads the benchmark options, runs the benchmarks registered, reports them
// through `reporter` (the console's own when null) and ends.
inline void runBenchmarks(int& argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr)
{
    benchmark::Initialize(&argc, argv);
    if (reporter)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

} // namespace scale
