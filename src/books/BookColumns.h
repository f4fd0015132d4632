#pragma once
// The columns of a registry book: the certificate model (books 1, 3, 4),
// the documents model (book 0) and the retraining model (book 2) with its
// block of grade columns, one per heading of the book's grade lines.
#include <QList>
#include <QString>
#include <QStringList>

namespace books {

// One list column. Column 0 is the hidden column that holds each row's sort key.
struct BookColumn {
    QString caption;
    QString field;  // field of the document data shown; "" leaves the column blank
    double divisor = 0;   // the column is the list's width divided by this; 0 hides it
    double minWidth = 0;  // twips
    int alignment = 0;    // 0 left, 1 right, 2 centre
    int sortKind = 0;     // core::SortKind
    int element = 0;      // position in the book's column definition
    int grade = -1;       // entry of the grade block, -1 for an ordinary column
};

struct BookColumnModel {
    // Position of the grade block in the definition: 7 in the retraining
    // book, 0 (none) in the others.
    int nper = 0;
    // Number of grade columns (may be 0 even where the book has a block).
    int gradeCount = 0;
    // One entry per list column, in list order: elements before the block,
    // the grade columns, the elements after it.
    QList<BookColumn> columns;

    int columnCount() const { return int(columns.size()); }
    QStringList captions() const;
    QList<int> alignments() const;
    QList<double> divisors() const;
    QList<double> minWidths() const;
    // The sort kind of the list column with 1-based header index `header`.
    int sortKindOfHeader(int header) const;
    // The definition's own form: per element the caption, with the grade
    // block's element empty; the block's captions apart.
    QStringList elementCaptions() const;
    QList<int> elementAlignments() const;
    QStringList gradeCaptions() const;
};

// The columns of book `med`; `headings` are the grade headings (used by the
// retraining book only).
BookColumnModel bookColumnModel(int med, const QStringList& headings);

} // namespace books
