#include "core/DataAccess.h"

#include "core/AppState.h"
#include "core/DirectoryMetadata.h"
#include "platform/ui/Messages.h"

namespace core {

void CloseRecordset(std::unique_ptr<jet::Recordset>& rs)
{
    if (!rs)
        return;
    try {
        rs->close();
    } catch (const jet::Error&) {
        // Released below all the same.
    }
    rs.reset();
}

void CloseDatabase()
{
    auto& mainDb = state().MainDatabase;
    if (!mainDb)
        return;
    try {
        mainDb->close();
    } catch (const jet::Error&) {
        // Released below all the same.
    }
    mainDb.reset();
}

QVariant LookupFieldValue(const QString& sql, const QString& fieldName, const QVariantList& params)
{
    const QVariant emptyText = QVariant(QStringLiteral(""));
    std::unique_ptr<jet::Recordset> rs;
    QVariant result = emptyText;
    try {
        rs = db().openRecordset(sql, jet::dbOpenSnapshot, params);
        if (!rs->isEOF()) {
            if (rs->hasField(fieldName))
                result = rs->value(fieldName);
        }
    } catch (const jet::Error&) {
        result = emptyText;
    }
    CloseRecordset(rs);
    return result;
}

long CountRecords(const QString& sql, const QVariantList& params)
{
    std::unique_ptr<jet::Recordset> rs;
    long count = 0;
    try {
        rs = db().openRecordset(sql, jet::dbOpenSnapshot, params);
        if (!rs->isEOF()) {
            rs->moveLast();
            count = rs->recordCount();
        }
    } catch (const jet::Error&) {
        count = 0;
    }
    CloseRecordset(rs);
    return count;
}

QString KeyFieldOfTable(const QString& tableName)
{
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (TableNames(kind).compare(tableName, Qt::CaseInsensitive) == 0)
            return KeyFields(kind);
    }
    return {};
}

bool ShiftSortOrder(long position, long parentId, const QString& tableName)
{
    // Grade lines are recognised by the exact name "exam"; every other name is
    // taken for plan lines (a table without IDG then simply finds nothing).
    const bool gradeLines = tableName == QLatin1String("exam");
    const QString parentField = gradeLines ? QStringLiteral("ID") : QStringLiteral("IDG");

    // The table name becomes part of the SQL text, so it must be one of ours.
    bool known = false;
    for (int kind = 0; kind < kKindCount && !known; ++kind)
        known = !tableName.isEmpty() && TableNames(kind).compare(tableName, Qt::CaseInsensitive) == 0;
    if (!known)
        return false;

    const QString where = QStringLiteral(" WHERE SORT > ? AND %1 = ?").arg(parentField);
    const QVariantList params{qlonglong(position), qlonglong(parentId)};

    jet::Database* database = nullptr;
    try {
        database = &db();
        const qlonglong lines =
            jet::toLong(database->scalar(QStringLiteral("SELECT count(*) FROM ") + tableName + where, params));
        if (lines == 0)
            return false;
    } catch (const jet::Error&) {
        return false;
    }

    try {
        jet::Transaction tx(*database);
        database->execute(QStringLiteral("UPDATE ") + tableName + QStringLiteral(" SET SORT = SORT + 1") + where,
                          params);
        tx.commit();
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Не удалось добавить строку. Ошибка: ") + e.numberAndDescription(),
                   ui::Exclamation);
        return false;
    }
    return true;
}

void FillMissingDocKind()
{
    try {
        db().execute(QStringLiteral("UPDATE EXAM SET VidDokum = 0 WHERE VidDokum IS NULL;"));
    } catch (const jet::Error&) {
        // Nothing changes when the grade lines cannot be reached.
    }
}

} // namespace core
