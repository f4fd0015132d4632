#pragma once
// Inside the office layer only: one spreadsheet of an open document, with
// the writes made to it collected and sent to the office in ranges, and its
// contents read back a band of rows at a time, only where asked.
//
// Cell values, cell properties and borders are queued in the order they are
// made; flush() sends them as the fewest rectangles that cover exactly the
// cells written (a value array per rectangle, one property call per distinct
// value over all its rectangles), so the document ends up as the same
// writes made one cell at a time would leave it. Anything that moves cells
// or reads them flushes first.
#include "platform/office/Excel.h"
#include "platform/office/UnoSupport.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <algorithm>
#include <climits>
#include <cstdint>
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

// Something kept per cell, column by column: each column a run of items
// from its first to its last cell, so that a block of lines costs the
// items alone. T{} is an empty slot.
template <class T>
class ColumnGrid {
public:
    bool empty() const { return count_ == 0; }
    long long count() const { return count_; }
    void clear()
    {
        columns_.clear();
        count_ = 0;
    }
    // The slot of a cell, made when missing.
    T& at(int row, int column)
    {
        Column& c = columns_[column];
        if (c.items.empty()) {
            c.first = row;
        } else if (row < c.first) {
            // Grown by at least its size, so that writing upwards stays cheap.
            const int grow = std::max<int>(c.first - row, int(std::min<size_t>(c.items.size(), size_t(c.first))));
            c.items.insert(c.items.begin(), size_t(grow), T{});
            c.first -= grow;
        }
        const size_t i = size_t(row - c.first);
        if (i >= c.items.size())
            c.items.resize(i + 1);
        return c.items[i];
    }
    void set(int row, int column, const T& value)
    {
        T& slot = at(row, column);
        if (slot == T{})
            ++count_;
        slot = value;
    }
    const T* find(int row, int column) const
    {
        auto it = columns_.find(column);
        if (it == columns_.end() || row < it->second.first)
            return nullptr;
        const size_t i = size_t(row - it->second.first);
        if (i >= it->second.items.size() || it->second.items[i] == T{})
            return nullptr;
        return &it->second.items[i];
    }
    // The cells whose slot `keep` accepts, in row order, then column order.
    template <class Keep>
    std::vector<std::pair<int, int>> cells(Keep keep) const
    {
        std::vector<std::pair<int, int>> out;
        if (columns_.empty())
            return out;
        int top = INT_MAX, bottom = -1;
        for (const auto& [column, c] : columns_)
            if (!c.items.empty()) {
                top = std::min(top, c.first);
                bottom = std::max(bottom, c.first + int(c.items.size()) - 1);
            }
        for (int row = top; row <= bottom; ++row)
            for (const auto& [column, c] : columns_) {
                if (row < c.first || row - c.first >= int(c.items.size()))
                    continue;
                const T& slot = c.items[size_t(row - c.first)];
                if (!(slot == T{}) && keep(slot))
                    out.emplace_back(row, column);
            }
        return out;
    }

private:
    struct Column {
        int first = 0;
        std::vector<T> items;
    };
    std::map<int, Column> columns_;
    long long count_ = 0;
};

// Cell values written and not yet sent: numbers as doubles, texts as UTF-16
// in one arena; 12 bytes a cell besides its text.
class ValueStore {
public:
    bool empty() const { return grid_.empty(); }
    long long count() const { return grid_.count(); }
    void clear();
    // A double, or a text (anything else is written as its text).
    void set(int row, int column, const Any& value);
    // The value of a written cell.
    Any value(int row, int column) const;
    std::vector<std::pair<int, int>> cells() const
    {
        return grid_.cells([](const Slot&) { return true; });
    }

private:
    struct Slot {
        // A text: its start in the arena and its length; a number: its bits.
        uint32_t a = 0;
        uint32_t b = 0;
        uint32_t kind = kEmpty;  // kEmpty, kNumber or a text's length
        bool operator==(const Slot&) const = default;
    };
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    static constexpr uint32_t kNumber = 0xFFFFFFFEu;
    ColumnGrid<Slot> grid_;
    std::vector<sal_Unicode> text_;
    size_t unused_ = 0;  // characters of overwritten texts
};

// Remote calls made by every buffer of this process, and the cells they
// read back (for tests and the benchmark to see that ranges are used and
// that reads stay near the cells asked for).
long long remoteCallCount();
long long cellsReadCount();

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

    // Reads (flushing first). Values and dates come from the band of rows
    // round the cell, read once; the text as shown is read for the cell
    // alone.
    Any value(int row, int column);  // double, OUString; empty OUString when empty
    bool isDate(int row, int column);
    QString displayText(int row, int column);
    // Last used row and column; (-1, -1) for an empty sheet.
    std::pair<int, int> lastCell();
    // The values of a block (flushing first), read from the office at once.
    css::uno::Sequence<css::uno::Sequence<Any>> values(const Rect& rect);
    // Rows read back at once round a cell that is read.
    static constexpr int kBandRows = 256;
    // Cells sent in one call at most.
    static constexpr long long kCellsPerCall = 16384;

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
        ColumnGrid<uint16_t> cells;  // index into values + 1
    };
    struct SidePending {
        std::optional<int> style;
        std::optional<int> weight;
    };
    struct BorderOp {
        Rect rect;
        std::map<int, SidePending> sides;
    };
    struct Band {
        int columns = 0;  // columns 0..columns - 1 of the band's rows
        css::uno::Sequence<css::uno::Sequence<Any>> data;
        std::set<std::pair<int, int>> dates;  // of the sheet
    };

    void flushValues();
    void flushProperties();
    void flushBorders();
    void applyProperty(const std::vector<Rect>& rects, const rtl::OUString& name, const Any& value);
    const Band& band(int row);
    std::pair<int, int> usedEnd();

    Reference<css::lang::XComponent> document_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    ValueStore values_;
    std::vector<PropertyState> properties_;
    std::vector<BorderOp> borders_;
    std::optional<std::pair<int, int>> usedEnd_;  // last used row and column as the office reports them
    std::map<int, Band> bands_;                   // by row / kBandRows
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

// The same parse fed with the exported file's UTF-8 bytes piece by piece as
// they come (a piece may end anywhere, inside a character too), so that a
// sheet is parsed while the office still writes it.
class SheetTextParser {
public:
    void feed(const char* bytes, qsizetype size);
    void feed(const QByteArray& bytes) { feed(bytes.constData(), bytes.size()); }
    // The end of the text: a last row without its line break is kept.
    void finish();
    qsizetype rowCount() const { return rows_.size(); }
    QList<QStringList> takeRows() { return std::move(rows_); }

private:
    void endField();
    void endRow();

    QList<QStringList> rows_;
    QStringList row_;
    QByteArray field_;
    bool quoted_ = false;
    bool fieldStarted_ = false;
    bool quoteInQuoted_ = false;  // a quote inside a quoted text: its end, or the first of two
    bool afterCarriageReturn_ = false;
};

} // namespace office::detail
