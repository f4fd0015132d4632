#pragma once
// The dative name lines of the person card's retraining layout, filled from
// the nominative lines. A filled dative line is never overwritten.
namespace card {

class frmSD1;

// Fills every empty dative line from its nominative line ("Заполнить").
void fillDativeLines(frmSD1& card);

// A new person's empty dative line is filled as it receives the focus.
void fillDativeOnFocus(frmSD1& card, int line);

} // namespace card
