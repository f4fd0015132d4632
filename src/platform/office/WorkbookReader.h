#pragma once
// Reading the cells of a workbook (.xls, .xlsx, .ods) for an import: the
// workbook is opened hidden and read-only, and each sheet is read in one go
// from A1 to its last used cell.
//
// Two readings: as the Excel path reads (a number without the sheet's
// number format, a date as the short date, a text as it is; see
// excelValueText) and as the Calc path reads (the text as the cell shows
// it). Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace office {

namespace detail {
struct DocImpl;
}

// The texts of one sheet, A1 first.
struct SheetTexts {
    QString name;
    QList<QStringList> rows;  // every row has the same number of cells

    int rowCount() const { return int(rows.size()); }
    int columnCount() const { return rows.isEmpty() ? 0 : int(rows.first().size()); }
    // 1-based; an empty text outside the sheet's used cells.
    QString cell(int row, int column) const;
};

class WorkbookReader {
public:
    enum class Reading { ExcelValues, CalcText };

    WorkbookReader() = default;
    // Opens the workbook. CannotLoad for a file the office cannot read,
    // NotStarted when the office cannot be started.
    static WorkbookReader open(const QString& path);

    bool isOpen() const;
    QStringList sheetNames() const;
    int activeSheet() const;  // 0-based: the sheet active when it was saved

    SheetTexts read(int sheetIndex, Reading reading) const;            // 0-based; NotFound
    SheetTexts read(const QString& sheetName, Reading reading) const;  // NotFound

    // Closes the workbook (also done when the last copy of the reader goes).
    void close();

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace office
