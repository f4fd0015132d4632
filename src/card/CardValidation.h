#pragma once
// The checks a card passes before it is saved: required and unique values
// and the hours line, line by line; then the questions of grade lines,
// study-plan lines, disciplines and persons. The first check that fails
// shows its message, puts the focus on its line and stops the save.
namespace card {

class frmSD1;

// True when the save may go on. Some questions change a line first (an "х"
// for empty hours, trailing empty lines removed, the next free registration
// number put in).
bool validateCard(frmSD1& card);

} // namespace card
