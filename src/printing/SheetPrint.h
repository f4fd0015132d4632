#pragma once
// The one print of a list or a book into a spreadsheet, through either
// office path: the workbook model saving an .xls (the Excel path) or a Calc
// document stored as .ods. What a directory list and a registry book do
// differently is data (SheetKind and its rules); what the two office paths
// do differently is each path's writer behind one interface.
//
// A print: the rows counted (an .xls refuses lines past its sheet before
// anything is asked of the office), the workbook from the first template
// that loads, the sheet named, the unticked columns removed, the widths,
// formats and borders of the lines, the header, the lines sent to the
// office a batch at a time with their count in the status bar, the title
// and group line, then the file saved under the first free name in the
// documents folder and shown to the user (under a headless office closed).
// From the sheet's name to the save a step the office refuses is skipped.
#include "platform/aside/Aside.h"
#include "platform/office/OfficeError.h"
#include "platform/ui/Progress.h"
#include "printing/PrintJob.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <type_traits>

namespace printing {

// The office path the institution prints through.
enum class OfficePath { Excel, Calc };

// The status texts and messages of one kind of print (list or book).
struct PrintTexts {
    const char* creating;             // "Идет создание печатной формы ..."
    const char* filling;              // "Идет заполнение ..."
    const char* saving;               // "Идет сохранение ..."
    const char* doneExcel;            // status after a save through the Excel path
    const char* doneCalc;             // status after a store through Calc
    const char* savedMessage;         // followed by the file name in quotes and "."
    const char* notSaved;             // followed by the name, ". Ошибка: ", number and description
    const char* notSavedExcelStatus;
    const char* notSavedCalcStatus;
    const char* officeLost;           // followed by " Ошибка: ", number and description
};

// The two kinds of print.
enum class SheetKind { List, Book };

// What sets a kind apart, as data.
struct SheetKindRules {
    SheetKind kind;
    const PrintTexts* texts;
    const char* what;  // in the genitive, for the .xls limit ("списка", "книги")
    // A print made from the first of its templates leaves the whole look to
    // it: no title, header, widths, alignment or merges are written (a
    // list's own template). Otherwise a template keeps only the alignment of
    // the lines (a book's generic template).
    bool firstTemplateKeepsLook;
    // Row 2 is the group or person line; without a group filter it is
    // hidden (unless the template keeps the look).
    bool groupLine;
    // The workbook model's alerts are off while the sheet is filled.
    bool alertsOffWhileFilling;
};
const SheetKindRules& rulesOf(SheetKind kind);

// A column's width on each path: in characters of the default font for
// the workbook model, in hundredths of a millimetre for Calc.
struct ColumnWidth {
    double characters = 0;
    int hundredthsMm = 0;
};

// One sheet to print, as the list or book print makes it.
struct SheetPrint {
    SheetKind kind = SheetKind::List;
    const ListPrintJob* job = nullptr;  // captions, alignments, rows, group line
    QList<int> rows;                    // the printed rows (indices into the job's rows)
    QList<bool> flags;                  // flag 0 the running number, flag c list column c
    QString sheetName;                  // cleaned and cut to 31 characters on the Excel path
    QString title;
    QString fileBase;                   // the saved file's name without the extension
    // The templates tried in order, full paths without the extension.
    QStringList templates;
    // Per list column (0 the running number): its width, when set.
    QList<std::optional<ColumnWidth>> widths;
    // Per list column: its header caption set upright (the Excel path).
    QList<bool> upright;
};

// Prints `print` through `path`. Returns the full path of the saved file, or
// an empty text when nothing was saved (the user has been told why). A print
// whose office went away in the middle is made once more from the start on
// a new office; when that one goes away too, the user is told so.
QString printSheet(const SheetPrint& print, OfficePath path);

// An .xls sheet holds 65,536 rows, the four above the lines included: a
// print of more lines through the Excel path would be cut short in the
// saved file, so it is refused before anything is written. `what` names
// the printed thing in the genitive ("списка", "книги"). Returns the
// message refusing `lines` lines, or an empty text when they fit.
inline constexpr int kXlsSheetRows = 65536;
inline constexpr int kXlsLinesThatFit = kXlsSheetRows - 4;
QString xlsTooManyLinesMessage(long long lines, const QString& what);

// Sheet column of each list column once the unticked ones are removed
// (0 for an unticked column).
QList<int> printedColumns(const QList<bool>& flags);

// Column width for Calc: a print width in characters, in hundredths of a
// millimetre (11 characters are 20 mm).
int calcColumnWidth(double printWidth);

// Cells sent to the office at once while the lines are written: a batch
// takes well under a quarter of a second, so the window is repainted at
// least that often however wide the lines are.
inline constexpr int kCellsPerSend = 8000;
// Lines per batch for lines of `columns` printed cells.
int linesPerSend(int columns);

// The progress of one print as the user sees it: the wait cursor from the
// first status text to the last, the lines sent to the office counted once
// from 1 to M in the status bar ("… 12000 из 20000"), and every call of the
// office run aside, so that the windows are repainted whatever the office
// takes. Ended before any message is shown.
class PrintProgress {
public:
    explicit PrintProgress(const char* caption);
    // A new stage: its text shown at once.
    void stage(const char* caption);
    void lines(long long done, long long total);
    // Runs `f`, calls of the office that may take long, aside (platform/
    // aside); when `countSeconds`, a wait of over a second that shows no
    // other count counts its seconds after the stage's text ("… 3 с").
    // What it throws is thrown here.
    template <class F>
    auto runAside(F&& f, bool countSeconds = true) -> std::invoke_result_t<F&>
    {
        using R = std::invoke_result_t<F&>;
        if (!work_)
            return f();
        QElapsedTimer waited;
        waited.start();
        long long shownSeconds = 0;
        const auto tick = [&] {
            const long long seconds = waited.elapsed() / 1000;
            if (countSeconds && seconds > 0 && seconds != shownSeconds) {
                shownSeconds = seconds;
                work_->showText(ui::LongWork::secondsText(caption_, seconds));
            }
        };
        if constexpr (std::is_void_v<R>) {
            aside::run(f, tick);
        } else {
            std::optional<R> result;
            aside::run([&] { result.emplace(f()); }, tick);
            return std::move(*result);
        }
    }
    // The cursor back, the status text kept.
    void end() { work_.reset(); }

private:
    std::optional<ui::LongWork> work_;
    QString caption_;
    QElapsedTimer shown_;
};

} // namespace printing
