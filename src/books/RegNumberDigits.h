#pragma once
// Digit copies of the certificates' registration numbers: SPSTUD.regnommedf
// holds the digits of SPSTUD.REGNOMMED, so that the certificate book can
// filter registration numbers as a number range.

namespace books {

// Brings every person's digit copy in line with the registration number:
// the digits of the number, or Null when it has none. Rows whose copy already
// agrees are not written. Works on the open database in one statement
// (whole or nothing); shows no message.
void UpdateRegNumberDigits();

} // namespace books
