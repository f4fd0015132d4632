#pragma once
// Inside the office layer only: an open spreadsheet document and its sheets,
// shared by the workbook model (Excel.h), the Calc model (Calc.h) and the
// workbook reader. Every handle to the same sheet shares one SheetBuffer, so
// the writes made through any of them stay in order.
#include "platform/office/SheetBuffer.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace office::detail {

struct DocImpl;

struct SheetImpl {
    SheetImpl(const std::shared_ptr<DocImpl>& owner, int index, const Reference<css::sheet::XSpreadsheet>& sheet);
    std::weak_ptr<DocImpl> owner;
    int index;  // 0-based
    SheetBuffer buffer;
};

struct DocImpl : std::enable_shared_from_this<DocImpl> {
    explicit DocImpl(const Reference<css::lang::XComponent>& document, const QString& what = {});
    ~DocImpl();

    Reference<css::lang::XComponent> document;
    QString what;  // the file, for messages
    bool closed = false;
    std::map<int, std::shared_ptr<SheetImpl>> sheets;
    // The selection of the workbook model.
    std::weak_ptr<SheetImpl> selectionSheet;
    Rect selection;

    int sheetCount();
    QStringList sheetNames();
    std::shared_ptr<SheetImpl> sheet(int index);  // 0-based; NotFound
    std::shared_ptr<SheetImpl> sheet(const QString& name);  // NotFound
    int activeSheetIndex();  // of the document's view; 0 without one
    void setActiveSheet(int index);

    void flush();  // every sheet
    // Stores under `url` (storeAsURL: the document moves there; else a copy),
    // with the filter chosen by the file's extension unless given.
    void store(const QString& url, bool moveThere, const QString& filter = {});
    QString url();
    void close();  // without saving
    void checkOpen() const;
};

// The office's filter for a spreadsheet file name: .xls "MS Excel 97",
// .xlt its template, .xlsx, .ods, .ots; empty for others.
QString spreadsheetFilterFor(const QString& fileName);

// The open spreadsheet document loaded from `pathOrUrl`.
std::shared_ptr<DocImpl> loadSpreadsheet(const QString& pathOrUrl, const uno::Props& args);
std::shared_ptr<DocImpl> newSpreadsheet(bool hidden);

} // namespace office::detail
