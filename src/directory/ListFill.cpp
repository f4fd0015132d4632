#include "directory/ListFill.h"

#include "core/ListView.h"

#include <vector>

namespace directory {

QString cellText(const QVariant& value)
{
    QString text = jet::toText(value);
    if (text.contains(QLatin1Char('\r')))
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return text;
}

int addRowsFromRecordset(core::ReportList* list, jet::Recordset& rs, const QString& keyField,
                         const QStringList& fieldNames, bool blankEmpty)
{
    const int keyIndex = rs.fieldIndex(keyField);
    std::vector<int> columns;
    columns.reserve(static_cast<size_t>(fieldNames.size()));
    for (const QString& name : fieldNames)
        columns.push_back(name.isEmpty() ? -2 : rs.fieldIndex(name));  // -2: not filled, -1: not in the query

    const QString blank(QLatin1Char(' '));
    core::ListAppender rows(list);
    int count = 0;
    for (; !rs.isEOF(); rs.moveNext(), ++count) {
        const QString key = keyIndex >= 0 ? cellText(rs.value(keyIndex)).trimmed() : QString();
        rows.addRow(QStringLiteral("R") + key);
        for (int k = 0; k < static_cast<int>(columns.size()); ++k) {
            QString text;
            if (columns[k] >= 0)
                text = cellText(rs.value(columns[k]));
            if (blankEmpty && k > 0 && text.isEmpty())
                text = blank;
            if (!text.isEmpty())
                rows.setText(k, text);
        }
    }
    rows.commit();
    return count;
}

} // namespace directory
