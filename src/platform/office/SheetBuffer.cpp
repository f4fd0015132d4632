#include "platform/office/SheetBuffer.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/NumberFormat.hpp>
#include <com/sun/star/util/XNumberFormatTypes.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <atomic>
#include <cstring>

namespace office::detail {

using namespace office::uno;
using css::table::BorderLine2;
using css::table::CellRangeAddress;
using css::table::TableBorder2;

namespace {

std::atomic<long long> gRemoteCalls{0};
std::atomic<long long> gCellsRead{0};

// Rectangles larger than this are not taken apart into cells: what is queued
// is sent first and the property is set on the block directly.
constexpr long long kQueueLimit = 200000;

// Border widths in hundredths of a millimetre for the automation weights,
// as the .xls filter maps them.
constexpr sal_Int32 kHairline = 2;
constexpr sal_Int32 kThin = 26;
constexpr sal_Int32 kMedium = 62;
constexpr sal_Int32 kThick = 88;

// The automation's line styles and weights, as the border calls pass them.
constexpr int sNone = int(LineStyle::None);
constexpr int sContinuous = int(LineStyle::Continuous);
constexpr int sDash = int(LineStyle::Dash);
constexpr int sDot = int(LineStyle::Dot);
constexpr int sDouble = int(LineStyle::Double);
constexpr int wHairline = int(BorderWeight::Hairline);
constexpr int wThin = int(BorderWeight::Thin);
constexpr int wMedium = int(BorderWeight::Medium);
constexpr int wThick = int(BorderWeight::Thick);

} // namespace

long long remoteCallCount()
{
    return gRemoteCalls.load();
}

long long cellsReadCount()
{
    return gCellsRead.load();
}

void SheetBuffer::countCall(int n)
{
    gRemoteCalls += n;
}

std::vector<Rect> coalesce(const std::vector<std::pair<int, int>>& cells)
{
    std::vector<Rect> done;
    std::map<std::pair<int, int>, Rect> open;  // column span -> block ending in the previous row
    size_t i = 0;
    while (i < cells.size()) {
        const int row = cells[i].first;
        std::map<std::pair<int, int>, Rect> next;
        while (i < cells.size() && cells[i].first == row) {
            const int left = cells[i].second;
            int right = left;
            ++i;
            while (i < cells.size() && cells[i].first == row && cells[i].second == right + 1) {
                ++right;
                ++i;
            }
            const std::pair<int, int> span{left, right};
            auto it = open.find(span);
            if (it != open.end() && it->second.bottom == row - 1) {
                Rect r = it->second;
                r.bottom = row;
                open.erase(it);
                next[span] = r;
            } else {
                next[span] = Rect{row, left, row, right};
            }
        }
        for (const auto& [span, r] : open)
            done.push_back(r);
        open = std::move(next);
    }
    for (const auto& [span, r] : open)
        done.push_back(r);
    return done;
}

void ValueStore::clear()
{
    grid_.clear();
    text_.clear();
    text_.shrink_to_fit();
    unused_ = 0;
}

void ValueStore::set(int row, int column, const Any& value)
{
    if (const Slot* old = grid_.find(row, column); old && old->kind != kNumber)
        unused_ += old->kind;
    Slot written;
    double d = 0;
    if (value.getValueTypeClass() == css::uno::TypeClass_DOUBLE && (value >>= d)) {
        static_assert(sizeof(double) == 2 * sizeof(uint32_t));
        uint32_t bits[2];
        std::memcpy(bits, &d, sizeof d);
        written = Slot{bits[0], bits[1], kNumber};
    } else {
        rtl::OUString s;
        value >>= s;
        written = Slot{uint32_t(text_.size()), 0, uint32_t(s.getLength())};
        text_.insert(text_.end(), s.getStr(), s.getStr() + s.getLength());
    }
    grid_.set(row, column, written);
    // Overwritten texts are dropped once they are most of the arena.
    if (unused_ > 4096 && unused_ * 2 > text_.size()) {
        std::vector<sal_Unicode> kept;
        kept.reserve(text_.size() - unused_);
        for (const auto& [r, c] : grid_.cells([](const Slot& x) { return x.kind != kNumber; })) {
            Slot& t = grid_.at(r, c);
            const uint32_t start = uint32_t(kept.size());
            kept.insert(kept.end(), text_.begin() + t.a, text_.begin() + t.a + t.kind);
            t.a = start;
        }
        text_ = std::move(kept);
        unused_ = 0;
    }
}

Any ValueStore::value(int row, int column) const
{
    const Slot* slot = grid_.find(row, column);
    if (!slot)
        return Any(rtl::OUString());
    if (slot->kind == kNumber) {
        const uint32_t bits[2] = {slot->a, slot->b};
        double d = 0;
        std::memcpy(&d, bits, sizeof d);
        return Any(d);
    }
    return Any(rtl::OUString(text_.data() + slot->a, sal_Int32(slot->kind)));
}

BorderLine2 borderLine(std::optional<int> style, std::optional<int> weight)
{
    BorderLine2 line;
    line.Color = 0;
    const int s = style.value_or(sContinuous);
    if (s == sNone) {
        line.LineStyle = css::table::BorderLineStyle::NONE;
        return line;
    }
    switch (s) {
    case sDash: line.LineStyle = css::table::BorderLineStyle::DASHED; break;
    case sDot: line.LineStyle = css::table::BorderLineStyle::DOTTED; break;
    case sDouble: line.LineStyle = css::table::BorderLineStyle::DOUBLE; break;
    default: line.LineStyle = css::table::BorderLineStyle::SOLID; break;
    }
    sal_Int32 width = kThin;
    switch (weight.value_or(wThin)) {
    case wHairline: width = kHairline; break;
    case wMedium: width = kMedium; break;
    case wThick: width = kThick; break;
    default: width = kThin; break;
    }
    line.LineWidth = width;
    line.OuterLineWidth = width;
    return line;
}

int lineStyleOf(const BorderLine2& line)
{
    if (line.LineStyle == css::table::BorderLineStyle::NONE || line.LineWidth == 0)
        return sNone;
    switch (line.LineStyle) {
    case css::table::BorderLineStyle::DASHED: return sDash;
    case css::table::BorderLineStyle::DOTTED: return sDot;
    case css::table::BorderLineStyle::DOUBLE: return sDouble;
    default: return sContinuous;
    }
}

int weightOf(const BorderLine2& line)
{
    const sal_Int32 w = line.LineWidth;
    if (w <= 10)
        return wHairline;
    if (w <= 45)
        return wThin;
    if (w <= 75)
        return wMedium;
    return wThick;
}

std::vector<std::vector<QString>> parseSheetText(const QString& text)
{
    SheetTextParser parser;
    parser.feed(text.toUtf8());
    parser.finish();
    std::vector<std::vector<QString>> rows;
    for (QStringList& row : parser.takeRows())
        rows.emplace_back(std::make_move_iterator(row.begin()), std::make_move_iterator(row.end()));
    return rows;
}

// Quotes, tabs and line breaks are ASCII: they never stand inside a UTF-8
// character, so the bytes are parsed as they come and each field's bytes
// decoded once it ends.
void SheetTextParser::feed(const char* bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        const char ch = bytes[i];
        if (afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            if (ch == '\n')
                continue;
        }
        if (quoteInQuoted_) {
            quoteInQuoted_ = false;
            if (ch == '"') {
                field_ += '"';
                continue;
            }
            quoted_ = false;  // the quote ended the text; this character is outside it
        }
        if (quoted_) {
            if (ch == '"')
                quoteInQuoted_ = true;
            else
                field_ += ch;
            continue;
        }
        if (ch == '"' && !fieldStarted_) {
            quoted_ = true;
            fieldStarted_ = true;
        } else if (ch == '\t') {
            endField();
        } else if (ch == '\n' || ch == '\r') {
            afterCarriageReturn_ = ch == '\r';
            endField();
            endRow();
        } else {
            field_ += ch;
            fieldStarted_ = true;
        }
    }
}

void SheetTextParser::finish()
{
    if (quoteInQuoted_) {
        quoteInQuoted_ = false;
        quoted_ = false;
    }
    if (fieldStarted_ || !row_.isEmpty()) {
        endField();
        endRow();
    }
}

void SheetTextParser::endField()
{
    row_ << QString::fromUtf8(field_);
    field_.clear();
    fieldStarted_ = false;
}

void SheetTextParser::endRow()
{
    rows_ << std::move(row_);
    row_ = QStringList();
}

SheetBuffer::SheetBuffer(const Reference<css::lang::XComponent>& document,
                         const Reference<css::sheet::XSpreadsheet>& sheet)
    : document_(document), sheet_(sheet)
{
}

SheetBuffer::~SheetBuffer()
{
    try {
        flush();
    } catch (const Error&) {
        // The document or the office is gone; nothing left to write to.
    }
}

bool SheetBuffer::hasPending() const
{
    return !values_.empty() || !properties_.empty() || !borders_.empty();
}

void SheetBuffer::discard()
{
    values_.clear();
    properties_.clear();
    borders_.clear();
    invalidate();
}

void SheetBuffer::invalidate()
{
    usedEnd_.reset();
    if (!bands_.empty())
        bands_.clear();
}

void SheetBuffer::setValue(int row, int column, const Any& value)
{
    values_.set(row, column, value);
    invalidate();
}

void SheetBuffer::setProperty(const Rect& rect, const rtl::OUString& name, const Any& value)
{
    if (rect.cellCount() > kQueueLimit) {
        flush();
        applyProperty({rect}, name, value);
        return;
    }
    auto it = std::find_if(properties_.begin(), properties_.end(),
                           [&](const PropertyState& p) { return p.name == name; });
    if (it == properties_.end()) {
        properties_.push_back(PropertyState{name, {}, {}});
        it = properties_.end() - 1;
    }
    int index = -1;
    for (size_t i = 0; i < it->values.size(); ++i)
        if (it->values[i] == value) {
            index = int(i);
            break;
        }
    if (index < 0) {
        if (it->values.size() >= UINT16_MAX - 1) {
            // As many values as a slot can tell apart: what is queued goes first.
            flush();
            setProperty(rect, name, value);
            return;
        }
        it->values.push_back(value);
        index = int(it->values.size()) - 1;
    }
    for (int c = rect.left; c <= rect.right; ++c)
        for (int r = rect.top; r <= rect.bottom; ++r)
            it->cells.set(r, c, uint16_t(index + 1));
}

void SheetBuffer::setBorder(const Rect& rect, int side, std::optional<int> style, std::optional<int> weight)
{
    if (borders_.empty() || !(borders_.back().rect == rect))
        borders_.push_back(BorderOp{rect, {}});
    SidePending& p = borders_.back().sides[side];
    if (style)
        p.style = style;
    if (weight)
        p.weight = weight;
}

void SheetBuffer::flush()
{
    if (!hasPending())
        return;
    invalidate();
    call(ErrorKind::Failed, [&] {
        flushValues();
        flushProperties();
        flushBorders();
    });
}

Reference<css::table::XCellRange> SheetBuffer::range(const Rect& r)
{
    return call(ErrorKind::Failed, [&] {
        countCall();
        return sheet_->getCellRangeByPosition(r.left, r.top, r.right, r.bottom);
    });
}

int SheetBuffer::sheetIndex()
{
    return call(ErrorKind::Failed, [&] {
        countCall();
        return int(Reference<css::sheet::XCellRangeAddressable>(sheet_, UNO_QUERY_THROW)->getRangeAddress().Sheet);
    });
}

void SheetBuffer::flushValues()
{
    if (values_.empty())
        return;
    for (const Rect& whole : coalesce(values_.cells())) {
        // A large block goes in bands of rows, so that what is sent at once
        // stays small.
        const int width = whole.right - whole.left + 1;
        const int bandRows = int(std::max<long long>(1, kCellsPerCall / width));
        for (int top = whole.top; top <= whole.bottom; top += bandRows) {
            const Rect r{top, whole.left, std::min(whole.bottom, top + bandRows - 1), whole.right};
            css::uno::Sequence<css::uno::Sequence<Any>> data(r.bottom - r.top + 1);
            auto* rows = data.getArray();
            for (int row = r.top; row <= r.bottom; ++row) {
                css::uno::Sequence<Any> line(width);
                auto* p = line.getArray();
                for (int col = r.left; col <= r.right; ++col)
                    *p++ = values_.value(row, col);
                rows[row - r.top] = std::move(line);
            }
            auto target = range(r);
            countCall();
            Reference<css::sheet::XCellRangeData>(target, UNO_QUERY_THROW)->setDataArray(data);
        }
    }
    values_.clear();
}

void SheetBuffer::applyProperty(const std::vector<Rect>& rects, const rtl::OUString& name, const Any& value)
{
    if (rects.empty())
        return;
    if (rects.size() == 1) {
        auto target = range(rects.front());
        countCall();
        Reference<css::beans::XPropertySet>(target, UNO_QUERY_THROW)->setPropertyValue(name, value);
        return;
    }
    const int sheet = sheetIndex();
    css::uno::Sequence<CellRangeAddress> addresses(static_cast<sal_Int32>(rects.size()));
    auto* a = addresses.getArray();
    for (const Rect& r : rects)
        *a++ = CellRangeAddress(sal_Int16(sheet), r.left, r.top, r.right, r.bottom);
    countCall(3);
    Reference<css::lang::XMultiServiceFactory> factory(document_, UNO_QUERY_THROW);
    Reference<css::sheet::XSheetCellRangeContainer> container(
        factory->createInstance("com.sun.star.sheet.SheetCellRanges"), UNO_QUERY_THROW);
    container->addRangeAddresses(addresses, false);
    Reference<css::beans::XPropertySet>(container, UNO_QUERY_THROW)->setPropertyValue(name, value);
}

void SheetBuffer::flushProperties()
{
    for (const PropertyState& p : properties_)
        for (size_t i = 0; i < p.values.size(); ++i) {
            const uint16_t wanted = uint16_t(i + 1);
            applyProperty(coalesce(p.cells.cells([wanted](uint16_t v) { return v == wanted; })), p.name,
                          p.values[i]);
        }
    properties_.clear();
}

void SheetBuffer::flushBorders()
{
    for (const BorderOp& op : borders_) {
        TableBorder2 border;
        bool anyEdge = false;
        std::optional<BorderLine2> down, up;
        using Side = BorderIndex;
        for (const auto& [side, pending] : op.sides) {
            const BorderLine2 line = borderLine(pending.style, pending.weight);
            switch (side) {
            case int(Side::EdgeLeft): border.LeftLine = line; border.IsLeftLineValid = true; anyEdge = true; break;
            case int(Side::EdgeTop): border.TopLine = line; border.IsTopLineValid = true; anyEdge = true; break;
            case int(Side::EdgeBottom): border.BottomLine = line; border.IsBottomLineValid = true; anyEdge = true; break;
            case int(Side::EdgeRight): border.RightLine = line; border.IsRightLineValid = true; anyEdge = true; break;
            case int(Side::InsideVertical): border.VerticalLine = line; border.IsVerticalLineValid = true; anyEdge = true; break;
            case int(Side::InsideHorizontal): border.HorizontalLine = line; border.IsHorizontalLineValid = true; anyEdge = true; break;
            case int(Side::DiagonalDown): down = line; break;
            case int(Side::DiagonalUp): up = line; break;
            default: break;
            }
        }
        auto target = range(op.rect);
        Reference<css::beans::XPropertySet> props(target, UNO_QUERY_THROW);
        if (down) {
            countCall();
            props->setPropertyValue("DiagonalTLBR2", Any(*down));
        }
        if (up) {
            countCall();
            props->setPropertyValue("DiagonalBLTR2", Any(*up));
        }
        if (anyEdge) {
            countCall();
            props->setPropertyValue("TableBorder2", Any(border));
        }
    }
    borders_.clear();
}

std::pair<int, int> SheetBuffer::usedEnd()
{
    flush();
    if (!usedEnd_) {
        usedEnd_ = call(ErrorKind::Failed, [&] {
            countCall(3);
            auto cursor = sheet_->createCursor();
            Reference<css::sheet::XUsedAreaCursor>(cursor, UNO_QUERY_THROW)->gotoEndOfUsedArea(false);
            const auto end = Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
            return std::pair<int, int>(end.EndRow, end.EndColumn);
        });
    }
    return *usedEnd_;
}

const SheetBuffer::Band& SheetBuffer::band(int row)
{
    // Plain names, not a structured binding: the lambda below captures them.
    const std::pair<int, int> end = usedEnd();
    const int lastRow = end.first;
    const int lastColumn = end.second;
    const int index = row / kBandRows;
    auto it = bands_.find(index);
    if (it != bands_.end())
        return it->second;
    Band b;
    const int top = index * kBandRows;
    if (top <= lastRow) {
        const Rect r{top, 0, std::min(lastRow, top + kBandRows - 1), lastColumn};
        call(ErrorKind::Failed, [&] {
            auto block = range(r);
            countCall(3);
            b.columns = lastColumn + 1;
            b.data = Reference<css::sheet::XCellRangeData>(block, UNO_QUERY_THROW)->getDataArray();
            gCellsRead += r.cellCount();
            auto dates = Reference<css::sheet::XCellRangesQuery>(block, UNO_QUERY_THROW)
                             ->queryContentCells(css::sheet::CellFlags::DATETIME);
            if (dates.is()) {
                countCall();
                for (const auto& a : dates->getRangeAddresses())
                    for (int rr = a.StartRow; rr <= a.EndRow; ++rr)
                        for (int c = a.StartColumn; c <= a.EndColumn; ++c)
                            b.dates.insert({rr, c});
            }
        });
    }
    return bands_.emplace(index, std::move(b)).first->second;
}

Any SheetBuffer::value(int row, int column)
{
    if (row < 0 || column < 0)
        return Any(rtl::OUString());
    const Band& b = band(row);
    const int i = row % kBandRows;
    if (column >= b.columns || i >= b.data.getLength())
        return Any(rtl::OUString());
    return b.data[i][column];
}

bool SheetBuffer::isDate(int row, int column)
{
    if (row < 0 || column < 0)
        return false;
    return band(row).dates.count({row, column}) > 0;
}

std::pair<int, int> SheetBuffer::lastCell()
{
    const auto [row, column] = usedEnd();
    // An empty sheet still reports its first cell as used.
    if (row == 0 && column == 0) {
        rtl::OUString s;
        const Any v = value(0, 0);
        if (v.getValueTypeClass() != css::uno::TypeClass_DOUBLE && (v >>= s) && s.isEmpty())
            return {-1, -1};
    }
    return {row, column};
}

css::uno::Sequence<css::uno::Sequence<Any>> SheetBuffer::values(const Rect& rect)
{
    flush();
    return call(ErrorKind::Failed, [&] {
        auto block = range(rect);
        countCall();
        gCellsRead += rect.cellCount();
        return Reference<css::sheet::XCellRangeData>(block, UNO_QUERY_THROW)->getDataArray();
    });
}

QDate SheetBuffer::nullDate()
{
    if (!nullDate_) {
        nullDate_ = call(ErrorKind::Failed, [&] {
            countCall();
            css::util::Date d(30, 12, 1899);
            Reference<css::beans::XPropertySet>(document_, UNO_QUERY_THROW)->getPropertyValue("NullDate") >>= d;
            return QDate(d.Year, d.Month, d.Day);
        });
    }
    return *nullDate_;
}

sal_Int32 SheetBuffer::dateFormat(bool withTime)
{
    auto it = dateFormats_.find(withTime);
    if (it != dateFormats_.end())
        return it->second;
    const sal_Int32 key = call(ErrorKind::Failed, [&] {
        countCall(2);
        Reference<css::util::XNumberFormatsSupplier> nfs(document_, UNO_QUERY_THROW);
        Reference<css::util::XNumberFormatTypes> types(nfs->getNumberFormats(), UNO_QUERY_THROW);
        return types->getStandardFormat(withTime ? css::util::NumberFormat::DATETIME : css::util::NumberFormat::DATE,
                                        css::lang::Locale("ru", "RU", ""));
    });
    dateFormats_[withTime] = key;
    return key;
}

QString SheetBuffer::displayText(int row, int column)
{
    flush();
    if (row < 0 || column < 0 || row > kMaxRow || column > kMaxColumn)
        return {};
    // The cell's text is the text as shown: its value in its format.
    return call(ErrorKind::Failed, [&] {
        countCall(2);
        Reference<css::text::XTextRange> text(sheet_->getCellByPosition(column, row), UNO_QUERY_THROW);
        return toQ(text->getString());
    });
}

} // namespace office::detail
