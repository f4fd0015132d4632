#pragma once
// Fixture documents for the office tests, made through the office itself:
// spreadsheet templates, text templates with frames, a picture and a table,
// and workbooks to read back.
#include "platform/office/UnoSupport.h"
#include "support/OfficeDocuments.h"

#include <QString>
#include <QStringList>

#include <com/sun/star/lang/XComponent.hpp>

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

// A workbook (.xls, .xlsx or .ods) with the sheets "Список" and
// "Второй лист"; see kImportCells in the reader tests.
void makeImportWorkbook(const QString& path);

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
