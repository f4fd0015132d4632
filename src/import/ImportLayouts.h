#pragma once
// Which workbook columns an import reads and where they go: one layout per
// directory kind that can be imported (students, groups, printing houses,
// users, medical specialties) and the person columns of a grade sheet, to
// which the grade-sheet reading appends one column per discipline.
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace importer {

// How a column is tested by the check and import passes.
enum CheckFlag : int { CheckNone = 0, Required = 1, RequiredUnique = 2 };

struct ImportColumn {
    QString caption;      // list header, and the header text looked for in the workbook
    int alignment = 0;    // core::ColumnAlignment
    double divisor = 0;   // the list column is the list's width divided by it; 0 hides it
    QString target;       // field of the kind's table, "" for none
    QString lookupField;  // field of the look-up table that the cell text names
    QString lookupTable;  // table whose key goes into the target
    int check = CheckNone;
    int sortKind = 0;     // core::SortKind
    int listCode = 0;     // a fixed list (core::fixedListNumber) naming the number stored; 0 none
    QString hours;        // grade sheet: the hours text of a discipline column
};

using ImportLayout = QList<ImportColumn>;

// Told by the check and import passes of each row they take: (row, rows).
using RowProgress = std::function<void(long long done, long long total)>;

// Whether the kind (a directory kind, or 100 for a grade sheet) has a layout.
bool hasImportLayout(int kind);
// The layout of the kind; empty when it has none.
ImportLayout importLayout(int kind);

// A discipline column of a grade sheet.
ImportColumn disciplineColumn(const QString& name, const QString& hours);

QStringList captionsOf(const ImportLayout& layout);

} // namespace importer
