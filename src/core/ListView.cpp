#include "core/ListView.h"

#include "platform/jet/Jet.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <unicode/ucol.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

namespace core {
namespace {

// Paints each cell with the alignment of its column's header unless the
// item asks for its own.
class ColumnAlignmentDelegate : public QStyledItemDelegate {
public:
    explicit ColumnAlignmentDelegate(QTreeWidget* list) : QStyledItemDelegate(list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(Qt::TextAlignmentRole).isValid())
            return;
        const QVariant a = list_->headerItem()->data(index.column(), Qt::TextAlignmentRole);
        if (a.isValid())
            option->displayAlignment = Qt::Alignment(a.toInt());
    }

private:
    QTreeWidget* list_;
};

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

void prepareHeader(QTreeWidget* list)
{
    list->header()->setMinimumSectionSize(0);
    list->header()->setStretchLastSection(false);
    if (!dynamic_cast<ElidingHeaderStyle*>(list->header()->style())) {
        // Over the program's own style, whichever it is.
        auto* style = new ElidingHeaderStyle(QApplication::style()->name());
        style->setParent(list->header());
        list->header()->setStyle(style);
    }
    if (!dynamic_cast<ColumnAlignmentDelegate*>(list->itemDelegate()))
        list->setItemDelegate(new ColumnAlignmentDelegate(list));
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

bool isTotalsItem(const QTreeWidgetItem* item, int totalsSubItem)
{
    return totalsSubItem > 0 && item->text(totalsSubItem).toUpper() == QString::fromUtf8(kTotalsMarker);
}

// The key of one item: converted cells first (rank 0), then cells that did
// not read under the sort kind (rank 1, by their text), then a totals row.
struct SortEntry {
    QTreeWidgetItem* item = nullptr;
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

double pixelsToTwips(int pixels, const QWidget* widget)
{
    double dpi = 96;
    if (widget)
        dpi = widget->logicalDpiX();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchX();
    return pixels * 1440.0 / dpi;
}

void SetupListViewColumns(QTreeWidget* list, const QStringList& captions, const QList<int>& alignments,
                          const ColumnBlock& block)
{
    list->hide();
    list->clear();
    list->setColumnCount(0);
    prepareHeader(list);
    const bool useBlock = block.isUsed();
    const QStringList allCaptions = expandBlock(captions, block.captions, block.position, useBlock);
    const QList<int> allAlignments = expandBlock(alignments, block.alignments, block.position, useBlock);
    const int startWidth = twipsToPixels(10, list);
    QTreeWidgetItem* header = list->headerItem();
    for (qsizetype c = 0; c < allCaptions.size(); ++c) {
        if (c >= allAlignments.size())
            throw std::invalid_argument("column definition: an alignment is missing");
        list->setColumnCount(static_cast<int>(c + 1));
        header->setText(static_cast<int>(c), allCaptions.at(c));
        header->setTextAlignment(static_cast<int>(c), qtAlignment(allAlignments.at(c)));
        list->setColumnWidth(static_cast<int>(c), startWidth);
    }
}

void FitListViewColumns(QTreeWidget* list, const QList<double>& divisors, const QList<double>& minWidths,
                        const ColumnBlock& block)
{
    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
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
    list->setUpdatesEnabled(updates);
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

void SortListViewByColumn(QTreeWidget* list, int column, bool descending, int sortKind, int totalsSubItem)
{
    if (!list || column < 2 || sortKind < SortText || sortKind > SortWeekday)
        return;
    const int sub = column - 1;

    const QList<QTreeWidgetItem*> selectedBefore = list->selectedItems();
    const QSet<QTreeWidgetItem*> selected(selectedBefore.begin(), selectedBefore.end());
    QTreeWidgetItem* current = list->currentItem();
    const int currentColumn = qMax(0, list->currentColumn());

    const bool updates = list->updatesEnabled();
    list->setUpdatesEnabled(false);
    const QSignalBlocker blocker(list);
    const QList<QTreeWidgetItem*> items = list->invisibleRootItem()->takeChildren();

    const RussianCollator collator;
    std::vector<SortEntry> entries;
    entries.reserve(static_cast<size_t>(items.size()));
    for (QTreeWidgetItem* item : items) {
        SortEntry e;
        e.item = item;
        const bool totals = isTotalsItem(item, totalsSubItem);
        const QString cell = item->text(sub);
        bool converted = true;
        const QString key = SortKeyText(cell, sortKind, totals, &converted);
        item->setText(0, key);
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

    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(static_cast<qsizetype>(entries.size()));
    for (const SortEntry& e : entries)
        sorted.append(e.item);
    list->addTopLevelItems(sorted);

    // Selection and current item as they were, in one step.
    QAbstractItemModel* model = list->model();
    QItemSelection selection;
    int currentRow = -1;
    int runStart = -1;
    for (int row = 0; row < sorted.size(); ++row) {
        QTreeWidgetItem* item = sorted.at(row);
        if (item == current)
            currentRow = row;
        const bool isSelected = selected.contains(item);
        if (isSelected && runStart < 0)
            runStart = row;
        if (!isSelected && runStart >= 0) {
            selection.select(model->index(runStart, 0), model->index(row - 1, 0));
            runStart = -1;
        }
    }
    if (runStart >= 0)
        selection.select(model->index(runStart, 0), model->index(static_cast<int>(sorted.size()) - 1, 0));
    if (currentRow >= 0)
        list->selectionModel()->setCurrentIndex(model->index(currentRow, currentColumn), QItemSelectionModel::NoUpdate);
    if (!selection.isEmpty())
        list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list->setUpdatesEnabled(updates);
}

double IdFromKey(const QString& key)
{
    QString s = key;
    s.remove(QLatin1Char('R'));
    return jet::vbVal(QStringLiteral("0") + s);
}

QString listItemKey(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kItemKeyRole).toString() : QString();
}

void setListItemKey(QTreeWidgetItem* item, const QString& key)
{
    item->setData(0, kItemKeyRole, key);
}

QString rowItemKey(qlonglong rowId)
{
    return QStringLiteral("R") + QString::number(rowId);
}

QTreeWidgetItem* newListItem(const QString& key)
{
    auto* item = new QTreeWidgetItem();
    setListItemKey(item, key);
    return item;
}

QTreeWidgetItem* addListItem(QTreeWidget* list, const QString& key)
{
    QTreeWidgetItem* item = newListItem(key);
    list->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* findListItem(const QTreeWidget* list, const QString& key)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (listItemKey(item) == key)
            return item;
    }
    return nullptr;
}

QTreeWidgetItem* selectedListItem(const QTreeWidget* list)
{
    if (!list)
        return nullptr;
    QTreeWidgetItem* current = list->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    QTreeWidgetItem* first = nullptr;
    int firstPos = -1;
    for (QTreeWidgetItem* item : selected) {
        const int pos = list->indexOfTopLevelItem(item);
        if (pos >= 0 && (firstPos < 0 || pos < firstPos)) {
            first = item;
            firstPos = pos;
        }
    }
    return first;
}

int listItemPosition(const QTreeWidget* list, const QTreeWidgetItem* item)
{
    if (!list || !item)
        return 0;
    return list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) + 1;
}

void selectOnlyItem(QTreeWidget* list, QTreeWidgetItem* item)
{
    if (!list || !item)
        return;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->clearSelection();
    list->setCurrentItem(item);
    item->setSelected(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->scrollToItem(item);
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

ReportList::ReportList(QWidget* parent) : QTreeWidget(parent)
{
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
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) { Q_EMIT itemClick(item); });
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

void ReportList::keyPressEvent(QKeyEvent* event)
{
    Q_EMIT keyDown(vbKeyCode(event), vbShiftState(event->modifiers()));
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before && after->isSelected())
        Q_EMIT itemClick(after);
}

void ReportList::keyReleaseEvent(QKeyEvent* event)
{
    QTreeWidget::keyReleaseEvent(event);
    Q_EMIT keyUp(vbKeyCode(event), vbShiftState(event->modifiers()));
}

void ReportList::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    Q_EMIT mouseDown(event->button(), event->globalPosition().toPoint());
}

void ReportList::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listClicked();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listDoubleClicked();
}

} // namespace core
