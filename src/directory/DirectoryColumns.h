#pragma once
// What a directory window's lists show, per directory kind: the columns
// (caption, width divisor, minimum width, alignment, source field, sort kind),
// the spreadsheet widths for printing the list, the list query and the tables
// whose rows refer to a row of the kind.
#include <QList>
#include <QString>
#include <QStringList>

namespace directory {

// Element k of a per-column array describes list column k + 1 (1-based);
// element 0 is the hidden column that holds each row's sort key.
struct ListDefinition {
    // The main list.
    QStringList Captions;
    QList<double> WidthDivisors;
    QList<double> MinWidths;  // twips
    QList<int> Alignments;    // 0 left, 1 right, 2 centre
    QStringList FieldNames;   // "" leaves the column unfilled
    QList<int> SortKinds;     // shorter than Captions: later columns do not sort

    // The second list (grade lines of the grades view only).
    QStringList Captions2;
    QList<double> WidthDivisors2;
    QList<double> MinWidths2;
    QList<int> Alignments2;
    QStringList FieldNames2;
    QList<int> SortKinds2;

    // Sheet column widths: element 0 the running-number column, element k the
    // column printing list column k (the second list in the grades view).
    QList<double> PrintWidths;

    // Referencing tables and fields checked before a row is deleted; "" means
    // nothing to check.
    QStringList RefTables;
    QStringList RefFields;

    // The main list's query: SQLite text whose one "?" is the key of the group
    // chosen in the window's filter (kinds 0, 3 and 5), or a bare table name.
    QString ListSql;

    bool isEmpty() const { return Captions.isEmpty(); }
};

// The definition of a directory kind (kinds 13, 14, 15 and any other kind
// without a directory window give an empty one). Printing houses (11) show
// the Writer template fields when `officeIsOOo`, the Word ones otherwise.
ListDefinition DefineColumns(int kind, bool officeIsOOo);

// The main list's sort column when the window opens: 1 (query order) for
// kinds 0, 5 and 16, 2 (the first visible column) for the others.
int initialSortColumn(int kind);

// True when `listSql` names a table instead of being a query.
bool isBareTableName(const QString& listSql);

} // namespace directory
