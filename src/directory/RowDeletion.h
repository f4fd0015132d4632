#pragma once
// Deleting the selected rows of a directory window's list, with the
// reference checks of the directory kind: a row that other rows refer to is
// refused, a person's own grade lines may go with the person, and the base
// grade marks are never deleted.
#include <QList>
#include <QString>

namespace core {
class ReportList;
}

namespace directory {

// One item of the list the command acts on, in list order.
struct ListRow {
    qlonglong key = 0;  // the row's key (the number in the item's key)
    QString name;       // the text of the first visible column, named in the messages
    bool selected = false;
};

struct DeletionOutcome {
    bool confirmed = false;  // the user answered Yes to "Удалить выделенн..."
    int deleted = 0;         // rows the database really deleted
    int firstPosition = 0;   // 1-based list position of the first selected row; 0 when none
};

// Asks, checks and deletes the selected rows of `rows` (every item of the
// list, in list order). `windowKind` is the window's kind; `gradeLines` is
// true for the grade lines list of the grades view (no checks there). The
// whole command runs in one transaction; each row with its own grade lines
// is deleted in a nested one, so a row the database refuses is reported and
// kept whole while the others go on. Status texts go through
// ui::setStatusText. After it, the window refreshes the list when `deleted`
// is above 0 and selects the row at `firstPosition` (selectAfterDeletion).
DeletionOutcome deleteRows(int windowKind, bool gradeLines, const QList<ListRow>& rows);

// The items of a list as deleteRows takes them.
QList<ListRow> listRows(const core::ReportList* list);

// Makes the item at `firstPosition` (1-based; a position beyond the end
// means the last item) the only selected item; nothing when it is 0 or the
// list is empty.
void selectAfterDeletion(core::ReportList* list, int firstPosition);

// True for the grade marks that are never deleted.
bool isBaseMark(const QString& mark);

} // namespace directory
