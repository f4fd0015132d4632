#include "platform/office/Calc.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/SpreadsheetDocument.h"

#include <QUrl>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/util/XMergeable.hpp>

namespace office {

using namespace office::uno;
using detail::Rect;

namespace {

detail::SheetBuffer& bufferOf(const std::shared_ptr<detail::SheetImpl>& s)
{
    if (!s)
        throw Error(ErrorKind::NotFound, QStringLiteral("лист не задан"));
    if (auto owner = s->owner.lock())
        owner->checkOpen();
    return s->buffer;
}

detail::DocImpl& docOf(const std::shared_ptr<detail::DocImpl>& d)
{
    if (!d)
        throw Error(ErrorKind::NotFound, QStringLiteral("документ не задан"));
    d->checkOpen();
    return *d;
}

Reference<css::beans::XPropertySet> lineOf(detail::SheetBuffer& b, bool column, int index)
{
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(3);
        Reference<css::table::XColumnRowRange> crr(b.sheet(), UNO_QUERY_THROW);
        Any line = column ? crr->getColumns()->getByIndex(index) : crr->getRows()->getByIndex(index);
        return Reference<css::beans::XPropertySet>(line, UNO_QUERY_THROW);
    });
}

} // namespace

// ---------------------------------------------------------------------------

CalcCell::CalcCell(std::shared_ptr<detail::SheetImpl> sheet, int column, int row)
    : sheet_(std::move(sheet)), column_(column), row_(row)
{
}

void CalcCell::setString(const QString& text)
{
    bufferOf(sheet_).setValue(row_, column_, Any(toOU(text)));
}

void CalcCell::setValue(double value)
{
    bufferOf(sheet_).setValue(row_, column_, Any(value));
}

void CalcCell::setFormula(const QString& formula)
{
    auto& b = bufferOf(sheet_);
    b.flush();
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(2);
        b.sheet()->getCellByPosition(column_, row_)->setFormula(toOU(formula));
    });
    b.invalidate();
}

QString CalcCell::string() const
{
    return bufferOf(sheet_).displayText(row_, column_);
}

double CalcCell::value() const
{
    double d = 0;
    bufferOf(sheet_).value(row_, column_) >>= d;
    return d;
}

void CalcCell::setHoriJustify(int code)
{
    bufferOf(sheet_).setProperty(Rect{row_, column_, row_, column_}, "HoriJustify",
                                 Any(css::table::CellHoriJustify(code)));
}

int CalcCell::horiJustify() const
{
    auto& b = bufferOf(sheet_);
    b.flush();
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(2);
        css::table::CellHoriJustify j = css::table::CellHoriJustify_STANDARD;
        Reference<css::beans::XPropertySet>(b.sheet()->getCellByPosition(column_, row_), UNO_QUERY_THROW)
                ->getPropertyValue("HoriJustify")
            >>= j;
        return int(j);
    });
}

// ---------------------------------------------------------------------------

CalcRange::CalcRange(std::shared_ptr<detail::SheetImpl> sheet, int left, int top, int right, int bottom)
    : sheet_(std::move(sheet)), left_(left), top_(top), right_(right), bottom_(bottom)
{
}

void CalcRange::merge(bool merge)
{
    auto& b = bufferOf(sheet_);
    b.flush();
    auto block = b.range(Rect{top_, left_, bottom_, right_});
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        Reference<css::util::XMergeable>(block, UNO_QUERY_THROW)->merge(merge);
    });
    b.invalidate();
}

bool CalcRange::isMerged() const
{
    auto& b = bufferOf(sheet_);
    auto block = b.range(Rect{top_, left_, bottom_, right_});
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        return bool(Reference<css::util::XMergeable>(block, UNO_QUERY_THROW)->getIsMerged());
    });
}

void CalcRange::setHoriJustify(int code)
{
    bufferOf(sheet_).setProperty(Rect{top_, left_, bottom_, right_}, "HoriJustify",
                                 Any(css::table::CellHoriJustify(code)));
}

void CalcRange::setTableBorder(int outlineWidth, int innerWidth)
{
    auto& b = bufferOf(sheet_);
    auto block = b.range(Rect{top_, left_, bottom_, right_});
    call(ErrorKind::Failed, [&] {
        const css::table::BorderLine outline(0, 0, sal_Int16(outlineWidth), 0);
        const css::table::BorderLine inner(0, 0, sal_Int16(innerWidth), 0);
        css::table::TableBorder border;
        setTableBorderLines(border, outline, innerWidth >= 0 ? &inner : nullptr);
        detail::SheetBuffer::countCall();
        Reference<css::beans::XPropertySet>(block, UNO_QUERY_THROW)->setPropertyValue("TableBorder", Any(border));
    });
}

namespace {

css::table::TableBorder readTableBorder(detail::SheetBuffer& b, const Rect& r)
{
    b.flush();
    auto block = b.range(r);
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        css::table::TableBorder t;
        Reference<css::beans::XPropertySet>(block, UNO_QUERY_THROW)->getPropertyValue("TableBorder") >>= t;
        return t;
    });
}

} // namespace

int CalcRange::outlineWidth() const
{
    const auto t = readTableBorder(bufferOf(sheet_), Rect{top_, left_, bottom_, right_});
    return t.LeftLine.OuterLineWidth + t.LeftLine.InnerLineWidth + t.LeftLine.LineDistance;
}

int CalcRange::innerWidth() const
{
    const auto t = readTableBorder(bufferOf(sheet_), Rect{top_, left_, bottom_, right_});
    return t.IsHorizontalLineValid ? t.HorizontalLine.OuterLineWidth + t.HorizontalLine.InnerLineWidth : 0;
}

// ---------------------------------------------------------------------------

QString CalcSheet::name() const
{
    auto& b = bufferOf(sheet_);
    return call(ErrorKind::Failed, [&] { return toQ(Reference<css::container::XNamed>(b.sheet(), UNO_QUERY_THROW)->getName()); });
}

void CalcSheet::setName(const QString& name)
{
    auto& b = bufferOf(sheet_);
    call(ErrorKind::Failed, [&] { Reference<css::container::XNamed>(b.sheet(), UNO_QUERY_THROW)->setName(toOU(name)); }, name);
}

int CalcSheet::index() const
{
    bufferOf(sheet_);
    return sheet_->index;
}

CalcCell CalcSheet::cell(int column, int row) const
{
    bufferOf(sheet_);
    if (column < 0 || row < 0 || column > detail::kMaxColumn || row > detail::kMaxRow)
        throw Error(ErrorKind::NotFound, QStringLiteral("ячейка (%1, %2)").arg(column).arg(row));
    return CalcCell(sheet_, column, row);
}

CalcRange CalcSheet::cellRange(int left, int top, int right, int bottom) const
{
    bufferOf(sheet_);
    if (left < 0 || top < 0 || right < left || bottom < top || right > detail::kMaxColumn || bottom > detail::kMaxRow)
        throw Error(ErrorKind::NotFound, QStringLiteral("диапазон (%1, %2, %3, %4)").arg(left).arg(top).arg(right).arg(bottom));
    return CalcRange(sheet_, left, top, right, bottom);
}

int CalcSheet::columnWidth(int column) const
{
    auto line = lineOf(bufferOf(sheet_), true, column);
    return call(ErrorKind::Failed, [&] {
        sal_Int32 w = 0;
        line->getPropertyValue("Width") >>= w;
        return int(w);
    });
}

void CalcSheet::setColumnWidth(int column, int width)
{
    auto line = lineOf(bufferOf(sheet_), true, column);
    call(ErrorKind::Failed, [&] { line->setPropertyValue("Width", Any(sal_Int32(width))); });
}

void CalcSheet::removeColumns(int column, int count)
{
    auto& b = bufferOf(sheet_);
    b.flush();
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(2);
        Reference<css::table::XColumnRowRange>(b.sheet(), UNO_QUERY_THROW)->getColumns()->removeByIndex(column, count);
    });
    b.invalidate();
}

int CalcSheet::rowHeight(int row) const
{
    auto line = lineOf(bufferOf(sheet_), false, row);
    return call(ErrorKind::Failed, [&] {
        bool visible = true;
        line->getPropertyValue("IsVisible") >>= visible;
        if (!visible)
            return 0;
        sal_Int32 h = 0;
        line->getPropertyValue("Height") >>= h;
        return int(h);
    });
}

void CalcSheet::setRowHeight(int row, int height)
{
    auto line = lineOf(bufferOf(sheet_), false, row);
    call(ErrorKind::Failed, [&] {
        // The office takes a height of 0 as "the usual height"; a row of
        // no height is a hidden row.
        if (height <= 0) {
            line->setPropertyValue("IsVisible", Any(false));
            return;
        }
        line->setPropertyValue("Height", Any(sal_Int32(height)));
        line->setPropertyValue("IsVisible", Any(true));
    });
}

int CalcSheet::lastRow() const
{
    return bufferOf(sheet_).lastCell().first;
}

int CalcSheet::lastColumn() const
{
    return bufferOf(sheet_).lastCell().second;
}

void CalcSheet::flush()
{
    bufferOf(sheet_).flush();
}

// ---------------------------------------------------------------------------

CalcDocument CalcDocument::load(const QString& pathOrUrl, bool hidden)
{
    return CalcDocument(detail::loadSpreadsheet(pathOrUrl, hidden ? props({{"Hidden", Any(true)}}) : Props()));
}

CalcDocument CalcDocument::createNew(bool hidden)
{
    return CalcDocument(detail::newSpreadsheet(hidden));
}

bool CalcDocument::isOpen() const
{
    return doc_ && !doc_->closed;
}

int CalcDocument::sheetCount() const
{
    return docOf(doc_).sheetCount();
}

QStringList CalcDocument::sheetNames() const
{
    return docOf(doc_).sheetNames();
}

CalcSheet CalcDocument::sheet(int index) const
{
    return CalcSheet(docOf(doc_).sheet(index));
}

CalcSheet CalcDocument::sheet(const QString& name) const
{
    return CalcSheet(docOf(doc_).sheet(name));
}

void CalcDocument::storeAsUrl(const QString& urlOrPath)
{
    auto& d = docOf(doc_);
    const QString filter = detail::spreadsheetFilterFor(QUrl(ConvertToURL(urlOrPath)).path());
    d.store(urlOrPath, true, filter.isEmpty() ? QStringLiteral("calc8") : filter);
}

QString CalcDocument::url() const
{
    return docOf(doc_).url();
}

void CalcDocument::setVisible(bool visible)
{
    auto& d = docOf(doc_);
    d.flush();
    if (!Office::instance().headless())
        uno::setVisible(d.document, visible);
}

void CalcDocument::activate()
{
    auto& d = docOf(doc_);
    d.flush();
    if (!Office::instance().headless())
        uno::activate(d.document);
}

void CalcDocument::dispose()
{
    if (doc_)
        doc_->close();
}

std::shared_ptr<detail::SheetImpl> sheetImplOf(const CalcSheet& s)
{
    return s.sheet_;
}

} // namespace office
