#pragma once
// Filling a registry book's list: one row per person keyed "R" + the
// person's key, the document columns from the person's document data, the
// grade columns from the grade pivot.
#include "books/BookColumns.h"
#include "books/BookQuery.h"
#include "books/GradePivot.h"

#include <QList>

namespace core {
class ReportList;
}

namespace books {

// The question asked when a book has more grade headings than it can show.
inline constexpr const char* kTooManyDisciplinesQuestion =
    "К сожалению, нет возможности отобразить в книге регистрации список дисциплин с оценками, поскольку "
    "количество дисциплин слишком большое. Сформировать книгу регистрации без дисциплин и оценок?";

struct BookFillResult {
    int rows = 0;
    // Per list column, the sum of the values of the number-sorted columns
    // (0 for the others).
    QList<double> sums;
};

// Removes every row of `list` and fills it for book `med`: the persons of the
// pivot with their grades; when the pivot has none, every person of the
// selection without grades. A pivot too wide to show asks whether to show
// the book without grades ("Нет" leaves it empty). A pivot that could not be
// read leaves the list empty. Cells without a value show one blank; a cell of
// the fifth column on, and a grade that reads as a number above 0, has a
// tooltip naming the row's person (the grade's also its column).
BookFillResult FillRegistryBook(core::ReportList* list, int med, const BookSelection& selection, const GradePivot& pivot,
                                const BookColumnModel& model);

} // namespace books
