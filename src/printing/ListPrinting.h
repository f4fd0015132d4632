#pragma once
// Printing a directory list into a spreadsheet made from a template: the
// title in row 1, the group or person line in row 2, the header in row 4
// and one line per printed row from row 5, the unticked columns removed,
// borders drawn, the file saved under the first free name in the documents
// folder and shown to the user in the office (under a headless office it is
// only saved). The print itself is the one of SheetPrint.h; what is a
// list's own is here.
#include "printing/PrintJob.h"
#include "printing/SheetPrint.h"

#include <QList>
#include <QString>

namespace printing {

// The print of a directory list: the column chooser (settings value
// "Spr" + kind), then the workbook through `path`. A cancelled chooser
// writes "Печатная форма не создана." into the status bar and prints
// nothing.
void printDirectoryList(const ListPrintJob& job, OfficePath path);

// The sheet of a directory list with the columns `flags` keeps (flag 0 the
// running number, flag c list column c), after the chooser.
SheetPrint listSheet(const ListPrintJob& job, const QList<bool>& flags);

// The templates of a directory list, in the order they are tried, without
// their extension: the kind's own "Справочник <plural> (шаблон)" and the
// generic "Справочники (шаблон)".
QString ownTemplatePath(const QString& pluralName);
QString genericTemplatePath();
// The base name of a printed list's file: "Справочник " + the plural name,
// made fit for a file name.
QString listFileBase(const QString& pluralName);

} // namespace printing
