#pragma once
// The structure of the database file as data: every table with its columns
// (type code, size, attributes) and indexes, in the four groups the opening
// of a file walks in this order: core tables, added tables, added columns,
// widened columns. The SQL that makes the core tables of a new file is built
// from these descriptors.
#include <QString>
#include <QStringList>

#include <array>
#include <span>

namespace core {

// One column. `attributes` 0 means the engine's default for the type (the
// added-column lists carry no attributes and are never tested).
struct ColumnSpec {
    const char* name;
    int type;  // jet::DataType
    int size;
    int attributes;

    QString columnName() const { return QString::fromUtf8(name); }
};

// One index: its name and its fields in the engine's notation
// ("+IDG", several parts joined by ";").
struct IndexSpec {
    const char* name;
    const char* fields;

    QString indexName() const { return QString::fromUtf8(name); }
    QString fieldText() const { return QString::fromUtf8(fields); }
};

struct TableDescriptor {
    const char* name;  // upper case
    std::span<const ColumnSpec> columns;
    std::span<const IndexSpec> indexes;

    QString tableName() const { return QString::fromUtf8(name); }
};

// SQL type words indexed by the DAO type code; empty where no table uses the
// code. Entry 0 is reached only through the auto-number attributes.
extern const std::array<const char*, 13> DdlTypeWords;

// The four groups, in processing order.
std::span<const TableDescriptor> CoreTables();     // INF, SPGRUP, SPSTUD, SPTPGR, USERS
std::span<const TableDescriptor> AddedTables();    // SPMED ... SPUCH
std::span<const TableDescriptor> AddedColumns();   // INF, SPSTUD, SPGRUP, INF, SPTPGR
std::span<const TableDescriptor> WidenedColumns(); // SPOTD.NAIM

// Search indexes: the program's own indexes on the columns that the lists,
// the grade lines and the reference checks look rows up by (a person's grade
// lines of one document kind, a group's persons and plan, the lines of a
// discipline or of a document kind). Each entry names its table and carries
// no columns. No check of a file requires them; creating a file makes them
// and opening one adds those it lacks.
std::span<const TableDescriptor> SearchIndexes();

// The descriptor of a table among the core and added tables (no
// regard to case); nullptr when none.
const TableDescriptor* FindTableDescriptor(const QString& tableName);

// "COUNTER" for the auto-number key, else the type word, with "(size)" after
// a Text type.
QString SqlTypeOf(const ColumnSpec& column);

// "CREATE TABLE T ([A] COUNTER, [B] STRING(100));" — empty when the
// descriptor has no columns.
QString CreateTableSql(const TableDescriptor& table);

// One "CREATE INDEX ... WITH PRIMARY;" per index with a non-empty field text.
QStringList CreateIndexSql(const TableDescriptor& table);

// The statements that make the core tables of a new file, each table
// followed by its indexes.
QStringList CoreTableStatements();

// "CREATE INDEX <name> ON <table> (<fields>);" for each search index of a
// SearchIndexes() entry.
QStringList CreateSearchIndexSql(const TableDescriptor& table);

} // namespace core
