#pragma once
// A small database for the registry-book tests: three groups, seven persons
// with certificate, retraining and diploma numbers, and grade lines of two
// document kinds.
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "newdb/NewDatabase.h"
#include "platform/jet/Jet.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QVariant>
#include <gtest/gtest.h>

namespace booktest {

// Groups.
inline constexpr qlonglong kGroupA = 1;  // medical specialty, all dates, retraining period
inline constexpr qlonglong kGroupB = 2;  // medical specialty, retraining period, no issue date
inline constexpr qlonglong kGroupC = 3;  // nothing of that

// Persons, and where the books put them in Russian order (Ё with Е):
// Абрамов, Борисов, Власов, Гусев, Ежов, Ёлкина, Яковлев.
inline constexpr qlonglong kYakovlev = 1;  // A: cert С-100 (100), doc ПК-0150, diploma 500
inline constexpr qlonglong kYolkina = 2;   // A: cert 200, doc 151
inline constexpr qlonglong kYezhov = 3;    // A: cert "0", doc "0": in no book
inline constexpr qlonglong kAbramov = 4;   // B: cert and doc 9007199254740993
inline constexpr qlonglong kBorisov = 5;   // B: cert 300 whose digit copy is missing
inline constexpr qlonglong kVlasov = 6;    // C: cert "", no doc
inline constexpr qlonglong kGusev = 7;     // C: doc 777, in a group without retraining period

// Disciplines and grade kinds.
inline constexpr qlonglong kAnatomy = 901;       // "анатомия"
inline constexpr qlonglong kBiology = 902;       // "Биология"
inline constexpr qlonglong kCapacity = 903;      // "Ёмкость.расчёт"
inline constexpr qlonglong kAnatomyUpper = 904;  // "Анатомия": the same heading as 901
inline constexpr qlonglong kSection = 905;       // a section heading
inline constexpr qlonglong kFive = 951, kFour = 952, kPlus = 953;

inline void exec(const QString& sql, const QVariantList& params = {})
{
    core::db().execute(sql, params);
}

inline void addGrade(qlonglong person, qlonglong discipline, const QString& hours, qlonglong grade, int sort,
                     int vidDokum)
{
    exec(QStringLiteral("INSERT INTO EXAM (ID, IDD, CH, IDB, SORT, VidDokum) VALUES (?, ?, ?, ?, ?, ?)"),
         {person, discipline, hours, grade, sort, vidDokum});
}

inline void fillFixture()
{
    exec(QStringLiteral("INSERT INTO SPMED (IDM, NAIM) VALUES (900, 'Сестринское дело')"));
    const QString group = QStringLiteral(
        "INSERT INTO SPGRUP (IDG, NAIM, IDM, DatMed, DatGAKMed, PRGAKMed, Dat, date_S, date_Po, PRIKAZNOM, "
        "PRIKAZDAT, Spec, KVAL) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    exec(group, {kGroupA, QStringLiteral("Группа А"), 900, QDate(2024, 3, 5), QDate(2024, 3, 1), QStringLiteral("7"),
                 QDate(2024, 6, 1), QDate(2024, 1, 10), QDate(2024, 5, 30), QStringLiteral("15"), QDate(2024, 6, 2),
                 QStringLiteral("Лечебное дело"), QStringLiteral("Фельдшер")});
    exec(group, {kGroupB, QStringLiteral("Группа Б"), 900, QDate(2024, 9, 10), QVariant(), QVariant(), QVariant(),
                 QDate(2024, 2, 1), QDate(2024, 4, 1), QVariant(), QVariant(), QVariant(), QVariant()});
    exec(group, {kGroupC, QStringLiteral("Группа В"), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                 QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});

    const QString person = QStringLiteral(
        "INSERT INTO SPSTUD (ID, IDG, FAM, IM, OTCH, REGNOMMED, REGNOMMEDF, NOMMED, REGNOMdoc, regnomUd, REGNOM, "
        "REGNOMF, GETMED, POST) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariant null;
    exec(person, {kYakovlev, kGroupA, "Яковлев", "Иван", "Петрович", "С-100", "100", "0001", "ПК-0150", "12", "500",
                  "500", "Сидоров", null});
    exec(person, {kYolkina, kGroupA, "Ёлкина", "Анна", null, "200", "200", null, "151", null, null, null, null, null});
    exec(person, {kYezhov, kGroupA, "Ежов", "Олег", null, "0", null, null, "0", null, null, null, null, null});
    exec(person, {kAbramov, kGroupB, "Абрамов", "Пётр", null, "9007199254740993", "9007199254740993", null,
                  "9007199254740993", null, null, null, null, null});
    exec(person, {kBorisov, kGroupB, "Борисов", "Ян", null, "300", null, null, null, null, null, null, null, null});
    exec(person, {kVlasov, kGroupC, "Власов", "Лев", null, "", null, null, null, null, null, null, null, null});
    exec(person, {kGusev, kGroupC, "Гусев", "Олег", null, null, null, null, "777", null, null, null, null, null});

    const QString discipline = QStringLiteral("INSERT INTO SPPRED (IDD, NAIM, isNotPred) VALUES (?, ?, ?)");
    exec(discipline, {kAnatomy, "анатомия", 0});
    exec(discipline, {kBiology, "Биология", 0});
    exec(discipline, {kCapacity, "Ёмкость.расчёт", 0});
    exec(discipline, {kAnatomyUpper, "Анатомия", 0});
    exec(discipline, {kSection, "Раздел", -1});
    const QString mark = QStringLiteral("INSERT INTO SPBALL (IDB, OCEN, NAIM) VALUES (?, ?, ?)");
    exec(mark, {kFive, "5", "отлично"});
    exec(mark, {kFour, "4", "хорошо"});
    exec(mark, {kPlus, "+", "зачтено"});

    // Retraining grade lines (VidDokum 1).
    addGrade(kYakovlev, kBiology, "36", kFive, 1, 1);
    addGrade(kYakovlev, kAnatomy, "72", kFour, 2, 1);
    addGrade(kYakovlev, kAnatomyUpper, "72", kFive, 3, 1);  // same heading: the first line counts
    addGrade(kYakovlev, kCapacity, "10", kPlus, 4, 1);
    addGrade(kYolkina, kBiology, "36", kFour, 2, 1);  // written first, but second in her list
    addGrade(kYolkina, kBiology, "36", kFive, 1, 1);
    addGrade(kAbramov, kAnatomy, "72", kFive, 1, 1);
    addGrade(kGusev, kBiology, "36", kFour, 1, 1);
    // Diploma grade lines (VidDokum 0).
    addGrade(kYakovlev, kBiology, "40", kFour, 1, 0);
    addGrade(kYakovlev, kSection, "", kFive, 2, 0);
}

// A fresh reference database with the fixture, open as MainDatabase.
class BookDbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        core::resetState();
        testsupport::clearSettings();
        ASSERT_TRUE(newdb::CreateNewDatabase(folder.file(QStringLiteral("books.db")), true));
        fillFixture();
    }
    void TearDown() override { core::CloseDatabase(); }

    testsupport::TempFolder folder;
};

} // namespace booktest
