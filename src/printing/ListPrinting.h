#pragma once
// Printing a list into a spreadsheet made from a template, through the
// Excel-like workbook model or through the Calc calls: the title in row 1,
// the group or person line in row 2, the header in row 4 and one line per
// printed row from row 5, the unticked columns removed, borders drawn, the
// file saved under the first free name in the documents folder and shown
// to the user in the office (under a headless office it is only saved).
//
// The steps below the directory-list routines are shared with the book
// prints; each skips a step the office refuses and goes on.
#include "platform/office/Calc.h"
#include "platform/office/Excel.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "printing/PrintJob.h"

#include <QList>
#include <QString>

#include <chrono>
#include <future>
#include <optional>

namespace printing {

// The office path the institution prints through.
enum class OfficePath { Excel, Calc };

// The status texts and messages of one kind of print (list or book).
struct PrintTexts {
    const char* creating;             // "Идет создание печатной формы ..."
    const char* filling;              // "Идет заполнение ..."
    const char* saving;               // "Идет сохранение ..."
    const char* doneExcel;            // status after a save through Excel
    const char* doneCalc;             // status after a store through Calc
    const char* savedMessage;         // followed by the file name in quotes and "."
    const char* notSavedExcel;        // message after a failed save through Excel
    const char* notSavedExcelStatus;
    const char* notSavedCalc;         // followed by the name, ". Ошибка: ", number and description
    const char* notSavedCalcStatus;
};
extern const PrintTexts kListTexts;

// The print of a directory list: the column chooser (settings value
// "Spr" + kind), then the workbook through `path`. A cancelled chooser
// writes "Печатная форма не создана." into the status bar and prints
// nothing.
void printDirectoryList(const ListPrintJob& job, OfficePath path);

// The workbook of a directory list with the columns `flags` keeps (flag 0
// the running number, flag c list column c), after the chooser. Returns the
// full path of the saved file, or an empty text when nothing was saved.
QString printListExcel(const ListPrintJob& job, const QList<bool>& flags);
QString printListCalc(const ListPrintJob& job, const QList<bool>& flags);

// The templates of a directory list, in the order they are tried: the
// kind's own "Справочник <plural> (шаблон)" and the generic
// "Справочники (шаблон)", with `extension` (".xlt" or ".ots").
QString ownTemplatePath(const QString& pluralName, const QString& extension);
QString genericTemplatePath(const QString& extension);
// The base name of a printed list's file: "Справочник " + the plural name,
// made fit for a file name.
QString listFileBase(const QString& pluralName);

// ---------------------------------------------------------------------------
// Shared steps. A print removes the unticked columns first and then writes
// the sheet as it ends up; formats and borders of the lines go before their
// texts, which the office then lays out once. Rows and columns are 1-based;
// list column c (0 the running number "№ п.п") lands in sheet column
// printedColumns(flags)[c].

// An .xls sheet holds 65,536 rows, the four above the lines included: a
// print of more lines through the Excel path would be cut short in the
// saved file, so it is refused before anything is written. `what` names
// the printed thing in the genitive ("списка", "книги"). Returns the
// message refusing `lines` lines, or an empty text when they fit.
inline constexpr int kXlsSheetRows = 65536;
inline constexpr int kXlsLinesThatFit = kXlsSheetRows - 4;
QString xlsTooManyLinesMessage(long long lines, const QString& what);

// The progress of one print as the user sees it: the wait cursor from the
// first status text to the last, the lines sent to the office counted in
// the status bar ("… 12000 из 20000"), and the windows repainted while the
// office saves. Ended before any message is shown.
class PrintProgress {
public:
    explicit PrintProgress(const char* caption) : work_(std::in_place, QString::fromUtf8(caption)) {}
    // A new stage: its text shown at once.
    void stage(const char* caption)
    {
        if (work_)
            work_->setCaption(QString::fromUtf8(caption));
        else
            ui::setStatusText(QString::fromUtf8(caption));
    }
    void lines(long long done, long long total)
    {
        if (work_)
            work_->step(done, total);
    }
    // Runs `f`, one long office call, on another thread while the windows
    // are repainted; what it throws is thrown here.
    template <class F>
    void whileRepainting(F&& f)
    {
        if (!work_) {
            f();
            return;
        }
        auto done = std::async(std::launch::async, std::forward<F>(f));
        while (done.wait_for(std::chrono::milliseconds(ui::LongWork::intervalMs)) != std::future_status::ready)
            work_->show();
        done.get();
    }
    // The cursor back, the status text kept.
    void end() { work_.reset(); }

private:
    std::optional<ui::LongWork> work_;
};

// Lines sent to the office at once while the rows are written.
inline constexpr int kLinesPerSend = 1000;

// Runs one step of filling a sheet; a step the office refuses is skipped.
template <class F>
void step(F&& f)
{
    try {
        f();
    } catch (const office::Error&) {
    }
}

// Sheet column of each list column once the unticked ones are removed
// (0 for an unticked column).
QList<int> printedColumns(const QList<bool>& flags);

// Excel path.

// A workbook from the first of `templates` that exists and loads (index of
// it in *templateUsed, -1 for a blank workbook). Throws office::Error when
// not even a blank workbook can be made.
office::Workbook excelAddWorkbook(office::Application& excel, const QStringList& templates, int* templateUsed);
// Removes the sheet columns of unticked flags (sheet column c + 1 for flag
// c); returns the last printed column.
int excelRemoveColumns(office::Worksheet& sheet, const QList<bool>& flags);
// Header cell (4, column): the text, bold, wrapped, centred.
void excelWriteHeaderCell(office::Worksheet& sheet, int column, const QString& text);
// Lines 5..lines + 4 of every printed column wrap; with `align` those of a
// list column take its alignment. Sent to the office at once.
void excelFormatLines(office::Worksheet& sheet, const ListPrintJob& job, int lines, const QList<bool>& flags,
                      bool align);
// One line per row of `rows` from row 5: the running number (flag 0) and the
// ticked list columns by the text-marking rule. Returns the lines written.
// With `progress`, the lines go to the office kLinesPerSend at a time and
// are counted in the status bar.
int excelWriteRows(office::Worksheet& sheet, const ListPrintJob& job, const QList<int>& rows,
                   const QList<bool>& flags, PrintProgress* progress = nullptr);
// Merges row `row` over columns 1..last and centres it.
void excelMergeRow(office::Worksheet& sheet, int row, int last);
// Thin inner lines and a medium outline round rows 5..lines + 4 (when lines
// is above 0) and round the header row 4, columns 1..last; then A1 selected.
void excelDrawBorders(office::Application& excel, office::Worksheet& sheet, int lines, int last);
// Saves the workbook under the first free name `base`.xls in the documents
// folder and reports it (main window to the front, status, message); then
// shows it to the user, or closes it under a headless office. Returns the
// saved path or an empty text.
QString excelSaveAndShow(office::Application& excel, office::Workbook& book, const QString& base,
                         const PrintTexts& texts, PrintProgress* progress = nullptr);
// What the user is told when the office cannot print through the Excel path.
QString excelErrorReport(const office::Error& e);
// Row 1 holds `caption` across columns 1..last, centred, bold, wrapped.
void excelWriteTitle(office::Worksheet& sheet, const QString& caption, int last, double fontSize);

// Calc path (the office's 0-based positions inside).

// A document from the first of `templates` that exists and loads (index in
// *templateUsed, -1 for a new empty one). Throws office::Error when the
// office cannot be reached at all.
office::CalcDocument calcLoadDocument(const QStringList& templates, int* templateUsed);
// calcLoadDocument and its first sheet. When either fails the user is told,
// a document made is given back, and the answer is false.
bool calcOpenSheet(const QStringList& templates, int* templateUsed, office::CalcDocument& document,
                   office::CalcSheet& sheet, PrintProgress* progress = nullptr);
int calcRemoveColumns(office::CalcSheet& sheet, const QList<bool>& flags);
// Lines 5..lines + 4 of each list column take its justification.
void calcFormatLines(office::CalcSheet& sheet, const ListPrintJob& job, int lines, const QList<bool>& flags);
// One line per row from row 5: the running number as a number, the ticked
// list columns as texts. Returns the lines written.
int calcWriteRows(office::CalcSheet& sheet, const ListPrintJob& job, const QList<int>& rows,
                  const QList<bool>& flags, PrintProgress* progress = nullptr);
void calcMergeRow(office::CalcSheet& sheet, int row, int last);
// Lines of 0.5 mm round and hairlines inside rows 5..lines + 4 (when lines
// is above 0) and row 4, columns 1..last.
void calcDrawBorders(office::CalcSheet& sheet, int lines, int last);
// Column width for Calc: a print width in characters, in hundredths of a
// millimetre (11 characters are 20 mm).
int calcColumnWidth(double printWidth);
// Stores the document as `base`.ods under the first free name in the
// documents folder, reports it, then shows it (or closes it under a
// headless office). Returns the stored path or an empty text.
QString calcStoreAndShow(office::CalcDocument& document, const QString& base, const PrintTexts& texts,
                         PrintProgress* progress = nullptr);

} // namespace printing
