#include "card/Numbering.h"

#include "core/AppState.h"
#include "core/DataAccess.h"

#include <cmath>
#include <utility>

namespace card {

namespace {

QString withoutBlanks(QString s)
{
    s.remove(QLatin1Char(' '));
    return s;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The text split into the part before its trailing digits and the digits.
std::pair<QString, QString> splitTrailingDigits(const QString& text)
{
    qsizetype start = text.size();
    while (start > 0 && isDigit(text.at(start - 1)))
        --start;
    return {text.left(start), text.mid(start)};
}

// Compares two runs of digits by their value.
int compareDigitRuns(const QString& a, const QString& b)
{
    const auto significant = [](const QString& s) {
        qsizetype i = 0;
        while (i < s.size() - 1 && s.at(i) == QLatin1Char('0'))
            ++i;
        return s.mid(i);
    };
    const QString x = significant(a), y = significant(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

QString registrationProposal(const QString& column, long excludedKey)
{
    // The greatest number value; an empty or missing number counts as 0 and
    // a leading sign is not read.
    const QString sql = QStringLiteral("SELECT SPSTUD.%1 FROM SPSTUD WHERE SPSTUD.ID <> ? "
                                       "ORDER BY val('0' || ifnull(SPSTUD.%1, '')) DESC, SPSTUD.ID")
                            .arg(column);
    const QString greatest = jet::toText(core::LookupFieldValue(sql, column, {qlonglong(excludedKey)})).trimmed();
    const double next = jet::vbVal(QStringLiteral("0") + greatest) + 1;
    if (std::trunc(next) == next && std::fabs(next) < 9.0e15)
        return QString::number(static_cast<qlonglong>(next));
    return QString::number(next, 'f', 0);
}

QString blankProposal(long excludedKey)
{
    QString greatest;
    bool any = false;
    try {
        auto rs = core::db().openRecordset(
            QStringLiteral("SELECT SPSTUD.NOMMED FROM SPSTUD WHERE SPSTUD.ID <> ? AND SPSTUD.NOMMED IS NOT NULL"),
            jet::dbOpenSnapshot, {qlonglong(excludedKey)});
        for (; !rs->isEOF(); rs->moveNext()) {
            const QString number = withoutBlanks(jet::toText(rs->value(0)).trimmed());
            if (number.isEmpty())
                continue;
            if (!any || compareBlankNumbers(number, greatest) > 0)
                greatest = number;
            any = true;
        }
    } catch (const jet::Error&) {
        // No blank numbers to go by: the first one is proposed.
        any = false;
    }
    if (!any)
        return IncrementNumber(QStringLiteral("0"));
    if (splitTrailingDigits(greatest).second.isEmpty())
        return {};
    return IncrementNumber(greatest);
}

} // namespace

QString IncrementNumber(const QString& text)
{
    auto [prefix, digits] = splitTrailingDigits(text);
    if (digits.isEmpty())
        return text;
    qsizetype i = digits.size() - 1;
    for (; i >= 0; --i) {
        if (digits.at(i) == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
            continue;
        }
        digits[i] = QChar(digits.at(i).unicode() + 1);
        break;
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return prefix + digits;
}

int compareBlankNumbers(const QString& a, const QString& b)
{
    const auto [prefixA, digitsA] = splitTrailingDigits(withoutBlanks(a));
    const auto [prefixB, digitsB] = splitTrailingDigits(withoutBlanks(b));
    const int byPrefix = jet::Database::compareText(prefixA, prefixB);
    if (byPrefix != 0)
        return byPrefix < 0 ? -1 : 1;
    if (digitsA.isEmpty() || digitsB.isEmpty())
        return digitsA.isEmpty() == digitsB.isEmpty() ? 0 : (digitsA.isEmpty() ? -1 : 1);
    const int byValue = compareDigitRuns(digitsA, digitsB);
    if (byValue != 0)
        return byValue;
    // Equal values: the wider run ("010" against "10") counts as greater.
    return digitsA.size() == digitsB.size() ? 0 : (digitsA.size() < digitsB.size() ? -1 : 1);
}

QString NextNumber(NumberKind kind, long excludedKey)
{
    switch (kind) {
    case NumberKind::CertificateRegistration:
        return registrationProposal(QStringLiteral("REGNOMMED"), excludedKey);
    case NumberKind::RetrainingDocument:
        return registrationProposal(QStringLiteral("regnomDoc"), excludedKey);
    case NumberKind::CertificateBlank:
        return blankProposal(excludedKey);
    }
    return {};
}

} // namespace card
