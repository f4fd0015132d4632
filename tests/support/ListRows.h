#pragma once
// What a list shows, row by row in its order, as the tests compare it.
#include "core/ListView.h"

#include <QStringList>

namespace testsupport {

// The texts of one column of every row.
inline QStringList column(const core::ReportList* list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

// The key of every row.
inline QStringList keys(const core::ReportList* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << core::listItemKey(list->topLevelItem(i));
    return out;
}

} // namespace testsupport
