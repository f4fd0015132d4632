#pragma once
// Grading without the card in the grades view: one grade for every line of
// the selected person, or for the selected grade lines only, depending on
// the list that has the focus.
#include <QList>
#include <QString>

namespace core {
class ReportList;
}
class QWidget;

namespace directory {

// Grade codes: 3, 4 and 5 points, and 6 for "зачтено".
inline constexpr int kGradePass = 6;

// The list that had the focus when the command came.
enum class GradeFocus { Persons, Lines, Other };

struct GradeLineRow {
    qlonglong key = 0;  // EXAM.IDE
    bool selected = false;
    bool graded = false;  // its "Итоговая оценка" cell shows a grade
};

struct GradeRequest {
    int grade = 5;                 // 3, 4, 5 or kGradePass
    int docKind = 0;               // the window's document kind
    GradeFocus focus = GradeFocus::Other;
    int personCount = 0;           // items of the persons list
    qlonglong personId = 0;        // the selected person; 0 for none
    QList<GradeLineRow> lines;     // the grade lines list, in list order
};

struct GradeOutcome {
    bool written = false;          // grades were written: show the lines again
    bool restoreSelection = false; // then select `selectPositions` in the lines and give them the focus
    QList<int> selectPositions;    // 0-based positions in the refilled lines
};

// Persons list: grades the person's lines of the window's document kind
// that are not section headings, asking first when one of those lines is
// already graded; with no person selected nothing is written. Lines list:
// grades the selected lines, asking first when one of them shows a grade; afterwards one selected line passes the
// selection to the line below it (the last stays), several stay selected.
// Any other focus: a hint. Messages through ui::msgBox.
GradeOutcome setGrade(const GradeRequest& request);

// The request as the grades view knows it: its two lists and the widget
// that has the focus.
GradeRequest gradeRequest(int grade, int docKind, const core::ReportList* persons, const core::ReportList* lines,
                          const QWidget* focused);

// Selects the items at `positions` of the refilled lines: one as the only
// selected item, several each.
void applyLineSelection(core::ReportList* lines, const QList<int>& positions);

// The texts of the messages: the grade ("5", or "зачтено" in quotes) and
// its points word (" баллов", " балла" or nothing).
QString gradeText(int grade);
QString pointsWord(int grade);

} // namespace directory
