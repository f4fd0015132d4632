#include "DirectoryTestSupport.h"

#include "core/ListView.h"
#include "directory/PlanToGrades.h"
#include "platform/ui/Messages.h"

#include <sqlite3.h>

using namespace dirtest;
using directory::copyPlanToGrades;
using directory::PlanFill;
using directory::PlanFillOutcome;

namespace {

const QString kFirstQuestion = QStringLiteral("Скопировать перечень дисциплин из учебного плана?");
const QString kSecondQuestion = QStringLiteral(
    "Список дисциплин с оценками у данного студента не пуст. \"Да\"- очищать данные, \"Нет\" - добавлять строки.");

// One grade line as the tests compare it.
struct Line {
    qlonglong discipline;
    QString hours;
    QString text;
    qlonglong institution;
    bool courseWork;
    bool operator==(const Line&) const = default;
};

void PrintTo(const Line& l, std::ostream* os)
{
    *os << '{' << l.discipline << ", \"" << l.hours.toStdString() << "\", \"" << l.text.toStdString() << "\", "
        << l.institution << ", " << l.courseWork << '}';
}

// A group of its own with a plan whose order differs from the order in
// which its rows were written, and one person in it.
class PlanToGradesTest : public OnePersonGroupTest {
protected:
    void SetUp() override
    {
        OnePersonGroupTest::SetUp();
        const QString plan =
            QStringLiteral("INSERT INTO SPNAGR (IDG, SORT, IDD, NAIM, CH, IDZ, kursovaya) VALUES (?, ?, ?, ?, ?, ?, ?)");
        // Plan order: heading (10), course (20), philosophy (30), language (40).
        insert(plan, {group, 30, 12, QVariant(), QStringLiteral("72"), QVariant(), 0});
        insert(plan, {group, 10, 8, QVariant(), QVariant(), 0, 0});
        insert(plan, {group, 20, 13, QStringLiteral("курс \"Б\""), QStringLiteral("1,5 недели"), 1, -1});
        insert(plan, {group, 40, 14, QVariant(), QStringLiteral("2 \"недели\""), QVariant(), 0});
    }

    // The person's lines of one stored kind, in their order.
    QList<Line> linesOf(int vidDokum)
    {
        QList<Line> out;
        auto rs = db().openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE ID = ? AND VidDokum = ? ORDER BY SORT, IDE"),
                                     jet::dbOpenSnapshot, {person, vidDokum});
        for (; !rs->isEOF(); rs->moveNext())
            out.append({jet::toLong(rs->value("IDD")), rs->text("CH"), rs->text("NAIM"), jet::toLong(rs->value("IDZ")),
                        jet::toLong(rs->value("kursovaya")) != 0});
        return out;
    }
    static QList<Line> planLines()
    {
        return {{8, "", "", 0, false},
                {13, "1,5 недели", "курс \"Б\"", 1, true},
                {12, "72", "", 0, false},
                {14, "2 \"недели\"", "", 0, false}};
    }
    qlonglong lines(const QString& where = QStringLiteral("1"))
    {
        return count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ? AND ") + where, {person});
    }
};

TEST_F(PlanToGradesTest, DecliningTheFirstQuestionChangesNothing)
{
    messages.answer(ui::No);
    const PlanFillOutcome outcome = copyPlanToGrades(person, 0);
    EXPECT_EQ(outcome.way, PlanFill::None);
    EXPECT_EQ(messages.texts(), QStringList{kFirstQuestion});
    EXPECT_EQ(messages.messages().at(0).style, ui::YesNo | ui::Question);
    EXPECT_EQ(lines(), 0);
}

// A person without lines of the kind gets the whole plan, headings
// included, in the plan's order, each line ordered by its own key.
TEST_F(PlanToGradesTest, PersonWithoutLinesGetsTheWholePlan)
{
    for (int docKind : {0, 2, 3}) {
        messages.clear();
        const PlanFillOutcome outcome = copyPlanToGrades(person, docKind);
        EXPECT_EQ(outcome.way, PlanFill::Inserted) << docKind;
        EXPECT_EQ(outcome.lines, 4) << docKind;
        EXPECT_EQ(messages.texts(), QStringList{kFirstQuestion}) << docKind;
        EXPECT_EQ(linesOf(core::vidDokumOf(docKind)), planLines()) << docKind;
    }
    EXPECT_EQ(lines(QStringLiteral("SORT = IDE")), 12);
    EXPECT_EQ(lines(QStringLiteral("IDB IS NULL")), 12);
}

// Replace removes only the person's lines of the window's kind; lines that
// carry no kind count as kind 0.
TEST_F(PlanToGradesTest, ReplaceRemovesOnlyTheLinesOfTheKind)
{
    const QString line = QStringLiteral("INSERT INTO EXAM (ID, IDD, CH, IDB, VidDokum, SORT) VALUES (?, ?, ?, 5, ?, 1)");
    insert(line, {person, 15, QStringLiteral("10"), 0});
    insert(line, {person, 16, QStringLiteral("20"), QVariant()});
    insert(line, {person, 17, QStringLiteral("30"), 1});
    const qlonglong otherPerson = count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID <> ?"), {person});
    messages.answer(ui::Yes);
    messages.answer(ui::Yes);

    const PlanFillOutcome outcome = copyPlanToGrades(person, 0);

    EXPECT_EQ(outcome.way, PlanFill::Replaced);
    EXPECT_EQ(messages.texts(), (QStringList{kFirstQuestion, kSecondQuestion}));
    EXPECT_EQ(messages.messages().at(1).style, ui::YesNo | ui::Question);
    EXPECT_EQ(linesOf(0), planLines());
    EXPECT_EQ(lines(QStringLiteral("VidDokum IS NULL")), 0);
    EXPECT_EQ(lines(QStringLiteral("VidDokum = 1 AND IDD = 17 AND IDB = 5")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID <> ?"), {person}), otherPerson);
}

TEST_F(PlanToGradesTest, LinesWithoutAKindCountAsKindZero)
{
    insert(QStringLiteral("INSERT INTO EXAM (ID, IDD, CH, SORT) VALUES (?, 12, '72', 1)"), {person});
    messages.answer(ui::Yes);
    messages.answer(ui::No);
    EXPECT_EQ(copyPlanToGrades(person, 0).way, PlanFill::Appended);
    EXPECT_EQ(messages.texts().last(), kSecondQuestion);
    // Kind 2 has no lines yet: inserted without the second question.
    messages.clear();
    EXPECT_EQ(copyPlanToGrades(person, 3).way, PlanFill::Inserted);
    EXPECT_EQ(messages.count(), 1);
}

// Append adds only the plan rows without a matching line; values with
// quotes and empty institutions match their lines, so a second append adds
// nothing; appended lines follow the plan's order after every line.
TEST_F(PlanToGradesTest, AppendAddsOnlyMissingRowsInPlanOrder)
{
    ASSERT_EQ(directory::insertPlanIntoGrades(person, 2), 4);
    messages.answer(ui::Yes);
    messages.answer(ui::No);
    PlanFillOutcome outcome = copyPlanToGrades(person, 2);
    EXPECT_EQ(outcome.way, PlanFill::Appended);
    EXPECT_EQ(outcome.lines, 0);
    EXPECT_EQ(linesOf(1), planLines());

    // Philosophy changed by hand, the course line deleted: both come again,
    // the course first, as the plan has it, after every line of the table.
    db().execute(QStringLiteral("UPDATE EXAM SET CH = '80' WHERE ID = ? AND IDD = 12"), {person});
    db().execute(QStringLiteral("DELETE FROM EXAM WHERE ID = ? AND IDD = 13"), {person});
    const qlonglong greatest = count(QStringLiteral("SELECT max(SORT) FROM EXAM"));
    messages.answer(ui::Yes);
    messages.answer(ui::No);
    outcome = copyPlanToGrades(person, 2);
    EXPECT_EQ(outcome.lines, 2);
    const QList<Line> all = linesOf(1);
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all.at(3), planLines().at(1));
    EXPECT_EQ(all.at(4), planLines().at(2));
    EXPECT_EQ(lines(QStringLiteral("SORT > %1").arg(greatest)), 2);

    // Appending again finds everything.
    messages.answer(ui::Yes);
    messages.answer(ui::No);
    EXPECT_EQ(copyPlanToGrades(person, 2).lines, 0);
    EXPECT_EQ(lines(), 5);
}

// An empty reference matches only an empty one: a line whose institution
// or discipline is 0 where the plan row has none (or the other way round)
// is another line, and the plan row is appended.
TEST_F(PlanToGradesTest, AnEmptyReferenceMatchesOnlyAnEmptyOne)
{
    const struct {
        const char* set;  // how the person's copy of the plan was changed
        qlonglong appended;
    } cases[] = {
        {"IDZ = 0 WHERE IDD = 12", 1},      // plan: no institution
        {"IDZ = NULL WHERE IDD = 8", 1},    // plan: institution 0
        {"IDD = 0 WHERE IDD = 14", 1},
        {"IDZ = IDZ WHERE IDD = 12", 0},    // unchanged: everything found
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        db().execute(QStringLiteral("DELETE FROM EXAM WHERE ID = ?"), {person});
        ASSERT_EQ(directory::insertPlanIntoGrades(person, 0), 4);
        db().execute(QStringLiteral("UPDATE EXAM SET %1 AND ID = ?").arg(QString::fromUtf8(c.set)), {person});
        EXPECT_EQ(directory::appendPlanToGrades(person, 0), c.appended);
    }
}

TEST_F(PlanToGradesTest, FailedCountStopsWithAMessage)
{
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db().handle(), "ALTER TABLE EXAM RENAME COLUMN VidDokum TO VidDokumOld", nullptr, nullptr, &error),
              SQLITE_OK);
    const qlonglong before = count(QStringLiteral("SELECT count(*) FROM EXAM"));
    messages.answer(ui::Yes);

    const PlanFillOutcome outcome = copyPlanToGrades(person, 0);

    EXPECT_EQ(outcome.way, PlanFill::None);
    ASSERT_EQ(messages.count(), 2);
    EXPECT_TRUE(messages.texts().at(1).startsWith(QStringLiteral("Не удалось прочитать список дисциплин студента. Ошибка: ")));
    EXPECT_EQ(messages.messages().at(1).style, ui::OkOnly | ui::Exclamation);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM")), before);
}

TEST_F(PlanToGradesTest, FailedWriteLeavesTheLinesAsTheyWere)
{
    insert(QStringLiteral("INSERT INTO EXAM (ID, IDD, CH, VidDokum, SORT) VALUES (?, 15, '10', 0, 1)"), {person});
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db().handle(),
                           "CREATE TRIGGER no_course BEFORE INSERT ON EXAM WHEN NEW.IDD = 13 "
                           "BEGIN SELECT RAISE(ABORT, 'нельзя'); END",
                           nullptr, nullptr, &error),
              SQLITE_OK);
    messages.answer(ui::Yes);
    messages.answer(ui::Yes);  // replace

    EXPECT_EQ(copyPlanToGrades(person, 0).way, PlanFill::None);

    ASSERT_EQ(messages.count(), 3);
    EXPECT_TRUE(messages.texts().at(2).startsWith(
        QStringLiteral("Не удалось скопировать перечень дисциплин из учебного плана. Ошибка: ")));
    // The old line is still there, and no line of the plan.
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(lines(QStringLiteral("IDD = 15")), 1);
}

TEST_F(PlanToGradesTest, NoPersonSelectedWritesNothing)
{
    const qlonglong before = count(QStringLiteral("SELECT count(*) FROM EXAM"));
    EXPECT_EQ(copyPlanToGrades(0, 0).lines, 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM")), before);
}

// Through the grades view: the button fills the selected person's lines of
// the window's kind and shows them.
TEST_F(PlanToGradesTest, ButtonOfTheGradesViewShowsTheNewLines)
{
    const auto window = openGradesView(core::TrainingCertificates, group);
    ASSERT_EQ(window->Spr()->topLevelItemCount(), 1);
    directory::frmSprav& w = *window;
    ASSERT_EQ(w.Spr2()->topLevelItemCount(), 0);

    w.Toolbar1_ButtonClick(QStringLiteral("keyCopyTo"));

    ASSERT_EQ(w.Spr2()->topLevelItemCount(), 4);
    EXPECT_EQ(w.Spr2()->topLevelItem(0)->text(1), QStringLiteral("в том числе:"));
    EXPECT_EQ(w.Spr2()->topLevelItem(1)->text(3), QStringLiteral("1,5 недели"));
    EXPECT_EQ(linesOf(2), planLines());
}

} // namespace
