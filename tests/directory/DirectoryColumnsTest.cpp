// What the directory windows' lists show, kind by kind.
#include "DirectoryTestSupport.h"

#include "directory/DirectoryColumns.h"

#include <gtest/gtest.h>

using namespace directory;

namespace {
class DirectoryListTest : public dirtest::DirectoryDbTest {};
} // namespace

// Each kind's list query runs on the sample database, returns rows and
// holds every column the list names; the window fills its first visible
// column from it.
TEST_F(DirectoryListTest, EveryListQueryRunsAndFillsTheColumnsItNames)
{
    // The "?" of the kinds with a group filter: the group with the most rows.
    const auto busiest = [this](const char* table) {
        return count(QStringLiteral("SELECT IDG FROM %1 GROUP BY IDG ORDER BY count(*) DESC LIMIT 1").arg(table));
    };
    const struct {
        int kind;
        const char* groupTable;  // "" for no group filter
    } cases[] = {
        {0, "SPSTUD"}, {1, ""}, {2, ""},  {3, "SPSTUD"}, {4, ""},  {5, "SPNAGR"}, {6, ""},
        {7, ""},       {8, ""}, {9, ""},  {10, ""},      {11, ""}, {12, ""},      {16, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const ListDefinition d = DefineColumns(c.kind, false);
        ASSERT_FALSE(d.isEmpty());
        QVariantList params;
        if (*c.groupTable)
            params << busiest(c.groupTable);
        const QString sql =
            isBareTableName(d.ListSql) ? QStringLiteral("SELECT * FROM %1").arg(d.ListSql) : d.ListSql;
        ASSERT_EQ(sql.count(QLatin1Char('?')), params.size());
        std::unique_ptr<jet::Recordset> rs;
        ASSERT_NO_THROW(rs = db().openRecordset(sql, jet::dbOpenSnapshot, params));
        EXPECT_FALSE(rs->isEOF());
        for (const QString& field : d.FieldNames) {
            if (!field.isEmpty()) {
                EXPECT_TRUE(rs->hasField(field)) << field.toStdString();
            }
        }
        // Every column has its caption, widths and alignment.
        EXPECT_EQ(d.WidthDivisors.size(), d.Captions.size());
        EXPECT_EQ(d.MinWidths.size(), d.Captions.size());
        EXPECT_EQ(d.Alignments.size(), d.Captions.size());
        EXPECT_EQ(d.FieldNames.size(), d.Captions.size());
    }
    for (int kind : {13, 14, 15, 17})
        EXPECT_TRUE(DefineColumns(kind, false).isEmpty()) << kind;
}

TEST_F(DirectoryListTest, WindowsShowTheirRowsWithTheFirstColumnFilled)
{
    for (int kind : {1, 2, 4, 6, 7, 8, 9, 10, 11, 16}) {
        SCOPED_TRACE(kind);
        const auto w = open(kind);
        const core::ReportList* list = w->Spr();
        ASSERT_GT(list->topLevelItemCount(), 0);
        EXPECT_FALSE(list->topLevelItem(0)->text(1).trimmed().isEmpty());
        EXPECT_EQ(list->columnCount(), DefineColumns(kind, false).Captions.size());
    }
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
    // The study plan, the grades view and the medical specialties keep the
    // order of their query; the others sort by the first visible column.
    const std::pair<int, int> cases[] = {{0, 1}, {5, 1}, {16, 1}, {1, 2}, {3, 2}, {4, 2}, {6, 2}, {12, 2}};
    for (const auto& [kind, column] : cases)
        EXPECT_EQ(initialSortColumn(kind), column) << kind;
    EXPECT_TRUE(isBareTableName(DefineColumns(6, false).ListSql));
    EXPECT_FALSE(isBareTableName(DefineColumns(12, false).ListSql));
}
