// Reading a grade sheet from cell texts made in memory.
#include "import/GradeSheet.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

using namespace importer;
using importtest::rowsOf;

namespace {

office::SheetTexts sheetOf(const char* text)
{
    return importtest::sheetOf(rowsOf(text));
}

QStringList captions(const GradeSheetRead& read)
{
    QStringList out;
    for (const ImportColumn& c : read.disciplines)
        out << c.caption + QLatin1Char('/') + c.hours;
    return out;
}

} // namespace

TEST(GradeSheet, NamesInThreeColumnsDisciplinesInEveryColumn)
{
    // Hours in row 2, names in row 3, persons in rows 4 to 8.
    const auto sheet = sheetOf("Ведомость||||||\n"
                               "|||72|36||18\n"
                               "Фамилия|Имя|Отчество|Анатомия| Химия ||Физиология\n"
                               "Иванов|Пётр|Сергеевич|5|4||зачтено\n"
                               "Петрова||Ивановна|4||3|\n"
                               "||||||\n"
                               "Орлова|Вера||||5|\n"
                               "Не читается|||5|5|5|5");
    GradeSheetSettings s;
    s.firstPersonRow = 4;
    s.lastPersonRow = 7;
    s.nameColumn = 1;
    s.threeNameColumns = true;
    s.disciplineRow = 3;
    s.firstDisciplineColumn = 4;
    s.lastDisciplineColumn = 7;
    for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc}) {
        const GradeSheetRead read = readGradeSheet(sheet, s, QStringLiteral("Б 31"), path);
        const QString chemistry = path == ReadingPath::Excel ? QStringLiteral(" Химия ") : QStringLiteral("Химия");
        EXPECT_EQ(captions(read), (QStringList{"Анатомия/72", chemistry + "/36", "Нет наименования дисциплины/",
                                               "Физиология/18"}));
        EXPECT_EQ(read.disciplines.at(0).alignment, 2);
        EXPECT_EQ(read.disciplines.at(0).divisor, 4);
        // Every row of the range is an item, also one without a name.
        EXPECT_EQ(read.rows, (QList<QStringList>{{"Б 31", "Иванов", "Пётр", "Сергеевич", "5", "4", "", "зачтено"},
                                                 {"Б 31", "Петрова", "", "Ивановна", "4", "", "3", ""},
                                                 {"", "", "", "", "", "", "", ""},
                                                 {"Б 31", "Орлова", "Вера", "", "", "", "5", ""}}));
        EXPECT_EQ(read.sheetRows, (QList<int>{4, 5, 6, 7}));
    }
}

TEST(GradeSheet, NamesInOneColumnDisciplinesInEverySecondColumn)
{
    // Discipline names in row 1: no hours. Text between the disciplines is
    // not read.
    const auto sheet = sheetOf("ФИО|Анатомия|прим.|Химия|прим.\n"
                               "Иванов Пётр Сергеевич Оглы|5|x|4|y\n"
                               "Петрова  Анна|3||5|\n"
                               "|5||5|\n"
                               "Сидоров||||");
    GradeSheetSettings s;
    s.firstPersonRow = 2;
    s.lastPersonRow = 5;
    s.threeNameColumns = false;
    s.disciplineRow = 1;
    s.firstDisciplineColumn = 2;
    s.lastDisciplineColumn = 5;
    s.everySecondColumn = true;
    const GradeSheetRead read = readGradeSheet(sheet, s, QStringLiteral("З 41"), ReadingPath::Calc);
    EXPECT_EQ(captions(read), (QStringList{"Анатомия/", "Химия/"}));
    EXPECT_EQ(read.rows, (QList<QStringList>{{"З 41", "Иванов", "Пётр", "Сергеевич Оглы", "5", "4"},
                                             {"З 41", "Петрова", "Анна", "", "3", "5"},
                                             {"З 41", "Сидоров", "", "", "", ""}}));
    EXPECT_EQ(read.sheetRows, (QList<int>{2, 3, 5}));
}

TEST(GradeSheet, WholeNameInOneColumnSplitsIntoThreeParts)
{
    // Surname and first name are one word each; the rest is the patronymic.
    const struct {
        const char* cell;
        const char* surname;
        const char* firstName;
        const char* patronymic;
    } cases[] = {
        {"Алиев Руслан Эльдар оглы", "Алиев", "Руслан", "Эльдар оглы"},
        {"Иванов Пётр Сергеевич", "Иванов", "Пётр", "Сергеевич"},
        {"Мамедова  Айгюль   Рашид  кызы", "Мамедова", "Айгюль", "Рашид кызы"},
        {"Петрова Анна", "Петрова", "Анна", ""},
        {"Сидоров", "Сидоров", "", ""},
    };
    for (const auto& c : cases) {
        office::SheetTexts sheet;
        sheet.rows << QStringList{QString::fromUtf8(c.cell), QStringLiteral("5")};
        GradeSheetSettings s;
        s.threeNameColumns = false;
        s.firstPersonRow = 1;
        s.lastPersonRow = 1;
        s.disciplineRow = 1;
        s.firstDisciplineColumn = 2;
        s.lastDisciplineColumn = 2;
        for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc}) {
            const GradeSheetRead read = readGradeSheet(sheet, s, QStringLiteral("Б 31"), path);
            ASSERT_EQ(read.rows.size(), 1) << c.cell;
            EXPECT_EQ(read.rows.first(), (QStringList{"Б 31", QString::fromUtf8(c.surname), QString::fromUtf8(c.firstName),
                                                      QString::fromUtf8(c.patronymic), "5"}))
                << c.cell;
        }
    }
}

TEST(GradeSheet, RangesThatHoldNothing)
{
    const auto sheet = sheetOf("ФИО|Анатомия\nИванов|5");
    GradeSheetSettings s;
    s.threeNameColumns = false;
    s.firstPersonRow = 2;
    s.lastPersonRow = 1;  // the last person row above the first
    s.firstDisciplineColumn = 2;
    s.lastDisciplineColumn = 2;
    GradeSheetRead read = readGradeSheet(sheet, s, QStringLiteral("Б 31"), ReadingPath::Excel);
    EXPECT_TRUE(read.rows.isEmpty());
    EXPECT_EQ(captions(read), QStringList{"Анатомия/"});

    s.lastPersonRow = 2;
    s.firstDisciplineColumn = 3;  // the first discipline column after the last
    read = readGradeSheet(sheet, s, QString(), ReadingPath::Excel);
    EXPECT_TRUE(read.disciplines.isEmpty());
    EXPECT_EQ(read.rows, (QList<QStringList>{{"", "Иванов", "", ""}}));
}
