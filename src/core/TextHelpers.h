#pragma once
// Small text helpers shared by the windows: the dative case of a person's
// names, trailing line breaks of memo texts, digit copies of registration
// numbers, a safe upper bound of a list and worksheet-safe names.
#include <QList>
#include <QString>
#include <QVariant>
#include <vector>

namespace core {

// Which of a person's names a word is; each has its own ending table.
enum class NamePart : int { Surname = 0, FirstName = 1, Patronymic = 2 };

// A person's gender as the declension needs it. Unknown lets the word's own
// ending decide (a surname in -ова or -ая is a woman's, a first name in -а or
// -я too, except the men's names that end so).
enum class Gender : int { Unknown = 0, Male = 1, Female = 2 };

// The gender of a person: from the patronymic (-вна, -чна feminine; -ич
// masculine); without one, from the first name (-а or -я feminine, except
// the men's names that end so); otherwise masculine.
Gender GenderOfPerson(const QString& firstName, const QString& patronymic);
// The same with the surname: a patronymic the rules know decides; without
// one (or with one they do not know, such as Оглы or Кызы) a surname whose
// ending shows the gender does (-ова, -ева, -ина, -ая, -ская, -цкая feminine;
// -ов, -ев, -ин, -ский, -цкий masculine); otherwise the first name.
Gender GenderOfPerson(const QString& surname, const QString& firstName, const QString& patronymic);

// The dative form of a surname, first name or patronymic: the word is
// trimmed of blanks first; a word of fewer than two characters gives an empty
// text. A hyphenated surname declines part by part.
QString ToDativeCase(const QString& word, NamePart part, Gender gender = Gender::Unknown);
// The same, and `*word` receives the trimmed, declined form (a word shorter
// than two characters is left as it is). A null pointer gives an empty text.
QString ToDativeCase(QString* word, NamePart part, Gender gender = Gender::Unknown);

// True when the text, without the blanks around it, ends with a carriage
// return or a line feed.
bool EndsWithLineBreak(const QString& text);

// The text without the run of carriage returns, line feeds and blanks at its
// end.
QString TrimTrailingBreaks(const QString& text);

// The characters 0 to 9 of the text, in their order.
QString DigitsOnly(const QString& text);

// The last index of a list, or -1 when it has no elements. For a QVariant:
// -1 also when it holds no list.
template <typename T>
long SafeUBound(const QList<T>& list)
{
    return static_cast<long>(list.size()) - 1;
}
template <typename T>
long SafeUBound(const std::vector<T>& list)
{
    return static_cast<long>(list.size()) - 1;
}
long SafeUBound(const QVariant& value);

// Longest name a worksheet may have.
inline constexpr int kMaxSheetNameLength = 31;

// The name without "/", "\", "?", ":" and "*", cut to 31 characters.
QString SheetSafeName(const QString& name);
// The same, and `*name` receives the result. A null pointer gives an empty text.
QString SheetSafeName(QString* name);

// The text, or its first 31 characters when it is longer.
QString Left31(const QString& text);

} // namespace core
