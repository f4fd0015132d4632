#pragma once
// The grade columns of a registry book: from the ordered grade lines of the
// book's persons, one column per distinct heading "<discipline> (<hours>)"
// (headings that the Russian collation holds equal are one column) in that
// collation's order, and per person the grade of the first line under each
// heading.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace books {

struct BookSql;

// The most grade columns a book shows; a wider book is offered without them.
inline constexpr int kMaxGradeColumns = 255;

struct GradePivot {
    // False when the grade lines could not be read.
    bool ok = true;
    QStringList headings;
    // The persons with grade lines, in the order of the lines.
    std::vector<qlonglong> persons;
    // Per person (parallel to `persons`), the grade text under each heading;
    // a null QString where the person has no line under it.
    std::vector<std::vector<QString>> grades;

    bool isEmpty() const { return persons.empty(); }
    bool tooWide() const { return headings.size() > kMaxGradeColumns; }
};

// Reads the grade-line query (fields ID, HEADING, GRADE) and builds the
// columns. An empty query text gives an empty pivot.
GradePivot readGradePivot(const BookSql& gradeLines);

// A heading's name as a column of the grade block ("." becomes "_") and the
// caption shown over that column (every "_" of the name shown as ".").
QString gradeFieldName(const QString& heading);
QString gradeCaption(const QString& fieldName);

} // namespace books
