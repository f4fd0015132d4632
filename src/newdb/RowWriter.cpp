#include "newdb/RowWriter.h"

#include "core/DataAccess.h"

#include <QDate>
#include <QString>

namespace newdb {

QVariant Value::toVariant() const
{
    switch (kind) {
    case Kind::Text:
        return QString::fromUtf8(text ? text : "");
    case Kind::Number:
        return QVariant::fromValue<qlonglong>(number);
    case Kind::Date:
        return QDate(year, month, day);
    }
    return {};
}

long TableRows::rowCount() const
{
    if (fields.empty())
        return 0;
    if (values.size() % fields.size() != 0)
        throw jet::Error(jet::errGeneric,
                         QStringLiteral("Число значений для таблицы %1 не кратно числу полей.")
                             .arg(QString::fromUtf8(table)));
    return static_cast<long>(values.size() / fields.size());
}

void writeRows(jet::Database& db, const TableRows& rows, std::unique_ptr<jet::Recordset>& rs)
{
    if (rows.fields.empty())
        return;
    const long rowCount = rows.rowCount();
    const QString table = QString::fromUtf8(rows.table);

    std::vector<QString> names;
    names.reserve(rows.fields.size());
    for (const char* field : rows.fields)
        names.push_back(QString::fromUtf8(field));

    rs = db.openRecordset(table, jet::dbOpenTable);
    const bool editFirstRow = table == QLatin1String("INF") && !rs->isEOF();
    const size_t fieldCount = rows.fields.size();
    for (long r = 0; r < rowCount; ++r) {
        if (editFirstRow)
            rs->edit();
        else
            rs->addNew();
        for (size_t c = 0; c < fieldCount; ++c) {
            const Value& v = rows.values[static_cast<size_t>(r) * fieldCount + c];
            if (v.leavesColumnAlone())
                continue;
            // The engine stores a number in a Boolean column as True unless it is 0.
            rs->setValue(names[c], v.toVariant());
        }
        rs->update();
    }
}

void writeAll(jet::Database& db, std::span<const TableRows> tables,
              const std::function<void(const TableRows&)>& afterTable)
{
    std::unique_ptr<jet::Recordset> rs;
    jet::Transaction transaction(db);
    try {
        for (const TableRows& rows : tables) {
            writeRows(db, rows, rs);
            if (afterTable)
                afterTable(rows);
        }
    } catch (const jet::Error&) {
        // Drop a row still being added before the transaction rolls back.
        core::CloseRecordset(rs);
        throw;
    }
    core::CloseRecordset(rs);
    transaction.commit();
}

} // namespace newdb
