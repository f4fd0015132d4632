#pragma once
// The selection of a registry book and its queries, in SQLite with every
// value bound: which persons a book lists for a group (or all groups) and a
// filter, those persons in the book's order with their document data, and
// their grade lines, from which the grade columns are built.
#include "books/BookFilter.h"

#include <QString>
#include <QVariantList>

namespace jet {
class Database;
}

namespace books {

// A WHERE clause (without the word) with its values, in order.
struct SqlCondition {
    QString text;
    QVariantList params;
};

// The persons of a book. `grades` is the full selection of the grade-line
// query (it may name SPPRED); `persons` leaves out what only grade lines have,
// and is what the person list, the document data and the filter probes use.
struct BookSelection {
    SqlCondition grades;
    SqlCondition persons;
};

// Builds the selection of book `med` for group `groupId` (0: all groups) with
// the bounds of `filter`. A number range compares the digits of the book's
// registration number as a whole number; a date range the group's issue date
// (the certificate date in book 1).
BookSelection bookSelection(int med, qlonglong groupId, const BookFilterSet& filter);

// A query with its values.
struct BookSql {
    QString sql;
    QVariantList params;
    bool isEmpty() const { return sql.isEmpty(); }
};

// True for the books that show a grade block (the retraining book).
bool hasGradeColumns(int med);
// The grade lines of the selected persons for the book's document kind: ID,
// IDD (the discipline) and HOURS (as text), which make the line's heading
// "<discipline> (<hours>)", and GRADE (the key of the grade kind); ordered
// by person key, and each person's lines in the order of the person's list
// (SORT, then IDE). Empty for the books without grade columns.
BookSql gradeLinesQuery(int med, const BookSelection& selection);
// The name of every discipline as the headings write it: IDD and NAIM.
BookSql disciplineNamesQuery();
// The marks of the grade kinds: IDB and OCEN.
BookSql gradeMarksQuery();
// The selected persons (field ID) in the book's order.
BookSql personListQuery(const BookSelection& selection);
// The rows of a book: every selected person in the book's order (surname,
// first name, patronymic, key), with the key in field ID, the document data
// of the book in the fields its columns show, and in field HASDOC whether
// the person has document data at all (1) or shows blank document columns (0).
inline constexpr const char* kHasDocumentField = "HASDOC";
BookSql bookRowsQuery(int med, const BookSelection& selection);
// True when the selection lists at least one person (a query that fails
// finds none).
bool selectionHasPersons(const BookSelection& selection);

} // namespace books
