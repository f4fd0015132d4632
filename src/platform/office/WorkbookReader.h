#pragma once
// Reading the cells of a workbook (.xls, .xlsx, .ods) for an import: the
// workbook is opened hidden and read-only, and each sheet is read in ranges
// from A1 to its last used cell.
//
// Two readings: as the Excel path reads (a number without the sheet's
// number format, a date as the short date, a Boolean as True or False, an
// error as its text, a text as it is; see excelValueText) and as the Calc
// path reads (the text as the cell shows it). The values are those the
// file was saved with: nothing is recalculated on load. The formulas of an
// .xls file read, in both readings, with the results it was saved with
// (the Calc reading in the cell's number format), and its errors as Excel
// shows them (#NULL!, #NUM!, #N/A); so do the errors of an .xlsx file.
//
// Workbooks are loaded by the reading office (Office::reader()), watched
// while loading and reading: a file that needs more memory or time than
// its limits allow is refused with ErrorKind::TooLarge ("Файл слишком велик
// или поврежден: <file>"), that office is started anew and the next
// workbook reads as usual. So is a sheet of more than maxCells() cells.
// Failures throw office::Error: CannotLoad for a file the office cannot
// read, NotStarted when the office cannot be started, NotFound for a sheet
// that does not exist, ConnectionLost when the office ended meanwhile.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace office {

// The texts of a block of rows of one sheet: every row from firstRow on,
// from column A to the sheet's last used column.
struct SheetTexts {
    QString name;
    int firstRow = 1;         // 1-based sheet row of rows.first()
    QList<QStringList> rows;  // every row has the same number of cells

    int rowCount() const { return int(rows.size()); }
    int columnCount() const { return rows.isEmpty() ? 0 : int(rows.first().size()); }
    // 1-based sheet row and column; an empty text outside the rows read.
    QString cell(int row, int column) const;
};

// The extent of a sheet's used cells: its last used row and column
// (1-based); both 0 for an empty sheet.
struct SheetExtent {
    int rows = 0;
    int columns = 0;
};

class WorkbookReader {
public:
    enum class Reading { ExcelValues, CalcText };
    // Told how far the work is (the rows read so far and the rows to read;
    // for the loading, the office's own measure of it); it may be called
    // on any thread, also on threads that are not the reading's own.
    using Progress = std::function<void(long long done, long long total)>;

    WorkbookReader() = default;
    // Opens the workbook, telling `progress` how far the office has loaded
    // it. CannotLoad for a file the office cannot read, TooLarge for one it
    // cannot read within its limits, NotStarted when the office cannot be
    // started.
    static WorkbookReader open(const QString& path, const Progress& progress = {});

    bool isOpen() const;
    QStringList sheetNames() const;  // in workbook order
    int activeSheet() const;         // 0-based: the sheet active when it was saved

    // The used cells of a sheet (0-based index); NotFound.
    SheetExtent extent(int sheetIndex) const;

    // A whole sheet, A1 to its last used cell (0-based index); NotFound.
    SheetTexts read(int sheetIndex, Reading reading, const Progress& progress = {}) const;
    SheetTexts read(const QString& sheetName, Reading reading, const Progress& progress = {}) const;
    // The rows firstRow .. firstRow + rowCount - 1 (1-based) of a sheet,
    // cut at its last used row; columns A to its last used column.
    SheetTexts read(int sheetIndex, Reading reading, int firstRow, int rowCount,
                    const Progress& progress = {}) const;

    // The most cells one read may return.
    static long long maxCells();

    // Closes the workbook (also done when the last copy of the reader goes).
    void close();

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace office
