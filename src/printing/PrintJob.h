#pragma once
// A list handed over for printing into a spreadsheet, as the window that
// shows it sees it, and the rules every list and book print shares: which
// rows are printed, which columns the chooser's mask keeps, how a text
// reaches an Excel cell, and where templates and printed files live.
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;

namespace core {
class ReportList;
}

namespace printing {

// One list to print. Per-column arrays are indexed like the list's
// columns: element 0 is the hidden key column (its caption is empty),
// element c (1..n) list column c.
struct ListPrintJob {
    int kind = 0;            // directory kind: settings key "Spr" + kind
    QString pluralName;      // title, sheet name, template and file names
    QStringList captions;    // n + 1 elements
    QList<int> alignments;   // 0 left, 1 right, 2 centre
    // Sheet column widths in characters of the default font: element 0 the
    // running-number column "№ п.п", element c list column c. Missing
    // elements leave the width as it is.
    QList<double> printWidths;
    // The window's list the rows are read from while they are printed (its
    // texts are not copied beforehand); without one, `rows`.
    const core::ReportList* source = nullptr;
    // The items in list order when there is no source: element c of a row
    // is the text of list column c (element 0 is not printed).
    QList<QStringList> rows;
    QList<bool> selected;    // per row, in list order
    // The list has a group filter (row 2 of the sheet is the group line).
    bool hasGroupFilter = false;
    // The text of the group chosen in the filter; null when none is chosen.
    QString groupText;
    // The grades view: row 2 names the person whose grade lines are listed
    // (null when no person is selected, then row 2 keeps the group line).
    bool gradesView = false;
    QString studentName;

    int lastColumn() const { return int(captions.size()) - 1; }  // n
    // The text of list column `column` in row `row` (list order).
    QString text(int row, int column) const;
    // Row `row`'s texts of list columns 0..n.
    QStringList rowTexts(int row) const;
};

// The job of a directory window's list: `list` with its captions,
// alignments and print widths; `groupFilter` the window's group combo (null
// for kinds without one); `personList` the list of persons in the grades
// view, whose selected item is the person whose grade lines `list` holds
// (null otherwise).
ListPrintJob listPrintJob(int kind, const core::ReportList* list, const QStringList& captions,
                          const QList<int>& alignments, const QList<double>& printWidths,
                          const QComboBox* groupFilter, const core::ReportList* personList);

// Makes `list` the job's source and fills job.selected from its items in
// list order (nothing without a list).
void readListRows(const core::ReportList* list, ListPrintJob& job);

// The rows printed (indices into the rows, in list order): every row when
// exactly one is selected, only the selected rows when several are, none
// when none is.
QList<int> rowsToPrint(const QList<bool>& selected);

// The chooser's mask made fit for n list columns: its first n + 1
// characters without blanks round them, followed by n + 1 characters "1".
QString paddedMask(const QString& mask, int n);
// Flags 0..n from a padded mask: flag c is false when character c + 1 is
// "0" or not a digit (flag 0 is the running-number column).
QList<bool> columnFlags(const QString& paddedMask, int n);

// The value an Excel cell receives for a list text: line breaks (CR LF)
// become one blank; an apostrophe goes in front when the text is not empty
// and does not read as a number, is 7 characters or longer, or begins with
// "0" after its leading blanks, so that names, dates, long numbers and
// numbers with leading zeros stay text exactly as listed.
QString excelCellText(const QString& text);
// A list text as one line: every CR LF pair becomes one blank.
QString oneLine(const QString& text);

// A text made fit to be a file name: "/" and every character a file name
// cannot hold on any system (\ : * ? " < > | and control characters)
// become a blank, or go where a blank stands next to them already or they
// end the text.
QString safeFileName(const QString& text);

// The first name `base` + ext, `base` + " (1)" + ext, `base` + " (2)" + ext,
// ... that no file in `folder` has yet and no document open in the office
// holds (the name only, without the folder).
QString firstFreeName(const QString& folder, const QString& base, const QString& extension);

// The program's templates of lists, books and documents: "Шаблоны ЭЖ" of the
// program's folder (the record card's own templates setting plays no part).
QString templatesFolder();
// Where printed lists and books are saved: "Документы" of the program's
// folder, or the program's folder itself when that is no folder.
QString documentsFolder();

// Status texts and messages of directory-list printing.
inline constexpr const char* kStatusNotCreated = "Печатная форма не создана.";

} // namespace printing
