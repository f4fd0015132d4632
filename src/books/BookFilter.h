#pragma once
// The registry books' filter state: the certificate book's set of bounds and
// the set shared by every other book, each holding a registration-number
// range or an issue-date range (never both). The texts live in the
// program-wide state for the whole run and are never saved.
#include <QDate>
#include <QString>
#include <optional>

namespace books {

// The four bounds of one set; an empty text is no bound. Numbers are texts of
// digits, dates short-date texts ("05.03.2024").
struct BookFilterSet {
    QString numberFrom, numberTo, dateFrom, dateTo;

    bool isEmpty() const { return numberFrom.isEmpty() && numberTo.isEmpty() && dateFrom.isEmpty() && dateTo.isEmpty(); }
    bool hasNumbers() const { return !numberFrom.isEmpty() && !numberTo.isEmpty(); }
    // A number range wins over a date range; one bound alone filters nothing.
    bool hasDates() const { return !hasNumbers() && !dateFrom.isEmpty() && !dateTo.isEmpty(); }
};

// The set of a book kind: the certificate set for book 1, the shared one for
// the others.
BookFilterSet bookFilterSet(int med);
// Stores a number range (and empties the set's dates), or a date range (and
// empties its numbers).
void storeNumberFilter(int med, const QString& from, const QString& to);
void storeDateFilter(int med, const QDate& from, const QDate& to);
// Empties the set of book `med`.
void ClearRegistryFilter(int med);

// Most digits a number bound may have: every bound then fits a 64-bit integer.
inline constexpr int kMaxFilterDigits = 18;

// The digits of a typed number (blanks, signs and other characters dropped);
// nothing when there is no digit or more than kMaxFilterDigits of them.
std::optional<QString> filterNumberDigits(const QString& typed);
// A stored number bound as a number; nothing when it is not one.
std::optional<qint64> filterNumberValue(const QString& digits);

// Dates of the filter as they are stored and shown.
QString filterDateText(const QDate& date);
QDate filterDateValue(const QString& text);

// What the caption of a book says of its active filter: " - Фильтр по
// рег.номеру: 100-200", " - Фильтр по дате выдачи: 01.01.2024-31.12.2024" or
// nothing.
QString filterCaptionSuffix(const BookFilterSet& set);

// The questions asked when a new filter finds nobody: only outside the
// chosen group `groupName`, or nowhere. `par` 0 is a number range, 1 a date
// range.
QString noMatchInGroupQuestion(int par, int med, const QString& groupName);
QString noMatchQuestion(int par, int med);

// The warnings for a number field without digits and with too many.
inline constexpr const char* kWholeNumberWarning = "Введите в поле целое число.";
inline constexpr const char* kTooLongNumberWarning =
    "Слишком длинное число: в поле можно ввести не больше 18 цифр.";
static_assert(kMaxFilterDigits == 18, "the warning names the limit");

} // namespace books
