// The check and import passes over directory rows, on rows given directly.
#include "import/DirectoryRows.h"

#include "ImportTestSupport.h"
#include "core/DirectoryMetadata.h"

#include <gtest/gtest.h>

using namespace importer;
using importtest::ImportDbTest;

namespace {

class DirectoryRowsTest : public ImportDbTest {
protected:
    DirectoryImport importOf(int kind) const
    {
        DirectoryImport d;
        d.kind = kind;
        d.layout = importLayout(kind);
        d.targets = targetFields(core::TableNames(kind), d.layout);
        return d;
    }
    static QList<int> numbers(int n, int first = 2)
    {
        QList<int> out;
        for (int i = 0; i < n; ++i)
            out << first + i;
        return out;
    }
};

} // namespace

TEST_F(DirectoryRowsTest, TargetTypesAndCutSizesComeFromTheTable)
{
    const DirectoryImport students = importOf(core::Students);
    ASSERT_EQ(students.targets.size(), 10);
    EXPECT_EQ(students.targets.at(0).type, jet::dbLong);      // IDG
    EXPECT_EQ(students.targets.at(4).type, jet::dbText);      // REGNOMMED
    EXPECT_EQ(students.targets.at(4).size, 30);
    EXPECT_EQ(students.targets.at(6).type, jet::dbBoolean);   // DUBLMED
    EXPECT_EQ(importOf(core::Users).targets.at(1).type, jet::dbByte);  // ROLE
    EXPECT_EQ(students.targets.at(9).type, jet::dbMemo);
    EXPECT_EQ(cutSizes(students.layout, students.targets), (QList<int>{0, 100, 100, 100, 30, 13, 0, 255, 255, 0}));
    EXPECT_EQ(importOf(core::PrintingHouses).targets.at(1).type, jet::dbText);  // Tmp5
}

TEST_F(DirectoryRowsTest, GroupRowsInBothPasses)
{
    const QList<QStringList> rows{
        {"Новая 1", "Лечебное дело", "05.03.2024", "", "12", ""},         // 2: taken
        {"б 31", "", "", "", "", ""},                                     // 3: in the database, other case
        {"Новая 2", "Нет такой специальности", "", "", "", ""},          // 4: unknown look-up
        {"Новая 3", "", "abc", "", "", ""},                               // 5: no date
        {"Новая 1", "", "", "", "", ""},                                  // 6: repeats row 2
        {"новая 1", "", "", "", "", ""},                                  // 7: repeats row 2 in other case
        {"", "Лечебное дело", "", "", "", ""},                            // 8: no name
        {"Группа \"А\"", "ЛЕЧЕБНОЕ ДЕЛО", "", "01.02.2024", "", "x"},     // 9: taken
        {"Новая 2", "Лечебное дело", "", "", "", ""},                    // 10: row 4 was left out: taken
        {"Новая 1", "", "", "", "", ""},                                  // 11: repeats row 2 again
    };
    const DirectoryImport groups = importOf(core::Groups);
    const CheckOutcome check = checkDirectoryRows(groups, rows, numbers(int(rows.size())));
    EXPECT_EQ(check.removed, (QList<int>{1, 2, 3, 4, 6, 9}));
    EXPECT_EQ(check.count, 4);
    // Every row left out is named with its reason.
    EXPECT_EQ(check.problems, (QStringList{"строка 3: «б 31» уже есть в справочнике (графа «Группа»)",
                                           "строка 4: «Нет такой специальности» не найдено в справочнике (графа "
                                           "«Медицинская специальность»)",
                                           "строка 5: «abc» не подходит для графы «Дата выдачи сертификата»",
                                           "строка 6: повторяет строку 2 (графа «Группа»)",
                                           "строка 8: не заполнена графа «Группа»",
                                           "строка 11: повторяет строку 2 (графа «Группа»)"}));
    EXPECT_EQ(count("SPGRUP"), 2);

    // The import pass repeats every test of a row; a name saved by the same
    // pass is in the table for the rows after it.
    const ImportOutcome done = importDirectoryRows(groups, rows, numbers(int(rows.size())));
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_EQ(done.count, 3);
    EXPECT_EQ(done.problems, (QStringList{"строка 3: «б 31» уже есть в справочнике (графа «Группа»)",
                                          "строка 4: «Нет такой специальности» не найдено в справочнике (графа "
                                          "«Медицинская специальность»)",
                                          "строка 5: «abc» не подходит для графы «Дата выдачи сертификата»",
                                          "строка 6: «Новая 1» уже есть в справочнике (графа «Группа»)",
                                          "строка 7: «новая 1» уже есть в справочнике (графа «Группа»)",
                                          "строка 8: не заполнена графа «Группа»",
                                          "строка 11: «Новая 1» уже есть в справочнике (графа «Группа»)"}));
    EXPECT_EQ(column("SELECT NAIM FROM SPGRUP ORDER BY IDG"),
              (QStringList{"Б 31", "З 41", "Новая 1", "Группа \"А\"", "Новая 2"}));
    const qlonglong medical = core::db()
                                  .scalar(QStringLiteral("SELECT IDM FROM SPMED WHERE NAIM=?"), {QStringLiteral("Лечебное дело")})
                                  .toLongLong();
    EXPECT_EQ(column("SELECT IDM FROM SPGRUP WHERE IDG>2 ORDER BY IDG"),
              (QStringList{QString::number(medical), QString::number(medical), QString::number(medical)}));
    EXPECT_EQ(column("SELECT DatMed FROM SPGRUP WHERE NAIM=?", {QStringLiteral("Новая 1")}), QStringList{"05.03.2024"});
    EXPECT_EQ(column("SELECT PRGAKMed FROM SPGRUP WHERE NAIM=?", {QStringLiteral("Новая 1")}), QStringList{"12"});
}

TEST_F(DirectoryRowsTest, ConversionsOfTheOtherKinds)
{
    const struct {
        int kind;
        QStringList row;
        bool taken;
        const char* query;  // one value read back after the import, or the reason a row is left out
        const char* expected;
    } cases[] = {
        {core::MedicalSpecialties, {"Новая специальность", "спо"}, true, "SELECT LEVEL2 FROM SPMED ORDER BY IDM DESC", "2"},
        {core::MedicalSpecialties, {"Другая специальность", "ВПО"}, true, "SELECT LEVEL2 FROM SPMED ORDER BY IDM DESC", "1"},
        {core::MedicalSpecialties, {"Третья специальность", "магистратура"}, true, "SELECT LEVEL2 FROM SPMED ORDER BY IDM DESC", ""},
        {core::MedicalSpecialties, {"Четвертая специальность", ""}, false, "", "строка 2: не заполнена графа «Образование»"},
        // Names need not be unique among medical specialties.
        {core::MedicalSpecialties, {"новая специальность", "СПО"}, true, "SELECT count(*) FROM SPMED WHERE NAIM='Новая специальность'", "2"},
        {core::PrintingHouses, {"Типография \"Печать\"", "шаблон.dot"}, true,
         "SELECT Tmp5 || '/' || ifnull(oTmp5, '') FROM SPTPGR ORDER BY IDT DESC", "шаблон.dot/"},
        // The role is stored by its number; a role the program lacks is
        // refused like a name a directory lacks.
        {core::Users, {"Оператор 2", "Администратор"}, true, "SELECT ifnull(ROLE, 'нет') FROM USERS ORDER BY IDU DESC", "0"},
        {core::Users, {"Оператор 3", "оператор"}, true, "SELECT ifnull(ROLE, 'нет') FROM USERS ORDER BY IDU DESC", "1"},
        {core::Users, {"Оператор 4", "Пользователь"}, true, "SELECT ifnull(ROLE, 'нет') FROM USERS ORDER BY IDU DESC", "2"},
        {core::Users, {"Оператор 5", "Гость"}, false, "", "строка 2: «Гость» не найдено в справочнике (графа «Роль»)"},
        // The duplicate flag: "Да" is True (-1), an empty cell False.
        {core::Students, {"з 41", "Иванов", "Пётр", "", "00123", "", "Да", "", "", ""}, true,
         "SELECT IDG || '/' || REGNOMMED || '/' || ifnull(DUBLMED, 'нет') FROM SPSTUD ORDER BY ID DESC", "2/00123/-1"},
        {core::Students, {"з 41", "Сидоров", "Олег", "", "00124", "", "", "", "", ""}, true,
         "SELECT IDG || '/' || REGNOMMED || '/' || ifnull(DUBLMED, 'нет') FROM SPSTUD ORDER BY ID DESC", "2/00124/0"},
        {core::Students, {"", "Петров", "", "", "", "", "", "", "", ""}, true,
         "SELECT ifnull(IDG, 'нет') FROM SPSTUD ORDER BY ID DESC", "нет"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row.join(QLatin1Char('|')).toStdString());
        const DirectoryImport import = importOf(c.kind);
        const CheckOutcome check = checkDirectoryRows(import, {c.row}, {2});
        EXPECT_EQ(check.count, c.taken ? 1 : 0);
        const ImportOutcome done = importDirectoryRows(import, {c.row}, {2});
        ASSERT_TRUE(done.ok);
        EXPECT_EQ(done.count, c.taken ? 1 : 0);
        if (c.taken) {
            EXPECT_EQ(column(QString::fromUtf8(c.query)).value(0), QString::fromUtf8(c.expected));
        } else {
            EXPECT_EQ(check.problems, QStringList{QString::fromUtf8(c.expected)});
            EXPECT_EQ(done.problems, QStringList{QString::fromUtf8(c.expected)});
        }
    }
}

TEST_F(DirectoryRowsTest, UnknownGroupFailsTheRowInsteadOfGroupZero)
{
    const DirectoryImport students = importOf(core::Students);
    const QList<QStringList> rows{{"Нет такой", "Иванов", "", "", "", "", "", "", "", ""},
                                  {"Б 31", "О\"Нил", "", "", "", "", "", "", "", ""}};
    const CheckOutcome check = checkDirectoryRows(students, rows, {7, 8});
    EXPECT_EQ(check.removed, QList<int>{0});
    EXPECT_EQ(check.problems, QStringList{"строка 7: «Нет такой» не найдено в справочнике (графа «Группа»)"});
    const ImportOutcome done = importDirectoryRows(students, rows, {7, 8});
    EXPECT_EQ(done.count, 1);
    EXPECT_EQ(column("SELECT FAM FROM SPSTUD"), QStringList{"О\"Нил"});
    EXPECT_EQ(core::db().scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE IDG=0")).toInt(), 0);
}

TEST_F(DirectoryRowsTest, AFailedWriteLeavesTheTableAsItWas)
{
    core::db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON SPGRUP WHEN NEW.NAIM='Сбой' "
                                      "BEGIN SELECT RAISE(ABORT, 'отказ'); END"));
    const QList<QStringList> rows{{"Первая", "", "", "", "", ""}, {"Сбой", "", "", "", "", ""}, {"Третья", "", "", "", "", ""}};
    const ImportOutcome done = importDirectoryRows(importOf(core::Groups), rows, {4, 5, 6});
    EXPECT_FALSE(done.ok);
    EXPECT_EQ(done.count, 0);
    EXPECT_TRUE(done.error.startsWith(QStringLiteral("Импорт не выполнен, данные остались прежними. При записи строки 5 "
                                                     "произошла ошибка: ")))
        << done.error.toStdString();
    EXPECT_EQ(column("SELECT NAIM FROM SPGRUP ORDER BY IDG"), (QStringList{"Б 31", "З 41"}));
    EXPECT_EQ(core::db().transactionDepth(), 0);
}

// A pass over more rows than one recordset takes: every row is saved, a row
// saved early is in the table for a row far after it, and a failure at the
// end still takes back every row.
TEST_F(DirectoryRowsTest, APassOverManyRowsSavesOrTakesBackThemAll)
{
    constexpr int kRows = 9000;
    QList<QStringList> rows;
    for (int i = 1; i <= kRows; ++i)
        rows << QStringList{QStringLiteral("Типография %1").arg(i), QString()};
    rows << QStringList{QStringLiteral("типография 1"), QString()};  // repeats the first in other case
    const long before = count(QStringLiteral("SPTPGR"));
    const ImportOutcome done = importDirectoryRows(importOf(core::PrintingHouses), rows, numbers(int(rows.size())));
    ASSERT_TRUE(done.ok) << done.error.toStdString();
    EXPECT_EQ(done.count, kRows);
    EXPECT_EQ(done.problems,
              QStringList{QStringLiteral("строка %1: «типография 1» уже есть в справочнике (графа «Наименование»)").arg(kRows + 2)});
    EXPECT_EQ(count(QStringLiteral("SPTPGR")), before + kRows);
    EXPECT_EQ(column("SELECT NAIM FROM SPTPGR ORDER BY IDT DESC LIMIT 1"), QStringList{"Типография 9000"});

    core::db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON SPTPGR WHEN NEW.NAIM='Сбой' "
                                      "BEGIN SELECT RAISE(ABORT, 'отказ'); END"));
    for (QStringList& row : rows)
        row[0] = QStringLiteral("Вторая ") + row[0];
    rows.last()[0] = QStringLiteral("Сбой");
    EXPECT_FALSE(importDirectoryRows(importOf(core::PrintingHouses), rows, numbers(int(rows.size()))).ok);
    EXPECT_EQ(count(QStringLiteral("SPTPGR")), before + kRows);
    EXPECT_EQ(core::db().transactionDepth(), 0);
}
