#pragma once
// The grade columns of a registry book: from the grade lines of the book's
// persons, one column per distinct heading "<discipline> (<hours>)"
// (headings that the Russian collation holds equal are one column, written
// as the first of them in the book's order) in that collation's order, and
// per person the grade of the first line of the person's list under each
// heading.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace books {

struct BookSql;

// The most grade columns a book shows; a wider book is offered without them.
inline constexpr int kMaxGradeColumns = 255;

struct GradePivot {
    // False when the grade lines could not be read.
    bool ok = true;
    QStringList headings;
    // The distinct grade texts; a cell holds the position of its text plus
    // one, 0 where the person has no line under the heading.
    QStringList gradeTexts;
    // Per person (by position in the book) and heading, row after row.
    std::vector<quint32> cells;

    bool isEmpty() const { return headings.isEmpty(); }
    bool tooWide() const { return headings.size() > kMaxGradeColumns; }
    // The grade of the person at `position` under heading `column`: a null
    // text where there is none (an empty one for a line without a mark).
    QString grade(int position, int column) const
    {
        const quint32 c = cells.empty() ? 0 : cells[size_t(position) * size_t(headings.size()) + size_t(column)];
        return c == 0 ? QString() : gradeTexts.at(int(c - 1));
    }
    // Cell value: position of the grade text plus one, 0 for none.
    quint32 cell(int position, int column) const
    {
        return cells.empty() ? 0 : cells[size_t(position) * size_t(headings.size()) + size_t(column)];
    }
};

// Reads the grade-line query (fields ID, IDD, HOURS, GRADE; each person's
// lines together, in the order of the person's list; see gradeLinesQuery)
// for the `personCount`
// persons whose position in the book `positionOf` gives; lines of other
// persons are left out. `progress` is told how many persons' lines have been
// read. An empty query text gives an empty pivot.
GradePivot readGradePivot(const BookSql& gradeLines, const QHash<qlonglong, int>& positionOf, int personCount,
                          const std::function<void(int)>& progress = {});

// A heading's name as a column of the grade block ("." becomes "_") and the
// caption shown over that column (every "_" of the name shown as ".").
QString gradeFieldName(const QString& heading);
QString gradeCaption(const QString& fieldName);

} // namespace books
