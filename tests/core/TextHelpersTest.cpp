#include "core/TextHelpers.h"

#include <QStringList>
#include <QVariant>
#include <gtest/gtest.h>

using core::NamePart;

namespace {

struct DativeCase {
    NamePart part;
    const char* word;
    const char* dative;
};

void PrintTo(const DativeCase& c, std::ostream* os)
{
    *os << static_cast<int>(c.part) << ": " << c.word;
}

class DativeTest : public ::testing::TestWithParam<DativeCase> {};

TEST_P(DativeTest, DeclinesByEnding)
{
    const DativeCase& c = GetParam();
    EXPECT_EQ(core::ToDativeCase(QString::fromUtf8(c.word), c.part), QString::fromUtf8(c.dative));
}

INSTANTIATE_TEST_SUITE_P(
    Names, DativeTest,
    ::testing::Values(
        // Surnames in nominal forms: the ending alone decides.
        DativeCase{NamePart::Surname, "Петров", "Петрову"},
        DativeCase{NamePart::Surname, "Петрова", "Петровой"},
        DativeCase{NamePart::Surname, "Петренко", "Петренко"},
        DativeCase{NamePart::Surname, "ПЕТРОВ", "ПЕТРОВУ"},
        DativeCase{NamePart::Surname, "ПЕТРОВА", "ПЕТРОВОЙ"},
        DativeCase{NamePart::Surname, "Гайдай", "Гайдаю"},
        DativeCase{NamePart::Surname, "Гоголь", "Гоголю"},
        // Adjectival surnames.
        DativeCase{NamePart::Surname, "Достоевский", "Достоевскому"},
        DativeCase{NamePart::Surname, "Трубецкий", "Трубецкому"},
        DativeCase{NamePart::Surname, "Толстой", "Толстому"},
        DativeCase{NamePart::Surname, "Белый", "Белому"},
        DativeCase{NamePart::Surname, "Долгий", "Долгому"},
        DativeCase{NamePart::Surname, "Тихий", "Тихому"},
        DativeCase{NamePart::Surname, "Крайний", "Крайнему"},
        // After ж, ш, щ, ч the soft ending stays soft.
        DativeCase{NamePart::Surname, "Рыжий", "Рыжему"},
        DativeCase{NamePart::Surname, "Горячий", "Горячему"},
        DativeCase{NamePart::Surname, "Островская", "Островской"},
        DativeCase{NamePart::Surname, "Трубецкая", "Трубецкой"},
        DativeCase{NamePart::Surname, "Толстая", "Толстой"},
        DativeCase{NamePart::Surname, "Синяя", "Синей"},
        DativeCase{NamePart::Surname, "ДОСТОЕВСКИЙ", "ДОСТОЕВСКОМУ"},
        DativeCase{NamePart::Surname, "ОСТРОВСКАЯ", "ОСТРОВСКОЙ"},
        // First names.
        DativeCase{NamePart::FirstName, "Иван", "Ивану"},
        DativeCase{NamePart::FirstName, "Анна", "Анне"},
        DativeCase{NamePart::FirstName, "Мария", "Марии"},
        DativeCase{NamePart::FirstName, "Наталья", "Наталье"},
        DativeCase{NamePart::FirstName, "Андрей", "Андрею"},
        DativeCase{NamePart::FirstName, "Игорь", "Игорю"},
        DativeCase{NamePart::FirstName, "Павел", "Павлу"},
        DativeCase{NamePart::FirstName, "ПАВЕЛ", "ПАВЛУ"},
        // Patronymics.
        DativeCase{NamePart::Patronymic, "Иванович", "Ивановичу"},
        DativeCase{NamePart::Patronymic, "Ивановна", "Ивановне"},
        // A word that is nothing but an ending takes the default; the name
        // Ия declines as Зоя does, not as Мария.
        DativeCase{NamePart::FirstName, "ел", "елу"},
        DativeCase{NamePart::FirstName, "ия", "ие"},
        // A last character that is not a letter counts as a capital.
        DativeCase{NamePart::Surname, "Петров1", "Петров1У"},
        // Too short to decline.
        DativeCase{NamePart::Surname, "П", ""},
        DativeCase{NamePart::Surname, "", ""},
        DativeCase{NamePart::Surname, "   ", ""}));

TEST(DativeByPointerTest, VariableReceivesTrimmedDeclinedWord)
{
    QString word = QStringLiteral("  Петрова ");
    EXPECT_EQ(core::ToDativeCase(&word, NamePart::Surname), QStringLiteral("Петровой"));
    EXPECT_EQ(word, QStringLiteral("Петровой"));
}

TEST(DativeByPointerTest, OneCharacterWordIsLeftAlone)
{
    QString word = QStringLiteral(" ");
    EXPECT_EQ(core::ToDativeCase(&word, NamePart::FirstName), QString());
    EXPECT_EQ(word, QStringLiteral(" "));
    EXPECT_EQ(core::ToDativeCase(nullptr, NamePart::FirstName), QString());
}

TEST(DativeByValueTest, LeavesTheArgumentAlone)
{
    const QString word = QStringLiteral(" Мария ");
    EXPECT_EQ(core::ToDativeCase(word, NamePart::FirstName), QStringLiteral("Марии"));
    EXPECT_EQ(word, QStringLiteral(" Мария "));
}

TEST(LineBreakTest, EndsWithLineBreak)
{
    EXPECT_TRUE(core::EndsWithLineBreak(QStringLiteral("текст\r\n  ")));
    EXPECT_TRUE(core::EndsWithLineBreak(QStringLiteral("текст\n")));
    EXPECT_TRUE(core::EndsWithLineBreak(QStringLiteral("текст\r")));
    EXPECT_FALSE(core::EndsWithLineBreak(QStringLiteral("текст ")));
    EXPECT_FALSE(core::EndsWithLineBreak(QStringLiteral("текст\n\t")));
    EXPECT_FALSE(core::EndsWithLineBreak(QString()));
    EXPECT_FALSE(core::EndsWithLineBreak(QStringLiteral("   ")));
}

TEST(LineBreakTest, TrimTrailingBreaks)
{
    EXPECT_EQ(core::TrimTrailingBreaks(QStringLiteral("строка\n \r\n")), QStringLiteral("строка"));
    EXPECT_EQ(core::TrimTrailingBreaks(QStringLiteral("\r\nстрока\r\nещё \r\n")),
              QStringLiteral("\r\nстрока\r\nещё"));
    EXPECT_EQ(core::TrimTrailingBreaks(QStringLiteral("строка\t")), QStringLiteral("строка\t"));
    EXPECT_EQ(core::TrimTrailingBreaks(QStringLiteral("\r\n \n")), QString());
    EXPECT_EQ(core::TrimTrailingBreaks(QString()), QString());
}

TEST(DigitsOnlyTest, KeepsAsciiDigitsInOrder)
{
    EXPECT_EQ(core::DigitsOnly(QStringLiteral("01 23-45 А/б 6")), QStringLiteral("0123456"));
    EXPECT_EQ(core::DigitsOnly(QStringLiteral("АБ-/ ")), QString());
    EXPECT_EQ(core::DigitsOnly(QString()), QString());
    // Other digit forms (Arabic-Indic, full width) are not kept.
    EXPECT_EQ(core::DigitsOnly(QString::fromUtf8("1\u0662\uFF133")), QStringLiteral("13"));
}

TEST(SafeUBoundTest, ListsAndOtherValues)
{
    EXPECT_EQ(core::SafeUBound(QStringList{"a", "b", "c", "d", "e"}), 4);
    EXPECT_EQ(core::SafeUBound(QStringList{}), -1);
    EXPECT_EQ(core::SafeUBound(std::vector<int>{1, 2}), 1);
    EXPECT_EQ(core::SafeUBound(QVariant(QVariantList{1, 2, 3, 4, 5})), 4);
    EXPECT_EQ(core::SafeUBound(QVariant(QStringList{"a"})), 0);
    EXPECT_EQ(core::SafeUBound(QVariant(QVariantList{})), -1);
    EXPECT_EQ(core::SafeUBound(QVariant(QStringLiteral("a,b,c"))), -1);
    EXPECT_EQ(core::SafeUBound(QVariant(12)), -1);
    EXPECT_EQ(core::SafeUBound(QVariant()), -1);
}

TEST(SheetNameTest, RemovesForbiddenCharactersAndCuts)
{
    EXPECT_EQ(core::SheetSafeName(QStringLiteral("Группа 12/3: итог")), QStringLiteral("Группа 123 итог"));
    EXPECT_EQ(core::SheetSafeName(QStringLiteral("a\\b?c*d")), QStringLiteral("abcd"));

    const QString name31 = QString(31, QChar(u'ж'));
    EXPECT_EQ(core::SheetSafeName(name31), name31);
    EXPECT_EQ(core::SheetSafeName(QString(40, QChar(u'ж'))), name31);
    // Removal comes before the cut: forbidden characters do not use up length.
    EXPECT_EQ(core::SheetSafeName(QStringLiteral("////") + name31), name31);

    QString variable = QStringLiteral("Книга: 2024/25");
    EXPECT_EQ(core::SheetSafeName(&variable), QStringLiteral("Книга 202425"));
    EXPECT_EQ(variable, QStringLiteral("Книга 202425"));
}

TEST(SheetNameTest, Left31)
{
    const QString name31 = QString(31, QChar(u'я'));
    EXPECT_EQ(core::Left31(name31 + QStringLiteral("лишнее")), name31);
    EXPECT_EQ(core::Left31(name31), name31);
    EXPECT_EQ(core::Left31(QStringLiteral("Студенты")), QStringLiteral("Студенты"));
    EXPECT_EQ(core::Left31(QString()), QString());
}

} // namespace
