#pragma once
// The group card's copy of its specialty's wording: full name with code,
// qualification and normative term, taken from the specialties directory
// when the operator agrees.
namespace card {

class frmSD1;

void FillSpecialtyDetails(frmSD1& card);

} // namespace card
