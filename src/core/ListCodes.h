#pragma once
// The catalogue of list codes: fixed lists and directory queries that fill
// combo boxes and list views.
#include <QString>
#include <QVariantList>

#include <optional>

class QComboBox;

namespace core {

class ReportList;

// A directory query of a list code: SQL with its bound values, the field
// whose number becomes an item's data and the field shown.
struct ListQuery {
    QString sql;
    QVariantList params;
    QString keyField;
    QString displayField;
    bool isValid() const { return !sql.isEmpty(); }
};

// queryPart: 0 the SQL text, 1 the key field, 2 the display field; anything
// else gives an empty text.
QString DirectoryQuery(int listCode, int queryPart, long parentId);
ListQuery directoryListQuery(int listCode, long parentId);

// The number a fixed list's text stands for (letter case ignored); nothing
// when the list has no such text or the code is no fixed list.
std::optional<int> fixedListNumber(int listCode, const QString& text);

// Fills a combo box from a list code; item data holds the number.
void FillCombo(QComboBox* combo, int listCode, bool keepItems = false, long parentId = 0);

// Appends one row per query row to a list: column 0 = display field,
// column 1 = the key as a decimal number.
void FillListViewFromDirectory(ReportList* list, int listCode);

} // namespace core
