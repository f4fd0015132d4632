#pragma once
// Filling a registry book's list: one row per person of the book's
// selection, in the book's order, keyed "R" + the person's key, the document
// columns from the person's document data, the grade columns from the grade
// pivot.
#include "books/BookColumns.h"
#include "books/BookQuery.h"
#include "books/GradePivot.h"

#include <QHash>
#include <QList>

#include <functional>
#include <vector>

namespace core {
class ReportList;
}

namespace books {

// The question asked when a book has more grade headings than it can show.
inline constexpr const char* kTooManyDisciplinesQuestion =
    "К сожалению, нет возможности отобразить в книге регистрации список дисциплин с оценками, поскольку "
    "количество дисциплин слишком большое. Сформировать книгу регистрации без дисциплин и оценок?";

// The persons of a book in its order, with their positions.
struct BookPersons {
    // False when the persons could not be read.
    bool ok = true;
    std::vector<qlonglong> keys;
    QHash<qlonglong, int> positionOf;

    int count() const { return int(keys.size()); }
};

struct BookFillResult {
    int rows = 0;
    // Per list column, the sum of the values of the number-sorted columns
    // (0 for the others).
    QList<double> sums;
    // The book was too wide for its grades: the question was asked.
    bool asked = false;
};

// The selected persons' keys in the book's order (personListQuery), with
// their positions: what the grade pivot is read against.
BookPersons readBookPersonKeys(const BookSql& personList);

// Removes every row of `list` and fills it with every person of the book's
// rows query (bookRowsQuery; about `expectedRows` of them), row by row as
// it is read, with the grades of `pivot` (the person's row there given by
// `pivotRowOf`). A pivot too wide to show asks whether to show the book
// without grades ("Нет" leaves it empty). A pivot or rows that could not be
// read leave the list empty. Cells without a value show one blank; a cell
// of the fifth column on, and a grade that reads as a number above 0, has a
// tooltip naming the row's person (the grade's also its column). `progress`
// is told how many rows have been made. The persons' texts are never held
// apart from the list's own.
BookFillResult FillRegistryBook(core::ReportList* list, const BookSql& rowsQuery, int expectedRows,
                                const QHash<qlonglong, int>& pivotRowOf, const GradePivot& pivot,
                                const BookColumnModel& model, const std::function<void(int)>& progress = {});

} // namespace books
