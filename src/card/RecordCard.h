#pragma once
// Opening the record card. What the card uses of the application shell is
// in core::shellServices().

namespace card {

// Shows the record card modally for the card parameters of the program-wide
// state: CurrentKind (the directory kind), CurrentRowId (0 for a new row,
// else the row to edit or copy), RowIsCopy, CurrentDocKind (kind 3: 2 gives
// the retraining layout; kind 0: the grade line's document kind),
// CurrentGroupId with CurrentGroupIndex (the group filter's chosen group and
// its position, -1 when none: a new person or plan line starts in that
// group; a grade line lists that group's persons) and CurrentStudentId (the
// person of a new grade line). When the row to edit or copy no longer exists
// the card warns and does not open. Afterwards DialogResult is -1 when the
// row was saved (CurrentRowId then holds its key; for a grade line its own
// key IDE), else 0.
void showRecordCard();

// Makes core::windowFactories().showRecordCard open this card.
void registerRecordCard();

} // namespace card
