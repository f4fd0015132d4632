#include "platform/office/Excel.h"

#include "platform/office/OOo.h"
#include "platform/office/Office.h"
#include "platform/office/SerialDate.h"
#include "platform/office/SpreadsheetDocument.h"

#include <QDateTime>
#include <QLocale>
#include <QUrl>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <cmath>

namespace office {

using namespace office::uno;
using detail::Rect;

namespace {

// Column widths: one character of the default font is 2.24 mm, as the
// office's Excel filters count it; row heights are points.
constexpr double kHmmPerCharacter = 224.0;
constexpr double kHmmPerPoint = 2540.0 / 72.0;
constexpr long long kLargestWrite = 200000;
const QDate kTimeOnlyDay(1899, 12, 30);  // the day the regional settings write as a time alone

detail::SheetBuffer& bufferOf(const std::shared_ptr<detail::SheetImpl>& s)
{
    if (!s)
        throw Error(ErrorKind::NotFound, QStringLiteral("диапазон не задан"));
    auto owner = s->owner.lock();
    if (owner)
        owner->checkOpen();
    return s->buffer;
}

Rect rectOf(int top, int left, int bottom, int right)
{
    return Rect{top - 1, left - 1, bottom - 1, right - 1};
}

void checkPosition(int row, int column)
{
    if (row < 1 || column < 1 || row > detail::kMaxRow + 1 || column > detail::kMaxColumn + 1)
        throw Error(ErrorKind::NotFound, QStringLiteral("ячейка (%1, %2)").arg(row).arg(column));
}

// A value for the cell by Excel's rules (dates as the serial numbers of
// `b`'s document).
Any cellValue(const QVariant& v, detail::SheetBuffer& b)
{
    if (!v.isValid() || v.isNull())
        return Any(rtl::OUString());
    switch (v.typeId()) {
    case QMetaType::Bool: return Any(v.toBool() ? 1.0 : 0.0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return Any(v.toDouble());
    case QMetaType::QDate: return Any(serialOf(QDateTime(v.toDate(), QTime(0, 0)), b.nullDate()));
    case QMetaType::QDateTime: return Any(serialOf(v.toDateTime(), b.nullDate()));
    default: break;
    }
    const QString s = v.toString();
    if (s.startsWith(QLatin1Char('\'')))
        return Any(toOU(s.mid(1)));
    double d = 0;
    if (excelNumber(s, &d))
        return Any(d);
    return Any(toOU(s));
}

QVariant variantOf(detail::SheetBuffer& b, int row, int column)
{
    const Any v = b.value(row, column);
    double d = 0;
    if (v.getValueTypeClass() == css::uno::TypeClass_DOUBLE && (v >>= d))
        return b.isDate(row, column) ? QVariant(dateOfSerial(d, b.nullDate())) : QVariant(d);
    rtl::OUString s;
    v >>= s;
    if (s.isEmpty())
        return {};
    return toQ(s);
}

Reference<css::beans::XPropertySet> firstCell(detail::SheetBuffer& b, int top, int left)
{
    b.flush();
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        return Reference<css::beans::XPropertySet>(b.sheet()->getCellByPosition(left - 1, top - 1), UNO_QUERY_THROW);
    });
}

template <class T>
T cellProperty(detail::SheetBuffer& b, int top, int left, const char* name)
{
    auto cell = firstCell(b, top, left);
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        T out{};
        cell->getPropertyValue(OUString::createFromAscii(name)) >>= out;
        return out;
    });
}

// Sets a property of the range's columns or rows as a whole.
void setLineProperty(detail::SheetBuffer& b, const Rect& r, bool columns, const char* name, const Any& value)
{
    auto block = b.range(r);
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(2);
        Reference<css::table::XColumnRowRange> crr(block, UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> lines(
            columns ? Reference<css::uno::XInterface>(crr->getColumns()) : Reference<css::uno::XInterface>(crr->getRows()),
            UNO_QUERY_THROW);
        lines->setPropertyValue(OUString::createFromAscii(name), value);
    });
}

// The number as the regional settings write it without a format: up to 15
// significant digits, decimal comma, exponent outside 1E-05 .. 1E+15.
QString numberText(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    if (!std::isfinite(v))
        return QString::number(v);
    const QString e = QString::number(std::fabs(v), 'e', 14);  // d.dddddddddddddde+XX
    const int ePos = int(e.indexOf(QLatin1Char('e')));
    QString digits = e.left(ePos);
    digits.remove(QLatin1Char('.'));
    int exponent = e.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    QString out;
    if (exponent > -5 && exponent < 15) {
        if (exponent >= 0) {
            QString intPart = digits.left(exponent + 1);
            while (intPart.size() < exponent + 1)
                intPart += QLatin1Char('0');
            const QString frac = digits.mid(exponent + 1);
            out = frac.isEmpty() ? intPart : intPart + QLatin1Char(',') + frac;
        } else {
            out = QStringLiteral("0,") + QString(-exponent - 1, QLatin1Char('0')) + digits;
        }
    } else {
        out = digits.left(1);
        if (digits.size() > 1)
            out += QLatin1Char(',') + digits.mid(1);
        out += QStringLiteral("E") + QLatin1Char(exponent < 0 ? '-' : '+')
            + QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    }
    return v < 0 ? QLatin1Char('-') + out : out;
}

css::table::CellHoriJustify justifyOf(HAlign a)
{
    switch (a) {
    case HAlign::Left: return css::table::CellHoriJustify_LEFT;
    case HAlign::Center: return css::table::CellHoriJustify_CENTER;
    case HAlign::Right: return css::table::CellHoriJustify_RIGHT;
    default: return css::table::CellHoriJustify_STANDARD;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Texts and numbers

bool excelNumber(const QString& text, double* number)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    QString s = t;
    s.replace(QLatin1Char(' '), QChar(0x00A0));  // blanks between digit groups
    bool ok = false;
    const double d = russian.toDouble(s, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    if (number)
        *number = d;
    return true;
}

QString excelValueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: return numberText(value.toDouble());
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        const QString time = dt.time().toString(QStringLiteral("H:mm:ss"));
        if (dt.date() == kTimeOnlyDay)
            return time;
        const QString date = dt.date().toString(QStringLiteral("dd.MM.yyyy"));
        return dt.time() == QTime(0, 0) ? date : date + QLatin1Char(' ') + time;
    }
    default: return value.toString();
    }
}

// ---------------------------------------------------------------------------
// Border

Border::Border(std::shared_ptr<detail::SheetImpl> sheet, int top, int left, int bottom, int right, BorderIndex index)
    : sheet_(std::move(sheet)), top_(top), left_(left), bottom_(bottom), right_(right), index_(index)
{
}

void Border::setLineStyle(LineStyle style)
{
    bufferOf(sheet_).setBorder(rectOf(top_, left_, bottom_, right_), int(index_), int(style), std::nullopt);
}

void Border::setWeight(BorderWeight weight)
{
    bufferOf(sheet_).setBorder(rectOf(top_, left_, bottom_, right_), int(index_), std::nullopt, int(weight));
}

void Border::setColorIndex(int)
{
    // Lines are drawn black, the automatic colour.
}

namespace {

css::table::BorderLine2 readBorder(detail::SheetBuffer& b, const Rect& r, BorderIndex index)
{
    b.flush();
    auto block = b.range(r);
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        Reference<css::beans::XPropertySet> p(block, UNO_QUERY_THROW);
        css::table::BorderLine2 line;
        if (index == BorderIndex::DiagonalDown) {
            p->getPropertyValue("DiagonalTLBR2") >>= line;
            return line;
        }
        if (index == BorderIndex::DiagonalUp) {
            p->getPropertyValue("DiagonalBLTR2") >>= line;
            return line;
        }
        css::table::TableBorder2 t;
        p->getPropertyValue("TableBorder2") >>= t;
        switch (index) {
        case BorderIndex::EdgeLeft: return t.LeftLine;
        case BorderIndex::EdgeTop: return t.TopLine;
        case BorderIndex::EdgeBottom: return t.BottomLine;
        case BorderIndex::EdgeRight: return t.RightLine;
        case BorderIndex::InsideVertical: return t.VerticalLine;
        case BorderIndex::InsideHorizontal: return t.HorizontalLine;
        default: return line;
        }
    });
}

} // namespace

LineStyle Border::lineStyle() const
{
    return LineStyle(detail::lineStyleOf(readBorder(bufferOf(sheet_), rectOf(top_, left_, bottom_, right_), index_)));
}

BorderWeight Border::weight() const
{
    return BorderWeight(detail::weightOf(readBorder(bufferOf(sheet_), rectOf(top_, left_, bottom_, right_), index_)));
}

// ---------------------------------------------------------------------------
// Range

Range::Range(std::shared_ptr<detail::SheetImpl> sheet, int top, int left, int bottom, int right)
    : sheet_(std::move(sheet)), top_(top), left_(left), bottom_(bottom), right_(right)
{
}

Worksheet Range::worksheet() const
{
    return Worksheet(sheet_);
}

void Range::setValue(const QVariant& value)
{
    auto& b = bufferOf(sheet_);
    if ((long long)rowCount() * columnCount() > kLargestWrite)
        throw Error(ErrorKind::Failed, QStringLiteral("слишком большой диапазон"));
    const Any v = cellValue(value, b);
    for (int r = top_; r <= bottom_; ++r)
        for (int c = left_; c <= right_; ++c)
            b.setValue(r - 1, c - 1, v);
    // A date shows as a date, as when typed.
    const int type = value.typeId();
    if (type == QMetaType::QDate || type == QMetaType::QDateTime) {
        const bool withTime = type == QMetaType::QDateTime && value.toDateTime().time() != QTime(0, 0);
        b.setProperty(rectOf(top_, left_, bottom_, right_), "NumberFormat", Any(b.dateFormat(withTime)));
    }
}

QVariant Range::value() const
{
    return variantOf(bufferOf(sheet_), top_ - 1, left_ - 1);
}

QList<QVariantList> Range::values() const
{
    auto& b = bufferOf(sheet_);
    const auto [lastRow, lastColumn] = b.lastCell();
    QList<QVariantList> out;
    // Whole rows and columns stop at the last used cell.
    const int bottom = bottom_ > detail::kMaxRow ? std::max(top_, lastRow + 1) : bottom_;
    const int right = right_ > detail::kMaxColumn ? std::max(left_, lastColumn + 1) : right_;
    for (int r = top_; r <= bottom; ++r) {
        QVariantList row;
        for (int c = left_; c <= right; ++c)
            row << variantOf(b, r - 1, c - 1);
        out << row;
    }
    return out;
}

void Range::setValues(const QList<QVariantList>& rows)
{
    bufferOf(sheet_);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            Range(sheet_, top_ + r, left_ + c, top_ + r, left_ + c).setValue(rows[r][c]);
}

void Range::setBold(bool bold)
{
    bufferOf(sheet_).setProperty(rectOf(top_, left_, bottom_, right_), "CharWeight", Any(float(bold ? 150.0 : 100.0)));
}

bool Range::bold() const
{
    return cellProperty<float>(bufferOf(sheet_), top_, left_, "CharWeight") > 100.0f;
}

void Range::setFontSize(double points)
{
    bufferOf(sheet_).setProperty(rectOf(top_, left_, bottom_, right_), "CharHeight", Any(float(points)));
}

double Range::fontSize() const
{
    return cellProperty<float>(bufferOf(sheet_), top_, left_, "CharHeight");
}

void Range::setWrapText(bool wrap)
{
    bufferOf(sheet_).setProperty(rectOf(top_, left_, bottom_, right_), "IsTextWrapped", Any(wrap));
}

bool Range::wrapText() const
{
    return cellProperty<bool>(bufferOf(sheet_), top_, left_, "IsTextWrapped");
}

void Range::setHorizontalAlignment(HAlign alignment)
{
    bufferOf(sheet_).setProperty(rectOf(top_, left_, bottom_, right_), "HoriJustify", Any(justifyOf(alignment)));
}

HAlign Range::horizontalAlignment() const
{
    switch (cellProperty<css::table::CellHoriJustify>(bufferOf(sheet_), top_, left_, "HoriJustify")) {
    case css::table::CellHoriJustify_LEFT: return HAlign::Left;
    case css::table::CellHoriJustify_CENTER: return HAlign::Center;
    case css::table::CellHoriJustify_RIGHT: return HAlign::Right;
    default: return HAlign::General;
    }
}

void Range::setOrientation(int degrees)
{
    // Excel's named orientations: horizontal, upward, downward.
    if (degrees == -4128)
        degrees = 0;
    else if (degrees == -4171)
        degrees = 90;
    else if (degrees == -4170)
        degrees = -90;
    degrees = std::clamp(degrees, -90, 90);
    const sal_Int32 angle = degrees >= 0 ? degrees * 100 : 36000 + degrees * 100;
    bufferOf(sheet_).setProperty(rectOf(top_, left_, bottom_, right_), "RotateAngle", Any(angle));
}

int Range::orientation() const
{
    const sal_Int32 a = cellProperty<sal_Int32>(bufferOf(sheet_), top_, left_, "RotateAngle");
    return a > 18000 ? (a - 36000) / 100 : a / 100;
}

void Range::setColumnWidth(double characters)
{
    auto& b = bufferOf(sheet_);
    const Rect r = rectOf(1, left_, 1, right_);
    if (characters <= 0) {
        setLineProperty(b, r, true, "IsVisible", Any(false));
        return;
    }
    setLineProperty(b, r, true, "Width", Any(sal_Int32(std::lround(characters * kHmmPerCharacter))));
    setLineProperty(b, r, true, "IsVisible", Any(true));
}

double Range::columnWidth() const
{
    auto& b = bufferOf(sheet_);
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(3);
        Reference<css::table::XColumnRowRange> crr(b.sheet(), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> column(crr->getColumns()->getByIndex(left_ - 1), UNO_QUERY_THROW);
        bool visible = true;
        column->getPropertyValue("IsVisible") >>= visible;
        if (!visible)
            return 0.0;
        sal_Int32 width = 0;
        column->getPropertyValue("Width") >>= width;
        return std::round(width / kHmmPerCharacter * 100.0) / 100.0;
    });
}

void Range::setRowHeight(double points)
{
    auto& b = bufferOf(sheet_);
    const Rect r = rectOf(top_, 1, bottom_, 1);
    if (points <= 0) {
        setLineProperty(b, r, false, "IsVisible", Any(false));
        return;
    }
    setLineProperty(b, r, false, "Height", Any(sal_Int32(std::lround(points * kHmmPerPoint))));
    setLineProperty(b, r, false, "IsVisible", Any(true));
}

double Range::rowHeight() const
{
    auto& b = bufferOf(sheet_);
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(3);
        Reference<css::table::XColumnRowRange> crr(b.sheet(), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> row(crr->getRows()->getByIndex(top_ - 1), UNO_QUERY_THROW);
        bool visible = true;
        row->getPropertyValue("IsVisible") >>= visible;
        if (!visible)
            return 0.0;
        sal_Int32 height = 0;
        row->getPropertyValue("Height") >>= height;
        return std::round(height / kHmmPerPoint * 100.0) / 100.0;
    });
}

void Range::merge()
{
    auto& b = bufferOf(sheet_);
    b.flush();
    auto block = b.range(rectOf(top_, left_, bottom_, right_));
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        Reference<css::util::XMergeable>(block, UNO_QUERY_THROW)->merge(true);
    });
    b.invalidate();
}

bool Range::mergeCells() const
{
    auto& b = bufferOf(sheet_);
    auto block = b.range(rectOf(top_, left_, bottom_, right_));
    return call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall();
        return bool(Reference<css::util::XMergeable>(block, UNO_QUERY_THROW)->getIsMerged());
    });
}

void Range::select()
{
    bufferOf(sheet_);
    auto owner = sheet_->owner.lock();
    if (!owner)
        return;
    owner->selectionSheet = sheet_;
    owner->selection = rectOf(top_, left_, bottom_, right_);
}

void Range::deleteColumns()
{
    auto& b = bufferOf(sheet_);
    b.flush();
    call(ErrorKind::Failed, [&] {
        detail::SheetBuffer::countCall(2);
        Reference<css::table::XColumnRowRange> crr(b.sheet(), UNO_QUERY_THROW);
        crr->getColumns()->removeByIndex(left_ - 1, right_ - left_ + 1);
    });
    b.invalidate();
}

Border Range::border(BorderIndex index) const
{
    bufferOf(sheet_);
    return Border(sheet_, top_, left_, bottom_, right_, index);
}

// ---------------------------------------------------------------------------
// Worksheet

QString Worksheet::name() const
{
    auto& b = bufferOf(sheet_);
    return call(ErrorKind::Failed, [&] { return toQ(Reference<css::container::XNamed>(b.sheet(), UNO_QUERY_THROW)->getName()); });
}

void Worksheet::setName(const QString& name)
{
    auto& b = bufferOf(sheet_);
    call(ErrorKind::Failed, [&] { Reference<css::container::XNamed>(b.sheet(), UNO_QUERY_THROW)->setName(toOU(name)); }, name);
}

int Worksheet::index() const
{
    bufferOf(sheet_);
    return sheet_->index + 1;
}

Range Worksheet::cells(int row, int column) const
{
    bufferOf(sheet_);
    checkPosition(row, column);
    return Range(sheet_, row, column, row, column);
}

Range Worksheet::range(const Range& first, const Range& last) const
{
    bufferOf(sheet_);
    return Range(sheet_, std::min(first.top_, last.top_), std::min(first.left_, last.left_),
                 std::max(first.bottom_, last.bottom_), std::max(first.right_, last.right_));
}

Range Worksheet::columns(int column) const
{
    return columns(column, column);
}

Range Worksheet::columns(int first, int last) const
{
    bufferOf(sheet_);
    checkPosition(1, first);
    checkPosition(1, last);
    return Range(sheet_, 1, first, detail::kMaxRow + 1, last);
}

Range Worksheet::rows(int row) const
{
    bufferOf(sheet_);
    checkPosition(row, 1);
    return Range(sheet_, row, 1, row, detail::kMaxColumn + 1);
}

Range Worksheet::lastCell() const
{
    const auto [row, column] = bufferOf(sheet_).lastCell();
    return Range(sheet_, std::max(row, 0) + 1, std::max(column, 0) + 1, std::max(row, 0) + 1, std::max(column, 0) + 1);
}

void Worksheet::activate()
{
    bufferOf(sheet_);
    if (auto owner = sheet_->owner.lock())
        owner->setActiveSheet(sheet_->index);
}

void Worksheet::flush()
{
    bufferOf(sheet_).flush();
}

// ---------------------------------------------------------------------------
// Workbook

namespace {

detail::DocImpl& docOf(const std::shared_ptr<detail::DocImpl>& d)
{
    if (!d)
        throw Error(ErrorKind::NotFound, QStringLiteral("книга не задана"));
    d->checkOpen();
    return *d;
}

// Shows the workbook's selection in its window.
void showSelection(detail::DocImpl& d)
{
    auto sheet = d.selectionSheet.lock();
    if (!sheet)
        return;
    const Rect r = d.selection;
    auto block = sheet->buffer.range(r);
    call(ErrorKind::Failed, [&] {
        Reference<css::frame::XModel> model(d.document, UNO_QUERY_THROW);
        Reference<css::view::XSelectionSupplier> view(model->getCurrentController(), UNO_QUERY);
        if (view.is())
            view->select(Any(block));
    });
}

} // namespace

bool Workbook::isOpen() const
{
    return doc_ && !doc_->closed;
}

int Workbook::sheetCount() const
{
    return docOf(doc_).sheetCount();
}

QStringList Workbook::sheetNames() const
{
    return docOf(doc_).sheetNames();
}

Worksheet Workbook::sheet(int index) const
{
    return Worksheet(docOf(doc_).sheet(index - 1));
}

Worksheet Workbook::sheet(const QString& name) const
{
    return Worksheet(docOf(doc_).sheet(name));
}

Worksheet Workbook::activeSheet() const
{
    auto& d = docOf(doc_);
    return Worksheet(d.sheet(d.activeSheetIndex()));
}

QString Workbook::fullName() const
{
    const QUrl u(docOf(doc_).url());
    return u.isLocalFile() ? u.toLocalFile() : u.toString();
}

void Workbook::saveAs(const QString& path)
{
    docOf(doc_).store(path, true);
}

void Workbook::save()
{
    auto& d = docOf(doc_);
    d.flush();
    auto storeIt = [&] { Reference<css::frame::XStorable>(d.document, UNO_QUERY_THROW)->store(); };
    if (const QUrl u(d.url()); u.isLocalFile()) {
        storeBounded(u.toLocalFile(), 0, storeIt);
        return;
    }
    try {
        storeIt();
    } catch (const css::uno::Exception& e) {
        fail(ErrorKind::CannotStore, e, d.what);
    }
}

void Workbook::close(bool saveChanges)
{
    if (!doc_ || doc_->closed)
        return;
    if (saveChanges)
        save();
    doc_->close();
}

void Workbook::setVisible(bool visible)
{
    auto& d = docOf(doc_);
    d.flush();
    if (Office::instance().headless())
        return;
    uno::setVisible(d.document, visible);
    if (visible)
        showSelection(d);
}

void Workbook::activate()
{
    auto& d = docOf(doc_);
    if (!Office::instance().headless())
        uno::activate(d.document);
}

// ---------------------------------------------------------------------------
// Application

struct Application::Impl {
    bool visible = false;
    bool displayAlerts = true;
    bool started = false;
    std::vector<std::shared_ptr<detail::DocImpl>> books;
    std::weak_ptr<detail::DocImpl> active;

    Workbook add(std::shared_ptr<detail::DocImpl> doc)
    {
        books.push_back(doc);
        active = doc;
        return Workbook(doc);
    }
};

Application Application::attach()
{
    Application app;
    app.d_ = std::make_shared<Impl>();
    app.d_->started = Office::instance().ensureRunning();
    return app;
}

bool Application::startedOffice() const
{
    return d_ && d_->started;
}

Workbook Application::addWorkbook(const QString& templatePath)
{
    if (!d_)
        *this = attach();
    if (templatePath.isEmpty())
        return d_->add(detail::newSpreadsheet(!d_->visible));
    return d_->add(detail::loadSpreadsheet(templatePath, props({{"AsTemplate", Any(true)}, {"Hidden", Any(!d_->visible)}})));
}

Workbook Application::openWorkbook(const QString& path, bool readOnly)
{
    if (!d_)
        *this = attach();
    return d_->add(detail::loadSpreadsheet(
        path, props({{"Hidden", Any(!d_->visible)},
                     {"ReadOnly", Any(readOnly)},
                     {"UpdateDocMode", Any(sal_Int16(css::document::UpdateDocMode::NO_UPDATE))}})));
}

QList<Workbook> Application::workbooks() const
{
    QList<Workbook> out;
    if (d_)
        for (const auto& b : d_->books)
            if (!b->closed)
                out << Workbook(b);
    return out;
}

Workbook Application::activeWorkbook() const
{
    if (!d_)
        return {};
    auto a = d_->active.lock();
    if (a && !a->closed)
        return Workbook(a);
    for (auto it = d_->books.rbegin(); it != d_->books.rend(); ++it)
        if (!(*it)->closed)
            return Workbook(*it);
    return {};
}

Worksheet Application::activeSheet() const
{
    const Workbook b = activeWorkbook();
    return b.isValid() ? b.activeSheet() : Worksheet();
}

Range Application::selection() const
{
    const Workbook b = activeWorkbook();
    if (!b.isValid())
        return {};
    auto sheet = b.doc_->selectionSheet.lock();
    if (!sheet)
        return b.activeSheet().cells(1, 1);
    const Rect& r = b.doc_->selection;
    return Range(sheet, r.top + 1, r.left + 1, r.bottom + 1, r.right + 1);
}

bool Application::visible() const
{
    return d_ && d_->visible;
}

void Application::setVisible(bool visible)
{
    if (!d_)
        *this = attach();
    d_->visible = visible;
    for (const auto& b : d_->books)
        if (!b->closed)
            Workbook(b).setVisible(visible);
}

bool Application::displayAlerts() const
{
    return !d_ || d_->displayAlerts;
}

void Application::setDisplayAlerts(bool display)
{
    // The office asks nothing of the user when driven this way; the flag is
    // only kept.
    if (d_)
        d_->displayAlerts = display;
}

void ExcelDrawTableBorders(Application& excel, bool outlineOnly)
{
    auto step = [&](BorderIndex index, auto&& f) {
        try {
            Border b = excel.selection().border(index);
            f(b);
        } catch (const Error&) {
            // A step that fails is skipped.
        }
    };
    for (BorderIndex i : {BorderIndex::DiagonalDown, BorderIndex::DiagonalUp})
        step(i, [](Border& b) { b.setLineStyle(LineStyle::None); });
    for (BorderIndex i : {BorderIndex::EdgeLeft, BorderIndex::EdgeTop, BorderIndex::EdgeBottom, BorderIndex::EdgeRight})
        step(i, [](Border& b) {
            b.setLineStyle(LineStyle::Continuous);
            b.setWeight(BorderWeight::Thin);
            b.setColorIndex(kColorIndexAutomatic);
            b.setWeight(BorderWeight::Medium);
        });
    if (!outlineOnly)
        for (BorderIndex i : {BorderIndex::InsideVertical, BorderIndex::InsideHorizontal})
            step(i, [](Border& b) {
                b.setLineStyle(LineStyle::Continuous);
                b.setWeight(BorderWeight::Thin);
                b.setColorIndex(kColorIndexAutomatic);
            });
}

} // namespace office
