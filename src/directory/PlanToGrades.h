#pragma once
// Filling a person's grade lines of one document kind from the study plan of
// the person's group: the whole plan when the person has no lines of that
// kind yet; otherwise, as the user chooses, the plan in place of the lines or
// only the plan rows that are not there yet.
#include <QtGlobal>

namespace directory {

enum class PlanFill {
    None,      // declined, or stopped by an error: nothing changed
    Inserted,  // the person had no lines of the kind: the plan was inserted
    Replaced,  // the person's lines of the kind were replaced by the plan
    Appended,  // the plan rows missing from the person's lines were appended
};

struct PlanFillOutcome {
    PlanFill way = PlanFill::None;
    int lines = 0;  // grade lines written
};

// The command of the grades view: asks "Скопировать перечень дисциплин из
// учебного плана?", then inserts, or asks whether to replace (Да) or append
// (Нет). `personId` is the person selected in the persons list (0 for none:
// nothing is written), `docKind` the window's document kind. Every change
// runs in one transaction; errors are reported and undo the whole command.
// The window shows the person's lines again unless the way is None.
PlanFillOutcome copyPlanToGrades(qlonglong personId, int docKind);

// The steps, without questions. Each writes in one transaction and throws
// jet::Error when the database refuses (nothing is then written).
// New lines take their own key as their order, in the plan's order.
int insertPlanIntoGrades(qlonglong personId, int docKind);
// Deletes the person's lines of the kind (lines without a kind count as kind
// 0), then inserts the plan.
int replaceGradesByPlan(qlonglong personId, int docKind);
// Appends, in the plan's order and after every existing line, the plan rows
// that have no line of the person and kind with the same discipline,
// institution, hours, coursework flag and additional text.
int appendPlanToGrades(qlonglong personId, int docKind);

} // namespace directory
