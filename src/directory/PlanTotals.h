#pragma once
// The hours total of a group's study plan: the heading row "ВСЕГО часов
// теоретического обучения:" carries the sum of the hours of the plan rows
// above it, and the heading "в том числе аудиторных часов:" stands right
// below it.
#include <QString>

namespace directory {

// The command of the study-plan window. `groupEntries` is the number of
// entries of the group filter, `groupId` the key of the chosen group (0 when
// none is chosen), `selectedRowId` the plan row selected in the list (0 for
// none). Recomputes the selected totals row, or adds a new one after every
// row of the plan; asks first, and adds the classroom-hours heading below the
// totals row when it is missing. All changes run in one transaction. Returns
// the key of the totals row, which the window selects after rebuilding its
// list; 0 when nothing changed.
qlonglong totalPlanHours(int groupEntries, qlonglong groupId, qlonglong selectedRowId);

// The hours one plan text stands for: the number it starts with (a comma
// counts as the decimal point; an empty text is 0), times 36 when the text
// holds "недел" (weeks).
double hoursValue(const QString& hours);

// A total as it is stored: up to 15 significant digits, no thousands
// separator, a decimal comma when it has a fractional part.
QString hoursText(double total);

} // namespace directory
