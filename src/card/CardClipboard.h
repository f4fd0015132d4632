#pragma once
// The record card's edit toolbar: copy and paste in the line that has the
// focus, each by the line's kind, and quotation marks chosen in frmSim.
#include <QString>

namespace card {

class frmSD1;

// The clipboard's text into the focused line: a list line gets it on one
// line (line breaks become blanks, and so does the clipboard), a text or memo
// line unchanged, a date line when it reads as a date; other lines nothing.
void pasteIntoLine(frmSD1& card);

// The focused line's selection (a date line: its date) onto the clipboard.
void copyFromLine(frmSD1& card);

// Asks for a quotation mark (frmSim) and inserts it into the line that had
// the focus before, over the selection it had then. Nothing goes into a
// year line.
void insertQuotationMark(frmSD1& card);

} // namespace card
