#pragma once
// Printing a registry book into a spreadsheet, through the Excel-like
// workbook model or through Calc: the book's caption as title in row 1, the
// header in row 4 with the grade block's captions in narrow columns (set
// upright through Excel), one line per printed person from row 5 with a
// running number, the unticked columns removed, borders drawn, and the file
// saved under the first free name in the documents folder.
//
// The print itself is the one of SheetPrint.h; what is a book's own is here.
#include "printing/PrintJob.h"
#include "printing/SheetPrint.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace core {
class ReportList;
}

namespace printing {

// One book to print.
struct BookPrintJob {
    int med = 0;      // the book kind (core::DocKind)
    QString caption;  // the window's caption: title, sheet name and file name
    // List column of the first grade column (the position of the grade
    // block in the book's definition); 0 when the book has no grade block.
    int nper = 0;
    int gradeCount = 0;  // G, 0 allowed
    // Per list column (element 0 the hidden key column): captions and
    // alignments with the grade columns in place; the window's list the rows
    // are read from and their selection.
    ListPrintJob list;

    int lastColumn() const { return list.lastColumn(); }  // n
    bool isGradeColumn(int c) const { return nper > 0 && c >= nper && c < nper + gradeCount; }
};

// The job of a book window: its kind, caption and list, the captions and
// alignments of the list's columns, and where its grade columns are. The
// list's texts are not copied: they are read while the lines are written.
BookPrintJob bookPrintJob(int med, const QString& caption, const core::ReportList* list, const QStringList& captions,
                          const QList<int>& alignments, int nper, int gradeCount);

// The settings value of a book's column mask: "PFM" + the book kind, so
// that each book keeps its own ticks.
QString bookMaskKey(int med);

// The chooser's source captions: the list's captions with the grade columns
// gathered into one element (a QStringList) at nper.
QVariantList bookChooserCaptions(const BookPrintJob& job);

// The column chooser for the book: one entry per list column, the grade
// block's entries included. A stored mask that does not have one character
// per entry (it was ticked for another number of grade columns) is offered
// as everything ticked. True when confirmed; then PrintColumnMask holds the
// mask.
bool chooseBookColumns(const BookPrintJob& job);

// The print of a book window's command: the chooser, then the workbook or
// document through `path`. A cancelled chooser writes "Печатная форма не
// создана." into the status bar and prints nothing.
void printRegistryBook(const BookPrintJob& job, OfficePath path);

// The rows printed (indices into the list, in list order): through Excel,
// every row of the books 0, 1 and 3; otherwise the row selection rule.
QList<int> bookRowsToPrint(const BookPrintJob& job, OfficePath path);

// The sheet of a book printed through `path` with the columns `flags` keeps
// (flag 0 the running number, flag c list column c), after the chooser.
SheetPrint bookSheet(const BookPrintJob& job, const QList<bool>& flags, OfficePath path);

} // namespace printing
