// Report-view lists: columns, widths, sort keys and item keys.
#include "core/ListView.h"

#include "support/ListRows.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace core;

namespace {

// A list with one data column (sub-item 1) and an optional marker column.
std::unique_ptr<ReportList> makeList(const QStringList& cells, const QStringList& markers = {})
{
    auto list = std::make_unique<ReportList>();
    SetupListViewColumns(list.get(), {QString(), QStringLiteral("Значение"), QStringLiteral("Отметка")}, {0, 0, 0});
    for (int i = 0; i < cells.size(); ++i) {
        ListItem item = addListItem(list.get(), rowItemKey(i + 1));
        item->setText(1, cells.at(i));
        item->setText(2, i < markers.size() ? markers.at(i) : QStringLiteral(" "));
    }
    return list;
}

using testsupport::column;

} // namespace

struct SortKeyCase {
    const char* cell;
    int kind;
    bool totals;
    const char* key;
    bool converted;
};

TEST(ListViewTest, SortKeysOfEveryKind)
{
    const SortKeyCase cases[] = {
        {"Иванов", SortText, false, "Иванов", true},
        {"Иванов", SortText, true, nullptr, true},  // 100 × я
        {"12,5", SortNumber, false, "000100000000012,500", true},
        {"12.5", SortNumber, false, "000100000000012,500", true},
        {"", SortNumber, false, "000100000000000,000", true},
        {"   ", SortNumber, false, "000100000000000,000", true},
        {"-5", SortNumber, false, "000099999999995,000", true},
        {"2 недели", SortNumber, false, "2 недели", false},
        {"", SortNumber, true, "000999999999999,000", true},
        {"05.03.2024", SortDate, false, "20240305", true},
        {"5.3.24", SortDate, false, "20240305", true},
        {"2024-03-05", SortDate, false, "20240305", true},
        {"31.02.2024", SortDate, false, "31.02.2024", false},
        {"Неделя 1", SortDate, false, "Неделя 1", false},
        {" ", SortDate, false, " ", false},
        {"05.03.2024", SortDate, true, "99999999", true},
        {"Ср", SortWeekday, false, "02", true},
        {"Вс", SortWeekday, false, "06", true},
        {"ср", SortWeekday, false, "ср", false},
        {"Среда", SortWeekday, false, "Среда", false},
        {"Пн", SortWeekday, true, "99", true},
    };
    for (const SortKeyCase& c : cases) {
        bool converted = false;
        const QString key = SortKeyText(QString::fromUtf8(c.cell), c.kind, c.totals, &converted);
        const QString expected = c.key ? QString::fromUtf8(c.key) : QString(100, QChar(0x044F));
        EXPECT_EQ(key, expected) << c.cell << " kind " << c.kind;
        EXPECT_EQ(converted, c.converted) << c.cell << " kind " << c.kind;
    }
}

TEST(ListViewTest, IdFromKey)
{
    const struct {
        const char* key;
        double id;
    } cases[] = {{"R15", 15}, {"R0012", 12}, {"R", 0}, {"", 0}, {"Rabc", 0}, {"R1R2", 12}, {"r5", 0}, {"R7x", 7}};
    for (const auto& c : cases)
        EXPECT_EQ(IdFromKey(QString::fromUtf8(c.key)), c.id) << c.key;
}

TEST(ListViewTest, NumbersSortByValueWithTotalsLastAscendingAndFirstDescending)
{
    auto list = makeList({"10", "ИТОГО", "9,5", "", "-3", "много", "100"},
                         {" ", "итого:", " ", " ", " ", " ", " "});
    SortListViewByColumn(list.get(), 2, false, SortNumber, 2);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"-3", "", "9,5", "10", "100", "много", "ИТОГО"}));
    SortListViewByColumn(list.get(), 2, true, SortNumber, 2);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"ИТОГО", "много", "100", "10", "9,5", "", "-3"}));
    // The key written into the hidden first column.
    EXPECT_EQ(list->topLevelItem(2)->text(0), QStringLiteral("000100000000100,000"));
}

TEST(ListViewTest, TextSortsInRussianOrderWithoutRegardToCase)
{
    auto list = makeList({"жук", "Яблоко", "ёлка", "абрикос", "Елена", "Жаба"});
    SortListViewByColumn(list.get(), 2, false, SortText);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"абрикос", "Елена", "ёлка", "Жаба", "жук", "Яблоко"}));
}

TEST(ListViewTest, DatesSortByDateAndTextsThatAreNoDatesComeAfterThem)
{
    auto list = makeList({" ", "01.02.2023", "Неделя", "15.12.2022", "03.01.2024"});
    SortListViewByColumn(list.get(), 2, false, SortDate);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"15.12.2022", "01.02.2023", "03.01.2024", " ", "Неделя"}));
    // A stale key from an earlier sort plays no part.
    SortListViewByColumn(list.get(), 2, false, SortText);
    SortListViewByColumn(list.get(), 2, false, SortDate);
    EXPECT_EQ(column(list.get(), 1).first(), QStringLiteral("15.12.2022"));
}

TEST(ListViewTest, WeekdaysSortInWeekOrder)
{
    auto list = makeList({"Вс", "Пн", "Пятница", "Ср"});
    SortListViewByColumn(list.get(), 2, false, SortWeekday);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"Пн", "Ср", "Вс", "Пятница"}));
}

TEST(ListViewTest, FirstColumnOrUnknownKindChangesNothing)
{
    auto list = makeList({"b", "a", "c"});
    const QStringList before = column(list.get(), 1);
    for (int col : {0, 1}) {
        SortListViewByColumn(list.get(), col, false, SortText);
        EXPECT_EQ(column(list.get(), 1), before);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QString());
    }
    SortListViewByColumn(list.get(), 2, false, 7);
    EXPECT_EQ(column(list.get(), 1), before);
}

// The header marks the column the rows are sorted by and the direction,
// as long as they are; rows added or the list filled anew take the mark away.
TEST(ListViewTest, SortMarkShowsWhileTheRowsAreSortedByAColumn)
{
    auto list = makeList({"b", "a", "c"});
    QHeaderView* header = list->header();
    EXPECT_FALSE(header->isSortIndicatorShown());

    SortListViewByColumn(list.get(), 3, false, SortText);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 2);  // list column 3 is the header's section 2
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    SortListViewByColumn(list.get(), 2, true, SortText);
    EXPECT_EQ(header->sortIndicatorSection(), 1);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // What sorts nothing leaves the mark where it was.
    SortListViewByColumn(list.get(), 1, false, SortText);
    SortListViewByColumn(list.get(), 3, false, 7);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);

    // Removing a row keeps the order; adding one does not.
    list->removeItem(list->topLevelItem(0));
    EXPECT_TRUE(header->isSortIndicatorShown());
    addListItem(list.get(), rowItemKey(9))->setText(1, QStringLiteral("я"));
    EXPECT_FALSE(header->isSortIndicatorShown());

    const struct {
        const char* what;
        std::function<void(ReportList*)> act;
    } unsorting[] = {
        {"cleared", [](ReportList* l) { l->clear(); }},
        {"new columns", [](ReportList* l) { SetupListViewColumns(l, {QString(), QStringLiteral("Другое")}, {0, 0}); }},
        {"rows appended", [](ReportList* l) {
             ListAppender rows(l);
             rows.addRow(rowItemKey(10));
             rows.setText(1, QStringLiteral("а"));
         }},
    };
    for (const auto& u : unsorting) {
        auto other = makeList({"b", "a"});
        SortListViewByColumn(other.get(), 2, false, SortText);
        u.act(other.get());
        EXPECT_FALSE(other->header()->isSortIndicatorShown()) << u.what;
    }
}

TEST(ListViewTest, SortKeepsSelectionAndCurrentItem)
{
    auto list = makeList({"3", "1", "2", "4"});
    ListItem three = list->topLevelItem(0);
    ListItem two = list->topLevelItem(2);
    list->setCurrentItem(three);
    two->setSelected(true);
    SortListViewByColumn(list.get(), 2, false, SortNumber);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(list->currentItem(), three);
    EXPECT_TRUE(three->isSelected());
    EXPECT_TRUE(two->isSelected());
    EXPECT_EQ(list->selectedItems().size(), 2);
    EXPECT_EQ(selectedListItem(list.get()), three);
    EXPECT_EQ(listItemKey(three), QStringLiteral("R1"));
}

TEST(ListViewTest, ColumnsAndWidthsFromDefinitionWithBlock)
{
    ReportList list;
    const QStringList captions{"", "a", "b", "c", "d", "e", "f", "g", "(block)", "i"};
    const QList<int> aligns{0, 0, 1, 2, 0, 0, 0, 0, 0, 1};
    ColumnBlock block;
    block.position = 8;
    block.captions = {"x", "y", "z"};
    block.alignments = {2, 2, 2};
    block.divisors = {8, 16, 4};
    block.minWidths = {0, 0, 0};
    SetupListViewColumns(&list, captions, aligns, block);
    EXPECT_TRUE(list.isHidden());
    ASSERT_EQ(list.columnCount(), 12);
    EXPECT_EQ(list.headerItem()->text(8), QStringLiteral("x"));
    EXPECT_EQ(list.headerItem()->text(10), QStringLiteral("z"));
    EXPECT_EQ(list.headerItem()->text(11), QStringLiteral("i"));
    EXPECT_EQ(list.headerItem()->textAlignment(2), int(Qt::AlignRight | Qt::AlignVCenter));

    const QList<double> divisors{0, 4, 4, 0, 4, 4, 4, 4, 0, 8};
    const QList<double> minimums{0, 0, 3000, 0, 0, 0, 0, 0, 0, 0};
    list.resize(twipsToPixels(8000, &list), 200);
    FitListViewColumns(&list, divisors, minimums, block);
    EXPECT_FALSE(list.isHidden());
    const int w = list.width();
    EXPECT_EQ(list.columnWidth(0), 0);
    EXPECT_EQ(list.columnWidth(1), w / 4);                                  // 2000 twips
    EXPECT_NEAR(list.columnWidth(2), twipsToPixels(3000, &list), 1);        // the minimum wins
    EXPECT_EQ(list.columnWidth(3), 0);
    EXPECT_EQ(list.columnWidth(8), w / 8);                                  // block
    EXPECT_EQ(list.columnWidth(9), w / 16);
    EXPECT_EQ(list.columnWidth(10), w / 4);
    EXPECT_EQ(list.columnWidth(11), w / 8);                                 // element 9 after the block
}

TEST(ListViewTest, MissingAlignmentIsReportedAndEarlierColumnsRemain)
{
    ReportList list;
    EXPECT_THROW(SetupListViewColumns(&list, {"", "a", "b"}, {0, 0}), std::invalid_argument);
    EXPECT_EQ(list.columnCount(), 2);
}

TEST(ListViewTest, HeaderClickReportsOneBasedColumn)
{
    ReportList list;
    SetupListViewColumns(&list, {"", "a", "b"}, {0, 0, 0});
    QSignalSpy spy(&list, &ReportList::columnClicked);
    Q_EMIT list.header()->sectionClicked(2);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 3);
}

TEST(ListViewTest, KeyCodesTellNumericPadApart)
{
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        int code;
    } cases[] = {
        {Qt::Key_5, Qt::NoModifier, 53},         {Qt::Key_5, Qt::KeypadModifier, 101},
        {Qt::Key_3, Qt::KeypadModifier, 99},     {Qt::Key_Plus, Qt::KeypadModifier, 107},
        {Qt::Key_Plus, Qt::NoModifier, 187},     {Qt::Key_Insert, Qt::NoModifier, 45},
        {Qt::Key_Return, Qt::NoModifier, 13},    {Qt::Key_Enter, Qt::KeypadModifier, 13},
        {Qt::Key_F9, Qt::NoModifier, 120},       {Qt::Key_Delete, Qt::NoModifier, 46},
        {Qt::Key_Escape, Qt::NoModifier, 27},    {Qt::Key_PageDown, Qt::NoModifier, 34},
    };
    for (const auto& c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        EXPECT_EQ(vbKeyCode(&e), c.code) << c.key;
    }
    EXPECT_EQ(vbShiftState(Qt::KeypadModifier), 0);
    EXPECT_EQ(vbShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(vbShiftState(Qt::ControlModifier), 2);
}

TEST(ListViewTest, SelectOnlyItemLeavesMultipleSelectionOn)
{
    auto list = makeList({"a", "b", "c"});
    list->setMultiSelect(false);
    list->topLevelItem(0)->setSelected(true);
    selectOnlyItem(list.get(), list->topLevelItem(2));
    EXPECT_EQ(list->selectedItems(), QList<ListItem>{list->topLevelItem(2)});
    EXPECT_TRUE(list->multiSelect());
    EXPECT_EQ(listItemPosition(list.get(), selectedListItem(list.get())), 3);
    EXPECT_EQ(findListItem(list.get(), QStringLiteral("R2")), list->topLevelItem(1));
    EXPECT_EQ(findListItem(list.get(), QStringLiteral("R9")), nullptr);
}

// A list fitted while its window holds off painting (as a child window does
// while it is maximized or restored) paints again with its window.
TEST(ListViewTest, AListFittedWhileItsWindowDoesNotPaintPaintsAgainWithIt)
{
    QWidget window;
    auto* list = new ReportList(&window);
    SetupListViewColumns(list, {"", "Наименование", "Код"}, {0, 0, 1});
    for (const char* name : {"Б", "А", "В"})
        addListItem(list, QStringLiteral("k%1").arg(QString::fromUtf8(name)))->setText(1, QString::fromUtf8(name));
    window.resize(400, 300);
    list->resize(380, 280);
    window.show();

    window.setUpdatesEnabled(false);
    FitListViewColumns(list, {0, 2, 4}, {0, 100, 100});
    window.setUpdatesEnabled(true);
    EXPECT_TRUE(list->updatesEnabled());

    // A list switched off by itself stays off.
    list->setUpdatesEnabled(false);
    FitListViewColumns(list, {0, 2, 4}, {0, 100, 100});
    EXPECT_FALSE(list->updatesEnabled());
}

TEST(ListViewTest, RowsKeepTheirCellsWhateverTheirLength)
{
    ReportList list;
    SetupListViewColumns(&list, {"", "a", "b", "c", "d"}, {0, 0, 0, 0, 0});
    const QString longText(70000, QChar(0x0416));  // beyond what a narrow offset holds
    const struct {
        const char* key;
        QStringList cells;  // from column 0
    } cases[] = {
        {"R1", {"", "Иванов", "", "Пётр", ""}},
        {"", {"", "", "", "", ""}},
        {"R3", {"ключ", "1", " ", "", "последний"}},
        {"R4", {"", longText, "после длинного", "", "x"}},
    };
    {
        ListAppender rows(&list);
        for (const auto& c : cases) {
            rows.addRow(QString::fromUtf8(c.key));
            for (int col = 0; col < c.cells.size(); ++col)
                rows.setText(col, c.cells.at(col));
        }
    }
    ASSERT_EQ(list.topLevelItemCount(), 4);
    for (int r = 0; r < 4; ++r) {
        const ListItem item = list.topLevelItem(r);
        EXPECT_EQ(item.key(), QString::fromUtf8(cases[r].key)) << r;
        for (int col = 0; col < 5; ++col)
            EXPECT_EQ(item.text(col), cases[r].cells.at(col)) << r << " " << col;
        EXPECT_EQ(item.text(9), QString()) << r;  // beyond the columns
    }

    // Changing one cell leaves the others and the key as they were.
    ListItem item = list.topLevelItem(3);
    item.setText(1, QStringLiteral("короче"));
    item.setText(4, QString());
    item.setText(6, QStringLiteral("дальше"));
    EXPECT_EQ(item.text(1), QStringLiteral("короче"));
    EXPECT_EQ(item.text(2), QStringLiteral("после длинного"));
    EXPECT_EQ(item.text(4), QString());
    EXPECT_EQ(item.text(6), QStringLiteral("дальше"));
    EXPECT_EQ(item.key(), QStringLiteral("R4"));
    item.setKey(QStringLiteral("R40"));
    EXPECT_EQ(findListItem(&list, QStringLiteral("R40")), item);
    EXPECT_EQ(list.reportModel()->data(list.reportModel()->index(3, 2)).toString(), QStringLiteral("после длинного"));

    // Many changes: the room of the replaced texts is given back, every row still reads the same.
    for (int i = 0; i < 300; ++i)
        list.topLevelItem(i % 3)->setText(2, QString(50 + i, QChar(0x0430 + i % 32)));
    EXPECT_EQ(list.topLevelItem(2)->text(2), QString(349, QChar(0x0430 + 299 % 32)));
    EXPECT_EQ(list.topLevelItem(2)->text(4), QStringLiteral("последний"));
    EXPECT_EQ(list.topLevelItem(0)->text(1), QStringLiteral("Иванов"));
    EXPECT_EQ(item.text(6), QStringLiteral("дальше"));
    EXPECT_EQ(item.key(), QStringLiteral("R40"));
}

TEST(ListViewTest, ManyRowsArriveInOneInsertion)
{
    ReportList list;
    SetupListViewColumns(&list, {"", "a"}, {0, 0});
    addListItem(&list, QStringLiteral("R0"))->setText(1, QStringLiteral("прежняя"));
    QSignalSpy inserted(list.reportModel(), &QAbstractItemModel::rowsInserted);
    {
        ListAppender rows(&list);
        for (int i = 1; i <= 5000; ++i) {
            rows.addRow(rowItemKey(i));
            rows.setText(1, QString::number(i));
        }
        EXPECT_EQ(list.topLevelItemCount(), 1);  // nothing until committed
    }
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 1);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 5000);
    EXPECT_EQ(list.topLevelItemCount(), 5001);
    EXPECT_EQ(list.topLevelItem(5000)->text(1), QStringLiteral("5000"));
}

TEST(ListViewTest, HandlesFollowTheirRowsThroughSortingAndRemoval)
{
    auto list = makeList({"в", "а", "б", "г"});
    const ListItem b = list->topLevelItem(2);
    const ListItem a = list->topLevelItem(1);
    list->topLevelItem(0)->setText(0, QStringLiteral("свой текст"));
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("свой текст"));
    SortListViewByColumn(list.get(), 2, true, SortText);
    EXPECT_EQ(column(list.get(), 1), (QStringList{"г", "в", "б", "а"}));
    EXPECT_EQ(b.position(), 2);
    EXPECT_EQ(b.text(1), QStringLiteral("б"));
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("в"));  // the sort key replaced the text

    list->removeItem(list->topLevelItem(1));
    EXPECT_EQ(column(list.get(), 1), (QStringList{"г", "б", "а"}));
    EXPECT_EQ(b.position(), 1);
    EXPECT_EQ(a.text(1), QStringLiteral("а"));
    EXPECT_EQ(findListItem(list.get(), QStringLiteral("R1")), nullptr);
    EXPECT_EQ(listItemPosition(list.get(), a), 3);

    list->clear();
    EXPECT_FALSE(a.isValid());
    EXPECT_EQ(list->columnCount(), 3);
}

TEST(ListViewTest, ToolTipsOfTheirOwnOrWorkedOutWhenShown)
{
    auto list = makeList({"Иванов", "Петров"});
    int asked = 0;
    list->setToolTipSource([&asked](const ListItem& item, int column) {
        ++asked;
        return column == 1 ? QStringLiteral("Строка %1: %2").arg(item.position() + 1).arg(item.text(1)) : QString();
    });
    EXPECT_EQ(asked, 0);
    const ListItem petrov = list->topLevelItem(1);
    EXPECT_EQ(petrov.toolTip(1), QStringLiteral("Строка 2: Петров"));
    EXPECT_EQ(petrov.toolTip(2), QString());
    list->topLevelItem(0)->setToolTip(2, QStringLiteral("своя"));
    const QAbstractItemModel* model = list->reportModel();
    EXPECT_EQ(model->data(model->index(0, 2), Qt::ToolTipRole).toString(), QStringLiteral("своя"));
    EXPECT_EQ(model->data(model->index(0, 1), Qt::ToolTipRole).toString(), QStringLiteral("Строка 1: Иванов"));
    EXPECT_FALSE(model->data(model->index(1, 2), Qt::ToolTipRole).isValid());
    SortListViewByColumn(list.get(), 2, true, SortText);
    EXPECT_EQ(list->topLevelItem(1)->toolTip(2), QStringLiteral("своя"));  // the tooltip went with its row
}
