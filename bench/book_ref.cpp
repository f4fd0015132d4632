// The retraining book on a database of 20,000 persons in 200 groups with 40
// grade lines each, built in the setup: the window's refresh for all groups
// and for one group of 100, each against the bare SQL that returns the same
// rows and columns in the order the program reads them (the persons in the
// book's order with their document data, and their grade lines by person
// key with the fields that order each person's list), all measured in the
// same run; two more bare ways that sort every grade line by the persons'
// names are shown for comparison. Prints "book Ref/query ratio: <x>" (all
// groups), "book group Ref/query ratio: <x>" (goal for both: 2) and "book
// memory/text ratio: <x>" (goal: 3): the peak of the process's resident
// memory while the all-groups book is read, against the UTF-8 bytes of the
// text it shows. With KALVETA_BENCH_DATABASE set, a copy of the database is
// saved there, to try the books by hand.
#include "ScaleDatabase.h"

#include "books/BookQuery.h"
#include "books/frmPFM.h"
#include "core/ListView.h"

#include <QComboBox>
#include <QDate>
#include <QFile>

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using scale::kGroups;
using scale::kLinesPerPerson;
using scale::kPersonsPerGroup;
constexpr int kDisciplines = 60;  // each group's plan takes 40 of them
constexpr qlonglong kFirstDiscipline = 5000;

books::frmPFM* g_book = nullptr;

void fillDatabase(jet::Database& db)
{
    std::mt19937 random(20240305);
    jet::Transaction t(db);
    for (int d = 0; d < kDisciplines; ++d)
        db.execute(QStringLiteral("INSERT INTO SPPRED (IDD, NAIM, isNotPred) VALUES (?, ?, 0)"),
                   {kFirstDiscipline + d, QStringLiteral("Дисциплина %1").arg(d)});
    for (int g = 0; g < kGroups; ++g) {
        db.execute(QStringLiteral("INSERT INTO SPGRUP (NAIM, Dat, date_S, date_Po, PRIKAZNOM, PRIKAZDAT, Spec, KVAL) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {QStringLiteral("ПК %1").arg(g, 3, 10, QLatin1Char('0')), QDate(2024, 6, 1), QDate(2024, 1, 10),
                    QDate(2024, 5, 30), QString::number(g), QDate(2024, 6, 2), QStringLiteral("Сестринское дело"),
                    QStringLiteral("Медицинская сестра")});
        const qlonglong group = db.lastInsertKey();
        for (int p = 0; p < kPersonsPerGroup; ++p) {
            const QString surname =
                QString::fromUtf8(scale::kSurnames[random() % std::size(scale::kSurnames)]) + QString::number(random() % 1000);
            db.execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH, REGNOMdoc, regnomUd, DIPL, PRIL, POST) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                       {group, surname, QString::fromUtf8(scale::kNames[random() % std::size(scale::kNames)]),
                        QStringLiteral("Иванович"), QStringLiteral("ПК-%1").arg(random() % 1000000),
                        QString::number(random() % 100000), QStringLiteral("ПП 123456"), QStringLiteral("ПП 654321"),
                        QStringLiteral("почтой")});
        }
    }
    // Forty lines per person from the group's share of the disciplines.
    db.execute(QStringLiteral(
                   "INSERT INTO EXAM (ID, IDD, CH, IDB, SORT, VidDokum) "
                   "SELECT SPSTUD.ID, SPPRED.IDD, '36', (SELECT min(IDB) FROM SPBALL) + (SPSTUD.ID + SPPRED.IDD) % 3, "
                   "SPPRED.IDD, 1 FROM SPSTUD JOIN SPPRED ON SPPRED.IDD - ? - SPSTUD.IDG % ? BETWEEN 0 AND ?"),
               {kFirstDiscipline, kDisciplines - kLinesPerPerson + 1, kLinesPerPerson - 1});
    t.commit();
}

// Runs a query with sqlite3 alone and reads every value of every row as text.
long bareQuery(sqlite3* handle, const char* sql, const std::vector<long long>& params)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(handle));
        return -1;
    }
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_int64(stmt, int(i) + 1, params[i]);
    long cells = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            cells += sqlite3_column_text(stmt, c) ? 1 : 0;
    }
    sqlite3_finalize(stmt);
    return cells;
}

// The same rows as the retraining book, written here with nothing of the
// program: its persons in the book's order with their document data, and
// their grade lines (discipline, hours, mark) in that same order. `%s` is
// the group condition.
constexpr const char* kPersonsSql =
    "SELECT S.ID, G.NAIM, S.POST, S.REGNOMdoc, S.regnomUd, S.DIPL, S.PRIL, S.FAM, S.IM, S.OTCH, G.PRIKAZNOM, "
    "G.PRIKAZDAT, G.Dat, G.Spec, G.KVAL, G.DatGAK, G.PRGAK, S.PROTCH, "
    "S.REGNOMdoc IS NOT NULL AND G.date_S IS NOT NULL AND G.date_Po IS NOT NULL "
    "FROM SPSTUD S JOIN SPGRUP G ON S.IDG = G.IDG WHERE ifnull(S.REGNOMdoc, '') NOT IN ('', '0') %s "
    "ORDER BY S.FAM, S.IM, S.OTCH, S.ID";
// The grade lines through the persons numbered in the book's order.
constexpr const char* kRankedLinesSql =
    "WITH P AS MATERIALIZED (SELECT S.ID, row_number() OVER (ORDER BY S.FAM, S.IM, S.OTCH, S.ID) AS N "
    "FROM SPSTUD S JOIN SPGRUP G ON S.IDG = G.IDG WHERE ifnull(S.REGNOMdoc, '') NOT IN ('', '0') %s) "
    "SELECT P.N, D.NAIM, E.CH, B.OCEN FROM P CROSS JOIN EXAM E ON E.ID = P.ID "
    "JOIN SPBALL B ON B.IDB = E.IDB JOIN SPPRED D ON D.IDD = E.IDD WHERE E.VidDokum = 1 "
    "ORDER BY P.N, E.SORT, E.IDE";
// The grade lines in the order the program reads them: by person key, with
// the fields that order each person's list.
constexpr const char* kKeyOrderLinesSql =
    "SELECT S.ID, D.NAIM, E.CH, B.OCEN, E.SORT, E.IDE FROM SPSTUD S JOIN SPGRUP G ON S.IDG = G.IDG "
    "CROSS JOIN EXAM E ON E.ID = S.ID JOIN SPBALL B ON B.IDB = E.IDB JOIN SPPRED D ON D.IDD = E.IDD "
    "WHERE ifnull(S.REGNOMdoc, '') NOT IN ('', '0') AND E.VidDokum = 1 %s "
    "ORDER BY S.ID";
// The grade lines sorted by the persons' names.
constexpr const char* kSortedLinesSql =
    "SELECT S.ID, D.NAIM, E.CH, B.OCEN FROM SPSTUD S JOIN SPGRUP G ON S.IDG = G.IDG "
    "CROSS JOIN EXAM E ON E.ID = S.ID JOIN SPBALL B ON B.IDB = E.IDB JOIN SPPRED D ON D.IDD = E.IDD "
    "WHERE ifnull(S.REGNOMdoc, '') NOT IN ('', '0') AND E.VidDokum = 1 %s "
    "ORDER BY S.FAM, S.IM, S.OTCH, S.ID, E.SORT, E.IDE";

qlonglong g_group = 0;  // the group of the one-group book

std::string withGroup(const char* sql, bool oneGroup)
{
    char text[2048];
    std::snprintf(text, sizeof text, sql, oneGroup ? "AND G.IDG = ?" : "");
    return text;
}

void bareBook(benchmark::State& state, const char* linesSql, bool oneGroup)
{
    sqlite3* handle = core::db().handle();
    const std::vector<long long> params = oneGroup ? std::vector<long long>{g_group} : std::vector<long long>{};
    const std::string persons = withGroup(kPersonsSql, oneGroup);
    const std::string lines = withGroup(linesSql, oneGroup);
    for (auto _ : state) {
        long cells = bareQuery(handle, persons.c_str(), params);
        cells += bareQuery(handle, lines.c_str(), params);
        benchmark::DoNotOptimize(cells);
    }
}

void BM_BareByKey(benchmark::State& state) { bareBook(state, kKeyOrderLinesSql, false); }
void BM_BareGroupByKey(benchmark::State& state) { bareBook(state, kKeyOrderLinesSql, true); }
void BM_BareRanked(benchmark::State& state) { bareBook(state, kRankedLinesSql, false); }
void BM_BareSorted(benchmark::State& state) { bareBook(state, kSortedLinesSql, false); }
void BM_BareGroupRanked(benchmark::State& state) { bareBook(state, kRankedLinesSql, true); }
void BM_BareGroupSorted(benchmark::State& state) { bareBook(state, kSortedLinesSql, true); }

// The window's refresh: queries, grade columns, one row per person.
void BM_BookRef(benchmark::State& state)
{
    g_book->Cm1()->setCurrentIndex(0);  // "Все группы"
    for (auto _ : state) {
        g_book->Ref();
        benchmark::DoNotOptimize(g_book->List()->topLevelItemCount());
    }
}

void BM_BookGroupRef(benchmark::State& state)
{
    g_book->Cm1()->setCurrentIndex(g_book->Cm1()->findData(g_group));
    for (auto _ : state) {
        g_book->Ref();
        benchmark::DoNotOptimize(g_book->List()->topLevelItemCount());
    }
    if (g_book->List()->topLevelItemCount() != kPersonsPerGroup)
        state.SkipWithError("the group's book does not show its persons");
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The process's resident memory (a line of /proc/self/status, in kB), and
// its peak set back to the present.
double residentKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toDouble();
    return 0;
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// The memory the "Все группы" book takes while it is read against the text
// it shows. Memory: the peak of the process's resident memory during the
// refresh (/proc/self/status VmHWM, its peak set back first) above the
// resident memory before it, with the list emptied and the heap's free
// memory handed back beforehand; the heap the rows hold once read (glibc
// mallinfo2: uordblks + hblkhd) is shown beside it. Text: the UTF-8 bytes of
// every shown cell (columns 1..n; the hidden sort key column is not shown),
// the stricter measure as in the students list's benchmark.
double memoryTextRatio(books::frmPFM* book)
{
    book->Cm1()->setCurrentIndex(0);
    book->List()->clear();
    malloc_trim(0);
    resetPeakResident();
    const double residentBefore = residentKb("VmRSS:");
    const size_t before = heapInUse();
    book->Ref();
    const size_t after = heapInUse();
    const double peak = (residentKb("VmHWM:") - residentBefore) * 1024;
    const core::ReportList* list = book->List();
    double text = 0;
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        const core::ListItem item = list->topLevelItem(r);
        for (int c = 1; c < list->columnCount(); ++c)
            text += double(item.text(c).toUtf8().size());
    }
    std::printf("book rows: %d, peak while reading +%.1f MB (the rows hold %.1f MB once read), text %.1f MB\n",
                list->topLevelItemCount(), peak / 1e6, (double(after) - double(before)) / 1e6, text / 1e6);
    return text > 0 ? peak / text : 0;
}

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);

    if (!scale::makeWith(home.filePath(QStringLiteral("qv.db")), [] { fillDatabase(core::db()); }))
        return 1;
    // A copy of the database to try the books by hand.
    if (const QString copy = qEnvironmentVariable("KALVETA_BENCH_DATABASE"); !copy.isEmpty())
        core::db().backupTo(copy);

    auto book = std::make_unique<books::frmPFM>(core::RetrainingDocuments);
    book->resize(1000, 700);
    book->show();
    book->Cm1()->setCurrentIndex(0);  // "Все группы"
    g_book = book.get();
    const int persons = kGroups * kPersonsPerGroup;
    if (book->List()->topLevelItemCount() != persons || book->gradeCount() != kDisciplines) {
        std::fprintf(stderr, "the book shows %d persons and %d grade columns, not %d and %d\n",
                     book->List()->topLevelItemCount(), book->gradeCount(), persons, kDisciplines);
        return 1;
    }

    g_group = book->Cm1()->itemData(kGroups / 2).toLongLong();

    benchmark::RegisterBenchmark("BareByKey", BM_BareByKey)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BareRanked", BM_BareRanked)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BareSorted", BM_BareSorted)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BookRef", BM_BookRef)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BareGroupByKey", BM_BareGroupByKey)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("BareGroupRanked", BM_BareGroupRanked)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("BareGroupSorted", BM_BareGroupSorted)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("BookGroupRef", BM_BookGroupRef)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    // Against the bare read in the program's order; the ways that sort by
    // name for comparison (against the faster of them).
    if (const double r = reporter.ratio("BookRef", "BareByKey"); r > 0)
        std::printf("book Ref/query ratio: %.2f\n", r);
    if (const double r = reporter.ratio("BookGroupRef", "BareGroupByKey"); r > 0)
        std::printf("book group Ref/query ratio: %.2f\n", r);
    const auto sortedRatio = [&reporter](const char* measured, const char* a, const char* b) {
        return std::max(reporter.ratio(measured, a), reporter.ratio(measured, b));
    };
    if (const double r = sortedRatio("BookRef", "BareRanked", "BareSorted"); r > 0)
        std::printf("(against the ways sorting by name: all groups %.2f, one group %.2f)\n", r,
                    sortedRatio("BookGroupRef", "BareGroupRanked", "BareGroupSorted"));
    std::printf("book memory/text ratio: %.2f\n", memoryTextRatio(book.get()));
    book.reset();
    core::state().MainDatabase.reset();
    return 0;
}
