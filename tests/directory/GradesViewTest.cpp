// The grades view: a person's grade lines of the window's document kind,
// and moving grade lines and plan lines.
#include "DirectoryTestSupport.h"

#include "directory/RowOrder.h"

using namespace dirtest;

namespace {

class GradesViewTest : public DirectoryDbTest {
protected:
    void SetUp() override
    {
        DirectoryDbTest::SetUp();
        group = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("А 01")});
        orlova = insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM) VALUES (?, ?, ?)"),
                        {group, QStringLiteral("Орлова"), QStringLiteral("Анна")});
        popov = insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (?, ?)"), {group, QStringLiteral("Попов")});
        line1 = addLine(orlova, 3, 12, "72", 5, 1, -1, "доп\r\nтекст");
        line2 = addLine(orlova, 1, 13, "36", 4, 1, 0);
        line3 = addLine(orlova, 2, 14, "", 3, 0, 0);
        line4 = addLine(orlova, 4, 999, "", QVariant(), QVariant(), 0);
        line5 = addLine(orlova, 5, 12, "", 5, 2, 0);
        line6 = addLine(popov, 1, 12, "", 5, QVariant(), 0);
        discipline12 = jet::toText(db().scalar(QStringLiteral("SELECT NAIM FROM SPPRED WHERE IDD = 12")));
        discipline13 = jet::toText(db().scalar(QStringLiteral("SELECT NAIM FROM SPPRED WHERE IDD = 13")));
    }

    qlonglong addLine(qlonglong person, QVariant sort, int discipline, const char* hours, QVariant grade,
                      QVariant vidDokum, int courseWork, const char* text = "")
    {
        return insert(QStringLiteral("INSERT INTO EXAM (ID, SORT, IDD, CH, IDB, VidDokum, kursovaya, NAIM) "
                                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                      {person, sort, discipline, QString::fromUtf8(hours), grade, vidDokum, courseWork,
                       QString::fromUtf8(text)});
    }
    QStringList lineKeys(const QList<qlonglong>& ids)
    {
        QStringList out;
        for (qlonglong id : ids)
            out << core::rowItemKey(id);
        return out;
    }
    qlonglong sortOf(qlonglong line)
    {
        return jet::toLong(db().scalar(QStringLiteral("SELECT SORT FROM EXAM WHERE IDE = ?"), {line}));
    }

    qlonglong group = 0, orlova = 0, popov = 0;
    qlonglong line1 = 0, line2 = 0, line3 = 0, line4 = 0, line5 = 0, line6 = 0;
    QString discipline12, discipline13;
};

} // namespace

TEST_F(GradesViewTest, ShowsTheLinesOfTheWindowsDocumentKindInTheirOrder)
{
    auto retraining = open(0, 2);
    ASSERT_EQ(retraining->chosenGroupId(), group);
    EXPECT_EQ(column(retraining->Spr(), 1), (QStringList{"Орлова", "Попов"}));
    EXPECT_EQ(keys(retraining->Spr2()), lineKeys({line2, line1}));
    EXPECT_EQ(column(retraining->Spr2(), 1), (QStringList{discipline13, discipline12}));
    EXPECT_EQ(column(retraining->Spr2(), 2), (QStringList{"", "доп текст"}));
    EXPECT_EQ(column(retraining->Spr2(), 3), (QStringList{"36", "72"}));
    EXPECT_EQ(column(retraining->Spr2(), 4), (QStringList{"хорошо", "отлично"}));
    EXPECT_EQ(column(retraining->Spr2(), 5), (QStringList{"Нет", "Да"}));

    // Documents: the lines of kind 0 and those without a kind; missing names read as empty.
    auto documents = open(0, 0);
    EXPECT_EQ(keys(documents->Spr2()), lineKeys({line3, line4}));
    EXPECT_EQ(documents->Spr2()->topLevelItem(1)->text(1), QString());
    EXPECT_EQ(documents->Spr2()->topLevelItem(1)->text(4), QString());
    EXPECT_EQ(keys(open(0, 3)->Spr2()), lineKeys({line5}));
    EXPECT_TRUE(keys(open(0, 4)->Spr2()).isEmpty());

    // Choosing the other person shows that person's lines only.
    core::selectOnlyItem(documents->Spr(), documents->Spr()->topLevelItem(1));
    documents->Spr_ItemClick(documents->Spr()->topLevelItem(1));
    EXPECT_EQ(keys(documents->Spr2()), lineKeys({line6}));

    // Header clicks on the grade lines change nothing.
    retraining->Spr2_ColumnClick(2);
    EXPECT_EQ(keys(retraining->Spr2()), lineKeys({line2, line1}));
}

TEST_F(GradesViewTest, EmptyGroupEmptiesBothListsAndOtherKindsHaveNoGradeLines)
{
    auto w = open(0, 2);
    db().execute(QStringLiteral("DELETE FROM SPSTUD WHERE IDG = ?"), {group});
    w->Ref();
    EXPECT_EQ(w->Spr()->topLevelItemCount(), 0);
    EXPECT_EQ(w->Spr2()->topLevelItemCount(), 0);
    EXPECT_EQ(messages.count(), 0);

    auto students = open(3);
    students->ShowGrades();
    EXPECT_EQ(students->Spr2()->topLevelItemCount(), 0);
}

TEST_F(GradesViewTest, MovingAGradeLineExchangesItsOrderAndTheSelectionFollows)
{
    auto w = open(0, 2, false);
    w->Spr2()->setFocus();
    core::selectOnlyItem(w->Spr2(), w->Spr2()->topLevelItem(0));
    w->Toolbar1_ButtonClick(QStringLiteral("keyDown"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line1, line2}));
    EXPECT_EQ(core::selectedListItem(w->Spr2()), w->Spr2()->topLevelItem(1));
    EXPECT_EQ(sortOf(line2), 3);
    EXPECT_EQ(sortOf(line1), 1);
    EXPECT_EQ(sortOf(line3), 2);  // lines of other kinds stay
    // Down on the last line: nothing, no message; up again.
    w->Toolbar1_ButtonClick(QStringLiteral("keyDown"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line1, line2}));
    w->Toolbar1_ButtonClick(QStringLiteral("keyUp"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line2, line1}));
    EXPECT_EQ(core::selectedListItem(w->Spr2()), w->Spr2()->topLevelItem(0));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(GradesViewTest, NeighboursWithTheSameOrderAreRenumberedSoTheMoveHappens)
{
    db().execute(QStringLiteral("UPDATE EXAM SET SORT = 7 WHERE IDE IN (?, ?)"), {line1, line2});
    auto w = open(0, 2, false);
    ASSERT_EQ(keys(w->Spr2()), lineKeys({line1, line2}));
    w->Spr2()->setFocus();
    core::selectOnlyItem(w->Spr2(), w->Spr2()->topLevelItem(0));
    w->Toolbar1_ButtonClick(QStringLiteral("keyDown"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line2, line1}));
    EXPECT_EQ(core::selectedListItem(w->Spr2()), w->Spr2()->topLevelItem(1));
    EXPECT_LT(sortOf(line2), sortOf(line1));
    w->Toolbar1_ButtonClick(QStringLiteral("keyUp"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line1, line2}));
}

TEST_F(GradesViewTest, LinesWithoutOrderTakeEachOthersKey)
{
    db().execute(QStringLiteral("UPDATE EXAM SET SORT = NULL WHERE IDE IN (?, ?)"), {line1, line2});
    auto w = open(0, 2, false);
    ASSERT_EQ(keys(w->Spr2()), lineKeys({line1, line2}));
    w->Spr2()->setFocus();
    core::selectOnlyItem(w->Spr2(), w->Spr2()->topLevelItem(1));
    w->Toolbar1_ButtonClick(QStringLiteral("keyUp"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line2, line1}));
    EXPECT_EQ(sortOf(line2), line1);
    EXPECT_EQ(sortOf(line1), line2);
}

TEST_F(GradesViewTest, MoveNeedsTheFocusedListAndASelectedLine)
{
    auto w = open(0, 2, false);
    w->Spr()->setFocus();
    core::selectOnlyItem(w->Spr2(), w->Spr2()->topLevelItem(0));
    w->Toolbar1_ButtonClick(QStringLiteral("keyDown"));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line2, line1}));
    EXPECT_EQ(messages.count(), 0);

    w->Spr2()->setFocus();
    w->Spr2()->clearSelection();
    w->Toolbar1_ButtonClick(QStringLiteral("keyDown"));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.texts().first(), QStringLiteral("Не выделена строка. Сначала выделите строку, которую нужно переместить."));
    EXPECT_EQ(keys(w->Spr2()), lineKeys({line2, line1}));
}

TEST_F(GradesViewTest, MovingAPlanLineChangesOnlyThatGroupsPlan)
{
    auto plan = open(5, 0, false);
    const int withPlan = plan->Cm1()->findText(QStringLiteral("Б 31"));
    plan->Cm1()->setCurrentIndex(withPlan);
    const QStringList before = keys(plan->Spr());
    ASSERT_GT(before.size(), 3);
    const QVariantList otherPlans = [&] {
        QVariantList out;
        auto rs = db().openRecordset(QStringLiteral("SELECT SORT FROM SPNAGR WHERE IDG <> ? ORDER BY IDN"),
                                     jet::dbOpenSnapshot, {qlonglong(plan->chosenGroupId())});
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0);
        return out;
    }();

    plan->Spr()->setFocus();
    core::selectOnlyItem(plan->Spr(), plan->Spr()->topLevelItem(2));
    plan->Toolbar1_ButtonClick(QStringLiteral("keyUp"));
    QStringList expected = before;
    expected.swapItemsAt(1, 2);
    EXPECT_EQ(keys(plan->Spr()), expected);
    EXPECT_EQ(core::selectedListItem(plan->Spr()), plan->Spr()->topLevelItem(1));

    QVariantList after;
    auto rs = db().openRecordset(QStringLiteral("SELECT SORT FROM SPNAGR WHERE IDG <> ? ORDER BY IDN"),
                                 jet::dbOpenSnapshot, {qlonglong(plan->chosenGroupId())});
    for (; !rs->isEOF(); rs->moveNext())
        after << rs->value(0);
    EXPECT_EQ(after, otherPlans);
}

TEST_F(GradesViewTest, RenumberingKeepsTheShownOrderAndRunsInOneTransaction)
{
    // Shown order: a line without order (key) first, then two lines sharing 1.
    db().execute(QStringLiteral("UPDATE EXAM SET SORT = NULL WHERE IDE = ?"), {line3});
    db().execute(QStringLiteral("UPDATE EXAM SET SORT = 1 WHERE IDE IN (?, ?)"), {line1, line2});
    const QList<qlonglong> shown{line3, line1, line2};
    directory::exchangeSortOrder(db(), QStringLiteral("EXAM"), QStringLiteral("IDE"), shown, 2, 1);
    EXPECT_EQ(sortOf(line3), line3);
    EXPECT_LT(sortOf(line3), sortOf(line2));
    EXPECT_LT(sortOf(line2), sortOf(line1));
    EXPECT_EQ(db().transactionDepth(), 0);
}
