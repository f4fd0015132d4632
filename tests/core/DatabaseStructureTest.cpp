// The structure of the database as data, the SQL built from it and the
// default rows.
#include "core/DatabaseStructure.h"
#include "core/DefaultMedicalSpecialties.h"
#include "core/DefaultPrintHouses.h"
#include "platform/jet/Jet.h"
#include "PrintQtValues.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace core;

namespace {

QStringList names(std::span<const TableDescriptor> group)
{
    QStringList out;
    for (const TableDescriptor& t : group)
        out << t.tableName();
    return out;
}

TEST(DatabaseStructureTest, CoreTableStatementsAreTheJetTextsOfANewFile)
{
    EXPECT_EQ(CoreTableStatements(),
              (QStringList{
                  "CREATE TABLE INF ([IDLU] COUNTER, [IDT] INTEGER, [REF] INTEGER, [appMajor] INTEGER, [appMinor] "
                  "INTEGER, [appRevision] INTEGER, [AREF] BIT, [ASEC] SMALLINT, [LEVEL2] INTEGER);",
                  "CREATE TABLE SPGRUP ([IDG] COUNTER, [NAIM] STRING(100), [MEMO] MEMO);",
                  "CREATE INDEX PrimaryKey ON SPGRUP (IDG) WITH PRIMARY;",
                  "CREATE TABLE SPSTUD ([ID] COUNTER, [IDG] INTEGER, [FAM] STRING(100), [IM] STRING(100), [OTCH] "
                  "STRING(100), [MEMO] MEMO);",
                  "CREATE INDEX PrimaryKey ON SPSTUD (ID) WITH PRIMARY;",
                  "CREATE TABLE SPTPGR ([IDT] COUNTER, [NAIM] STRING(255));",
                  "CREATE INDEX PrimaryKey ON SPTPGR (IDT) WITH PRIMARY;",
                  "CREATE TABLE USERS ([IDU] COUNTER, [NAIM] STRING(50), [ROLE] BYTE, [PSSW] STRING(15), [MEMO] MEMO);",
                  "CREATE INDEX PrimaryKey ON USERS (IDU) WITH PRIMARY;",
              }));
}

TEST(DatabaseStructureTest, IndexTextsAreSplitJoinedAndEmptyPartsDropped)
{
    constexpr ColumnSpec cols[] = {{"A", jet::dbLong, 4, jet::dbAutoNumberKey}, {"B", jet::dbText, 10, 2}};
    constexpr IndexSpec idx[] = {{"PrimaryKey", "+A;;+B; "}, {"Empty", ""}};
    const TableDescriptor t{"T", cols, idx};
    EXPECT_EQ(CreateIndexSql(t), QStringList{"CREATE INDEX PrimaryKey ON T (A, B) WITH PRIMARY;"});
    EXPECT_EQ(CreateTableSql(TableDescriptor{"T", {}, {}}), QString());
}

TEST(DatabaseStructureTest, TheFourGroupsInTheirOrder)
{
    EXPECT_EQ(names(CoreTables()), (QStringList{"INF", "SPGRUP", "SPSTUD", "SPTPGR", "USERS"}));
    EXPECT_EQ(names(AddedTables()),
              (QStringList{"SPMED", "SPPRED", "EXAM", "SPBALL", "SPNAGR", "SPOTD", "SPVDOC", "SPFORM", "SPUR", "SPUCH"}));
    EXPECT_EQ(names(AddedColumns()), (QStringList{"INF", "SPSTUD", "SPGRUP", "INF", "SPTPGR"}));
    QList<int> sizes;
    for (const TableDescriptor& t : AddedColumns())
        sizes << int(t.columns.size());
    EXPECT_EQ(sizes, (QList<int>{8, 38, 20, 2, 8}));
    ASSERT_EQ(WidenedColumns().size(), 1u);
    const ColumnSpec& naim = WidenedColumns()[0].columns[0];
    EXPECT_EQ(WidenedColumns()[0].tableName(), QStringLiteral("SPOTD"));
    EXPECT_EQ((QList<int>{naim.type, naim.size, naim.attributes}), (QList<int>{jet::dbText, 255, 2}));

    // Every table starts with its auto-number key; the column names of a
    // table, added columns included, are unique without regard to case.
    for (auto group : {CoreTables(), AddedTables()}) {
        for (const TableDescriptor& t : group) {
            EXPECT_EQ(t.columns[0].attributes, jet::dbAutoNumberKey) << t.name;
            QSet<QString> seen;
            for (const ColumnSpec& c : t.columns)
                seen.insert(c.columnName().toUpper());
            for (const TableDescriptor& added : AddedColumns())
                if (added.tableName() == t.tableName())
                    for (const ColumnSpec& c : added.columns) {
                        EXPECT_FALSE(seen.contains(c.columnName().toUpper())) << c.name;
                        seen.insert(c.columnName().toUpper());
                    }
        }
    }
}

TEST(DatabaseStructureTest, DefaultMedicalSpecialtiesKeepOrderLevelsAndRepetitions)
{
    const auto list = DefaultMedicalSpecialties();
    ASSERT_EQ(list.size(), 140u);
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].level, i < 35 ? 2 : 1) << i;
    EXPECT_EQ(list[0].specialtyName(), QStringLiteral("Организация сестринского дела"));
    EXPECT_EQ(list[34].specialtyName(), QStringLiteral("Скорая и неотложная помощь"));
    EXPECT_EQ(list[35].specialtyName(), QStringLiteral("Авиационная и космическая медицина"));
    EXPECT_EQ(list[56].specialtyName(), QStringLiteral("Детская эндокринология"));
    EXPECT_EQ(list[57].specialtyName(), QStringLiteral("Детская эндокринология"));
    EXPECT_EQ(list[139].specialtyName(), QStringLiteral("Эпидемиология"));
    // Twelve names stand in both levels.
    QSet<QString> secondary, both;
    for (size_t i = 0; i < 35; ++i)
        secondary.insert(list[i].specialtyName());
    for (size_t i = 35; i < list.size(); ++i)
        if (secondary.contains(list[i].specialtyName()))
            both.insert(list[i].specialtyName());
    EXPECT_EQ(both.size(), 12);
}

TEST(DatabaseStructureTest, DefaultPrintHousesAsGiven)
{
    EXPECT_EQ(DefaultPrintHouseFields(),
              (QStringList{"NAIM", "oTmp5", "Tmp5", "oTmp7", "Tmp7", "oTmp8", "Tmp8", "oTmp9", "Tmp9"}));
    const QStringList rows = DefaultPrintHouseRows();
    ASSERT_EQ(rows.size(), 63);
    QStringList houses;
    for (int r = 0; r < 7; ++r)
        houses << rows[r * 9];
    EXPECT_EQ(houses, (QStringList{"Гознак Москва", "Гознак Пермь", "ЗАО \"Концерн Знак\" Москва",
                                   "ООО \"Знак\" Москва", "ООО \"СпецБланк-Москва\"", "ОАО \"КТ\"",
                                   "ОАО \"Кострома\""}));
    EXPECT_EQ(DefaultPrintHouseInUseName(), QStringLiteral("ОАО \"КТ\""));
    EXPECT_EQ(rows.mid(0, 9), (QStringList{"Гознак Москва", "Кальвета.ott", "Кальвета.dot", "", "", "", "", "", ""}));
    EXPECT_EQ(rows.mid(27, 9),
              (QStringList{"ООО \"Знак\" Москва", "Кальвета Знак.ott", "Кальвета Знак.dot", "Титул диплома ПК Знак.ott",
                           "Титул диплома ПК Знак.dot", "Приложение к диплому ПК Знак.ott",
                           "Приложение к диплому ПК Знак.dot", "Удостоверение Знак.ott", "Удостоверение Знак.dot"}));
    EXPECT_EQ(rows.mid(45, 9),
              (QStringList{"ОАО \"КТ\"", "Кальвета КТ.ott", "Кальвета КТ.dot", "Титул диплома ПК КТ.ott",
                           "Титул диплома ПК КТ.dot", "Приложение к диплому ПК КТ.ott",
                           "Приложение к диплому ПК КТ.dot", "Удостоверение КТ.ott", "Удостоверение КТ.dot"}));
    // Slot 5 names follow "Кальвета" + short form; only rows 4 and 6 fill slots 7 to 9.
    const QStringList shortForms{"", " Гознак-Пермь", " Концерн Знак", " Знак", " СпецБланк-Москва", " КТ", " Кострома"};
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(rows[r * 9 + 1], QStringLiteral("Кальвета") + shortForms[r] + QStringLiteral(".ott"));
        EXPECT_EQ(rows[r * 9 + 2], QStringLiteral("Кальвета") + shortForms[r] + QStringLiteral(".dot"));
        if (r != 3 && r != 5) {
            EXPECT_EQ(rows.mid(r * 9 + 3, 6), QStringList(6, QString()));
        }
    }
}

} // namespace
