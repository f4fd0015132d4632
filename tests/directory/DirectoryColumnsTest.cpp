// What the directory windows' lists show, kind by kind.
#include "directory/DirectoryColumns.h"

#include <gtest/gtest.h>

using namespace directory;

TEST(DirectoryColumnsTest, EveryKindWithAWindowHasConsistentArrays)
{
    const struct {
        int kind;
        int columns;  // including the hidden first column
        const char* firstCaption;
        int sortable;  // columns with a sort kind
        int printed;   // entries of PrintWidths
    } cases[] = {
        {0, 7, "Фамилия", 7, 6},  {1, 5, "Краткое наименование", 5, 5}, {2, 3, "Наименование", 3, 3},
        {3, 10, "Фамилия", 10, 10}, {4, 23, "Учебная группа", 23, 23},   {5, 5, "Дисциплина", 5, 5},
        {6, 3, "Балл", 3, 3},       {7, 3, "Краткое наименование", 3, 3}, {8, 3, "Наименование", 3, 3},
        {9, 2, "Наименование", 2, 2}, {10, 2, "Наименование", 2, 2},      {11, 6, "Наименование", 3, 3},
        {12, 3, "Пользователь", 3, 3}, {16, 3, "Наименование", 3, 3},
    };
    for (const auto& c : cases) {
        const ListDefinition d = DefineColumns(c.kind, false);
        ASSERT_EQ(d.Captions.size(), c.columns) << c.kind;
        EXPECT_EQ(d.Captions.at(1), QString::fromUtf8(c.firstCaption)) << c.kind;
        EXPECT_EQ(d.WidthDivisors.size(), c.columns) << c.kind;
        EXPECT_EQ(d.MinWidths.size(), c.columns) << c.kind;
        EXPECT_EQ(d.Alignments.size(), c.columns) << c.kind;
        EXPECT_EQ(d.FieldNames.size(), c.columns) << c.kind;
        EXPECT_EQ(d.SortKinds.size(), c.sortable) << c.kind;
        EXPECT_EQ(d.PrintWidths.size(), c.printed) << c.kind;
        EXPECT_EQ(d.RefTables.size(), d.RefFields.size()) << c.kind;
        EXPECT_FALSE(d.ListSql.isEmpty()) << c.kind;
        // The first column is the hidden key column.
        EXPECT_EQ(d.Captions.at(0), QString()) << c.kind;
        EXPECT_EQ(d.WidthDivisors.at(0), 0) << c.kind;
        EXPECT_EQ(d.MinWidths.at(0), 0) << c.kind;
        EXPECT_EQ(d.FieldNames.at(0), QString()) << c.kind;
        EXPECT_EQ(d.ListSql.count(QLatin1Char('?')), (c.kind == 0 || c.kind == 3 || c.kind == 5) ? 1 : 0) << c.kind;
    }
    for (int kind : {13, 14, 15, 17})
        EXPECT_TRUE(DefineColumns(kind, false).isEmpty()) << kind;
}

TEST(DirectoryColumnsTest, GradesViewHasSecondListAndPrintsIt)
{
    const ListDefinition d = DefineColumns(0, false);
    EXPECT_EQ(d.Captions2, (QStringList{"", "Дисциплина", "Дополнительный текст", "Количество часов",
                                        "Итоговая оценка", "Курсовая работа"}));
    EXPECT_EQ(d.FieldNames2, (QStringList{"", "NAIMD", "NAIMN", "CH", "NAIMOC", "kurs"}));
    EXPECT_EQ(d.PrintWidths, (QList<double>{7, 28.86, 18.86, 10.29, 18.86, 18.86}));
    EXPECT_EQ(d.RefTables, QStringList{"EXAM"});
    EXPECT_TRUE(DefineColumns(3, false).Captions2.isEmpty());
}

TEST(DirectoryColumnsTest, DateColumnsOfGroupsSortAsDatesAndDuplicateFlagAsText)
{
    const ListDefinition groups = DefineColumns(4, false);
    for (const char* field : {"DatGAK", "Dat", "PRIKAZDAT", "DatMed", "DatGAKMed", "date_S", "date_Po"}) {
        const qsizetype k = groups.FieldNames.indexOf(QString::fromUtf8(field));
        ASSERT_GE(k, 0) << field;
        EXPECT_EQ(groups.SortKinds.at(k), 2) << field;
    }
    const ListDefinition students = DefineColumns(3, false);
    EXPECT_EQ(students.SortKinds.at(students.FieldNames.indexOf("DUBLMEDS")), 0);
    EXPECT_EQ(students.SortKinds.at(students.FieldNames.indexOf("REGNOMMED")), 1);
}

TEST(DirectoryColumnsTest, PrintingHousesFollowTheOfficeProgram)
{
    EXPECT_EQ(DefineColumns(11, true).FieldNames, (QStringList{"", "Naim", "oTmp5", "oTmp7", "oTmp8", "oTmp9"}));
    EXPECT_EQ(DefineColumns(11, false).FieldNames, (QStringList{"", "Naim", "Tmp5", "Tmp7", "Tmp8", "Tmp9"}));
}

TEST(DirectoryColumnsTest, ReferenceChecksInProbeOrder)
{
    const ListDefinition institutions = DefineColumns(7, false);
    EXPECT_EQ(institutions.RefTables, (QStringList{"SPSTUD", "SPSTUD", "EXAM", "SPNAGR"}));
    EXPECT_EQ(institutions.RefFields, (QStringList{"PosOU", "ZavOU", "IDZ", "IDZ"}));
    EXPECT_EQ(DefineColumns(3, false).RefTables, QStringList{""});
    EXPECT_EQ(DefineColumns(11, false).RefTables, QStringList{"INF"});
}

TEST(DirectoryColumnsTest, InitialSortColumnAndTableNames)
{
    for (int kind = 0; kind <= 16; ++kind)
        EXPECT_EQ(initialSortColumn(kind), (kind == 0 || kind == 5 || kind == 16) ? 1 : 2) << kind;
    EXPECT_TRUE(isBareTableName(DefineColumns(6, false).ListSql));
    EXPECT_FALSE(isBareTableName(DefineColumns(12, false).ListSql));
}
