#pragma once
// Type-ahead of the editable combo boxes (the record card's list fields and
// the group filters): completion from the combo's own items while typing, and
// on leaving only a text that is exactly one of the items. Also the control
// ids of the record card's control arrays and undo in the active edit field.
//
// The combo should be editable, without a completer of its own and with
// insert policy NoInsert (prepareTypeAheadCombo does this). Route its
// editTextChanged to ComboTypeAheadChange, Backspace without modifiers
// (before the combo handles it) to ComboTypeAheadKeyDown and its focus-out to
// ComboTypeAheadLostFocus — or let installComboTypeAhead connect all three.
// All three do nothing while core::state().ComboTypeAhead is false.
#include <QString>

class QComboBox;
class QWidget;

namespace core {

void ComboTypeAheadChange(QComboBox* combo);
void ComboTypeAheadKeyDown(QComboBox* combo);
void ComboTypeAheadLostFocus(QComboBox* combo);

// Makes the combo editable, drops Qt's own completer and insertion.
void prepareTypeAheadCombo(QComboBox* combo);
// prepareTypeAheadCombo plus the three handlers connected to the combo's
// text changes, Backspace key and focus loss.
void installComboTypeAhead(QComboBox* combo);

// The position of the chosen entry: the current index when the combo's text
// is that entry's text, otherwise -1 (also while the user has typed a text
// that is no entry).
int comboListIndex(const QComboBox* combo);

// Control arrays: the record card gives each line's control the array's name
// (its objectName, e.g. "Text2") and the line's index.
void setControlArrayIndex(QWidget* control, int index);
// The line's index, -1 when the control is no element of a control array.
int controlArrayIndex(const QWidget* control);

// (d − 1) × 30000 + index, d being the last character of the control's name
// read as a digit (0 or a non-digit counts as 10); -1 when the control is no
// element of a control array; 0 when its name is empty.
long ControlArrayId(const QWidget* control);

// Undoes the last edit of the window's focused control when it is a text
// field or an editable combo box; other controls are left alone.
void UndoActiveControl(QWidget* form);

} // namespace core
