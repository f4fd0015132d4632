#pragma once
// Inside the office layer only: one spreadsheet of an open document, with
// the writes made to it collected and sent to the office in ranges, and its
// contents read in one go when first asked for.
//
// Cell values, cell properties and borders are queued in the order they are
// made; flush() sends them as the fewest rectangles that cover exactly the
// cells written (a value array per rectangle, one property call per distinct
// value over all its rectangles), so the document ends up as the same
// writes made one cell at a time would leave it. Anything that moves cells
// or reads them flushes first.
#include "platform/office/Excel.h"
#include "platform/office/UnoSupport.h"

#include <QDate>
#include <QString>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace office::detail {

using uno::Any;
using uno::Reference;

// A block of cells, rows and columns 0-based and inclusive.
struct Rect {
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    long long cellCount() const { return (long long)(bottom - top + 1) * (right - left + 1); }
    bool operator==(const Rect&) const = default;
};

// The largest sheet the office offers.
inline constexpr int kMaxRow = 1048575;
inline constexpr int kMaxColumn = 1023;

// Cells in row order, then column order, joined into rectangles that cover
// exactly these cells.
std::vector<Rect> coalesce(const std::vector<std::pair<int, int>>& cells);

// Remote calls made by every buffer of this process (for tests and the
// benchmark to see that ranges are used).
long long remoteCallCount();

class SheetBuffer {
public:
    SheetBuffer(const Reference<css::lang::XComponent>& document, const Reference<css::sheet::XSpreadsheet>& sheet);
    ~SheetBuffer();
    SheetBuffer(const SheetBuffer&) = delete;
    SheetBuffer& operator=(const SheetBuffer&) = delete;

    const Reference<css::sheet::XSpreadsheet>& sheet() const { return sheet_; }
    const Reference<css::lang::XComponent>& document() const { return document_; }

    // Queued writes. A value is a double, a text, or an empty text that
    // clears the cell.
    void setValue(int row, int column, const Any& value);
    void setProperty(const Rect& rect, const rtl::OUString& name, const Any& value);
    // A border side: a style (LineStyle of the automation: 1 continuous,
    // -4142 none, ...), a weight (1 hairline, 2 thin, -4138 medium, 4
    // thick), either or both.
    void setBorder(const Rect& rect, int side, std::optional<int> style, std::optional<int> weight);

    void flush();
    bool hasPending() const;
    // Drops what is queued (the document was closed).
    void discard();

    // Forgets what was read (after columns were removed and the like).
    void invalidate();

    // Reads, from the contents read in one go (flushing first).
    Any value(int row, int column);  // double, OUString; empty OUString when empty
    bool isDate(int row, int column);
    QString displayText(int row, int column);
    // Last used row and column; (-1, -1) for an empty sheet.
    std::pair<int, int> lastCell();
    // The values of a block (flushing first), read from the office at once.
    css::uno::Sequence<css::uno::Sequence<Any>> values(const Rect& rect);

    // The document's day 0 of date serial numbers (1899-12-30 unless the
    // workbook counts from 1904), and its standard date format (with the
    // time when asked), each asked for once.
    QDate nullDate();
    sal_Int32 dateFormat(bool withTime);

    // Direct access (counted as remote calls).
    Reference<css::table::XCellRange> range(const Rect& rect);
    int sheetIndex();
    static void countCall(int n = 1);

private:
    struct PropertyState {
        rtl::OUString name;
        std::vector<Any> values;
        std::map<std::pair<int, int>, int> cells;
    };
    struct SidePending {
        std::optional<int> style;
        std::optional<int> weight;
    };
    struct BorderOp {
        Rect rect;
        std::map<int, SidePending> sides;
    };
    struct ValueCache {
        int rows = 0;
        int columns = 0;
        css::uno::Sequence<css::uno::Sequence<Any>> data;
        std::set<std::pair<int, int>> dates;
    };
    struct TextCache {
        std::vector<std::vector<QString>> rows;
    };

    void flushValues();
    void flushProperties();
    void flushBorders();
    void applyProperty(const std::vector<Rect>& rects, const rtl::OUString& name, const Any& value);
    ValueCache& valueCache();
    TextCache& textCache();

    Reference<css::lang::XComponent> document_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    std::map<std::pair<int, int>, Any> values_;
    std::vector<PropertyState> properties_;
    std::vector<BorderOp> borders_;
    std::optional<ValueCache> valueCache_;
    std::optional<TextCache> textCache_;
    std::optional<QDate> nullDate_;
    std::map<bool, sal_Int32> dateFormats_;
};

// A border line of the given automation style and weight.
css::table::BorderLine2 borderLine(std::optional<int> style, std::optional<int> weight);
// The automation style and weight of a border line.
int lineStyleOf(const css::table::BorderLine2& line);
int weightOf(const css::table::BorderLine2& line);

// Parses the text the office exports for a sheet: fields separated by tabs,
// texts in double quotes.
std::vector<std::vector<QString>> parseSheetText(const QString& text);

} // namespace office::detail
