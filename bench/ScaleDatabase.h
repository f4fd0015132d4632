#pragma once
// A database at the scale of a large institution for the benchmarks: 200
// groups of 100 persons (20,000), a study plan of 40 lines per group and 40
// grade lines per person (800,000), written with bare statements in one
// transaction on the program's own connection (its column rules need the
// connection's functions). Also the helpers that read a query the bare way
// and record the mean time of each benchmark.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"

#include <QString>
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
    static const char* const surnames[] = {"Иванов", "Петрова", "Сидоров", "Ёлкина", "Жуков", "Абрамова",
                                           "Яковлев", "Щукина", "Орлов", "Быстрова", "Лебедев", "Морозова"};
    static const char* const names[] = {"Анна", "Борис", "Виктор", "Галина", "Дмитрий", "Елена", "Юрий"};
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
                const std::string surname = std::string(surnames[random() % std::size(surnames)]) + std::to_string(random() % 1000);
                const std::string number = std::to_string(random() % 100000000);
                person.run({groupKey, surname.c_str(), names[random() % std::size(names)], "Иванович", number.c_str(),
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
// indexes), filled as above and left open as the working database.
inline bool make(const QString& path, int groups, int perGroup, bool withGrades)
{
    if (!newdb::CreateNewDatabase(path, true))
        return false;
    fill(groups, perGroup, withGrades);
    return true;
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
    double ratio(const std::string& measured, const std::string& baseline)
    {
        const double b = seconds[baseline];
        return b > 0 ? seconds[measured] / b : 0;
    }
    std::map<std::string, double> seconds;
};

} // namespace scale
