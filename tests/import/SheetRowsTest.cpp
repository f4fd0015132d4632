// Finding the header row and taking the data rows of an import sheet, on
// cell texts made in memory.
#include "import/SheetRows.h"

#include "ImportTestSupport.h"

#include <gtest/gtest.h>

using namespace importer;
using importtest::sheetOf;

namespace {

QList<QStringList> cellsOf(const SheetRead& read)
{
    QList<QStringList> out;
    for (const SheetRow& r : read.rows)
        out << r.cells;
    return out;
}

QList<int> rowNumbers(const SheetRead& read)
{
    QList<int> out;
    for (const SheetRow& r : read.rows)
        out << r.sheetRow;
    return out;
}

const QStringList kCaptions{"Фамилия", "Имя", "Отчество"};

} // namespace

TEST(SheetRows, HeaderRowFiveWithShuffledMixedCaseCaptionsOnBothPaths)
{
    const auto sheet = sheetOf(importtest::rowsOf("Ведомость||\n"
                                                  "||\n"
                                                  "||\n"
                                                  "||\n"
                                                  " имя |Прочее|ФАМИЛИЯ\n"
                                                  "Пётр |x|Иванов\n"
                                                  "||\n"
                                                  "|y|\n"
                                                  "Анна||Петрова"));
    for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc}) {
        const SheetRead read = readImportSheet(sheet, kCaptions, {}, path);
        EXPECT_EQ(read.headerRow, 5);
        EXPECT_EQ(read.positions, (QList<int>{3, 1, 0}));
        // A column whose header is no caption is not read: row 8 has no data.
        EXPECT_EQ(rowNumbers(read), (QList<int>{6, 9}));
        const QString first = path == ReadingPath::Excel ? QStringLiteral("Пётр ") : QStringLiteral("Пётр");
        EXPECT_EQ(cellsOf(read), (QList<QStringList>{{"Иванов", first, ""}, {"Петрова", "Анна", ""}}));
    }
}

TEST(SheetRows, HeaderSearchDiffersBetweenThePaths)
{
    // Captions from column 11: the Calc search gives the row up after ten
    // empty cells; the Excel search reads the whole used range.
    QStringList header(10, QString());
    header << "Фамилия" << "Имя";
    QStringList data(10, QString());
    data << "Иванов" << "Пётр";
    const auto wide = sheetOf({header, data});
    EXPECT_FALSE(readImportSheet(wide, kCaptions, {}, ReadingPath::Calc).headerFound());
    const SheetRead excel = readImportSheet(wide, kCaptions, {}, ReadingPath::Excel);
    EXPECT_EQ(excel.headerRow, 1);
    EXPECT_EQ(cellsOf(excel), (QList<QStringList>{{"Иванов", "Пётр", ""}}));

    // A caption standing twice: the rightmost cell wins on both paths.
    const auto twice = sheetOf(importtest::rowsOf("Имя|Фамилия|имя\nа|Б|в"));
    for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc})
        EXPECT_EQ(readImportSheet(twice, kCaptions, {}, path).positions, (QList<int>{2, 3, 0}));

    // No caption anywhere.
    const auto none = sheetOf(importtest::rowsOf("Список|\nИванов|Пётр"));
    for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc})
        EXPECT_FALSE(readImportSheet(none, kCaptions, {}, path).headerFound());
}

TEST(SheetRows, BlankRowsEndTheCalcReadingOnlyWhenTenStandTogether)
{
    // Data rows each followed by one blank row (twelve blank rows in all),
    // then ten blank rows, then a row that belongs to no table.
    QList<QStringList> rows{{"Фамилия"}};
    QList<int> expected;
    for (int i = 1; i <= 12; ++i) {
        rows << QStringList{QStringLiteral("Студент %1").arg(i)} << QStringList{QString()};
        expected << 2 * i;
    }
    for (int i = 0; i < 9; ++i)
        rows << QStringList{QString()};
    rows << QStringList{QStringLiteral("После таблицы")};
    const int lastRow = int(rows.size());
    const auto sheet = sheetOf(rows);

    EXPECT_EQ(rowNumbers(readImportSheet(sheet, kCaptions, {}, ReadingPath::Calc)), expected);
    // The Excel path reads down to the last used row whatever the blanks.
    EXPECT_EQ(rowNumbers(readImportSheet(sheet, kCaptions, {}, ReadingPath::Excel)), expected + QList<int>{lastRow});
}

TEST(SheetRows, TextsAreCutToTheirSize)
{
    const QString forty = QStringLiteral("1234567890").repeated(4);
    const auto sheet = sheetOf({{"Фамилия", "Имя"}, {forty, forty}});
    for (ReadingPath path : {ReadingPath::Excel, ReadingPath::Calc}) {
        const SheetRead read = readImportSheet(sheet, kCaptions, {30, 0, 5}, path);
        EXPECT_EQ(cellsOf(read), (QList<QStringList>{{forty.left(30), forty, ""}}));
    }
}
