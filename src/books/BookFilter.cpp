#include "books/BookFilter.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"

namespace books {
namespace {

struct SetRefs {
    QString* numberFrom;
    QString* numberTo;
    QString* dateFrom;
    QString* dateTo;
};

SetRefs refsOf(int med)
{
    core::AppState& s = core::state();
    if (med == core::SpecialistCertificates)
        return {&s.CertFilterNumberFrom, &s.CertFilterNumberTo, &s.CertFilterDateFrom, &s.CertFilterDateTo};
    return {&s.DocFilterNumberFrom, &s.DocFilterNumberTo, &s.DocFilterDateFrom, &s.DocFilterDateTo};
}

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");

} // namespace

BookFilterSet bookFilterSet(int med)
{
    const SetRefs r = refsOf(med);
    return {*r.numberFrom, *r.numberTo, *r.dateFrom, *r.dateTo};
}

void storeNumberFilter(int med, const QString& from, const QString& to)
{
    const SetRefs r = refsOf(med);
    *r.numberFrom = from;
    *r.numberTo = to;
    r.dateFrom->clear();
    r.dateTo->clear();
}

void storeDateFilter(int med, const QDate& from, const QDate& to)
{
    const SetRefs r = refsOf(med);
    r.numberFrom->clear();
    r.numberTo->clear();
    *r.dateFrom = filterDateText(from);
    *r.dateTo = filterDateText(to);
}

void ClearRegistryFilter(int med)
{
    const SetRefs r = refsOf(med);
    r.numberFrom->clear();
    r.numberTo->clear();
    r.dateFrom->clear();
    r.dateTo->clear();
}

std::optional<QString> filterNumberDigits(const QString& typed)
{
    const QString digits = core::DigitsOnly(typed);
    if (digits.isEmpty() || digits.size() > kMaxFilterDigits)
        return std::nullopt;
    return digits;
}

std::optional<qint64> filterNumberValue(const QString& digits)
{
    if (digits.isEmpty() || digits.size() > kMaxFilterDigits || core::DigitsOnly(digits) != digits)
        return std::nullopt;
    bool ok = false;
    const qint64 v = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

QString filterDateText(const QDate& date)
{
    return date.toString(kDateFormat);
}

QDate filterDateValue(const QString& text)
{
    return QDate::fromString(text.trimmed(), kDateFormat);
}

QString filterCaptionSuffix(const BookFilterSet& set)
{
    if (set.hasNumbers())
        return QStringLiteral(" - Фильтр по рег.номеру: ") + set.numberFrom + QLatin1Char('-') + set.numberTo;
    if (!set.dateFrom.isEmpty() && !set.dateTo.isEmpty())
        return QStringLiteral(" - Фильтр по дате выдачи: ") + set.dateFrom + QLatin1Char('-') + set.dateTo;
    return {};
}

namespace {

// The pieces of the questions: per range kind (number, date) and per book
// (certificates, other books).
struct RangeWords {
    const char* where;        // P
    const char* range;        // I
    const char* rangeOf;      // I2
};
constexpr RangeWords kRangeWords[] = {
    {"В выбранных границах номеров", "интервал", "интервала"},
    {"В выбранном периоде", "период", "периода"},
};
struct BookWords {
    const char* documents;  // K
    const char* document;   // K2
};
constexpr BookWords kCertificateWords{"сертификатов", "сертификата"};
constexpr BookWords kDiplomaWords{"дипломов", "диплома"};

const RangeWords& rangeWords(int par)
{
    return kRangeWords[par == 1 ? 1 : 0];
}

const BookWords& bookWords(int med)
{
    return med == core::SpecialistCertificates ? kCertificateWords : kDiplomaWords;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString noMatchInGroupQuestion(int par, int med, const QString& groupName)
{
    const RangeWords& r = rangeWords(par);
    return QString::fromUtf8(r.where) + QStringLiteral(" не найдено ") + QString::fromUtf8(bookWords(med).documents) +
           QStringLiteral(" в данной группе ") + quoted(groupName) +
           QStringLiteral(", установить фильтр по всем имеющимся группам? ") + quoted(QStringLiteral("Да")) +
           QStringLiteral(" - выбрать из всех групп, ") + quoted(QStringLiteral("Нет")) +
           QStringLiteral(" - выбрать другой ") + QString::fromUtf8(r.range) + QStringLiteral(", ") +
           quoted(QStringLiteral("Отмена")) + QStringLiteral(" - оставить фильтр без изменений.");
}

QString noMatchQuestion(int par, int med)
{
    const RangeWords& r = rangeWords(par);
    return QString::fromUtf8(r.where) + QStringLiteral(" не найдено ни одного ") +
           QString::fromUtf8(bookWords(med).document) + QStringLiteral(". ") + quoted(QStringLiteral("Да")) +
           QStringLiteral(" - выбрать другие границы ") + QString::fromUtf8(r.rangeOf) + QStringLiteral(", ") +
           quoted(QStringLiteral("Нет")) + QStringLiteral(" - вывести все записи книги без фильтра, ") +
           quoted(QStringLiteral("Отмена")) + QStringLiteral(" - оставить фильтр без изменений.");
}

} // namespace books
