#include "card/NameForms.h"

#include "card/frmSD1.h"
#include "core/AppState.h"
#include "core/TextHelpers.h"

namespace card {

namespace {

// Dative line, the nominative line it comes from, the part of the name.
struct DativeLine {
    int dative;
    int nominative;
    core::NamePart part;
};
constexpr DativeLine kDativeLines[] = {
    {6, 2, core::NamePart::Surname},
    {7, 3, core::NamePart::FirstName},
    {8, 4, core::NamePart::Patronymic},
};

bool isEmptyLine(const frmSD1& card, int line)
{
    return card.lineText(line).trimmed().isEmpty();
}

QString nominative(const frmSD1& card, core::NamePart part)
{
    for (const DativeLine& d : kDativeLines)
        if (d.part == part)
            return card.lineText(d.nominative);
    return {};
}

void fill(frmSD1& card, const DativeLine& d)
{
    if (!isEmptyLine(card, d.dative))
        return;
    // The patronymic, else the surname's ending, else the first name tells
    // the person's gender.
    const core::Gender gender = core::GenderOfPerson(nominative(card, core::NamePart::Surname),
                                                     nominative(card, core::NamePart::FirstName),
                                                     nominative(card, core::NamePart::Patronymic));
    card.setLineText(d.dative, core::ToDativeCase(card.lineText(d.nominative), d.part, gender));
}

} // namespace

void fillDativeLines(frmSD1& card)
{
    if (!card.isRetrainingLayout())
        return;
    for (const DativeLine& d : kDativeLines)
        fill(card, d);
}

void fillDativeOnFocus(frmSD1& card, int line)
{
    if (!card.isRetrainingLayout() || core::state().CurrentRowId > 0)
        return;
    for (const DativeLine& d : kDativeLines)
        if (d.dative == line)
            fill(card, d);
}

} // namespace card
