#pragma once
// A spreadsheet object model after the Excel automation interface, over
// Calc: an application with its workbooks, worksheets, ranges of cells and
// their borders. Positions are 1-based (row 1, column 1 is A1) and values
// follow Excel's rules: a text typed with a leading apostrophe stays text,
// other texts that read as numbers become numbers.
//
// Writes are collected and sent to the office in ranges when something
// needs them there (a read, a merge, a column removal, a save, showing the
// workbook); the result is the document the same writes made one cell at a
// time would give. Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace office {

namespace detail {
struct DocImpl;
struct SheetImpl;
}

// Excel's constants.
enum class HAlign : int { General = 1, Left = -4131, Center = -4108, Right = -4152 };
enum class BorderIndex : int {
    DiagonalDown = 5,
    DiagonalUp = 6,
    EdgeLeft = 7,
    EdgeTop = 8,
    EdgeBottom = 9,
    EdgeRight = 10,
    InsideVertical = 11,
    InsideHorizontal = 12,
};
enum class LineStyle : int { None = -4142, Continuous = 1, Dash = -4115, Dot = -4118, Double = -4119 };
enum class BorderWeight : int { Hairline = 1, Thin = 2, Medium = -4138, Thick = 4 };
inline constexpr int kColorIndexAutomatic = -4105;

class Range;
class Worksheet;
class Workbook;

// One side of the borders of a range.
class Border {
public:
    void setLineStyle(LineStyle style);
    void setWeight(BorderWeight weight);
    void setColorIndex(int index);  // lines are drawn black
    LineStyle lineStyle() const;
    BorderWeight weight() const;

private:
    friend class Range;
    Border(std::shared_ptr<detail::SheetImpl> sheet, int top, int left, int bottom, int right, BorderIndex index);
    std::shared_ptr<detail::SheetImpl> sheet_;
    int top_, left_, bottom_, right_;
    BorderIndex index_;
};

class Range {
public:
    Range() = default;
    bool isValid() const { return sheet_ != nullptr; }

    int row() const { return top_; }
    int column() const { return left_; }
    int rowCount() const { return bottom_ - top_ + 1; }
    int columnCount() const { return right_ - left_ + 1; }
    Worksheet worksheet() const;

    // Value of every cell of the range: numbers, texts by Excel's rules,
    // dates; a null QVariant or an empty text clears.
    void setValue(const QVariant& value);
    // Value of the first cell: double, QString, QDateTime for a date, null
    // when empty.
    QVariant value() const;
    // The values of the whole range, row by row (whole rows and columns up
    // to the last used cell).
    QList<QVariantList> values() const;
    void setValues(const QList<QVariantList>& rows);

    void setBold(bool bold);
    bool bold() const;
    void setFontSize(double points);
    double fontSize() const;
    void setWrapText(bool wrap);
    bool wrapText() const;
    void setHorizontalAlignment(HAlign alignment);
    HAlign horizontalAlignment() const;
    // Text rotation in degrees, -90..90 (90 reads upwards).
    void setOrientation(int degrees);
    int orientation() const;

    // Width of the range's columns in characters of the default font; 0
    // hides them.
    void setColumnWidth(double characters);
    double columnWidth() const;
    // Height of the range's rows in points; 0 hides them.
    void setRowHeight(double points);
    double rowHeight() const;

    void merge();
    bool mergeCells() const;

    // Makes the range the workbook's selection (Application::selection()).
    void select();
    // Removes the range's columns from the sheet; the columns to the right
    // move left.
    void deleteColumns();

    Border border(BorderIndex index) const;

private:
    friend class Worksheet;
    friend class Application;
    Range(std::shared_ptr<detail::SheetImpl> sheet, int top, int left, int bottom, int right);
    std::shared_ptr<detail::SheetImpl> sheet_;
    int top_ = 0, left_ = 0, bottom_ = 0, right_ = 0;
};

class Worksheet {
public:
    Worksheet() = default;
    bool isValid() const { return sheet_ != nullptr; }

    QString name() const;
    void setName(const QString& name);
    int index() const;  // 1-based

    Range cells(int row, int column) const;
    Range range(const Range& first, const Range& last) const;
    Range columns(int column) const;
    Range columns(int first, int last) const;
    Range rows(int row) const;
    // The last used cell (its row is the last row with data, its column the
    // last column); A1 for an empty sheet.
    Range lastCell() const;

    void activate();
    // Sends what is collected now.
    void flush();

private:
    friend class Range;
    friend class Workbook;
    explicit Worksheet(std::shared_ptr<detail::SheetImpl> sheet) : sheet_(std::move(sheet)) {}
    std::shared_ptr<detail::SheetImpl> sheet_;
};

class Workbook {
public:
    Workbook() = default;
    bool isValid() const { return doc_ != nullptr; }
    bool isOpen() const;

    int sheetCount() const;
    QStringList sheetNames() const;
    Worksheet sheet(int index) const;           // 1-based; NotFound
    Worksheet sheet(const QString& name) const;  // NotFound
    Worksheet activeSheet() const;

    // The file the workbook was loaded from or saved as; empty for a new one.
    QString fullName() const;

    // Saves under `path`; the format follows the extension (".xls" is
    // "MS Excel 97", ".ods" OpenDocument). CannotStore on failure.
    void saveAs(const QString& path);
    void save();
    // Closes the workbook without saving unless asked to.
    void close(bool saveChanges = false);

    void setVisible(bool visible);
    void activate();

private:
    friend class Application;
    friend class WorkbookReader;
    explicit Workbook(std::shared_ptr<detail::DocImpl> doc) : doc_(std::move(doc)) {}
    std::shared_ptr<detail::DocImpl> doc_;
};

// The spreadsheet program for one job (a print, an import).
class Application {
public:
    // Our office, started when it does not run. Throws NotStarted.
    static Application attach();
    // Whether attach() had to start the office.
    bool startedOffice() const;

    // A new workbook from a template (".xlt", ".ots"), or blank when the
    // path is empty. CannotLoad when the template cannot be loaded.
    Workbook addWorkbook(const QString& templatePath = {});
    // Opens a workbook; read-only unless told otherwise; links not updated.
    Workbook openWorkbook(const QString& path, bool readOnly = true);

    QList<Workbook> workbooks() const;
    Workbook activeWorkbook() const;
    Worksheet activeSheet() const;
    // The active workbook's selection.
    Range selection() const;

    // Workbooks are loaded hidden while the application is not visible and
    // shown when it becomes visible.
    bool visible() const;
    void setVisible(bool visible);
    bool displayAlerts() const;
    void setDisplayAlerts(bool display);

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

// Draws the table borders on the application's current selection: no
// diagonals, a medium outline and, unless `outlineOnly`, thin inner lines.
// A step that fails is skipped.
void ExcelDrawTableBorders(Application& excel, bool outlineOnly);

// Excel's reading of a typed text as a number: blanks around it allowed,
// the decimal comma, digit groups.
bool excelNumber(const QString& text, double* number = nullptr);

// A cell value as text the way the regional settings write it: a number
// without the sheet's format (decimal comma, up to 15 digits), a date as
// the short date (with the time when it has one), a text as it is.
QString excelValueText(const QVariant& value);

} // namespace office
