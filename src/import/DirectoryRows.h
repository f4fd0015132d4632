#pragma once
// The check and import passes over the rows of a directory import: each
// row is tested as if it were saved (required and unique columns, look-ups,
// values the target field can take); the check pass writes nothing, the
// import pass appends the rows that pass to the kind's table in one
// transaction.
#include "import/ImportLayouts.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace importer {

// Type code and size of a layout column's target field (0 and 0 when the
// target is not a field of the table).
struct TargetField {
    int type = 0;
    int size = 0;
};

// The target fields of a layout in the kind's table, read once.
QList<TargetField> targetFields(const QString& table, const ImportLayout& layout);

// The length a loaded text is cut to per layout column: the size of a Text
// target, else 0.
QList<int> cutSizes(const ImportLayout& layout, const QList<TargetField>& targets);

struct DirectoryImport {
    int kind = 0;
    ImportLayout layout;
    QList<TargetField> targets;
};

struct CheckOutcome {
    long count = 0;
    QList<int> removed;     // indexes into the checked rows, ascending
    QStringList problems;   // rows left out, each with the reason
};

// `rows` are the list's rows (one text per layout column), `rowNumbers`
// the sheet row of each, used to name them; `progress` is told each row.
CheckOutcome checkDirectoryRows(const DirectoryImport& import, const QList<QStringList>& rows,
                                const QList<int>& rowNumbers, const RowProgress& progress = {});

struct ImportOutcome {
    bool ok = true;
    long count = 0;
    QStringList problems;  // rows left out, each with the reason
    QString error;         // when !ok: what went wrong; nothing was written
};

ImportOutcome importDirectoryRows(const DirectoryImport& import, const QList<QStringList>& rows,
                                  const QList<int>& rowNumbers, const RowProgress& progress = {});

} // namespace importer
