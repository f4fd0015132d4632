#pragma once
// Proposals of the next free document numbers, drawn over all persons of the
// database: certificate registration numbers and retraining-document numbers
// (one more than the greatest number value), and certificate blank numbers
// (the greatest blank number with its trailing digits increased).
#include <QString>

namespace card {

enum class NumberKind : int {
    CertificateRegistration = 0,  // SPSTUD.REGNOMMED
    CertificateBlank = 1,         // SPSTUD.NOMMED
    RetrainingDocument = 3,       // SPSTUD.regnomDoc
};

// The proposal for the next number of a kind, leaving out the person
// `excludedKey` (0 leaves out nobody). A registration number is the greatest
// stored number value plus one ("1" when there is none); a blank number is
// IncrementNumber of the greatest stored blank number ("1" when there is
// none, "" when the greatest one has no digits to increase).
QString NextNumber(NumberKind kind, long excludedKey);

// The text with its trailing run of digits increased by one; the run keeps
// its width ("АБ099" → "АБ100") and widens only when it overflows ("999" →
// "1000"). A text without trailing digits comes back unchanged.
QString IncrementNumber(const QString& text);

// Order of blank numbers: by the part before the trailing digits (Russian
// text order, letter case ignored), then by the digits' value ("10" after
// "9"); a number without trailing digits comes before those with them.
// Blanks are not part of a number. Negative, 0 or positive like a compare.
int compareBlankNumbers(const QString& a, const QString& b);

} // namespace card
