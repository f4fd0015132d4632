#pragma once
// Saving the record card's row: the checks, the row with every line's value
// by its kind, and the follow-ups of single kinds (a copied person's grade
// lines, the digit copies of registration numbers, the sub-heading row of a
// grade list or study plan, the institution card's settings) — the row and
// its lines in one transaction.
namespace card {

class frmSD1;

// Ok_Click. True when the card closed: saved (DialogResult -1, CurrentRowId
// the saved row's key) or without changes to save (DialogResult 0). False
// when a check, a question or a failure kept the card open; nothing is
// stored then.
bool saveCard(frmSD1& card);

} // namespace card
