#include "DirectoryTestSupport.h"

#include "core/ListView.h"
#include "directory/GradeSetting.h"
#include "platform/ui/Messages.h"

using namespace dirtest;
using directory::GradeFocus;
using directory::GradeOutcome;
using directory::GradeRequest;
using directory::setGrade;

namespace {

// Keys of the sample grade kinds: "3" 3, "4" 4, "5" 5, "+" 6, "х" 10.
constexpr qlonglong kMark5 = 5;
constexpr qlonglong kMarkPass = 6;
constexpr qlonglong kMarkCross = 10;

// A person of a group of its own with grade lines of the retraining kind:
// philosophy, the heading "в том числе:", history, language; and one line
// of another kind.
class GradeSettingTest : public OnePersonGroupTest {
protected:
    void SetUp() override
    {
        OnePersonGroupTest::SetUp();
        for (int discipline : {12, 8, 13, 14})
            lines << addLine(discipline, 1);
        otherKind = addLine(15, 0);
    }

    qlonglong addLine(int discipline, int vidDokum)
    {
        const qlonglong key =
            insert(QStringLiteral("INSERT INTO EXAM (ID, IDD, CH, VidDokum) VALUES (?, ?, '10', ?)"), {person, discipline, vidDokum});
        db().execute(QStringLiteral("UPDATE EXAM SET SORT = IDE WHERE IDE = ?"), {key});
        return key;
    }
    qlonglong gradeOf(qlonglong line)
    {
        return count(QStringLiteral("SELECT IDB FROM EXAM WHERE IDE = ?"), {line});
    }
    void grade(qlonglong line, qlonglong idb)
    {
        db().execute(QStringLiteral("UPDATE EXAM SET IDB = ? WHERE IDE = ?"), {idb, line});
    }

    GradeRequest personRequest(int gradeCode)
    {
        GradeRequest r;
        r.grade = gradeCode;
        r.docKind = core::RetrainingDocuments;
        r.focus = GradeFocus::Persons;
        r.personCount = 1;
        r.personId = person;
        return r;
    }
    GradeRequest linesRequest(int gradeCode, const QList<int>& selected)
    {
        GradeRequest r = personRequest(gradeCode);
        r.focus = GradeFocus::Lines;
        // A line's grade cell shows the name of its grade kind.
        for (int i = 0; i < lines.size(); ++i)
            r.lines.append({lines.at(i), selected.contains(i),
                            count(QStringLiteral("SELECT count(*) FROM EXAM INNER JOIN SPBALL ON SPBALL.IDB = EXAM.IDB "
                                                 "WHERE EXAM.IDE = ?"),
                                  {lines.at(i)}) > 0});
        return r;
    }

    QList<qlonglong> lines;
    qlonglong otherKind = 0;
};

TEST(GradeTextTest, GradeAndPointsWords)
{
    const struct {
        int grade;
        const char* text;
        const char* points;
    } cases[] = {{5, "5", " баллов"}, {4, "4", " балла"}, {3, "3", " балла"}, {6, "\"зачтено\"", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(directory::gradeText(c.grade), QString::fromUtf8(c.text));
        EXPECT_EQ(directory::pointsWord(c.grade), QString::fromUtf8(c.points));
    }
}

// All grades of a person: only the lines of the window's kind that are not
// section headings, without a question while none of those is graded.
TEST_F(GradeSettingTest, PersonGetsEveryLineOfTheKindButHeadings)
{
    // Graded lines elsewhere do not count as "already graded".
    grade(lines.at(1), kMarkCross);
    grade(otherKind, kMarkCross);

    const GradeOutcome outcome = setGrade(personRequest(5));

    EXPECT_TRUE(outcome.written);
    EXPECT_FALSE(outcome.restoreSelection);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(gradeOf(lines.at(0)), kMark5);
    EXPECT_EQ(gradeOf(lines.at(1)), kMarkCross);
    EXPECT_EQ(gradeOf(lines.at(2)), kMark5);
    EXPECT_EQ(gradeOf(lines.at(3)), kMark5);
    EXPECT_EQ(gradeOf(otherKind), kMarkCross);
}

TEST_F(GradeSettingTest, PersonWithAGradedLineIsAskedFirst)
{
    grade(lines.at(2), kMark5);
    for (int answer : {ui::No, ui::Yes}) {
        messages.clear();
        messages.answer(answer);
        const GradeOutcome outcome = setGrade(personRequest(6));
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts().at(0), QStringLiteral("Поставить студенту: Орлова Анна Петровна ВСЕ оценки по \"зачтено\"?"));
        EXPECT_EQ(messages.messages().at(0).style, ui::YesNo | ui::Question);
        EXPECT_EQ(outcome.written, answer == ui::Yes);
        EXPECT_EQ(gradeOf(lines.at(0)), answer == ui::Yes ? kMarkPass : 0);
        EXPECT_EQ(gradeOf(lines.at(2)), answer == ui::Yes ? kMarkPass : kMark5);
    }
}

TEST_F(GradeSettingTest, MissingGradeKindIsReportedAndNothingWritten)
{
    db().execute(QStringLiteral("DELETE FROM SPBALL WHERE OCEN = '+'"));
    for (GradeRequest r : {personRequest(6), linesRequest(6, {0})}) {
        messages.clear();
        EXPECT_FALSE(setGrade(r).written);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.texts().at(0),
                  QStringLiteral("Такая оценка не найдена в справочнике \"Виды оценок\". Сначала введите виды оценок. "
                                 "Необходимо, чтобы в справочнике были оценки с баллами 3, 4, 5, зачет помечается "
                                 "знаком + (плюс) в графе \"Балл\"."));
        EXPECT_EQ(messages.messages().at(0).style, ui::OkOnly | ui::Information);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ? AND IDB IS NOT NULL"), {person}), 0);
}

TEST_F(GradeSettingTest, EmptyListsAndOtherFocusOnlyInform)
{
    GradeRequest noPersons = personRequest(5);
    noPersons.personCount = 0;
    GradeRequest noLines = linesRequest(4, {});
    noLines.lines.clear();
    GradeRequest elsewhere = personRequest(3);
    elsewhere.focus = GradeFocus::Other;
    const struct {
        GradeRequest request;
        QString text;
    } cases[] = {
        {noPersons, QStringLiteral("Эта кнопка позволяет поставить оценку 5 по всем дисциплинам выбранному студенту, "
                                   "либо только по одной выбранной дисциплине. Однако, сейчас список студентов пуст.")},
        {noLines, QStringLiteral("Эта кнопка позволяет поставить оценку 4 по выбранной дисциплине. Однако, сейчас список "
                                 "итоговых оценок пуст.")},
        {elsewhere, QStringLiteral("Выделите нужную строку в списке студентов или в списке итоговых оценок и нажмите "
                                   "эту кнопку заново, чтобы поставить оценку 3 либо по всем дисциплинам выбранному "
                                   "студенту, либо только по выбранной дисциплине.")},
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_FALSE(setGrade(c.request).written);
        EXPECT_EQ(messages.texts(), QStringList{c.text});
        EXPECT_EQ(messages.messages().at(0).style, ui::OkOnly | ui::Information);
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ? AND IDB IS NOT NULL"), {person}), 0);
}

// Selected lines: graded without a question while none of them is graded;
// one selected line hands the selection to the line below (the last keeps
// it), several stay selected.
TEST_F(GradeSettingTest, SelectedLinesAreGradedAndTheSelectionMoves)
{
    const struct {
        QList<int> selected;
        QList<int> after;
    } cases[] = {{{1}, {2}}, {{3}, {3}}, {{0, 2, 3}, {0, 2, 3}}};
    for (const auto& c : cases) {
        db().execute(QStringLiteral("UPDATE EXAM SET IDB = NULL WHERE ID = ?"), {person});
        messages.clear();
        const GradeOutcome outcome = setGrade(linesRequest(4, c.selected));
        EXPECT_TRUE(outcome.written);
        EXPECT_TRUE(outcome.restoreSelection);
        EXPECT_EQ(outcome.selectPositions, c.after);
        EXPECT_EQ(messages.count(), 0);
        for (int i = 0; i < lines.size(); ++i)
            EXPECT_EQ(gradeOf(lines.at(i)), c.selected.contains(i) ? 4 : 0) << i;
    }
}

TEST_F(GradeSettingTest, GradedSelectedLinesAreAskedAbout)
{
    grade(lines.at(0), kMark5);
    const struct {
        QList<int> selected;
        QString question;
    } cases[] = {
        {{0}, QStringLiteral("Поставить студенту: Орлова Анна Петровна по дисциплине \"Основы философии\" оценку: 4 балла?")},
        {{0, 2}, QStringLiteral("Поставить студенту: Орлова Анна Петровна по дисциплинам в выделенных строках оценки: 3 балла?")},
    };
    for (const auto& c : cases) {
        const int gradeCode = c.selected.size() == 1 ? 4 : 3;
        messages.clear();
        messages.answer(ui::No);
        EXPECT_FALSE(setGrade(linesRequest(gradeCode, c.selected)).written);
        EXPECT_EQ(messages.texts(), QStringList{c.question});
        EXPECT_EQ(gradeOf(lines.at(0)), kMark5);
        messages.answer(ui::Yes);
        EXPECT_TRUE(setGrade(linesRequest(gradeCode, c.selected)).written);
        EXPECT_EQ(gradeOf(lines.at(0)), gradeCode);
        grade(lines.at(0), kMark5);
    }
}

TEST_F(GradeSettingTest, PersonsListedButNoneSelectedChangeNothingSilently)
{
    GradeRequest r = personRequest(5);
    r.personCount = 3;
    r.personId = 0;
    EXPECT_FALSE(setGrade(r).written);
    EXPECT_EQ(messages.count(), 0) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM WHERE IDB IS NOT NULL AND ID = ?"), {person}), 0);
}

// "Already graded" is what the lines list shows in its grade column, read
// when the command comes.
TEST_F(GradeSettingTest, TheGradeCellDecidesWhetherALineIsGraded)
{
    const auto window = openGradesView(core::RetrainingDocuments, group);
    core::ReportList* list = window->Spr2();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    const int column = 4;  // "Итоговая оценка"
    ASSERT_EQ(list->headerItem()->text(column), QStringLiteral("Итоговая оценка"));

    const struct {
        const char* cell;
        bool asked;
    } cases[] = {{"отлично", true}, {"  ", false}, {"", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        messages.clear();
        list->topLevelItem(0)->setText(column, QString::fromUtf8(c.cell));
        core::selectOnlyItem(list, list->topLevelItem(0));
        const GradeRequest r = directory::gradeRequest(4, core::RetrainingDocuments, window->Spr(), list, list);
        ASSERT_EQ(r.lines.size(), 4);
        EXPECT_EQ(r.lines.at(0).graded, c.asked);
        EXPECT_FALSE(r.lines.at(1).graded);
        messages.answer(ui::Yes);
        EXPECT_TRUE(setGrade(r).written);
        EXPECT_EQ(messages.count(), c.asked ? 1 : 0);
        EXPECT_EQ(gradeOf(lines.at(0)), 4);
    }
}

TEST_F(GradeSettingTest, LinesShownButNoneSelectedChangeNothing)
{
    const GradeOutcome outcome = setGrade(linesRequest(5, {}));
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(messages.count(), 0);
}

// Through the grades view: keys and buttons grade the focused list; one
// graded line passes the selection down and the lines keep the focus.
TEST_F(GradeSettingTest, KeysAndButtonsGradeAndMoveTheSelection)
{
    const auto window = openGradesView(core::RetrainingDocuments, group);
    ASSERT_EQ(window->Spr()->topLevelItemCount(), 1);
    directory::frmSprav& w = *window;
    core::ReportList* list = w.Spr2();
    ASSERT_EQ(list->topLevelItemCount(), 4);

    list->setFocus();
    core::selectOnlyItem(list, list->topLevelItem(0));
    w.HandleListKey(53, 0, true);  // the key 5
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first(), list->topLevelItem(1));
    EXPECT_EQ(list->topLevelItem(0)->text(4), QStringLiteral("отлично"));
    EXPECT_EQ(w.focusWidget(), list);

    w.HandleListKey(100, 0, true);  // numeric-pad 4 on the heading line
    EXPECT_EQ(list->selectedItems().first(), list->topLevelItem(2));
    w.Toolbar1_ButtonClick(QStringLiteral("keyBall3"));
    EXPECT_EQ(list->selectedItems().first(), list->topLevelItem(3));
    EXPECT_EQ(gradeOf(lines.at(2)), 3);
    EXPECT_EQ(messages.count(), 0);

    // The pass button with the persons list in front: every line but the
    // heading, after the question (lines are graded now).
    w.Spr()->setFocus();
    messages.answer(ui::Yes);
    w.Toolbar1_ButtonClick(QStringLiteral("keyBallZ"));
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(gradeOf(lines.at(0)), kMarkPass);
    EXPECT_EQ(gradeOf(lines.at(1)), 4);
    EXPECT_EQ(gradeOf(lines.at(3)), kMarkPass);
    EXPECT_EQ(list->topLevelItem(3)->text(4), QStringLiteral("зачтено"));
}

} // namespace
