#pragma once
// Report-style lists of the directory, registry-book and import windows:
// columns from per-window definition arrays, widths relative to the list's
// width, sorting through a key per item, and the item keys "R" + row key.
//
// A list is a QTreeWidget (normally a ReportList). Column 0 holds each item's
// sort key and is given no width; data column c (1-based c >= 2) is the
// QTreeWidget column c - 1, which is also the "sub-item c - 1" of an item.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

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

// Item data role under which an item's key ("R15") is kept, in column 0.
inline constexpr int kItemKeyRole = Qt::UserRole + 1;

// Twips (1440 to the inch) and pixels of a widget's screen.
int twipsToPixels(double twips, const QWidget* widget = nullptr);
double pixelsToTwips(int pixels, const QWidget* widget = nullptr);

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

// Hides the list, removes its columns and items, and adds one column per
// caption (the block's captions in place of element block.position) with the
// alignment of the same index. Every column starts 10 twips wide. The list
// stays hidden until FitListViewColumns (or the caller) shows it.
// Throws std::invalid_argument when an alignment is missing; the columns
// added before it remain.
void SetupListViewColumns(QTreeWidget* list, const QStringList& captions, const QList<int>& alignments,
                          const ColumnBlock& block = {});

// Sets every column's width from the list's current width: width ÷ divisor
// (0 when the divisor is 0 or less), at least the minimum (twips); then shows
// the list. Missing entries count as 0.
void FitListViewColumns(QTreeWidget* list, const QList<double>& divisors, const QList<double>& minWidths,
                        const ColumnBlock& block = {});

// Sorts the list by the 1-based `column` (below 2: nothing happens). Every
// item's key is made from its sub-item column - 1 by `sortKind` and written
// into the item's own text; the items are then ordered by key, ascending or
// descending. A text that does not convert under the number, date or weekday
// kind sorts after every converted one (by its text); a totals row (sub-item
// `totalsSubItem` reading "ИТОГО:" in any case; 0 = none) sorts after
// everything, so it is last ascending and first descending. Text compares in
// Russian order without regard to case. Selection and current item are kept.
// A sort kind outside 0..3 writes no keys and changes nothing.
void SortListViewByColumn(QTreeWidget* list, int column, bool descending, int sortKind, int totalsSubItem = 0);

// The key written into an item's text for a cell (as SortListViewByColumn
// writes it); `converted` tells whether the cell read under its sort kind.
QString SortKeyText(const QString& cell, int sortKind, bool isTotals, bool* converted = nullptr);

// "R15" → 15: every capital R removed, "0" put in front, the leading number
// read. A key without digits gives 0.
double IdFromKey(const QString& key);

// Item keys.
QString listItemKey(const QTreeWidgetItem* item);
void setListItemKey(QTreeWidgetItem* item, const QString& key);
QString rowItemKey(qlonglong rowId);  // "R" + rowId
// A new item, not yet in any list, with its key and an empty text.
QTreeWidgetItem* newListItem(const QString& key);
// Appends an item with that key to the list.
QTreeWidgetItem* addListItem(QTreeWidget* list, const QString& key);
// The first item whose key equals `key`, or nullptr.
QTreeWidgetItem* findListItem(const QTreeWidget* list, const QString& key);

// The list's selected item: the current item when it is selected, else the
// first selected item, else nullptr.
QTreeWidgetItem* selectedListItem(const QTreeWidget* list);
// 1-based position of an item among the list's items; 0 for none.
int listItemPosition(const QTreeWidget* list, const QTreeWidgetItem* item);
// Makes `item` the only selected (and current) item. The list allows
// multiple selection afterwards.
void selectOnlyItem(QTreeWidget* list, QTreeWidgetItem* item);

// Key codes and shift state as the windows' key tables use them: 13 Enter,
// 27 Esc, 45 Insert, 46 Delete, 48..57 digits, 96..105 numeric-pad digits,
// 107 numeric-pad +, 109 numeric-pad -, 112..123 F1..F12, 33..40 paging and
// arrows, 8 Backspace; shift state 1 Shift, 2 Ctrl, 4 Alt. 0 for a key
// without a code.
int vbKeyCode(const QKeyEvent* event);
int vbShiftState(Qt::KeyboardModifiers modifiers);

// The report-view list of the windows: rows keyed "R" + row key, column 0
// hidden, column headers that report clicks instead of sorting by themselves,
// and the events the windows' handlers need.
class ReportList : public QTreeWidget {
    Q_OBJECT
public:
    explicit ReportList(QWidget* parent = nullptr);

    // The directory kind that the record card opens for a row of this list.
    QString tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // Several selected items at a time, or one.
    void setMultiSelect(bool multi);
    bool multiSelect() const;

Q_SIGNALS:
    void columnClicked(int column);  // 1-based column number of the clicked header
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    void mouseDown(Qt::MouseButton button, const QPoint& globalPos);
    void listClicked();  // a mouse click anywhere in the list
    void listDoubleClicked();
    // An item was clicked, or became the selected item through the keyboard.
    void itemClick(QTreeWidgetItem* item);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString tag_;
};

} // namespace core
