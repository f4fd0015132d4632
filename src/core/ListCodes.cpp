#include "core/ListCodes.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/ListView.h"

#include <QComboBox>
#include <QStandardItemModel>

#include <iterator>
#include <span>

namespace core {

namespace {

// Directory list codes: the query, the field whose number becomes an item's
// data and the field shown. Text columns sort in Russian order by their own
// collation.
struct DirectoryList {
    int code;
    const char* sql;
    const char* keyField;
    const char* displayField;
};

constexpr int kPersonsCode = 3;

constexpr DirectoryList kDirectoryLists[] = {
    {1, "SELECT SPOTD.* FROM SPOTD ORDER BY SPOTD.NAIM;", "IDO", "NAIM"},
    {2, "SELECT SPPRED.* FROM SPPRED ORDER BY SPPRED.NAIM;", "IDD", "NAIM"},
    {kPersonsCode, nullptr, "ID", "FAMIO"},  // built by personsQuery()
    {4, "SELECT SPGRUP.* FROM SPGRUP ORDER BY SPGRUP.NAIM;", "IDG", "NAIM"},
    {6, "SELECT SPBALL.* FROM SPBALL ORDER BY SPBALL.OCEN;", "IDB", "NAIM"},
    {8, "SELECT SPFORM.* FROM SPFORM ORDER BY SPFORM.NAIM;", "IDF", "NAIM"},
    {9, "SELECT SPUR.* FROM SPUR ORDER BY SPUR.NAIM;", "IDX", "NAIM"},
    {10, "SELECT SPVDOC.* FROM SPVDOC ORDER BY SPVDOC.NAIM;", "IDV", "NAIM"},
    {11, "SELECT SPTPGR.* FROM SPTPGR ORDER BY SPTPGR.IDT;", "IDT", "NAIM"},
    {17, "SELECT SPMED.* FROM SPMED ORDER BY SPMED.NAIM;", "IDM", "NAIM"},
    // Groups that have a medical specialty (the certificate book).
    {18,
     "SELECT DISTINCT SPGRUP.IDG, SPGRUP.NAIM FROM SPGRUP "
     "INNER JOIN SPMED ON SPGRUP.IDM = SPMED.IDM ORDER BY SPGRUP.NAIM;",
     "IDG", "NAIM"},
    // Groups with both ends of a retraining period (the retraining book).
    {20,
     "SELECT DISTINCT SPGRUP.IDG, SPGRUP.NAIM FROM SPGRUP "
     "WHERE SPGRUP.date_Po IS NOT NULL AND SPGRUP.date_S IS NOT NULL ORDER BY SPGRUP.NAIM;",
     "IDG", "NAIM"},
};

// The persons: FAMIO is surname, first name and patronymic, each trimmed (an
// empty part counts as empty text), joined by single blanks and trimmed as a
// whole, so a missing first name leaves two blanks between the other two.
constexpr const char* kPersonsSelect =
    "SELECT SPSTUD.*, trim(trim(ifnull(SPSTUD.FAM, '')) || ' ' || trim(ifnull(SPSTUD.IM, '')) "
    "|| ' ' || trim(ifnull(SPSTUD.OTCH, ''))) AS FAMIO FROM SPSTUD";
constexpr const char* kPersonsOfGroup = " WHERE SPSTUD.IDG = ?";
constexpr const char* kPersonsOrder = " ORDER BY SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH;";

// Fixed lists: texts with the number each stands for, in list order.
struct FixedItem {
    const char* text;
    int number;
};
struct FixedList {
    int code;
    std::span<const FixedItem> items;
};

constexpr FixedItem kUserRoles[] = {{"Администратор", 0}, {"Оператор", 1}, {"Пользователь", 2}};
constexpr FixedItem kWeekWords[] = {{"неделя", 1}, {"недели", 2}, {"недель", 3}};
constexpr FixedItem kDisciplineKinds[] = {{"Дисциплина", 0}, {"Заголовок раздела", -1}};
constexpr FixedItem kOfficePrograms[] = {{"Microsoft Office", 1}, {"OpenOffice.org", 2}};
constexpr FixedItem kEducationLevels[] = {{"ВПО", 1}, {"СПО", 2}};
constexpr FixedItem kPrinterKinds[] = {{"Струйный/матричный", 0}, {"Лазерный", 1}};

constexpr FixedList kFixedLists[] = {
    {14, kUserRoles},     {15, kWeekWords},       {16, kDisciplineKinds},
    {100, kOfficePrograms}, {122, kEducationLevels}, {150, kPrinterKinds},
};

const DirectoryList* findDirectoryList(int code)
{
    for (const DirectoryList& list : kDirectoryLists)
        if (list.code == code)
            return &list;
    return nullptr;
}

const FixedList* findFixedList(int code)
{
    for (const FixedList& list : kFixedLists)
        if (list.code == code)
            return &list;
    return nullptr;
}

// Runs a list's query on the working database and hands each row's display
// text and key to `add`. A query that cannot be run adds nothing.
template <typename Add>
void forEachListRow(int listCode, long parentId, Add add)
{
    const ListQuery query = directoryListQuery(listCode, parentId);
    if (!query.isValid())
        return;
    std::unique_ptr<jet::Recordset> rs;
    try {
        rs = db().openRecordset(query.sql, jet::dbOpenSnapshot, query.params);
        // A field the query lacks fails at the first row, as a lookup by name would.
        const int display = rs->fieldIndex(query.displayField);
        const int key = rs->fieldIndex(query.keyField);
        while (!rs->isEOF()) {
            add(jet::toText(rs->value(display)), jet::toLong(rs->value(key)));
            rs->moveNext();
        }
    } catch (const jet::Error&) {
        // The rows read so far stay in the list.
    }
    CloseRecordset(rs);
}

struct ComboEntry {
    QString text;
    int number;
};
using ComboEntries = QList<ComboEntry>;

// Adds the entries at the end of the combo's list, each with its number as
// the entry's data. The combo's own model takes them in one insertion, so the
// combo and its views react once, not once per entry.
void appendComboEntries(QComboBox* combo, const ComboEntries& entries)
{
    if (entries.isEmpty())
        return;
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    if (model == nullptr) {
        for (const ComboEntry& e : entries) {
            combo->addItem(e.text);
            combo->setItemData(combo->count() - 1, e.number);
        }
        return;
    }
    const qsizetype room = qMax(0, combo->maxCount() - combo->count());
    QList<QStandardItem*> items;
    items.reserve(qMin(room, entries.size()));
    for (const ComboEntry& e : entries) {
        if (items.size() == room)
            break;
        auto* item = new QStandardItem(e.text);
        item->setData(e.number, Qt::UserRole);
        items.append(item);
    }
    model->invisibleRootItem()->appendRows(items);
}

} // namespace

ListQuery directoryListQuery(int listCode, long parentId)
{
    const DirectoryList* list = findDirectoryList(listCode);
    if (list == nullptr)
        return {};
    ListQuery query;
    query.keyField = QString::fromLatin1(list->keyField);
    query.displayField = QString::fromLatin1(list->displayField);
    if (listCode == kPersonsCode) {
        query.sql = QString::fromLatin1(kPersonsSelect);
        if (parentId > 0) {
            query.sql += QLatin1String(kPersonsOfGroup);
            query.params.append(QVariant::fromValue<qlonglong>(parentId));
        }
        query.sql += QLatin1String(kPersonsOrder);
    } else {
        query.sql = QString::fromLatin1(list->sql);
    }
    return query;
}

QString DirectoryQuery(int listCode, int queryPart, long parentId)
{
    const ListQuery query = directoryListQuery(listCode, parentId);
    switch (queryPart) {
    case 0:
        return query.sql;
    case 1:
        return query.keyField;
    case 2:
        return query.displayField;
    default:
        return {};
    }
}

std::optional<int> fixedListNumber(int listCode, const QString& text)
{
    if (const FixedList* fixed = findFixedList(listCode))
        for (const FixedItem& item : fixed->items)
            if (QString::fromUtf8(item.text).compare(text, Qt::CaseInsensitive) == 0)
                return item.number;
    return std::nullopt;
}

void FillCombo(QComboBox* combo, int listCode, bool keepItems, long parentId)
{
    if (combo == nullptr)
        return;
    if (!keepItems)
        combo->clear();

    ComboEntries entries;
    if (const FixedList* fixed = findFixedList(listCode)) {
        for (const FixedItem& item : fixed->items)
            entries.append({QString::fromUtf8(item.text), item.number});
    } else {
        forEachListRow(listCode, parentId, [&entries](const QString& text, qlonglong key) {
            entries.append({text, static_cast<int>(key)});
        });
    }
    appendComboEntries(combo, entries);
}

void FillListViewFromDirectory(ReportList* list, int listCode)
{
    if (list == nullptr)
        return;
    ListAppender rows(list);
    forEachListRow(listCode, 0, [&rows](const QString& text, qlonglong key) {
        rows.addRow(QString());
        rows.setText(0, text);
        rows.setText(1, QString::number(key));
    });
}

} // namespace core
