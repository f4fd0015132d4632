// The check and import passes over grade rows, for combinations of the
// grade-sheet settings.
#include "import/GradeRows.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

using namespace importer;
using importtest::ImportDbTest;

namespace {

class GradeRowsTest : public ImportDbTest {
protected:
    void SetUp() override
    {
        ImportDbTest::SetUp();
        jet::Database& db = core::db();
        const qlonglong b31 = groupId(QStringLiteral("Б 31"));
        const qlonglong z41 = groupId(QStringLiteral("З 41"));
        const auto person = [&](const char* fam, const char* im, const QVariant& otch, qlonglong group) {
            db.execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IM, OTCH, IDG) VALUES (?, ?, ?, ?)"),
                       {QString::fromUtf8(fam), QString::fromUtf8(im), otch, group});
            return db.lastInsertKey();
        };
        ivanov_ = person("Иванов", "Пётр", QStringLiteral("Сергеевич"), b31);
        person("Петрова", "Анна", QVariant(), b31);  // no patronymic: Null
        person("Орлова", "Вера", QStringLiteral("Павловна"), b31);
        person("Сидоров", "Олег", QStringLiteral("Ильич"), z41);
        for (const char* d : {"Анатомия", "Физиология"})
            db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, 0)"), {QString::fromUtf8(d)});
        // Earlier lines of the person: two of the retraining documents, one of
        // another document kind.
        line(ivanov_, "Анатомия", "3", 1);
        line(ivanov_, "Физиология", "4", 1);
        line(ivanov_, "Анатомия", "5", 0);
    }

    void line(qlonglong person, const char* discipline, const char* grade, int vidDokum)
    {
        jet::Database& db = core::db();
        db.execute(QStringLiteral("INSERT INTO EXAM (ID, IDD, IDB, VidDokum) VALUES (?, (SELECT IDD FROM SPPRED WHERE "
                                  "NAIM=?), (SELECT IDB FROM SPBALL WHERE OCEN=?), ?)"),
                   {person, QString::fromUtf8(discipline), QString::fromUtf8(grade), vidDokum});
        db.execute(QStringLiteral("UPDATE EXAM SET SORT=IDE WHERE IDE=?"), {db.lastInsertKey()});
    }

    // Person/discipline/grade/hours of the lines of one VidDokum.
    QStringList lines(int vidDokum) const
    {
        return column("SELECT s.FAM || '/' || p.NAIM || '/' || ifnull(b.OCEN, '') || '/' || ifnull(e.CH, '') FROM EXAM e "
                      "JOIN SPSTUD s ON s.ID=e.ID JOIN SPPRED p ON p.IDD=e.IDD LEFT JOIN SPBALL b ON b.IDB=e.IDB "
                      "WHERE e.VidDokum=? ORDER BY 1 COLLATE BINARY",
                      {vidDokum});
    }

    static ImportLayout layout()
    {
        ImportLayout l = importLayout(core::GradeSheetImport);
        l << disciplineColumn(QStringLiteral("Анатомия"), QStringLiteral("72"))
          << disciplineColumn(QStringLiteral(" Химия "), QStringLiteral("36"))
          << disciplineColumn(QStringLiteral("физиология"), QString());
        return l;
    }

    // Sheet rows 2 to 6.
    const QList<QStringList> rows_{
        {"Б 31", "Иванов", "Пётр", "Сергеевич", "5", "4", ""},
        {"Б 31", "Петрова", "Анна", "", " 4", "", "+"},
        {"Б 31", "Сидоров", "Олег", "Ильич", "3", "", ""},    // in another group
        {"Б 31", "Иванов", "Пётр", "Сергеевич", "", "", "5"},  // the same person again
        {"Б 31", "Орлова", "Вера", "Павловна", "отл", "", ""},  // no such grade kind
    };
    const QList<int> numbers_{2, 3, 4, 5, 6};
    qlonglong ivanov_ = 0;
};

} // namespace

TEST_F(GradeRowsTest, SettingCombinationsGiveTheirLines)
{
    const QStringList untouched{"Иванов/Анатомия/5/"};
    const struct {
        const char* name;
        bool addPersons, addDisciplines, refill;
        long checked, imported;
        QStringList lines;  // VidDokum 1 after the import
        int addedPersons, addedDisciplines;
    } cases[] = {
        {"nothing added, nothing cleared", false, false, false, 4, 4,
         {"Иванов/Анатомия/3/", "Иванов/Анатомия/5/72", "Иванов/Физиология/4/", "Иванов/Физиология/5/",
          "Петрова/Анатомия/4/72", "Петрова/Физиология/+/"},
         0, 0},
        {"persons and disciplines added", true, true, false, 6, 6,
         {"Иванов/Анатомия/3/", "Иванов/Анатомия/5/72", "Иванов/Физиология/4/", "Иванов/Физиология/5/",
          "Иванов/Химия/4/36", "Петрова/Анатомия/4/72", "Петрова/Физиология/+/", "Сидоров/Анатомия/3/72"},
         1, 1},
        // Иванов's second row keeps the grades his first row wrote: his
        // earlier lines are cleared once.
        {"grades refilled", false, false, true, 4, 2,
         {"Иванов/Анатомия/5/", "Иванов/Физиология/5/", "Петрова/Анатомия/4/72", "Петрова/Физиология/+/"}, 0, 0},
        {"all three", true, true, true, 6, 4,
         {"Иванов/Анатомия/5/", "Иванов/Физиология/5/", "Иванов/Химия/4/36", "Петрова/Анатомия/4/72",
          "Петрова/Физиология/+/", "Сидоров/Анатомия/3/72"},
         1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        GradeImport imp;
        imp.layout = layout();
        imp.docKind = core::RetrainingDocuments;
        imp.addPersons = c.addPersons;
        imp.addDisciplines = c.addDisciplines;
        imp.refillGrades = c.refill;
        const long persons = count(QStringLiteral("SPSTUD")), disciplines = count(QStringLiteral("SPPRED"));
        const QStringList before = lines(1);

        // Both passes name every row they leave out.
        QStringList problems{"строка 6: оценки «отл» нет в справочнике видов оценок"};
        if (!c.addPersons)
            problems.prepend(QStringLiteral("строка 4: «Сидоров Олег Ильич» нет в группе «Б 31»"));
        const GradeOutcome check = checkGradeRows(imp, rows_, numbers_);
        EXPECT_EQ(check.count, c.checked);
        EXPECT_EQ(check.problems, problems);
        EXPECT_EQ(check.missingDiscipline,
                  c.addDisciplines ? (QList<QPair<int, int>>{}) : (QList<QPair<int, int>>{qMakePair(0, 5)}));
        EXPECT_EQ(lines(1), before);

        const GradeOutcome done = importGradeRows(imp, rows_, numbers_);
        ASSERT_TRUE(done.ok) << done.error.toStdString();
        EXPECT_EQ(done.count, c.imported);
        EXPECT_EQ(done.problems, problems);
        EXPECT_EQ(lines(1), c.lines);
        EXPECT_EQ(lines(0), untouched);
        EXPECT_EQ(count(QStringLiteral("SPSTUD")), persons + c.addedPersons);
        EXPECT_EQ(count(QStringLiteral("SPPRED")), disciplines + c.addedDisciplines);
        EXPECT_EQ(core::db().scalar(QStringLiteral("SELECT count(*) FROM EXAM WHERE SORT IS NOT IDE")).toInt(), 0);
        if (c.addPersons) {
            EXPECT_EQ(column("SELECT ifnull(OTCH, 'Null') || '/' || IDG FROM SPSTUD WHERE FAM='Сидоров' ORDER BY ID"),
                      (QStringList{QStringLiteral("Ильич/%1").arg(groupId(QStringLiteral("З 41"))),
                                   QStringLiteral("Ильич/%1").arg(groupId(QStringLiteral("Б 31")))}));
        }
    }
}

TEST_F(GradeRowsTest, RowsThatFindNoGroupOrNoPersonYieldNothing)
{
    GradeImport imp;
    imp.layout = layout();
    imp.docKind = core::Documents;
    imp.addPersons = true;
    imp.addDisciplines = true;
    const QList<QStringList> rows{{"Нет группы", "Иванов", "Пётр", "Сергеевич", "5", "5", "5"},
                                  {"", "", "", "", "", "", ""},                  // a blank row: not named
                                  {"б 31", "ПЕТРОВА", "анна", "", "5", "", ""},  // the database ignores case
                                  {"", "", "", "", "", "4", ""}};                // grades without a name
    const QStringList problems{"строка 2: группы «Нет группы» нет в справочнике",
                               "строка 5: не указаны фамилия, имя и отчество"};
    const long persons = count(QStringLiteral("SPSTUD"));
    const GradeOutcome check = checkGradeRows(imp, rows, {2, 3, 4, 5});
    EXPECT_EQ(check.count, 1);
    EXPECT_EQ(check.problems, problems);
    const GradeOutcome done = importGradeRows(imp, rows, {2, 3, 4, 5});
    EXPECT_EQ(done.count, 1);
    EXPECT_EQ(done.problems, problems);
    EXPECT_EQ(lines(0), (QStringList{"Иванов/Анатомия/5/", "Петрова/Анатомия/5/72"}));
    EXPECT_EQ(count(QStringLiteral("SPSTUD")), persons);
}

TEST_F(GradeRowsTest, AFailedWriteLeavesEveryTableAsItWas)
{
    core::db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON EXAM WHEN NEW.IDB=(SELECT IDB FROM SPBALL "
                                      "WHERE OCEN='+') BEGIN SELECT RAISE(ABORT, 'отказ'); END"));
    GradeImport imp;
    imp.layout = layout();
    imp.docKind = core::RetrainingDocuments;
    imp.addPersons = true;
    imp.addDisciplines = true;
    imp.refillGrades = true;
    const QStringList before = lines(1);
    const long persons = count(QStringLiteral("SPSTUD")), disciplines = count(QStringLiteral("SPPRED"));
    const GradeOutcome done = importGradeRows(imp, rows_, numbers_);
    EXPECT_FALSE(done.ok);
    EXPECT_TRUE(done.error.startsWith(QStringLiteral("Импорт не выполнен, данные остались прежними. Ошибка: ")));
    EXPECT_EQ(lines(1), before);
    EXPECT_EQ(count(QStringLiteral("SPSTUD")), persons);
    EXPECT_EQ(count(QStringLiteral("SPPRED")), disciplines);
}

TEST_F(GradeRowsTest, ARowWhoseDisciplinesAreAllMissingIsNamed)
{
    GradeImport imp;
    imp.layout = importLayout(core::GradeSheetImport);
    imp.layout << disciplineColumn(QStringLiteral("Анатомия"), QString())
               << disciplineColumn(QStringLiteral(" Химия "), QString())
               << disciplineColumn(QStringLiteral("Биохимия"), QString());
    imp.docKind = core::RetrainingDocuments;
    const QList<QStringList> rows{{"Б 31", "Иванов", "Пётр", "Сергеевич", "", "4", "5"},  // nothing to write
                                  {"Б 31", "Петрова", "Анна", "", "4", "5", ""},            // Анатомия written
                                  {"Б 31", "Орлова", "Вера", "Павловна", "", "3", ""}};     // nothing to write
    const QStringList problems{"строка 2: нет в справочнике дисциплин: «Химия», «Биохимия»",
                               "строка 4: нет в справочнике дисциплин: «Химия»"};
    const QStringList before = lines(1);

    const GradeOutcome check = checkGradeRows(imp, rows, {2, 3, 4});
    EXPECT_EQ(check.count, 1);
    EXPECT_EQ(check.problems, problems);
    EXPECT_EQ(check.missingDiscipline.size(), 4);

    const GradeOutcome done = importGradeRows(imp, rows, {2, 3, 4});
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_EQ(done.count, 1);
    EXPECT_EQ(done.problems, problems);
    EXPECT_EQ(lines(1), before + QStringList{"Петрова/Анатомия/4/"});

    // Disciplines that are to be added leave no row out.
    imp.addDisciplines = true;
    EXPECT_TRUE(checkGradeRows(imp, rows, {2, 3, 4}).problems.isEmpty());
}

// Persons are found by their names as the database compares them: letter
// case aside, Ё apart from Е; of two persons of one name the first stored;
// a person the pass adds is found by the rows after.
TEST_F(GradeRowsTest, PersonsAreFoundByTheirNamesAsTheDatabaseComparesThem)
{
    jet::Database& db = core::db();
    const qlonglong b31 = groupId(QStringLiteral("Б 31"));
    const auto person = [&](const char* fam, const char* im, const char* otch) {
        db.execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IM, OTCH, IDG) VALUES (?, ?, ?, ?)"),
                   {QString::fromUtf8(fam), QString::fromUtf8(im), QString::fromUtf8(otch), b31});
        return db.lastInsertKey();
    };
    const qlonglong first = person("Жуков", "Олег", "Ильич");
    person("Жуков", "Олег", "Ильич");
    const qlonglong yo = person("Семёнова", "Алёна", "Петровна");
    GradeImport imp;
    imp.layout = importLayout(core::GradeSheetImport);
    imp.layout << disciplineColumn(QStringLiteral("Анатомия"), QString());
    imp.docKind = core::Documents;
    imp.addPersons = true;

    const struct {
        const char* surname;
        const char* name;
        const char* patronymic;
        qlonglong person;  // 0: a person the pass adds
    } cases[] = {
        {"жуков", "ОЛЕГ", "ильич", first},
        {"СЕМЁНОВА", "алёна", "Петровна", yo},
        {"Семенова", "Алена", "Петровна", 0},
        {"Семенова", "алена", "петровна", 0},  // the person the row above added
    };
    QList<QStringList> rows;
    QList<int> numbers;
    for (const auto& c : cases) {
        rows << QStringList{QStringLiteral("Б 31"), QString::fromUtf8(c.surname), QString::fromUtf8(c.name),
                            QString::fromUtf8(c.patronymic), QStringLiteral("5")};
        numbers << int(numbers.size()) + 2;
    }
    const long persons = count(QStringLiteral("SPSTUD"));
    const GradeOutcome done = importGradeRows(imp, rows, numbers);
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_EQ(done.count, 4);
    EXPECT_EQ(count(QStringLiteral("SPSTUD")), persons + 1);
    const qlonglong added = db.scalar(QStringLiteral("SELECT max(ID) FROM SPSTUD")).toLongLong();
    QStringList expected;
    for (const auto& c : cases)
        expected << QString::number(c.person > 0 ? c.person : added);
    EXPECT_EQ(column("SELECT ID FROM EXAM WHERE VidDokum=0 AND IDD=(SELECT IDD FROM SPPRED WHERE NAIM='Анатомия') "
                     "AND ID<>? ORDER BY IDE",
                     {ivanov_}),
              expected);
}
