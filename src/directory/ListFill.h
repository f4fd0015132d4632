#pragma once
// Turning the rows of a list query into list items.
#include "platform/jet/Jet.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTreeWidgetItem;

namespace directory {

// The text a cell shows: dates and numbers as the regional settings write
// them, Null as an empty text, every CR LF pair as one blank.
QString cellText(const QVariant& value);

// One item per row from the recordset's current row to its end, keyed "R"
// followed by the trimmed text of `keyField`; sub-item k holds the field
// fieldNames[k] ("" leaves it unfilled, a field the query lacks gives an empty
// text). With `blankEmpty`, an empty sub-item k > 0 becomes a single blank.
QList<QTreeWidgetItem*> itemsFromRecordset(jet::Recordset& rs, const QString& keyField, const QStringList& fieldNames,
                                           bool blankEmpty);

} // namespace directory
