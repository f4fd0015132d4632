#pragma once
// Turning the rows of a list query into list rows.
#include "platform/jet/Jet.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace core {
class ReportList;
}

namespace directory {

// The text a cell shows: dates and numbers as the regional settings write
// them, Null as an empty text, every CR LF pair as one blank.
QString cellText(const QVariant& value);

// Appends to `list`, in one step, one row per record from the recordset's
// current record to its end, keyed "R" followed by the trimmed text of
// `keyField`; sub-item k holds the field fieldNames[k] ("" leaves it
// unfilled, a field the query lacks gives an empty text). With `blankEmpty`,
// an empty sub-item k > 0 becomes a single blank. Gives the rows added.
int addRowsFromRecordset(core::ReportList* list, jet::Recordset& rs, const QString& keyField,
                         const QStringList& fieldNames, bool blankEmpty);

} // namespace directory
