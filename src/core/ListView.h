#pragma once
// Report-style lists of the directory, registry-book and import windows:
// columns from per-window definition arrays, widths relative to the list's
// width, sorting through a key per row, and the row keys "R" + row key.
//
// A list is a ReportList: a tree view without branches over a ReportModel,
// which keeps the rows' keys and cell texts packed in one string. Column 0
// holds each row's sort key and is given no width; data column c (1-based
// c >= 2) is the view column c - 1, which is also the "sub-item c - 1" of a
// row. A row is reached through a ListItem, a small handle that stays with
// its row when the list is sorted.
#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTreeView>

#include <cstddef>
#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

namespace core {

// How a column sorts.
enum SortKind : int {
    SortText = 0,
    SortNumber = 1,
    SortDate = 2,
    SortWeekday = 3,
};

// Column alignments of the definition arrays.
enum ColumnAlignment : int { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

// The text that marks a totals row (compared in capitals).
inline constexpr const char* kTotalsMarker = "ИТОГО:";

// Data role under which the model gives a row's key ("R15"), in column 0.
inline constexpr int kItemKeyRole = Qt::UserRole + 1;

class ReportList;
class ReportModel;

// One row of a ReportList: the list and the row's place in the model's
// storage. It follows its row through sorting; it stops being valid when the
// row is removed or the list cleared. Used like the item pointers of an item
// widget: `item->text(1)`, `if (item)`, `item == nullptr`.
class ListItem {
public:
    ListItem() = default;
    ListItem(ReportList* list, int slot) : list_(list), slot_(slot) {}

    bool isValid() const;
    explicit operator bool() const { return isValid(); }
    ReportList* list() const { return list_; }
    // 0-based position in the list; -1 for an invalid handle.
    int position() const;

    // Cell texts; column 0 is the sort key column.
    QString text(int column) const;
    void setText(int column, const QString& text);
    // The cell's tooltip: one set for the cell, else the list's tooltip source's.
    QString toolTip(int column) const;
    void setToolTip(int column, const QString& tip);
    QString key() const;
    void setKey(const QString& key);
    bool isSelected() const;
    void setSelected(bool selected);
    int columnCount() const;

    const ListItem* operator->() const { return this; }
    ListItem* operator->() { return this; }
    friend bool operator==(const ListItem& a, const ListItem& b)
    {
        return (!a.isValid() && !b.isValid()) || (a.list_ == b.list_ && a.slot_ == b.slot_);
    }
    friend bool operator==(const ListItem& a, std::nullptr_t) { return !a.isValid(); }

private:
    friend class ReportList;
    ReportList* list_ = nullptr;
    int slot_ = -1;
};

// The column captions of a list, read like the header item of an item widget.
class ListHeader {
public:
    explicit ListHeader(const ReportModel* model) : model_(model) {}
    QString text(int column) const;
    int textAlignment(int column) const;
    const ListHeader* operator->() const { return this; }

private:
    const ReportModel* model_;
};

// The rows of a report list, all kept in one string: per row a count of
// fields, each field's end offset, then the key and the cell texts one after
// the other; empty cells at the end take no room. Rows are addressed by
// position (the view's row) or by slot (the row's place in storage, which
// sorting does not change).
class ReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportModel(ReportList* list);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces the columns; removes every row.
    void setColumns(const QStringList& captions, const QList<int>& alignments);
    QString caption(int column) const { return captions_.value(column); }
    Qt::Alignment alignment(int column) const;

    // Rows.
    void clear();
    // Appends `count` rows packed one after another in `rows` (see
    // appendPackedRow), in one insertion.
    void appendPacked(QString&& rows, int count);
    void removeSlot(int slot);
    int slotAt(int position) const;
    int positionOf(int slot) const;
    QString key(int slot) const;
    void setKey(int slot, const QString& key);
    QString text(int slot, int column) const;
    void setText(int slot, int column, const QString& text);
    QString toolTip(int slot, int column) const;
    void setToolTip(int slot, int column, const QString& tip);
    // Computes the tooltips of cells that have none of their own (e.g. from
    // the row's other cells), when the tooltip is shown.
    void setToolTipSource(std::function<QString(const ListItem&, int column)> source);

    // Orders the rows by the cells of `column` (see SortListViewByColumn);
    // persistent indexes, the selection and the current row go with their rows.
    void sortRows(int column, bool descending, int sortKind, int totalsColumn);

    // Appends a packed row to `out`: `fields` is the key followed by the
    // cells from column 0.
    static void appendPackedRow(QString& out, const QString* fields, qsizetype count);

private:
    // Forgets every row and the sort order, inside a model reset.
    void dropRows();
    QStringView field(int slot, int index) const;
    void replaceField(int slot, int index, const QString& text);
    void compactPool();
    void notifyRow(int slot, int firstColumn, int lastColumn);

    ReportList* list_;
    QStringList captions_;
    QList<Qt::Alignment> alignments_;
    QString pool_;                // the packed rows
    qsizetype unused_ = 0;        // characters of the pool no row uses any more
    std::vector<qsizetype> starts_;  // slot → start of its row in the pool
    std::vector<int> order_;     // position → slot
    std::vector<int> positions_; // slot → position, -1 once removed
    QHash<quint64, QString> tips_;  // (slot << 16 | column) → tooltip
    std::function<QString(const ListItem&, int)> tipSource_;
    // The last sort: the key column 0 shows is made from this column's cells.
    int sortColumn_ = -1;
    int sortKind_ = SortText;
    int totalsColumn_ = 0;
};

// Pixels of a widget's screen for twips (1440 to the inch).
int twipsToPixels(double twips, const QWidget* widget = nullptr);

// One element of a definition that stands for several adjacent columns (the
// variable grade columns of a registry book). `position` is the index of the
// element it replaces in the plain arrays; 0 means the definition has no block.
struct ColumnBlock {
    int position = 0;
    QStringList captions;
    QList<int> alignments;
    QList<double> divisors;
    QList<double> minWidths;  // twips
    bool isUsed() const { return position > 0 && !captions.isEmpty(); }
};

// Hides the list, removes its columns and rows, and adds one column per
// caption (the block's captions in place of element block.position) with the
// alignment of the same index. Every column starts 10 twips wide. The list
// stays hidden until FitListViewColumns (or the caller) shows it.
// Throws std::invalid_argument when an alignment is missing; the columns
// before it remain.
void SetupListViewColumns(ReportList* list, const QStringList& captions, const QList<int>& alignments,
                          const ColumnBlock& block = {});

// Sets every column's width from the list's current width: width ÷ divisor
// (0 when the divisor is 0 or less), at least the minimum (twips); then shows
// the list. Missing entries count as 0.
void FitListViewColumns(ReportList* list, const QList<double>& divisors, const QList<double>& minWidths,
                        const ColumnBlock& block = {});

// Sorts the list by the 1-based `column` (below 2: nothing happens). Every
// row's key is made from its sub-item column - 1 by `sortKind` and shown in
// the row's column 0; the rows are then ordered by key, ascending or
// descending. A text that does not convert under the number, date or weekday
// kind sorts after every converted one (by its text); a totals row (sub-item
// `totalsSubItem` reading "ИТОГО:" in any case; 0 = none) sorts after
// everything, so it is last ascending and first descending. Text compares in
// Russian order without regard to case. Selection and current row are kept.
// The column's header shows the sort mark (the direction's arrow) until rows
// are added or the list is cleared or given new columns.
// A sort kind outside 0..3 writes no keys and changes nothing.
void SortListViewByColumn(ReportList* list, int column, bool descending, int sortKind, int totalsSubItem = 0);

// The key shown in a row's column 0 for a cell (as SortListViewByColumn makes
// it); `converted` tells whether the cell read under its sort kind.
QString SortKeyText(const QString& cell, int sortKind, bool isTotals, bool* converted = nullptr);

// "R15" → 15: every capital R removed, "0" put in front, the leading number
// read. A key without digits gives 0.
double IdFromKey(const QString& key);

// Row keys.
QString listItemKey(const ListItem& item);
QString rowItemKey(qlonglong rowId);  // "R" + rowId
// Appends a row with that key to the list.
ListItem addListItem(ReportList* list, const QString& key);
// The first row whose key equals `key`, or an invalid handle.
ListItem findListItem(const ReportList* list, const QString& key);

// The list's selected row: the current row when it is selected, else the
// first selected row, else an invalid handle.
ListItem selectedListItem(const ReportList* list);
// 1-based position of a row in the list; 0 for none.
int listItemPosition(const ReportList* list, const ListItem& item);
// Makes `item` the only selected (and current) row. The list allows
// multiple selection afterwards.
void selectOnlyItem(ReportList* list, const ListItem& item);

// Rows appended to a list in one insertion, however many: start each row with
// addRow, set its cells with setText; commit (or the destructor) adds them.
class ListAppender {
public:
    explicit ListAppender(ReportList* list);
    ~ListAppender();
    ListAppender(const ListAppender&) = delete;
    ListAppender& operator=(const ListAppender&) = delete;

    void addRow(const QString& key);
    void setText(int column, const QString& text);  // of the row last started
    void commit();
    // Room for `characters` more characters of rows (see
    // ReportModel::appendPackedRow), made at once: a long list is then
    // never copied as it grows. The room left unused is handed back at the
    // commit.
    void reserve(qsizetype characters);
    // The characters of the rows finished so far.
    qsizetype packedSize() const { return rows_.size(); }

private:
    void finishRow();

    ReportList* list_;
    QString rows_;  // packed one after another
    int count_ = 0;
    std::vector<QString> fields_;  // key and cells of the row being built
    bool open_ = false;
};

// Key codes and shift state as the windows' key tables use them: 13 Enter,
// 27 Esc, 45 Insert, 46 Delete, 48..57 digits, 96..105 numeric-pad digits,
// 107 numeric-pad +, 109 numeric-pad -, 112..123 F1..F12, 33..40 paging and
// arrows, 8 Backspace; shift state 1 Shift, 2 Ctrl, 4 Alt. 0 for a key
// without a code.
int vbKeyCode(const QKeyEvent* event);
int vbShiftState(Qt::KeyboardModifiers modifiers);

// The report-view list of the windows: rows keyed "R" + row key, column 0
// hidden, column headers that report clicks instead of sorting by themselves,
// and the events the windows' handlers need. Rows are read and selected
// through ListItem handles, by the names the item widgets use.
class ReportList : public QTreeView {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    ReportModel* reportModel() const { return model_; }

    // The directory kind that the record card opens for a row of this list.
    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Several selected rows at a time, or one.
    void setMultiSelect(bool multi);
    bool multiSelect() const;

    int columnCount() const { return model_->columnCount(); }
    ListHeader headerItem() const { return ListHeader(model_); }
    int topLevelItemCount() const { return model_->rowCount(); }
    // The row at 0-based `position`; an invalid handle outside the list.
    ListItem topLevelItem(int position) const;
    // The selected rows, in list order.
    QList<ListItem> selectedItems() const;
    ListItem currentItem() const;
    // Makes the row current and the only selected one.
    void setCurrentItem(const ListItem& item);
    // Removes every row; the columns stay.
    void clear();
    void removeItem(const ListItem& item);
    // Tooltips worked out when shown (see ReportModel::setToolTipSource).
    void setToolTipSource(std::function<QString(const ListItem&, int column)> source);

Q_SIGNALS:
    void columnClicked(int column);  // 1-based column number of the clicked header
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    void mouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void listClicked();  // a mouse click anywhere in the list
    void listDoubleClicked();
    // A row was clicked, or became the selected row through the keyboard.
    void itemClick(core::ListItem item);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ReportModel* model_;
    QString tag_;
};

} // namespace core

Q_DECLARE_METATYPE(core::ListItem)
