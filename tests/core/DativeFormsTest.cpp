// Dative forms of names by the person's gender: indeclinable endings,
// hyphenated surnames, women's surnames, -я, soft signs and the first names
// that lose a vowel; and the gender told by the patronymic, the surname or the
// first name.
#include "core/TextHelpers.h"

#include <gtest/gtest.h>

using core::Gender;
using core::NamePart;

namespace {

constexpr NamePart S = NamePart::Surname;
constexpr NamePart N = NamePart::FirstName;
constexpr NamePart P = NamePart::Patronymic;
constexpr Gender M = Gender::Male;
constexpr Gender F = Gender::Female;
constexpr Gender U = Gender::Unknown;

struct Form {
    NamePart part;
    Gender gender;
    const char* word;
    const char* dative;
};

void PrintTo(const Form& f, std::ostream* os)
{
    *os << static_cast<int>(f.part) << '/' << static_cast<int>(f.gender) << ": " << f.word;
}

class GenderedDativeTest : public ::testing::TestWithParam<Form> {};

TEST_P(GenderedDativeTest, Declines)
{
    const Form& f = GetParam();
    EXPECT_EQ(core::ToDativeCase(QString::fromUtf8(f.word), f.part, f.gender), QString::fromUtf8(f.dative));
}

// Women's surnames.
INSTANTIATE_TEST_SUITE_P(
    WomensSurnames, GenderedDativeTest,
    ::testing::Values(
        // Nominal -ова, -ева, -ёва, -ина, -ына.
        Form{S, F, "Петрова", "Петровой"}, Form{S, F, "Иванова", "Ивановой"}, Form{S, F, "Лебедева", "Лебедевой"},
        Form{S, F, "Соловьёва", "Соловьёвой"}, Form{S, F, "Ковалёва", "Ковалёвой"}, Form{S, F, "Пушкина", "Пушкиной"},
        Form{S, F, "Сорокина", "Сорокиной"}, Form{S, F, "Ильина", "Ильиной"}, Form{S, F, "Крутына", "Крутыной"},
        Form{S, F, "Крылова", "Крыловой"}, Form{S, F, "ПЕТРОВА", "ПЕТРОВОЙ"},
        // Adjectival -ая (-ей after ж, ч, ш, щ) and -яя.
        Form{S, F, "Островская", "Островской"}, Form{S, F, "Трубецкая", "Трубецкой"}, Form{S, F, "Толстая", "Толстой"},
        Form{S, F, "Рыжая", "Рыжей"}, Form{S, F, "Горячая", "Горячей"}, Form{S, F, "Свежая", "Свежей"},
        Form{S, F, "Тощая", "Тощей"}, Form{S, F, "Глухая", "Глухой"}, Form{S, F, "Синяя", "Синей"},
        Form{S, F, "Большая", "Большой"}, Form{S, F, "Небольшая", "Небольшой"},
        Form{S, F, "ОСТРОВСКАЯ", "ОСТРОВСКОЙ"},
        // Other -а and -я.
        Form{S, F, "Глинка", "Глинке"}, Form{S, F, "Сковорода", "Сковороде"}, Form{S, F, "Зозуля", "Зозуле"},
        Form{S, F, "Гарсия", "Гарсии"}, Form{S, F, "Кваша", "Кваше"},
        // Consonants and the soft sign stay.
        Form{S, F, "Ковальчук", "Ковальчук"}, Form{S, F, "Карпович", "Карпович"}, Form{S, F, "Коваль", "Коваль"},
        Form{S, F, "Шевчук", "Шевчук"}, Form{S, F, "Мельник", "Мельник"}, Form{S, F, "Гоголь", "Гоголь"},
        Form{S, F, "Гайдай", "Гайдай"}, Form{S, F, "Шмидт", "Шмидт"}, Form{S, F, "КОВАЛЬЧУК", "КОВАЛЬЧУК"},
        // Indeclinable endings.
        Form{S, F, "Петренко", "Петренко"}, Form{S, F, "Дурново", "Дурново"}, Form{S, F, "Кюри", "Кюри"},
        Form{S, F, "Дюпре", "Дюпре"}, Form{S, F, "Черных", "Черных"}, Form{S, F, "Долгих", "Долгих"},
        Form{S, F, "Шоу", "Шоу"}, Form{S, F, "Ромью", "Ромью"}, Form{S, F, "Дюма", "Дюма"},
        Form{S, F, "Моруа", "Моруа"}, Form{S, F, "Гамсахурдиа", "Гамсахурдиа"}, Form{S, F, "Золя", "Золя"},
        // Hyphenated, part by part.
        Form{S, F, "Римская-Корсакова", "Римской-Корсаковой"}, Form{S, F, "Петрова-Водкина", "Петровой-Водкиной"},
        Form{S, F, "Ковальчук-Петрова", "Ковальчук-Петровой"}));

// Men's surnames.
INSTANTIATE_TEST_SUITE_P(
    MensSurnames, GenderedDativeTest,
    ::testing::Values(
        Form{S, M, "Петров", "Петрову"}, Form{S, M, "Иванов", "Иванову"}, Form{S, M, "Пушкин", "Пушкину"},
        Form{S, M, "Лермонтов", "Лермонтову"}, Form{S, M, "Ковальчук", "Ковальчуку"}, Form{S, M, "Карпович", "Карповичу"},
        Form{S, M, "Мюллер", "Мюллеру"}, Form{S, M, "Шмидт", "Шмидту"}, Form{S, M, "Ткач", "Ткачу"},
        Form{S, M, "Гончар", "Гончару"}, Form{S, M, "Кузнец", "Кузнецу"}, Form{S, M, "ПЕТРОВ", "ПЕТРОВУ"},
        // Soft sign and -й.
        Form{S, M, "Коваль", "Ковалю"}, Form{S, M, "Гоголь", "Гоголю"}, Form{S, M, "Гусь", "Гусю"},
        Form{S, M, "Гайдай", "Гайдаю"}, Form{S, M, "Бабай", "Бабаю"},
        // Adjectival.
        Form{S, M, "Достоевский", "Достоевскому"}, Form{S, M, "Трубецкий", "Трубецкому"},
        Form{S, M, "Толстой", "Толстому"}, Form{S, M, "Кривой", "Кривому"}, Form{S, M, "Белый", "Белому"},
        Form{S, M, "Большой", "Большому"},
        Form{S, M, "Лысый", "Лысому"}, Form{S, M, "Долгий", "Долгому"}, Form{S, M, "Тихий", "Тихому"},
        Form{S, M, "Крайний", "Крайнему"}, Form{S, M, "Рыжий", "Рыжему"}, Form{S, M, "Горячий", "Горячему"},
        Form{S, M, "ДОСТОЕВСКИЙ", "ДОСТОЕВСКОМУ"},
        // -а and -я decline as nouns do.
        Form{S, M, "Глинка", "Глинке"}, Form{S, M, "Сковорода", "Сковороде"}, Form{S, M, "Зозуля", "Зозуле"},
        Form{S, M, "Берия", "Берии"}, Form{S, M, "Головня", "Головне"},
        // Indeclinable endings.
        Form{S, M, "Гёте", "Гёте"}, Form{S, M, "Верди", "Верди"}, Form{S, M, "Шоу", "Шоу"},
        Form{S, M, "Черных", "Черных"}, Form{S, M, "Долгих", "Долгих"}, Form{S, M, "Седых", "Седых"},
        Form{S, M, "Петренко", "Петренко"}, Form{S, M, "Шевченко", "Шевченко"}, Form{S, M, "Бойко", "Бойко"},
        Form{S, M, "Гюго", "Гюго"}, Form{S, M, "Руссо", "Руссо"}, Form{S, M, "Камю", "Камю"},
        Form{S, M, "Доде", "Доде"}, Form{S, M, "Дюма", "Дюма"}, Form{S, M, "ДЮМА", "ДЮМА"},
        Form{S, M, "Моруа", "Моруа"}, Form{S, M, "Делакруа", "Делакруа"}, Form{S, M, "Гамсахурдиа", "Гамсахурдиа"},
        Form{S, M, "Дега", "Дега"}, Form{S, M, "Золя", "Золя"},
        // Hyphenated, part by part.
        Form{S, M, "Петров-Водкин", "Петрову-Водкину"}, Form{S, M, "Салтыков-Щедрин", "Салтыкову-Щедрину"},
        Form{S, M, "Мамин-Сибиряк", "Мамину-Сибиряку"}, Form{S, M, "Бонч-Бруевич", "Бонч-Бруевичу"},
        Form{S, M, "Шолом-Алейхем", "Шолом-Алейхему"}, Form{S, F, "Бонч-Бруевич", "Бонч-Бруевич"}, Form{S, M, "ПЕТРОВ-ВОДКИН", "ПЕТРОВУ-ВОДКИНУ"},
        Form{S, M, "Тер-Петросян", "Тер-Петросяну"}, Form{S, F, "Тер-Петросян", "Тер-Петросян"},
        Form{S, M, "Дюма-Петров", "Дюма-Петрову"}));

// Surnames of a person whose gender nothing tells: the ending decides.
INSTANTIATE_TEST_SUITE_P(
    SurnamesByEnding, GenderedDativeTest,
    ::testing::Values(Form{S, U, "Петров", "Петрову"}, Form{S, U, "Петрова", "Петровой"},
                      Form{S, U, "Соловьёва", "Соловьёвой"}, Form{S, U, "Островская", "Островской"},
                      Form{S, U, "Рыжая", "Рыжей"}, Form{S, U, "Синяя", "Синей"}, Form{S, U, "Глинка", "Глинке"},
                      Form{S, U, "Зозуля", "Зозуле"}, Form{S, U, "Гёте", "Гёте"}, Form{S, U, "Черных", "Черных"},
                      Form{S, U, "Римская-Корсакова", "Римской-Корсаковой"},
                      Form{S, U, "Петров-Водкин", "Петрову-Водкину"}, Form{S, U, "Гоголь", "Гоголю"},
                      Form{S, U, "Дюма", "Дюма"}, Form{S, U, "Моруа", "Моруа"}));

// First names.
INSTANTIATE_TEST_SUITE_P(
    FirstNames, GenderedDativeTest,
    ::testing::Values(
        // Women's.
        Form{N, F, "Анна", "Анне"}, Form{N, F, "Ольга", "Ольге"}, Form{N, F, "Екатерина", "Екатерине"},
        Form{N, F, "Тамара", "Тамаре"}, Form{N, F, "Маша", "Маше"}, Form{N, F, "Мария", "Марии"},
        Form{N, F, "Юлия", "Юлии"}, Form{N, F, "Лидия", "Лидии"}, Form{N, F, "Ия", "Ие"}, Form{N, F, "ИЯ", "ИЕ"},
        Form{N, F, "Наталья", "Наталье"}, Form{N, F, "Софья", "Софье"}, Form{N, F, "Дарья", "Дарье"},
        Form{N, F, "Зоя", "Зое"}, Form{N, F, "Майя", "Майе"}, Form{N, F, "Ася", "Асе"}, Form{N, F, "Оля", "Оле"},
        Form{N, F, "Любовь", "Любови"}, Form{N, F, "Айгуль", "Айгули"}, Form{N, F, "Нинель", "Нинели"},
        Form{N, F, "Руфь", "Руфи"}, Form{N, F, "Ассоль", "Ассоли"}, Form{N, F, "Нелли", "Нелли"},
        Form{N, F, "Мэри", "Мэри"}, Form{N, F, "Ирен", "Ирен"}, Form{N, F, "Кармен", "Кармен"},
        Form{N, F, "Эстер", "Эстер"}, Form{N, F, "ЛЮБОВЬ", "ЛЮБОВИ"}, Form{N, F, "АННА", "АННЕ"},
        // Men's.
        Form{N, M, "Иван", "Ивану"}, Form{N, M, "Олег", "Олегу"}, Form{N, M, "Михаил", "Михаилу"},
        Form{N, M, "Фёдор", "Фёдору"}, Form{N, M, "Жорж", "Жоржу"}, Form{N, M, "Ульрих", "Ульриху"},
        Form{N, M, "Андрей", "Андрею"}, Form{N, M, "Сергей", "Сергею"}, Form{N, M, "Николай", "Николаю"},
        Form{N, M, "Дмитрий", "Дмитрию"}, Form{N, M, "Юрий", "Юрию"}, Form{N, M, "Евгений", "Евгению"},
        Form{N, M, "Игорь", "Игорю"}, Form{N, M, "Лазарь", "Лазарю"}, Form{N, M, "Шамиль", "Шамилю"},
        Form{N, M, "Илья", "Илье"}, Form{N, M, "Никита", "Никите"}, Form{N, M, "Кузьма", "Кузьме"},
        Form{N, M, "Фома", "Фоме"}, Form{N, M, "Лука", "Луке"}, Form{N, M, "Савва", "Савве"},
        Form{N, M, "Ваня", "Ване"}, Form{N, M, "Гия", "Гии"}, Form{N, M, "Отто", "Отто"},
        Form{N, M, "Марио", "Марио"}, Form{N, M, "Анри", "Анри"}, Form{N, M, "Рене", "Рене"},
        // Names that lose a vowel; others in -ел keep theirs.
        Form{N, M, "Лев", "Льву"}, Form{N, M, "Пётр", "Петру"}, Form{N, M, "Петр", "Петру"},
        Form{N, M, "Павел", "Павлу"}, Form{N, M, "ПАВЕЛ", "ПАВЛУ"}, Form{N, M, "лев", "льву"},
        Form{N, M, "Карел", "Карелу"}, Form{N, M, "Левон", "Левону"},
        // Nothing tells the gender: the name does.
        Form{N, U, "Анна", "Анне"}, Form{N, U, "Зоя", "Зое"}, Form{N, U, "Ия", "Ие"}, Form{N, U, "Ваня", "Ване"},
        Form{N, U, "Илья", "Илье"}, Form{N, U, "Иван", "Ивану"}, Form{N, U, "Нелли", "Нелли"},
        Form{N, U, "Отто", "Отто"}, Form{N, U, "Любовь", "Любови"}, Form{N, U, "Айгуль", "Айгули"},
        // Hyphenated: each part declines.
        Form{N, F, "Александра-Виктория", "Александре-Виктории"}, Form{N, F, "Анна-Мария", "Анне-Марии"},
        Form{N, M, "Ханс-Петер", "Хансу-Петеру"}, Form{N, M, "Жан-Поль", "Жану-Полю"},
        Form{N, U, "Александра-Виктория", "Александре-Виктории"}, Form{N, U, "Ханс-Петер", "Хансу-Петеру"},
        Form{N, U, "Мари-Луиза", "Мари-Луизе"}, Form{N, F, "АННА-МАРИЯ", "АННЕ-МАРИИ"}));

INSTANTIATE_TEST_SUITE_P(
    Patronymics, GenderedDativeTest,
    ::testing::Values(Form{P, M, "Иванович", "Ивановичу"}, Form{P, M, "Сергеевич", "Сергеевичу"},
                      Form{P, M, "Ильич", "Ильичу"}, Form{P, M, "Львович", "Львовичу"},
                      Form{P, F, "Ивановна", "Ивановне"}, Form{P, F, "Петровна", "Петровне"},
                      Form{P, F, "Кузьминична", "Кузьминичне"}, Form{P, F, "Никитична", "Никитичне"},
                      Form{P, F, "Саввична", "Саввичне"}, Form{P, F, "ИВАНОВНА", "ИВАНОВНЕ"},
                      // Turkic patronymics stay.
                      Form{P, M, "Оглы", "Оглы"}, Form{P, U, "Рашид оглы", "Рашид оглы"},
                      Form{P, F, "Кызы", "Кызы"}, Form{P, U, "Алиевна кызы", "Алиевна кызы"}));

TEST(GenderOfPersonTest, PatronymicFirstThenFirstName)
{
    const struct {
        const char* first;
        const char* patronymic;
        Gender gender;
    } cases[] = {
        {"Анна", "Петровна", F},   {"Любовь", "Ивановна", F}, {"Никита", "Никитична", F}, {"Саша", "Петровна", F},
        {"  ", "Кузьминична", F},  {"Илья", "Ильич", M},      {"Саша", "Петрович", M},    {"Анна", "ПЕТРОВИЧ", M},
        {"Анна", "", F},           {"Зоя", "", F},            {"Ия", "  ", F},            {"АННА", "", F},
        {"Никита", "", M},         {"Илья", "", M},           {"Фома", "", M},            {"Ваня", "", M},
        {"Иван", "", M},           {"Игорь", "", M},          {"Любовь", "", F},          {"Иван", "Оглы", M},
        {"Айгуль", "", F}, {"Нинель", "  ", F}, {"Кармен", "", F}, {"Ханс-Петер", "", M}, {"Анна-Мария", "", F},
        {"", "", U},               {"  ", "  ", U},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::GenderOfPerson(QString::fromUtf8(c.first), QString::fromUtf8(c.patronymic)), c.gender)
            << c.first << ' ' << c.patronymic;
}

// With the surname: the patronymic the rules know, else the surname's ending
// when it shows the gender, else the first name.
TEST(GenderOfPersonTest, PatronymicThenSurnameThenFirstName)
{
    const struct {
        const char* surname;
        const char* first;
        const char* patronymic;
        Gender gender;
    } cases[] = {
        {"Иванова", "Кармен", "", F},       {"Петрова", "Любовь", "", F},         {"Ахмедов", "Мустафа", "", M},
        {"Ахмедов", "Мустафа", "Оглы", M},  {"Алиева", "Айгюн", "Кызы", F},       {"Ахмедова", "Иван", "  ", F},
        {"Пушкин", "Анна", "", M},          {"Ивлев", "Зоя", "", M},              {"Орлов", "Кармен", "", M},
        {"Островская", "Иван", "", F},      {"Трубецкая", "", "", F},             {"Большая", "Нинель", "", F},
        {"Синяя", "Иван", "", F},           {"Островский", "Анна", "", M},        {"Трубецкий", "", "", M},
        {"Римская-Корсакова", "", "", F},   {"Петров-Водкин", "Анна", "", M},     {"ПЕТРОВА", "ИГОРЬ", "", F},
        // A patronymic the rules know wins over the surname.
        {"Иванова", "Саша", "Петрович", M}, {"Иванов", "Саша", "Петровна", F},
        // Endings both may have: the first name decides.
        {"Ковальчук", "Анна", "", F},       {"Бонч-Бруевич", "Михаил", "", M},    {"Глинка", "Зоя", "", F},
        {"Гёте", "Иван", "", M},            {"Ковальчук", "", "", U},             {"", "", "", U},
        {"Ким", "Любовь", "", F},           {"Ким", "Айгуль", "", F},             {"Ким", "Иван", "", M},
        {"Дюма", "Александр", "", M},       {"Тер-Петросян", "Ашот", "", M},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::GenderOfPerson(QString::fromUtf8(c.surname), QString::fromUtf8(c.first),
                                       QString::fromUtf8(c.patronymic)),
                  c.gender)
            << c.surname << ' ' << c.first << ' ' << c.patronymic;
}

// A whole name declined with the gender the person's name shows, as the card
// and the documents decline it.
TEST(PersonDativeTest, DeclinesEachPartByThePersonsGender)
{
    const struct {
        const char* name[3];
        const char* dative[3];
    } cases[] = {
        {{"Ким", "Любовь", ""}, {"Ким", "Любови", ""}},
        {{"Ким", "Айгуль", ""}, {"Ким", "Айгули", ""}},
        {{"Ким", "Иван", ""}, {"Киму", "Ивану", ""}},
        {{"Дюма", "Александр", ""}, {"Дюма", "Александру", ""}},
        {{"Тер-Петросян", "Ашот", "Гургенович"}, {"Тер-Петросяну", "Ашоту", "Гургеновичу"}},
        {{"Тер-Петросян", "Анна", "Ашотовна"}, {"Тер-Петросян", "Анне", "Ашотовне"}},
        {{"Шмидт", "Ханс-Петер", ""}, {"Шмидту", "Хансу-Петеру", ""}},
        {{"Орлова", "Александра-Виктория", "Игоревна"}, {"Орловой", "Александре-Виктории", "Игоревне"}},
        {{"Моруа", "Андре", ""}, {"Моруа", "Андре", ""}},
    };
    for (const auto& c : cases) {
        const QString surname = QString::fromUtf8(c.name[0]);
        const QString first = QString::fromUtf8(c.name[1]);
        const QString patronymic = QString::fromUtf8(c.name[2]);
        const Gender gender = core::GenderOfPerson(surname, first, patronymic);
        const NamePart parts[] = {S, N, P};
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(core::ToDativeCase(QString::fromUtf8(c.name[i]), parts[i], gender), QString::fromUtf8(c.dative[i]))
                << c.name[0] << ' ' << c.name[1] << ' ' << c.name[2];
    }
}

// Each part of a hyphenated surname is trimmed, declined and kept in its own
// letter case; a part too short to decline stays.
TEST(GenderedDativeEdgeTest, ShortPartsAndBlanks)
{
    EXPECT_EQ(core::ToDativeCase(QStringLiteral("  Петров-Водкин "), S, M), QStringLiteral("Петрову-Водкину"));
    EXPECT_EQ(core::ToDativeCase(QStringLiteral("Д-Петрова"), S, F), QStringLiteral("Д-Петровой"));
    EXPECT_EQ(core::ToDativeCase(QStringLiteral("Петрова-"), S, F), QStringLiteral("Петровой-"));
    EXPECT_EQ(core::ToDativeCase(QStringLiteral("П"), S, F), QString());
}

} // namespace
