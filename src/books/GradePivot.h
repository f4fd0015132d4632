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
    // Per heading, the cells of every person (by position in the book), each
    // `cellWidth` bytes wide: as narrow as the number of grade texts allows.
    std::vector<std::vector<quint8>> columns;
    int cellWidth = 1;

    bool isEmpty() const { return headings.isEmpty(); }
    bool tooWide() const { return headings.size() > kMaxGradeColumns; }
    // The grade of the person at `position` under heading `column`: a null
    // text where there is none (an empty one for a line without a mark).
    QString grade(int position, int column) const
    {
        const quint32 c = cell(position, column);
        return c == 0 ? QString() : gradeTexts.at(int(c - 1));
    }
    // Cell value: position of the grade text plus one, 0 for none.
    quint32 cell(int position, int column) const
    {
        if (size_t(column) >= columns.size())
            return 0;
        return cellAt(columns[size_t(column)], cellWidth, size_t(position));
    }

    static quint32 cellAt(const std::vector<quint8>& cells, int width, size_t position)
    {
        const quint8* d = cells.data() + position * size_t(width);
        quint32 value = 0;
        for (int b = width - 1; b >= 0; --b)
            value = (value << 8) | d[b];
        return value;
    }
    static void setCellAt(std::vector<quint8>& cells, int width, size_t position, quint32 value)
    {
        quint8* d = cells.data() + position * size_t(width);
        for (int b = 0; b < width; ++b, value >>= 8)
            d[b] = quint8(value & 0xFF);
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
