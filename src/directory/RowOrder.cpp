#include "directory/RowOrder.h"

#include <vector>

namespace directory {
namespace {

// The order value of a row, a Null one read as the row's own key; false when
// the row no longer exists.
bool readOrder(jet::Database& db, const QString& table, const QString& keyField, qlonglong key, qlonglong* order,
               bool* isNull)
{
    auto rs = db.openRecordset(QStringLiteral("SELECT SORT FROM %1 WHERE %2 = ?").arg(table, keyField),
                               jet::dbOpenSnapshot, {key});
    if (rs->isEOF())
        return false;
    const QVariant v = rs->value(0);
    *isNull = jet::isNull(v) || jet::toText(v).isEmpty();
    *order = *isNull ? key : jet::toLong(v);
    return true;
}

void writeOrder(jet::Database& db, const QString& table, const QString& keyField, qlonglong key, qlonglong order)
{
    db.execute(QStringLiteral("UPDATE %1 SET SORT = ? WHERE %2 = ?").arg(table, keyField), {order, key});
}

} // namespace

void exchangeSortOrder(jet::Database& db, const QString& table, const QString& keyField, const QList<qlonglong>& listKeys,
                       int moving, int neighbour)
{
    if (moving < 0 || neighbour < 0 || moving >= listKeys.size() || neighbour >= listKeys.size() || moving == neighbour)
        return;
    jet::Transaction transaction(db);

    std::vector<qlonglong> orders(static_cast<size_t>(listKeys.size()), 0);
    std::vector<bool> present(static_cast<size_t>(listKeys.size()), false);
    std::vector<bool> stored(static_cast<size_t>(listKeys.size()), false);
    for (qsizetype i = 0; i < listKeys.size(); ++i) {
        bool isNull = false;
        present[size_t(i)] = readOrder(db, table, keyField, listKeys.at(i), &orders[size_t(i)], &isNull);
        stored[size_t(i)] = !isNull;
    }
    if (!present[size_t(moving)] || !present[size_t(neighbour)])
        return;

    bool ascending = true;
    qlonglong previous = 0;
    bool first = true;
    for (size_t i = 0; i < orders.size(); ++i) {
        if (!present[i])
            continue;
        if (!first && orders[i] <= previous)
            ascending = false;
        previous = orders[i];
        first = false;
    }

    if (!ascending) {
        // Renumber in the shown order, changing as few values as possible.
        first = true;
        for (size_t i = 0; i < orders.size(); ++i) {
            if (!present[i])
                continue;
            bool changed = !stored[i];
            if (!first && orders[i] <= previous) {
                orders[i] = previous + 1;
                changed = true;
            }
            previous = orders[i];
            first = false;
            if (changed)
                writeOrder(db, table, keyField, listKeys.at(qsizetype(i)), orders[i]);
        }
    }

    const qlonglong movingOrder = orders[size_t(moving)];
    writeOrder(db, table, keyField, listKeys.at(moving), orders[size_t(neighbour)]);
    writeOrder(db, table, keyField, listKeys.at(neighbour), movingOrder);
    transaction.commit();
}

} // namespace directory
