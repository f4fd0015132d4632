// Filling the retraining book for all groups of a database with 20,000
// persons in 200 groups and 40 grade lines each, against the bare SQLite
// queries that return the same persons and grade cells, both measured in the
// same run. Prints "book Ref/query ratio: <x>".
#include "ScaleDatabase.h"

#include "books/BookQuery.h"
#include "books/frmPFM.h"
#include "core/ListView.h"

#include <QComboBox>
#include <QDate>

#include <memory>

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
long bareQuery(sqlite3* handle, const books::BookSql& q)
{
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = q.sql.toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        return -1;
    for (int i = 0; i < q.params.size(); ++i) {
        const QVariant& v = q.params.at(i);
        if (v.typeId() == QMetaType::QDate) {
            const QByteArray d = v.toDate().toString(Qt::ISODate).toUtf8();
            sqlite3_bind_text(stmt, i + 1, d.constData(), int(d.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        }
    }
    long cells = 0;
    const int columns = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            cells += sqlite3_column_text(stmt, c) ? 1 : 0;
    }
    sqlite3_finalize(stmt);
    return cells;
}

// The book's grade lines and document data for all groups, through sqlite3 alone.
void BM_BareQueries(benchmark::State& state)
{
    const books::BookSelection s = books::bookSelection(core::RetrainingDocuments, 0, {});
    sqlite3* handle = core::db().handle();
    for (auto _ : state) {
        long cells = bareQuery(handle, books::gradeLinesQuery(core::RetrainingDocuments, s));
        cells += bareQuery(handle, books::documentDataQuery(core::RetrainingDocuments, s));
        benchmark::DoNotOptimize(cells);
    }
}

// The window's refresh: queries, grade columns, one row per person.
void BM_BookRef(benchmark::State& state)
{
    for (auto _ : state) {
        g_book->Ref();
        benchmark::DoNotOptimize(g_book->List()->topLevelItemCount());
    }
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

    benchmark::RegisterBenchmark("BareQueries", BM_BareQueries)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    benchmark::RegisterBenchmark("BookRef", BM_BookRef)->Unit(benchmark::kMillisecond)->MinTime(2.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    if (const double ratio = reporter.ratio("BookRef", "BareQueries"); ratio > 0)
        std::printf("book Ref/query ratio: %.2f\n", ratio);
    book.reset();
    core::state().MainDatabase.reset();
    return 0;
}
