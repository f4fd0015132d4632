#include "core/TextHelpers.h"

#include <QMetaType>
#include <QStringList>
#include <QStringView>
#include <span>

namespace core {
namespace {

struct EndingRule {
    QStringView ending;
    QStringView replacement;
};

// Dative endings, tried in order; the first ending that matches wins. A word
// that matches none takes "у".
//
// Surnames: the adjectival forms come first (Достоевский → Достоевскому,
// Толстой → Толстому, Островская → Островской); after them the nominal ones
// (Петров → Петрову by the default, Петрова → Петровой, Петренко stays).
constexpr EndingRule kSurnameEndings[] = {
    {u"ский", u"скому"},
    {u"цкий", u"цкому"},
    {u"гий", u"гому"},
    {u"кий", u"кому"},
    {u"хий", u"хому"},
    {u"ий", u"ему"},
    {u"ой", u"ому"},
    {u"ый", u"ому"},
    {u"ская", u"ской"},
    {u"цкая", u"цкой"},
    {u"ая", u"ой"},
    {u"яя", u"ей"},
    {u"й", u"ю"},
    {u"а", u"ой"},
    {u"ь", u"ю"},
    {u"о", u"о"},
};

constexpr EndingRule kFirstNameEndings[] = {
    {u"ел", u"лу"},
    {u"ья", u"ье"},
    {u"ия", u"ии"},
    {u"а", u"е"},
    {u"й", u"ю"},
    {u"ь", u"ю"},
};

constexpr EndingRule kPatronymicEndings[] = {
    {u"а", u"е"},
    {u"й", u"ю"},
    {u"ь", u"ю"},
};

constexpr QStringView kDefaultEnding = u"у";

std::span<const EndingRule> endingsOf(NamePart part)
{
    switch (part) {
    case NamePart::Surname: return kSurnameEndings;
    case NamePart::FirstName: return kFirstNameEndings;
    case NamePart::Patronymic: return kPatronymicEndings;
    }
    return {};
}

constexpr QStringView kSheetNameForbidden = u"/\\?:*";

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

// Declines `word` in place by the first matching rule and returns it.
QString replaceEnding(QString& word, std::span<const EndingRule> rules)
{
    if (word.size() < 2)
        return {};
    word = trimBlanks(word);
    // A word that was (nearly) all blanks has nothing to decline.
    if (word.size() < 2)
        return {};

    // A last character that is not a letter counts as a capital as well.
    const QChar last = word.back();
    const bool capitals = last == last.toUpper();

    bool matched = false;
    for (const EndingRule& rule : rules) {
        const qsizetype n = rule.ending.size();
        if (word.size() > n && word.endsWith(rule.ending, Qt::CaseInsensitive)) {
            const QString replacement = rule.replacement.toString();
            word = word.left(word.size() - n) + (capitals ? replacement.toUpper() : replacement);
            matched = true;
            break;
        }
    }
    if (!matched) {
        const QString ending = kDefaultEnding.toString();
        word += capitals ? ending.toUpper() : ending;
    }
    return word;
}

} // namespace

QString ToDativeCase(QString* word, NamePart part)
{
    if (!word)
        return {};
    const std::span<const EndingRule> rules = endingsOf(part);
    if (rules.empty())
        return {};
    return replaceEnding(*word, rules);
}

QString ToDativeCase(const QString& word, NamePart part)
{
    QString copy = word;
    return ToDativeCase(&copy, part);
}

bool EndsWithLineBreak(const QString& text)
{
    const QString trimmed = trimBlanks(text);
    if (trimmed.isEmpty())
        return false;
    const QChar last = trimmed.back();
    return last == QLatin1Char('\r') || last == QLatin1Char('\n');
}

QString TrimTrailingBreaks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0) {
        const QChar c = text.at(end - 1);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n') && c != QLatin1Char(' '))
            break;
        --end;
    }
    return text.left(end);
}

QString DigitsOnly(const QString& text)
{
    QString digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    return digits;
}

long SafeUBound(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantList: return SafeUBound(value.toList());
    case QMetaType::QStringList: return SafeUBound(value.toStringList());
    case QMetaType::QByteArrayList: return SafeUBound(value.value<QByteArrayList>());
    default: return -1;
    }
}

QString SheetSafeName(QString* name)
{
    if (!name)
        return {};
    QString safe;
    safe.reserve(name->size());
    for (const QChar c : *name) {
        if (!kSheetNameForbidden.contains(c))
            safe += c;
    }
    *name = Left31(safe);
    return *name;
}

QString SheetSafeName(const QString& name)
{
    QString copy = name;
    return SheetSafeName(&copy);
}

QString Left31(const QString& text)
{
    return text.left(kMaxSheetNameLength);
}

} // namespace core
