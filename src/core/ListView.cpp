#include "core/ListView.h"

#include "platform/jet/Jet.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QScreen>

#include <unicode/ucol.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace core {
namespace {

// Draws a column caption wider than its column as its beginning and "…",
// whatever its alignment: a right-aligned caption would otherwise lose its
// first words and a centred one both ends.
class ElidingHeaderStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* header = element == CE_HeaderLabel ? qstyleoption_cast<const QStyleOptionHeader*>(option) : nullptr;
        if (!header) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionHeader elided(*header);
        int room = elided.rect.width();
        if (!elided.icon.isNull())
            room -= pixelMetric(PM_SmallIconSize, option, widget) + 2 * pixelMetric(PM_HeaderMargin, option, widget);
        elided.text = elided.fontMetrics.elidedText(elided.text, Qt::ElideRight, qMax(0, room));
        QProxyStyle::drawControl(element, &elided, painter, widget);
    }
};

Qt::Alignment qtAlignment(int alignment)
{
    switch (alignment) {
    case AlignRight: return Qt::AlignRight | Qt::AlignVCenter;
    case AlignCenter: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void prepareHeader(QTreeView* list)
{
    list->header()->setMinimumSectionSize(0);
    list->header()->setStretchLastSection(false);
    if (!dynamic_cast<ElidingHeaderStyle*>(list->header()->style())) {
        // Over the program's own style, whichever it is.
        auto* style = new ElidingHeaderStyle(QApplication::style()->name());
        style->setParent(list->header());
        list->header()->setStyle(style);
    }
}

template <class T>
QList<T> expandBlock(const QList<T>& plain, const QList<T>& block, int position, bool useBlock)
{
    if (!useBlock)
        return plain;
    QList<T> out;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (i == position)
            out += block;
        else
            out.append(plain.at(i));
    }
    if (position >= plain.size())
        out += block;
    return out;
}

// Russian order without regard to case, as the database sorts text.
class RussianCollator {
public:
    RussianCollator()
    {
        UErrorCode status = U_ZERO_ERROR;
        coll_ = ucol_open("ru_RU", &status);
        if (U_FAILURE(status)) {
            coll_ = nullptr;
            return;
        }
        ucol_setStrength(coll_, UCOL_SECONDARY);
    }
    ~RussianCollator()
    {
        if (coll_)
            ucol_close(coll_);
    }
    RussianCollator(const RussianCollator&) = delete;
    RussianCollator& operator=(const RussianCollator&) = delete;

    QByteArray sortKey(const QString& text) const
    {
        if (!coll_)
            return text.toLower().toUtf8();
        const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
        const int32_t length = static_cast<int32_t>(text.size());
        QByteArray key(qMax<qsizetype>(32, text.size() * 4 + 8), Qt::Uninitialized);
        int32_t needed = ucol_getSortKey(coll_, chars, length, reinterpret_cast<uint8_t*>(key.data()),
                                         static_cast<int32_t>(key.size()));
        if (needed > key.size()) {
            key.resize(needed);
            needed = ucol_getSortKey(coll_, chars, length, reinterpret_cast<uint8_t*>(key.data()), needed);
        }
        key.resize(qMax(0, needed - 1));  // without the terminating zero
        return key;
    }

private:
    UCollator* coll_ = nullptr;
};

const QString& totalsTextKey()
{
    static const QString key(100, QChar(0x044F));  // the letter я
    return key;
}

bool readNumber(const QString& cell, double* value)
{
    QString s = cell.trimmed();
    if (s.isEmpty()) {
        *value = 0;
        return true;
    }
    s.remove(QChar(0x00A0));
    s.remove(QChar(0x202F));
    s.remove(QLatin1Char(' '));
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

bool readDate(const QString& cell, QDate* date)
{
    static const QRegularExpression dayFirst(
        QStringLiteral("^(\\d{1,2})[./-](\\d{1,2})[./-](\\d{4}|\\d{2})(?:\\s.*)?$"));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T\\s].*)?$"));
    const QString s = cell.trimmed();
    int y = 0, m = 0, d = 0;
    if (auto match = dayFirst.match(s); match.hasMatch()) {
        d = match.captured(1).toInt();
        m = match.captured(2).toInt();
        y = match.captured(3).toInt();
        if (match.captured(3).size() == 2)
            y += y < 30 ? 2000 : 1900;
    } else if (auto iso = yearFirst.match(s); iso.hasMatch()) {
        y = iso.captured(1).toInt();
        m = iso.captured(2).toInt();
        d = iso.captured(3).toInt();
    } else {
        return false;
    }
    const QDate result(y, m, d);
    if (!result.isValid())
        return false;
    *date = result;
    return true;
}

QString numberKeyText(double value)
{
    QString s = QString::asprintf("%019.3f", value);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

int weekdayIndex(const QString& cell)
{
    static const QStringList days{QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"),
                                  QStringLiteral("Чт"), QStringLiteral("Пт"), QStringLiteral("Сб"),
                                  QStringLiteral("Вс")};
    return static_cast<int>(days.indexOf(cell));
}

// Holds off the painting of a list while it is rebuilt. Only a switch set on
// the list itself is given back: a list that is merely painted with its
// window (a child window being maximized or restored holds off its own
// painting for a moment) must not keep that state once the window paints
// again.
class UpdatesOff {
public:
    explicit UpdatesOff(QWidget* w) : w_(w), ownSwitch_(w->testAttribute(Qt::WA_ForceUpdatesDisabled))
    {
        w_->setUpdatesEnabled(false);
    }
    ~UpdatesOff() { w_->setUpdatesEnabled(!ownSwitch_); }
    UpdatesOff(const UpdatesOff&) = delete;
    UpdatesOff& operator=(const UpdatesOff&) = delete;

private:
    QWidget* w_;
    bool ownSwitch_;
};

// Reading a packed row (ReportModel::appendPackedRow) that starts at `d`:
// field `index` (0 the key, then the cells from column 0), empty beyond the
// last field kept.
QStringView packedField(const QChar* d, int index)
{
    if (!d || index < 0)
        return {};
    const ushort head = d[0].unicode();
    const int count = head & 0x7FFF;
    const bool wide = (head & 0x8000) != 0;
    if (index >= count)
        return {};
    auto endOf = [d, wide](int k) -> qsizetype {
        if (!wide)
            return d[1 + k].unicode();
        return (qsizetype(d[1 + 2 * k].unicode()) << 16) | d[2 + 2 * k].unicode();
    };
    const qsizetype base = 1 + qsizetype(count) * (wide ? 2 : 1);
    const qsizetype start = index == 0 ? 0 : endOf(index - 1);
    return QStringView(d + base + start, endOf(index) - start);
}

// The characters a packed row takes.
qsizetype packedLength(const QChar* d)
{
    const int count = d[0].unicode() & 0x7FFF;
    const qsizetype header = 1 + qsizetype(count) * ((d[0].unicode() & 0x8000) ? 2 : 1);
    const QStringView last = packedField(d, count - 1);
    return header + (last.constData() - (d + header)) + last.size();
}

std::vector<QString> unpackRow(const QChar* d)
{
    std::vector<QString> fields;
    const int count = d[0].unicode() & 0x7FFF;
    fields.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        fields.push_back(packedField(d, i).toString());
    return fields;
}

bool isTotalsCell(QStringView cell)
{
    return cell.toString().toUpper() == QString::fromUtf8(kTotalsMarker);
}

quint64 tipKey(int slot, int column)
{
    return (quint64(quint32(slot)) << 16) | quint16(column);
}

// The key of one row: converted cells first (rank 0), then cells that did
// not read under the sort kind (rank 1, by their text), then a totals row.
struct SortEntry {
    int slot = 0;
    int rank = 0;
    double number = 0;
    QByteArray key;
};

} // namespace

int twipsToPixels(double twips, const QWidget* widget)
{
    double dpi = 96;
    if (widget)
        dpi = widget->logicalDpiX();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchX();
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

void SetupListViewColumns(ReportList* list, const QStringList& captions, const QList<int>& alignments,
                          const ColumnBlock& block)
{
    list->hide();
    prepareHeader(list);
    const bool useBlock = block.isUsed();
    const QStringList allCaptions = expandBlock(captions, block.captions, block.position, useBlock);
    const QList<int> allAlignments = expandBlock(alignments, block.alignments, block.position, useBlock);
    const qsizetype usable = std::min(allCaptions.size(), allAlignments.size());
    list->reportModel()->setColumns(allCaptions.mid(0, usable), allAlignments.mid(0, usable));
    const int startWidth = twipsToPixels(10, list);
    for (int c = 0; c < int(usable); ++c)
        list->setColumnWidth(c, startWidth);
    if (usable < allCaptions.size())
        throw std::invalid_argument("column definition: an alignment is missing");
}

void FitListViewColumns(ReportList* list, const QList<double>& divisors, const QList<double>& minWidths,
                        const ColumnBlock& block)
{
    {
        const UpdatesOff updatesOff(list);
        const bool useBlock = block.isUsed();
        const QList<double> allDivisors = expandBlock(divisors, block.divisors, block.position, useBlock);
        const QList<double> allMinimums = expandBlock(minWidths, block.minWidths, block.position, useBlock);
        const double listWidth = list->width();
        for (int c = 0; c < list->columnCount(); ++c) {
            const double divisor = c < allDivisors.size() ? allDivisors.at(c) : 0;
            const double minimum = c < allMinimums.size() ? twipsToPixels(allMinimums.at(c), list) : 0;
            double width = divisor > 0 ? listWidth / divisor : 0;
            if (width < minimum)
                width = minimum;
            list->setColumnWidth(c, static_cast<int>(width));
        }
    }
    list->show();
}

QString SortKeyText(const QString& cell, int sortKind, bool isTotals, bool* converted)
{
    bool ok = true;
    QString key;
    switch (sortKind) {
    case SortText:
        key = isTotals ? totalsTextKey() : cell;
        break;
    case SortNumber: {
        double v = 0;
        if (isTotals)
            key = numberKeyText(999999999999.0);
        else if ((ok = readNumber(cell, &v)))
            key = numberKeyText(v + 1e11);
        else
            key = cell;
        break;
    }
    case SortDate: {
        QDate d;
        if (isTotals)
            key = QStringLiteral("99999999");
        else if (cell.trimmed().startsWith(QStringLiteral("Нед")))
            key = cell, ok = false;
        else if ((ok = readDate(cell, &d)))
            key = d.toString(QStringLiteral("yyyyMMdd"));
        else
            key = cell;
        break;
    }
    case SortWeekday: {
        const int day = weekdayIndex(cell);
        if (isTotals)
            key = QStringLiteral("99");
        else if ((ok = day >= 0))
            key = QStringLiteral("0%1").arg(day);
        else
            key = cell;
        break;
    }
    default:
        ok = false;
        key = cell;
        break;
    }
    if (converted)
        *converted = ok;
    return key;
}

void SortListViewByColumn(ReportList* list, int column, bool descending, int sortKind, int totalsSubItem)
{
    if (!list || column < 2 || sortKind < SortText || sortKind > SortWeekday)
        return;
    const UpdatesOff updatesOff(list);
    list->reportModel()->sortRows(column - 1, descending, sortKind, totalsSubItem);
    // The header shows which column the rows are sorted by, and which way,
    // until rows are added or the list is filled anew.
    list->header()->setSortIndicator(column - 1, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    list->header()->setSortIndicatorShown(true);
}

double IdFromKey(const QString& key)
{
    QString s = key;
    s.remove(QLatin1Char('R'));
    return jet::vbVal(QStringLiteral("0") + s);
}

QString listItemKey(const ListItem& item)
{
    return item.key();
}

QString rowItemKey(qlonglong rowId)
{
    return QStringLiteral("R") + QString::number(rowId);
}

ListItem addListItem(ReportList* list, const QString& key)
{
    QString row;
    ReportModel::appendPackedRow(row, &key, 1);
    list->reportModel()->appendPacked(std::move(row), 1);
    return list->topLevelItem(list->topLevelItemCount() - 1);
}

ListItem findListItem(const ReportList* list, const QString& key)
{
    const ReportModel* model = list->reportModel();
    for (int i = 0; i < model->rowCount(); ++i)
        if (model->key(model->slotAt(i)) == key)
            return list->topLevelItem(i);
    return {};
}

ListItem selectedListItem(const ReportList* list)
{
    if (!list)
        return {};
    const ListItem current = list->currentItem();
    if (current && current.isSelected())
        return current;
    const QList<ListItem> selected = list->selectedItems();
    return selected.isEmpty() ? ListItem() : selected.first();
}

int listItemPosition(const ReportList* list, const ListItem& item)
{
    if (!list || !item || item.list() != list)
        return 0;
    return item.position() + 1;
}

void selectOnlyItem(ReportList* list, const ListItem& item)
{
    if (!list || !item || item.list() != list)
        return;
    const QModelIndex index = list->reportModel()->index(item.position(), 0);
    list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->scrollTo(index);
}

// ListItem

bool ListItem::isValid() const
{
    return list_ && list_->reportModel()->positionOf(slot_) >= 0;
}

int ListItem::position() const
{
    return list_ ? list_->reportModel()->positionOf(slot_) : -1;
}

QString ListItem::text(int column) const
{
    return isValid() ? list_->reportModel()->text(slot_, column) : QString();
}

void ListItem::setText(int column, const QString& text)
{
    if (isValid())
        list_->reportModel()->setText(slot_, column, text);
}

QString ListItem::toolTip(int column) const
{
    return isValid() ? list_->reportModel()->toolTip(slot_, column) : QString();
}

void ListItem::setToolTip(int column, const QString& tip)
{
    if (isValid())
        list_->reportModel()->setToolTip(slot_, column, tip);
}

QString ListItem::key() const
{
    return isValid() ? list_->reportModel()->key(slot_) : QString();
}

void ListItem::setKey(const QString& key)
{
    if (isValid())
        list_->reportModel()->setKey(slot_, key);
}

bool ListItem::isSelected() const
{
    if (!isValid())
        return false;
    return list_->selectionModel()->isSelected(list_->reportModel()->index(position(), 0));
}

void ListItem::setSelected(bool selected)
{
    if (!isValid())
        return;
    list_->selectionModel()->select(list_->reportModel()->index(position(), 0),
                                    (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                        QItemSelectionModel::Rows);
}

int ListItem::columnCount() const
{
    return list_ ? list_->columnCount() : 0;
}

QString ListHeader::text(int column) const
{
    return model_->caption(column);
}

int ListHeader::textAlignment(int column) const
{
    return int(model_->alignment(column));
}

// ReportModel

ReportModel::ReportModel(ReportList* list) : QAbstractTableModel(list), list_(list) {}

int ReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(order_.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(captions_.size());
}

QVariant ReportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int slot = order_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(slot, index.column());
    case Qt::ToolTipRole: {
        const QString tip = toolTip(slot, index.column());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::TextAlignmentRole:
        return int(alignment(index.column()));
    case kItemKeyRole:
        return index.column() == 0 ? QVariant(key(slot)) : QVariant();
    default:
        return {};
    }
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return captions_.at(section);
    if (role == Qt::TextAlignmentRole)
        return int(alignment(section));
    return {};
}

Qt::Alignment ReportModel::alignment(int column) const
{
    return alignments_.value(column, Qt::AlignLeft | Qt::AlignVCenter);
}

void ReportModel::setColumns(const QStringList& captions, const QList<int>& alignments)
{
    beginResetModel();
    captions_ = captions;
    alignments_.clear();
    for (int a : alignments)
        alignments_.append(qtAlignment(a));
    dropRows();
    endResetModel();
}

void ReportModel::clear()
{
    beginResetModel();
    dropRows();
    endResetModel();
}

void ReportModel::dropRows()
{
    pool_ = QString();
    unused_ = 0;
    std::vector<qsizetype>().swap(starts_);
    std::vector<int>().swap(order_);
    std::vector<int>().swap(positions_);
    tips_.clear();
    sortColumn_ = -1;
}

void ReportModel::appendPacked(QString&& rows, int count)
{
    if (count <= 0 || rows.isEmpty())
        return;
    const int first = rowCount();
    if (count > 1) {
        starts_.reserve(starts_.size() + size_t(count));
        order_.reserve(order_.size() + size_t(count));
        positions_.reserve(positions_.size() + size_t(count));
    }
    qsizetype offset = pool_.size();
    if (pool_.isEmpty()) {
        pool_ = std::move(rows);
        pool_.squeeze();
    } else {
        if (count > 1)
            pool_.reserve(pool_.size() + rows.size());  // exactly: a list filled in one go takes no spare room
        pool_.append(rows);
    }
    beginInsertRows({}, first, first + count - 1);
    for (int i = 0; i < count; ++i) {
        positions_.push_back(int(order_.size()));
        order_.push_back(int(starts_.size()));
        starts_.push_back(offset);
        offset += packedLength(pool_.constData() + offset);
    }
    endInsertRows();
}

void ReportModel::removeSlot(int slot)
{
    const int position = positionOf(slot);
    if (position < 0)
        return;
    beginRemoveRows({}, position, position);
    order_.erase(order_.begin() + position);
    for (size_t p = size_t(position); p < order_.size(); ++p)
        positions_[size_t(order_[p])] = int(p);
    positions_[size_t(slot)] = -1;
    unused_ += packedLength(pool_.constData() + starts_[size_t(slot)]);
    for (auto it = tips_.begin(); it != tips_.end();) {
        if (int(it.key() >> 16) == slot)
            it = tips_.erase(it);
        else
            ++it;
    }
    endRemoveRows();
}

int ReportModel::slotAt(int position) const
{
    return position >= 0 && size_t(position) < order_.size() ? order_[size_t(position)] : -1;
}

int ReportModel::positionOf(int slot) const
{
    return slot >= 0 && size_t(slot) < positions_.size() ? positions_[size_t(slot)] : -1;
}

QStringView ReportModel::field(int slot, int index) const
{
    return positionOf(slot) >= 0 ? packedField(pool_.constData() + starts_[size_t(slot)], index) : QStringView();
}

QString ReportModel::key(int slot) const
{
    return field(slot, 0).toString();
}

void ReportModel::setKey(int slot, const QString& key)
{
    replaceField(slot, 0, key);
}

QString ReportModel::text(int slot, int column) const
{
    if (column != 0 || sortColumn_ < 0)
        return field(slot, column + 1).toString();
    const QStringView own = field(slot, 1);
    if (!own.isEmpty() || positionOf(slot) < 0)
        return own.toString();
    const bool totals = totalsColumn_ > 0 && isTotalsCell(field(slot, totalsColumn_ + 1));
    return SortKeyText(field(slot, sortColumn_ + 1).toString(), sortKind_, totals);
}

void ReportModel::setText(int slot, int column, const QString& text)
{
    if (column < 0)
        return;
    replaceField(slot, column + 1, text);
    notifyRow(slot, column, column);
}

QString ReportModel::toolTip(int slot, int column) const
{
    const auto it = tips_.constFind(tipKey(slot, column));
    if (it != tips_.constEnd())
        return *it;
    if (tipSource_ && positionOf(slot) >= 0)
        return tipSource_(ListItem(list_, slot), column);
    return {};
}

void ReportModel::setToolTip(int slot, int column, const QString& tip)
{
    if (positionOf(slot) < 0 || column < 0)
        return;
    if (tip.isEmpty())
        tips_.remove(tipKey(slot, column));
    else
        tips_.insert(tipKey(slot, column), tip);
}

void ReportModel::setToolTipSource(std::function<QString(const ListItem&, int)> source)
{
    tipSource_ = std::move(source);
}

void ReportModel::replaceField(int slot, int index, const QString& text)
{
    if (positionOf(slot) < 0)
        return;
    const QChar* row = pool_.constData() + starts_[size_t(slot)];
    std::vector<QString> fields = unpackRow(row);
    if (size_t(index) >= fields.size()) {
        if (text.isEmpty())
            return;
        fields.resize(size_t(index) + 1);
    }
    fields[size_t(index)] = text;
    // The changed row goes to the end of the pool; its old place is given
    // back once the unused part outweighs the rows in use.
    unused_ += packedLength(row);
    starts_[size_t(slot)] = pool_.size();
    appendPackedRow(pool_, fields.data(), qsizetype(fields.size()));
    if (unused_ > 4096 && unused_ > pool_.size() / 2)
        compactPool();
}

void ReportModel::compactPool()
{
    QString pool;
    pool.reserve(pool_.size() - unused_);
    for (size_t slot = 0; slot < starts_.size(); ++slot) {
        if (positions_[slot] < 0)
            continue;
        const QChar* row = pool_.constData() + starts_[slot];
        starts_[slot] = pool.size();
        pool.append(row, packedLength(row));
    }
    pool_ = std::move(pool);
    unused_ = 0;
}

void ReportModel::notifyRow(int slot, int firstColumn, int lastColumn)
{
    const int position = positionOf(slot);
    if (position >= 0 && lastColumn < columnCount())
        Q_EMIT dataChanged(index(position, firstColumn), index(position, lastColumn));
}

void ReportModel::appendPackedRow(QString& out, const QString* fields, qsizetype count)
{
    while (count > 1 && fields[count - 1].isEmpty())
        --count;
    count = std::max<qsizetype>(count, 1);
    qsizetype total = 0;
    for (qsizetype i = 0; i < count && fields; ++i)
        total += fields[i].size();
    const bool wide = total > 0xFFFF;
    const qsizetype width = wide ? 2 : 1;
    const qsizetype at = out.size();
    out.resize(at + 1 + count * width + total);
    QChar* d = out.data() + at;
    *d++ = QChar(ushort(count | (wide ? 0x8000 : 0)));
    qsizetype end = 0;
    for (qsizetype i = 0; i < count; ++i) {
        end += fields ? fields[i].size() : 0;
        if (wide)
            *d++ = QChar(ushort(end >> 16));
        *d++ = QChar(ushort(end & 0xFFFF));
    }
    for (qsizetype i = 0; i < count && fields; ++i) {
        std::copy(fields[i].constBegin(), fields[i].constEnd(), d);
        d += fields[i].size();
    }
}

void ReportModel::sortRows(int column, bool descending, int sortKind, int totalsColumn)
{
    const RussianCollator collator;
    std::vector<SortEntry> entries;
    entries.reserve(order_.size());
    for (int slot : order_) {
        SortEntry e;
        e.slot = slot;
        const bool totals = totalsColumn > 0 && isTotalsCell(field(slot, totalsColumn + 1));
        const QString cell = field(slot, column + 1).toString();
        bool converted = true;
        const QString key = SortKeyText(cell, sortKind, totals, &converted);
        if (totals) {
            e.rank = 2;
        } else if (!converted) {
            e.rank = 1;
            e.key = collator.sortKey(cell);
        } else if (sortKind == SortNumber) {
            readNumber(cell, &e.number);
        } else if (sortKind == SortText) {
            e.key = collator.sortKey(cell);
        } else {
            e.key = key.toLatin1();
        }
        entries.push_back(std::move(e));
    }

    const bool numeric = sortKind == SortNumber;
    auto less = [numeric](const SortEntry& a, const SortEntry& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.rank == 2)
            return false;
        if (a.rank == 0 && numeric)
            return a.number < b.number;
        return a.key < b.key;
    };
    if (descending)
        std::stable_sort(entries.begin(), entries.end(), [&less](const SortEntry& a, const SortEntry& b) { return less(b, a); });
    else
        std::stable_sort(entries.begin(), entries.end(), less);

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> slotsBefore;
    slotsBefore.reserve(size_t(before.size()));
    for (const QModelIndex& index : before)
        slotsBefore.push_back(slotAt(index.row()));
    for (size_t p = 0; p < entries.size(); ++p) {
        order_[p] = entries[p].slot;
        positions_[size_t(entries[p].slot)] = int(p);
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(positionOf(slotsBefore[size_t(i)]), before.at(i).column()));
    changePersistentIndexList(before, after);
    // Column 0 shows the new keys: texts put there before give way.
    for (int slot : order_)
        if (!field(slot, 1).isEmpty())
            replaceField(slot, 1, QString());
    sortColumn_ = column;
    sortKind_ = sortKind;
    totalsColumn_ = totalsColumn;
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ListAppender

ListAppender::ListAppender(ReportList* list) : list_(list) {}

ListAppender::~ListAppender()
{
    commit();
}

void ListAppender::addRow(const QString& key)
{
    finishRow();
    fields_.assign(1, key);
    open_ = true;
}

void ListAppender::setText(int column, const QString& text)
{
    if (!open_ || column < 0)
        return;
    if (fields_.size() <= size_t(column) + 1)
        fields_.resize(size_t(column) + 2);
    fields_[size_t(column) + 1] = text;
}

void ListAppender::finishRow()
{
    if (!open_)
        return;
    ReportModel::appendPackedRow(rows_, fields_.data(), qsizetype(fields_.size()));
    ++count_;
    fields_.clear();
    open_ = false;
}

void ListAppender::reserve(qsizetype characters)
{
    rows_.reserve(rows_.size() + characters);
}

void ListAppender::commit()
{
    finishRow();
    if (rows_.capacity() > rows_.size())
        rows_.squeeze();
    if (count_ > 0 && list_)
        list_->reportModel()->appendPacked(std::move(rows_), count_);
    rows_ = QString();
    count_ = 0;
}

int vbKeyCode(const QKeyEvent* event)
{
    const int key = event->key();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (keypad ? 96 : 48) + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Asterisk: return keypad ? 106 : 0;
    case Qt::Key_Plus: return keypad ? 107 : 187;
    case Qt::Key_Minus: return keypad ? 109 : 189;
    case Qt::Key_Period: return keypad ? 110 : 190;
    case Qt::Key_Slash: return keypad ? 111 : 191;
    default: return 0;
    }
}

int vbShiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        shift |= 1;
    if (modifiers.testFlag(Qt::ControlModifier))
        shift |= 2;
    if (modifiers.testFlag(Qt::AltModifier))
        shift |= 4;
    return shift;
}

ReportList::ReportList(QWidget* parent) : QTreeView(parent), model_(new ReportModel(this))
{
    setModel(model_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    prepareHeader(this);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int logical) { Q_EMIT columnClicked(logical + 1); });
    // Rows added, or the list filled anew, are in no column's order.
    const auto unsorted = [this] { header()->setSortIndicatorShown(false); };
    connect(model_, &QAbstractItemModel::modelReset, this, unsorted);
    connect(model_, &QAbstractItemModel::rowsInserted, this, unsorted);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { Q_EMIT itemClick(topLevelItem(index.row())); });
}

void ReportList::setMultiSelect(bool multi)
{
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool ReportList::multiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection ||
           selectionMode() == QAbstractItemView::MultiSelection;
}

ListItem ReportList::topLevelItem(int position) const
{
    const int slot = model_->slotAt(position);
    return slot >= 0 ? ListItem(const_cast<ReportList*>(this), slot) : ListItem();
}

QList<ListItem> ReportList::selectedItems() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (range.left() <= 0 && range.right() >= 0)
            for (int r = range.top(); r <= range.bottom(); ++r)
                rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<ListItem> items;
    items.reserve(qsizetype(rows.size()));
    for (int r : rows)
        items.append(topLevelItem(r));
    return items;
}

ListItem ReportList::currentItem() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? topLevelItem(index.row()) : ListItem();
}

void ReportList::setCurrentItem(const ListItem& item)
{
    if (item && item.list() == this)
        setCurrentIndex(model_->index(item.position(), 0));
}

void ReportList::clear()
{
    model_->clear();
}

void ReportList::removeItem(const ListItem& item)
{
    if (item && item.list() == this)
        model_->removeSlot(item.slot_);
}

void ReportList::setToolTipSource(std::function<QString(const ListItem&, int)> source)
{
    model_->setToolTipSource(std::move(source));
}

void ReportList::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyDown(vbKeyCode(event), vbShiftState(event->modifiers()));
    const ListItem before = currentItem();
    QTreeView::keyPressEvent(event);
    const ListItem after = currentItem();
    if (after && after != before && after.isSelected())
        Q_EMIT itemClick(after);
}

void ReportList::keyReleaseEvent(QKeyEvent* event)
{
    QTreeView::keyReleaseEvent(event);
    Q_EMIT keyUp(vbKeyCode(event), vbShiftState(event->modifiers()));
}

void ReportList::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    Q_EMIT mouseDown(event->button(), event->globalPosition().toPoint());
}

void ReportList::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listClicked();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listDoubleClicked();
}

} // namespace core
