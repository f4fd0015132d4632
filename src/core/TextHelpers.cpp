#include "core/TextHelpers.h"

#include <QMetaType>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <iterator>
#include <span>

namespace core {
namespace {

// An ending and what replaces it; the word keeps at least one letter in
// front of the ending.
struct EndingRule {
    QStringView ending;
    QStringView replacement;
};

// Dative endings, tried in order; the first ending that matches wins.

// Endings of names that do not decline: Гёте, Верди, Шоу, Отто, Петренко;
// for surnames also the old genitive plurals Черных, Долгих.
constexpr QStringView kIndeclinableEndings[] = {u"е", u"и", u"о", u"у", u"э", u"ю"};
constexpr QStringView kIndeclinableSurnameEndings[] = {u"ых", u"их"};
// Vowels before a final "а" that make a surname indeclinable: Моруа,
// Делакруа, Гамсахурдиа.
constexpr QStringView kVowels = u"аеёиоуыэюя";
// Surnames of a stressed final -а or -я that do not decline, as whole words.
constexpr QStringView kIndeclinableSurnames[] = {u"дюма", u"дега", u"золя", u"петипа"};

// Men's surnames, and surnames whose ending does not make them a woman's:
// the adjectival forms first (Достоевский → Достоевскому, Толстой →
// Толстому), then the nominal ones (Гайдай → Гайдаю, Гоголь → Гоголю,
// Глинка → Глинке, Зозуля → Зозуле); a consonant takes "у".
constexpr EndingRule kMenSurnameEndings[] = {
    {u"ский", u"скому"}, {u"цкий", u"цкому"}, {u"гий", u"гому"}, {u"кий", u"кому"}, {u"хий", u"хому"},
    {u"ий", u"ему"},     {u"ой", u"ому"},     {u"ый", u"ому"},   {u"ская", u"ской"}, {u"цкая", u"цкой"},
    {u"ая", u"ой"},      {u"яя", u"ей"},      {u"й", u"ю"},      {u"ь", u"ю"},       {u"ия", u"ии"},
    {u"я", u"е"},        {u"а", u"е"},
};

// Women's surnames: Петрова → Петровой, Островская → Островской, Рыжая →
// Рыжей (but Большая → Большой, stressed), Синяя → Синей, Глинка → Глинке, Берия → Берии; a consonant or a
// soft sign stays (Ковальчук, Коваль).
constexpr EndingRule kWomenSurnameEndings[] = {
    {u"ова", u"овой"}, {u"ева", u"евой"}, {u"ёва", u"ёвой"}, {u"ина", u"иной"}, {u"ына", u"ыной"},
    {u"льшая", u"льшой"}, {u"жая", u"жей"},  {u"чая", u"чей"},  {u"шая", u"шей"},  {u"щая", u"щей"},  {u"ая", u"ой"},
    {u"яя", u"ей"},    {u"ия", u"ии"},    {u"а", u"е"},      {u"я", u"е"},
};

// Surname endings that make a surname a woman's when the gender is unknown.
constexpr QStringView kWomenSurnameMarks[] = {u"ова", u"ева", u"ёва", u"ина", u"ына", u"ая", u"яя"};
// Surname endings that make a surname a man's: Иванов, Пушкин, Островский.
constexpr QStringView kMenSurnameMarks[] = {u"ов", u"ев", u"ёв", u"ин", u"ын", u"ский", u"цкий"};

// First names: Наталья → Наталье, Мария → Марии (but Ия → Ие: a name of two
// letters in -ия declines as Зоя does), Ваня → Ване,
// Анна → Анне, Андрей → Андрею, Игорь → Игорю; a man's name ending in a
// consonant takes "у". A woman's name in a soft sign takes "и" (Любовь →
// Любови); in a consonant it stays (Кармен).
constexpr EndingRule kMenFirstNameEndings[] = {
    {u"ья", u"ье"}, {u"ия", u"ии"}, {u"я", u"е"}, {u"а", u"е"}, {u"й", u"ю"}, {u"ь", u"ю"},
};
constexpr EndingRule kWomenFirstNameEndings[] = {
    {u"ья", u"ье"}, {u"ия", u"ии"}, {u"я", u"е"}, {u"а", u"е"}, {u"ь", u"и"},
};

// First names that lose a vowel as they decline, as whole words.
constexpr EndingRule kFleetingVowelNames[] = {
    {u"лев", u"льву"}, {u"пётр", u"петру"}, {u"петр", u"петру"}, {u"павел", u"павлу"},
};

// Men's first names that end in -а or -я.
constexpr QStringView kMenNamesInA[] = {
    u"илья",   u"никита", u"кузьма", u"фома",  u"лука",  u"савва", u"данила", u"гаврила", u"фока",
    u"иона",   u"ерёма",  u"мина",   u"сила",  u"ваня",  u"миша",  u"петя",   u"дима",    u"вася",
    u"федя",   u"гриша",  u"паша",   u"лёша",  u"алёша", u"костя", u"витя",   u"толя",    u"юра",
    u"серёжа", u"коля",   u"боря",   u"гена",  u"лёва",  u"вова",  u"стёпа",  u"тёма",
};

// Women's first names that end in neither -а nor -я.
constexpr QStringView kWomenNamesNotInA[] = {
    u"любовь", u"айгуль", u"нинель", u"руфь",   u"ассоль", u"эсфирь", u"юдифь",  u"рахиль", u"адель",
    u"жизель", u"изабель", u"николь", u"гузель", u"айгерим", u"гульнар", u"айгюн", u"кармен", u"ирен",
    u"эстер",  u"агнес",  u"элен",   u"мириам", u"нелли",  u"мэри",   u"натали", u"мари",   u"софи",
};

// First parts of hyphenated surnames that are no surnames of their own and
// stay as they are: Бонч-Бруевичу, Шолом-Алейхему, Тер-Петросяну.
constexpr QStringView kIndeclinableSurnameParts[] = {u"бонч", u"демут", u"шолом", u"сен", u"сент", u"тер"};

// Patronymics of Turkic names stay as they are: Рамиз оглы, Алиевна кызы.
constexpr QStringView kIndeclinablePatronymics[] = {u"оглы", u"кызы", u"гызы", u"улы", u"уулу"};

constexpr EndingRule kPatronymicEndings[] = {
    {u"а", u"е"},
    {u"й", u"ю"},
    {u"ь", u"ю"},
};

// What a word that matches no rule takes: men's names and patronymics "у",
// women's names nothing.
constexpr QStringView kDefaultEnding = u"у";

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

// A last character that is not a letter counts as a capital as well.
bool inCapitals(const QString& word)
{
    const QChar last = word.back();
    return last == last.toUpper();
}

bool endsWithAny(const QString& word, std::span<const QStringView> endings)
{
    for (QStringView e : endings) {
        if (word.size() > e.size() && word.endsWith(e, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The word with its ending replaced by the first matching rule; a word that
// matches none takes `fallback` (nothing when it is empty).
QString replaceEnding(const QString& word, std::span<const EndingRule> rules, QStringView fallback)
{
    const bool capitals = inCapitals(word);
    for (const EndingRule& rule : rules) {
        const qsizetype n = rule.ending.size();
        if (word.size() > n && word.endsWith(rule.ending, Qt::CaseInsensitive)) {
            QString replacement = rule.replacement.toString();
            if (capitals)
                replacement = replacement.toUpper();
            return word.left(word.size() - n) + replacement;
        }
    }
    const QString ending = fallback.toString();
    return word + (capitals ? ending.toUpper() : ending);
}

// The dative of a whole-word entry of `table`, in the word's letter case; an
// empty text when the table has no such word.
QString wholeWordForm(const QString& word, std::span<const EndingRule> table)
{
    for (const EndingRule& entry : table) {
        if (word.compare(entry.ending, Qt::CaseInsensitive) != 0)
            continue;
        QString form = entry.replacement.toString();
        if (inCapitals(word))
            return form.toUpper();
        if (word.front().isUpper())
            form[0] = form[0].toUpper();
        return form;
    }
    return {};
}

bool isAnyOf(const QString& lower, std::span<const QStringView> words)
{
    return std::any_of(words.begin(), words.end(), [&lower](QStringView w) { return lower == w; });
}

// The gender a first name shows; of a hyphenated one (Анна-Мария), its
// first part's.
Gender genderOfFirstName(const QString& name)
{
    const QString lower = name.trimmed().toLower().section(QLatin1Char('-'), 0, 0).trimmed();
    if (isAnyOf(lower, kWomenNamesNotInA))
        return Gender::Female;
    if (!lower.endsWith(QChar(u'а')) && !lower.endsWith(QChar(u'я')))
        return Gender::Male;
    for (QStringView man : kMenNamesInA) {
        if (lower == man)
            return Gender::Male;
    }
    return Gender::Female;
}

Gender genderOfSurname(const QString& surname)
{
    return endsWithAny(surname, kWomenSurnameMarks) ? Gender::Female : Gender::Male;
}

// The gender a surname's ending shows (of a hyphenated one, its last part's);
// Unknown for an ending both may have (Ковальчук, Глинка, Гёте).
Gender genderShownBySurname(const QString& surname)
{
    const QString last = surname.trimmed().split(QLatin1Char('-')).last().trimmed();
    if (endsWithAny(last, kWomenSurnameMarks))
        return Gender::Female;
    if (endsWithAny(last, kMenSurnameMarks))
        return Gender::Male;
    return Gender::Unknown;
}

// The gender of a patronymic the rules know (-вна, -чна; -ич); Unknown for
// none or another (Оглы, Кызы).
Gender genderOfPatronymic(const QString& patronymic)
{
    const QString p = patronymic.trimmed().toLower();
    if (p.endsWith(QStringLiteral("вна")) || p.endsWith(QStringLiteral("чна")))
        return Gender::Female;
    if (p.endsWith(QStringLiteral("ич")))
        return Gender::Male;
    return Gender::Unknown;
}

// The dative of a trimmed word of at least two characters.
QString decline(const QString& word, NamePart part, Gender gender)
{
    switch (part) {
    case NamePart::Patronymic:
        for (QStringView e : kIndeclinablePatronymics)
            if (word.endsWith(e, Qt::CaseInsensitive))
                return word;
        return replaceEnding(word, kPatronymicEndings, kDefaultEnding);
    case NamePart::Surname: {
        if (word.contains(QLatin1Char('-'))) {
            QStringList parts = word.split(QLatin1Char('-'));
            if (gender == Gender::Unknown)
                gender = genderOfSurname(parts.last());
            for (qsizetype i = 0; i < parts.size(); ++i) {
                QString& p = parts[i];
                const bool stays = i + 1 < parts.size() &&
                                   std::any_of(std::begin(kIndeclinableSurnameParts), std::end(kIndeclinableSurnameParts),
                                               [&p](QStringView w) { return p.compare(w, Qt::CaseInsensitive) == 0; });
                if (p.size() >= 2 && !stays)
                    p = decline(p, NamePart::Surname, gender);
            }
            return parts.join(QLatin1Char('-'));
        }
        if (endsWithAny(word, kIndeclinableEndings) || endsWithAny(word, kIndeclinableSurnameEndings))
            return word;
        if (isAnyOf(word.toLower(), kIndeclinableSurnames))
            return word;
        if (word.size() > 2 && word.back().toLower() == QChar(u'а') && kVowels.contains(word.at(word.size() - 2).toLower()))
            return word;
        if (gender == Gender::Unknown)
            gender = genderOfSurname(word);
        return gender == Gender::Female ? replaceEnding(word, kWomenSurnameEndings, {})
                                        : replaceEnding(word, kMenSurnameEndings, kDefaultEnding);
    }
    case NamePart::FirstName: {
        if (word.contains(QLatin1Char('-'))) {
            // Each part declines by itself: Хансу-Петеру, Александре-Виктории.
            if (gender == Gender::Unknown)
                gender = genderOfFirstName(word);
            QStringList parts = word.split(QLatin1Char('-'));
            for (QString& p : parts)
                if (p.size() >= 2)
                    p = decline(p, NamePart::FirstName, gender);
            return parts.join(QLatin1Char('-'));
        }
        if (endsWithAny(word, kIndeclinableEndings))
            return word;
        if (const QString form = wholeWordForm(word, kFleetingVowelNames); !form.isEmpty())
            return form;
        if (gender == Gender::Unknown)
            gender = genderOfFirstName(word);
        return gender == Gender::Female ? replaceEnding(word, kWomenFirstNameEndings, {})
                                        : replaceEnding(word, kMenFirstNameEndings, kDefaultEnding);
    }
    }
    return {};
}

} // namespace

Gender GenderOfPerson(const QString& firstName, const QString& patronymic)
{
    return GenderOfPerson(QString(), firstName, patronymic);
}

Gender GenderOfPerson(const QString& surname, const QString& firstName, const QString& patronymic)
{
    if (const Gender g = genderOfPatronymic(patronymic); g != Gender::Unknown)
        return g;
    if (const Gender g = genderShownBySurname(surname); g != Gender::Unknown)
        return g;
    if (!firstName.trimmed().isEmpty())
        return genderOfFirstName(firstName);
    return Gender::Unknown;
}

QString ToDativeCase(QString* word, NamePart part, Gender gender)
{
    if (!word)
        return {};
    if (part != NamePart::Surname && part != NamePart::FirstName && part != NamePart::Patronymic)
        return {};
    if (word->size() < 2)
        return {};
    const QString trimmed = trimBlanks(*word);
    // A word that was (nearly) all blanks has nothing to decline.
    if (trimmed.size() < 2) {
        *word = trimmed;
        return {};
    }
    *word = decline(trimmed, part, gender);
    return *word;
}

QString ToDativeCase(const QString& word, NamePart part, Gender gender)
{
    QString copy = word;
    return ToDativeCase(&copy, part, gender);
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
