#include "DirectoryTestSupport.h"

#include "core/ListView.h"
#include "directory/PlanTotals.h"
#include "platform/ui/Messages.h"

#include <sqlite3.h>

using namespace dirtest;
using directory::totalPlanHours;

namespace {

// Keys of the sample headings: totals 6, classroom hours 7, "в том числе:" 8.
constexpr qlonglong kTotals = 6;
constexpr qlonglong kClassroom = 7;
constexpr qlonglong kSubheading = 8;

const QString kAddQuestion = QStringLiteral(
    "Рассчитать ВСЕГО часов теоретического обучения и добавить такую строку? В сумму будут включены часы, указанные во "
    "всех строках.");
const QString kRecomputeQuestion = QStringLiteral(
    "Рассчитать ВСЕГО часов теоретического обучения и вписать в текущую строку? В сумму будут включены часы, "
    "указанные в строках выше.");

class PlanTotalsTest : public DirectoryDbTest {
protected:
    void SetUp() override
    {
        DirectoryDbTest::SetUp();
        group = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Т 11')"), {});
    }

    qlonglong planRow(qlonglong sort, qlonglong discipline, const QVariant& hours)
    {
        return insert(QStringLiteral("INSERT INTO SPNAGR (IDG, SORT, IDD, CH) VALUES (?, ?, ?, ?)"),
                      {group, sort, discipline, hours});
    }
    // The plan as (discipline, hours) in its order.
    QStringList plan()
    {
        QStringList out;
        auto rs = db().openRecordset(QStringLiteral("SELECT IDD, CH, SORT FROM SPNAGR WHERE IDG = ? ORDER BY SORT, IDN"),
                                     jet::dbOpenSnapshot, {group});
        for (; !rs->isEOF(); rs->moveNext())
            out << QStringLiteral("%1:%2").arg(jet::toLong(rs->value(0))).arg(rs->text(QStringLiteral("CH")));
        return out;
    }
    QString hoursOf(qlonglong row)
    {
        return jet::toText(db().scalar(QStringLiteral("SELECT CH FROM SPNAGR WHERE IDN = ?"), {row}));
    }
    qlonglong sortOf(qlonglong row)
    {
        return count(QStringLiteral("SELECT SORT FROM SPNAGR WHERE IDN = ?"), {row});
    }

    qlonglong group = 0;
};

TEST(PlanHoursTest, HoursOfOneRow)
{
    const struct {
        const char* text;
        double hours;
    } cases[] = {
        {"72", 72},         {"2 недели", 72},   {"1,5 недели", 54}, {"", 0},         {"2 Недели", 2},
        {"72 ч.", 72},      {"6 недель", 216},  {"1 неделя", 36},   {"\u0445", 0},   {"3,5", 3.5},
        {" 1 2 ", 12},      {"1.5e1", 15},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(directory::hoursValue(QString::fromUtf8(c.text)), c.hours) << c.text;
}

TEST(PlanHoursTest, TotalsAreWrittenWithADecimalComma)
{
    const struct {
        double total;
        const char* text;
    } cases[] = {{198, "198"}, {37.5, "37,5"}, {1080, "1080"}, {0.1 + 0.2, "0,3"}, {0, "0"}, {123456.25, "123456,25"}};
    for (const auto& c : cases)
        EXPECT_EQ(directory::hoursText(c.total), QString::fromUtf8(c.text)) << c.total;
}

// No row selected: a totals row is added after every plan row, even one
// whose order is above its key, with the sum of the hours of all rows but
// the headings; the classroom-hours heading follows it.
TEST_F(PlanTotalsTest, NewTotalsRowCountsEveryRowOfThePlan)
{
    planRow(1, 12, QStringLiteral("72"));
    planRow(2, 13, QStringLiteral("2 недели"));
    planRow(3, kSubheading, QStringLiteral("100"));
    planRow(4, 14, QStringLiteral("1,5 недели"));
    planRow(5, 15, QVariant());
    planRow(100000, 16, QStringLiteral("0,5"));  // ordered beyond any key
    messages.answer(ui::Yes);

    const qlonglong row = totalPlanHours(6, group, 0);

    ASSERT_GT(row, 0);
    EXPECT_EQ(messages.texts(), QStringList{kAddQuestion});
    EXPECT_EQ(messages.messages().at(0).style, ui::YesNo | ui::Question);
    EXPECT_EQ(hoursOf(row), QStringLiteral("198,5"));
    EXPECT_EQ(sortOf(row), 100001);
    EXPECT_EQ(plan(), (QStringList{"12:72", "13:2 недели", "8:100", "14:1,5 недели", "15:", "16:0,5", "6:198,5", "7:"}));
}

TEST_F(PlanTotalsTest, SelectedTotalsRowCountsOnlyTheRowsAboveIt)
{
    planRow(10, 12, QStringLiteral("72"));
    planRow(20, 13, QStringLiteral("36"));
    const qlonglong totals = planRow(30, kTotals, QStringLiteral("старое"));
    planRow(31, kClassroom, QVariant());
    planRow(40, 14, QStringLiteral("500"));
    messages.answer(ui::Yes);

    EXPECT_EQ(totalPlanHours(6, group, totals), totals);

    EXPECT_EQ(messages.texts(), QStringList{kRecomputeQuestion});
    EXPECT_EQ(hoursOf(totals), QStringLiteral("108"));
    // The classroom heading was already below it: nothing added.
    EXPECT_EQ(plan(), (QStringList{"12:72", "13:36", "6:108", "7:", "14:500"}));
}

// Only rows ordered strictly above the totals row that name a discipline
// (or discipline 0) count: no order, the same order, no discipline, a
// missing discipline row or a discipline without a type leave a row out.
TEST_F(PlanTotalsTest, OnlyOrderedDisciplineRowsAboveTheTotalsCount)
{
    const qlonglong untyped = insert(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES ('Без типа', NULL)"), {});
    planRow(10, 12, QStringLiteral("1"));                                // counts
    planRow(11, 0, QStringLiteral("2"));                                 // discipline 0: counts
    insert(QStringLiteral("INSERT INTO SPNAGR (IDG, SORT, IDD, CH) VALUES (?, NULL, 13, '4')"), {group});
    planRow(12, 999999, QStringLiteral("8"));                            // missing discipline row
    insert(QStringLiteral("INSERT INTO SPNAGR (IDG, SORT, IDD, CH) VALUES (?, 13, NULL, '16')"), {group});
    planRow(14, untyped, QStringLiteral("32"));                          // type unknown
    planRow(20, 14, QStringLiteral("64"));                               // same order, smaller key
    const qlonglong totals = planRow(20, kTotals, QVariant());
    planRow(20, 15, QStringLiteral("128"));                              // same order, larger key
    messages.answer(ui::Yes);

    EXPECT_EQ(totalPlanHours(6, group, totals), totals);
    EXPECT_EQ(hoursOf(totals), QStringLiteral("3"));
}

// Running the command twice adds the classroom heading once; a row right
// below the totals row makes room for it, a gap does not.
TEST_F(PlanTotalsTest, ClassroomHeadingTakesThePlaceRightBelow)
{
    planRow(10, 12, QStringLiteral("72"));
    const qlonglong totals = planRow(20, kTotals, QVariant());
    const qlonglong next = planRow(21, 13, QStringLiteral("36"));
    const qlonglong after = planRow(30, 14, QStringLiteral("36"));

    EXPECT_EQ(totalPlanHours(6, group, totals), totals);
    EXPECT_EQ(sortOf(next), 22);
    EXPECT_EQ(sortOf(after), 31);
    EXPECT_EQ(plan(), (QStringList{"12:72", "6:72", "7:", "13:36", "14:36"}));

    EXPECT_EQ(totalPlanHours(6, group, totals), totals);
    EXPECT_EQ(plan(), (QStringList{"12:72", "6:72", "7:", "13:36", "14:36"}));

    // With a gap below a second totals row, nothing moves.
    const qlonglong second = planRow(40, kTotals, QVariant());
    planRow(50, 15, QStringLiteral("1"));
    EXPECT_EQ(totalPlanHours(6, group, second), second);
    EXPECT_EQ(sortOf(after), 31);
    EXPECT_EQ(plan().mid(5), (QStringList{"6:144", "7:", "15:1"}));
}

TEST_F(PlanTotalsTest, MissingHeadingsOfTheDisciplinesDirectory)
{
    planRow(10, 12, QStringLiteral("72"));
    // Without the classroom heading the total is written alone.
    db().execute(QStringLiteral("UPDATE SPPRED SET NAIM = 'в т.ч. аудиторных' WHERE IDD = ?"), {kClassroom});
    const qlonglong row = totalPlanHours(6, group, 0);
    ASSERT_GT(row, 0);
    EXPECT_EQ(plan(), (QStringList{"12:72", "6:72"}));

    // Without the totals heading only the message comes.
    db().execute(QStringLiteral("UPDATE SPPRED SET isNotPred = 0 WHERE IDD = ?"), {kTotals});
    messages.clear();
    EXPECT_EQ(totalPlanHours(6, group, row), 0);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    "В справочнике дисциплин не найдена строка \"ВСЕГО часов теоретического обучения:\". "
                                    "Добавьте значение в справочник с типом \"Заголовок раздела\"")});
    EXPECT_EQ(messages.messages().at(0).style, ui::OkOnly | ui::Exclamation);
}

TEST_F(PlanTotalsTest, NoGroupOrDeclinedChangesNothing)
{
    planRow(10, 12, QStringLiteral("72"));
    const QString chooseGroup = QStringLiteral(
        "Выберите учебную группу из списка, затем в таблице выделите строку, в которую нужно вписать итоговое "
        "количество часов, после этого повторите операцию.");
    const struct {
        int entries;
        qlonglong group;
        QString text;
    } cases[] = {
        {0, 0, QStringLiteral("Список учебных групп пуст. Введите группу в справочник учебных групп, после этого "
                              "повторите операцию.")},
        {6, 0, chooseGroup},
        {6, 987654, chooseGroup},  // a group deleted meanwhile
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_EQ(totalPlanHours(c.entries, c.group, 0), 0);
        EXPECT_EQ(messages.texts(), QStringList{c.text});
        EXPECT_EQ(messages.messages().at(0).style, ui::OkOnly | ui::Exclamation);
    }
    messages.clear();
    messages.answer(ui::No);
    EXPECT_EQ(totalPlanHours(6, group, 0), 0);
    EXPECT_EQ(plan(), QStringList{"12:72"});
}

TEST_F(PlanTotalsTest, FailedWriteIsReportedAndLeavesThePlanAsItWas)
{
    planRow(10, 12, QStringLiteral("72"));
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db().handle(),
                           "CREATE TRIGGER no_total BEFORE UPDATE OF CH ON SPNAGR "
                           "BEGIN SELECT RAISE(ABORT, 'нельзя'); END",
                           nullptr, nullptr, &error),
              SQLITE_OK);

    EXPECT_EQ(totalPlanHours(6, group, 0), 0);

    ASSERT_EQ(messages.count(), 2);
    EXPECT_TRUE(messages.texts().at(1).startsWith(
        QStringLiteral("Произошла ошибка во время записи итогового значения в базу данных: ")));
    EXPECT_EQ(messages.messages().at(1).style, ui::OkOnly);
    EXPECT_EQ(plan(), QStringList{"12:72"});
}

// Through the study-plan window: the button rebuilds the list and selects
// the totals row.
TEST_F(PlanTotalsTest, ButtonSelectsTheTotalsRow)
{
    planRow(10, 12, QStringLiteral("72"));
    planRow(20, 13, QStringLiteral("1,5 недели"));
    core::state().CurrentKind = core::StudyPlan;
    directory::frmSprav w;
    w.resize(900, 600);
    w.show();
    w.Cm1()->setCurrentIndex(w.Cm1()->findData(group));
    ASSERT_EQ(w.Spr()->topLevelItemCount(), 2);

    w.Toolbar1_ButtonClick(QStringLiteral("keyTotal"));

    ASSERT_EQ(w.Spr()->topLevelItemCount(), 4);
    ASSERT_EQ(w.Spr()->selectedItems().size(), 1);
    core::ListItem totals = w.Spr()->selectedItems().first();
    EXPECT_EQ(totals, w.Spr()->topLevelItem(2));
    EXPECT_EQ(totals->text(1), QStringLiteral("ВСЕГО часов теоретического обучения:"));
    EXPECT_EQ(totals->text(3), QStringLiteral("126"));
    EXPECT_EQ(w.focusWidget(), w.Spr());
}

} // namespace
