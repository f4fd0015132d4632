#pragma once
// Fixture documents for the office tests, made through the office itself:
// spreadsheet templates, text templates with frames, a picture and a table,
// and workbooks to read back.
#include "platform/office/UnoSupport.h"
#include "support/OfficeDocuments.h"

#include <QString>
#include <QStringList>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XText.hpp>

namespace officetest {

// A small picture file.
QString writePicture(const QString& path);

// A spreadsheet template (.xlt or .ots by the extension): the label
// "Группа: " in A2, nothing else.
void makeSpreadsheetTemplate(const QString& path);

// A text template (.dot or .ott by the extension) with, in this order, a
// picture, the text frames "Фамилия" and "Имя" (texts "Текст Фамилия" and
// "Текст Имя", fixed sizes, placed on the page), and one table whose first
// cell reads "Дисциплина"; page margins 20 mm left, 15 mm top.
void makeTextTemplate(const QString& path, const QString& picture);

// Anchors a frame or picture as `anchor` (on the first page when anchored to
// the page) and places it at x, y (hundredths of a millimetre) from the
// page's top left corner.
void placeOnPage(const css::uno::Reference<css::beans::XPropertySet>& object,
                 css::text::TextContentAnchorType anchor, int x, int y);

// Adds the picture file at the end of `text` of the document, 20 mm square,
// placed on the page as placeOnPage() does.
css::uno::Reference<css::beans::XPropertySet> insertPicture(const css::uno::Reference<css::lang::XComponent>& doc,
                                                             const css::uno::Reference<css::text::XText>& text,
                                                             const QString& picture,
                                                             css::text::TextContentAnchorType anchor, int x, int y);

// The page style of a text document's first page.
css::uno::Reference<css::beans::XPropertySet> firstPageStyle(const css::uno::Reference<css::lang::XComponent>& doc);

// A workbook (.xls, .xlsx or .ods) with the sheets "Список" and
// "Второй лист"; see kImportCells in the reader tests.
void makeImportWorkbook(const QString& path);

// The document of a file loaded hidden and read-only (a template as itself,
// not as a new document made from it).
css::uno::Reference<css::lang::XComponent> loadForReading(const QString& path);

// The objects on the draw page of a text document.
css::uno::Reference<css::container::XIndexAccess> drawPageOf(const css::uno::Reference<css::lang::XComponent>& doc);

// Sizes in twips of every frame and picture of a text document, as a fresh
// load of the file reads them.
std::vector<std::pair<int, int>> objectSizes(const QString& path);

// The open document whose file is `path`, found among the office's
// documents.
css::uno::Reference<css::lang::XComponent> openDocument(const QString& path);

using testsupport::openDocumentCount;

// Stores a document with the filter for the file's extension.
void storeAs(const css::uno::Reference<css::lang::XComponent>& doc, const QString& path);

} // namespace officetest
