#pragma once
// The spreadsheet calls of the Calc path, after the office's own interface:
// documents loaded from a URL, sheets by index and name, cells and ranges
// by 0-based position (column first, as the office takes them), column
// widths and row heights in hundredths of a millimetre, merges,
// justification, storing. Writes are collected and sent in ranges, as in
// the workbook model (Excel.h). Failures throw office::Error.
#include "platform/office/OfficeError.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace office {

namespace detail {
struct DocImpl;
struct SheetImpl;
}

// Horizontal justification codes of the office's cells.
enum HoriJustify : int { JustifyStandard = 0, JustifyLeft = 1, JustifyCenter = 2, JustifyRight = 3 };

class CalcCell {
public:
    CalcCell() = default;
    bool isValid() const { return sheet_ != nullptr; }
    int column() const { return column_; }
    int row() const { return row_; }

    void setString(const QString& text);
    void setValue(double value);
    void setFormula(const QString& formula);
    // The text as shown.
    QString string() const;
    double value() const;

    void setHoriJustify(int code);
    int horiJustify() const;

private:
    friend class CalcSheet;
    CalcCell(std::shared_ptr<detail::SheetImpl> sheet, int column, int row);
    std::shared_ptr<detail::SheetImpl> sheet_;
    int column_ = 0, row_ = 0;
};

class CalcRange {
public:
    CalcRange() = default;
    bool isValid() const { return sheet_ != nullptr; }

    void merge(bool merge = true);
    bool isMerged() const;
    void setHoriJustify(int code);
    // Lines of the given widths (hundredths of a millimetre, black) round
    // the range and, when `innerWidth` is not negative, between its cells.
    void setTableBorder(int outlineWidth, int innerWidth);
    // Outline width of the range's left edge and of the lines between its
    // rows (0 when none).
    int outlineWidth() const;
    int innerWidth() const;

private:
    friend class CalcSheet;
    CalcRange(std::shared_ptr<detail::SheetImpl> sheet, int left, int top, int right, int bottom);
    std::shared_ptr<detail::SheetImpl> sheet_;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

class CalcSheet {
public:
    CalcSheet() = default;
    bool isValid() const { return sheet_ != nullptr; }

    QString name() const;
    void setName(const QString& name);
    int index() const;  // 0-based

    CalcCell cell(int column, int row) const;
    CalcRange cellRange(int left, int top, int right, int bottom) const;

    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    void removeColumns(int column, int count = 1);
    int rowHeight(int row) const;  // 0 for a hidden row
    // A height of 0 hides the row.
    void setRowHeight(int row, int height);

    // Last used row and column, -1 for an empty sheet.
    int lastRow() const;
    int lastColumn() const;

    void flush();

private:
    friend class CalcDocument;
    friend std::shared_ptr<detail::SheetImpl> sheetImplOf(const CalcSheet&);
    explicit CalcSheet(std::shared_ptr<detail::SheetImpl> sheet) : sheet_(std::move(sheet)) {}
    std::shared_ptr<detail::SheetImpl> sheet_;
};

class CalcDocument {
public:
    CalcDocument() = default;

    // Loads a document in a new window (hidden when asked); a template
    // (".ots") gives a new untitled document made from it. CannotLoad.
    static CalcDocument load(const QString& pathOrUrl, bool hidden = false);
    // A new, empty spreadsheet in a new window.
    static CalcDocument createNew(bool hidden = false);

    bool isOpen() const;
    int sheetCount() const;
    QStringList sheetNames() const;
    CalcSheet sheet(int index) const;           // NotFound
    CalcSheet sheet(const QString& name) const;  // NotFound

    // Stores the document under the URL or path (overwriting an existing
    // file); the format follows the extension, .ods when it says nothing.
    // The document then belongs to that file. CannotStore.
    void storeAsUrl(const QString& urlOrPath);
    QString url() const;

    void setVisible(bool visible);
    void activate();
    // Closes the document without saving.
    void dispose();

private:
    explicit CalcDocument(std::shared_ptr<detail::DocImpl> doc) : doc_(std::move(doc)) {}
    std::shared_ptr<detail::DocImpl> doc_;
};

} // namespace office
