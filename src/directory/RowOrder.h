#pragma once
// The user-defined order of a person's grade lines (EXAM.SORT) and of a
// group's study plan (SPNAGR.SORT): moving one line past its neighbour.
#include "platform/jet/Jet.h"

#include <QList>
#include <QString>

namespace directory {

// Exchanges the order values of the line at `moving` and its neighbour at
// `neighbour` (positions in `listKeys`, the row keys of the list in the order
// it shows them). A Null order counts as the row's own key. When the shown
// lines' values are not strictly ascending (equal values, or Null lines shown
// before lower values) the list is renumbered first, keeping its order, so
// that the exchange always moves the line. Runs in one transaction; throws
// jet::Error when the database refuses, leaving every value as it was.
// `table` is "EXAM" (key IDE) or "SPNAGR" (key IDN).
void exchangeSortOrder(jet::Database& db, const QString& table, const QString& keyField, const QList<qlonglong>& listKeys,
                       int moving, int neighbour);

} // namespace directory
