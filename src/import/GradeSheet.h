#pragma once
// Reading a grade sheet: one column per discipline (its name in the
// discipline row, its hours in the row above) and one row per person (the
// name in one column or in three), the person's grade under each
// discipline.
#include "import/GradeSettings.h"
#include "import/ImportLayouts.h"
#include "import/SheetRows.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace importer {

struct GradeSheetRead {
    QList<ImportColumn> disciplines;  // appended to the person columns of the layout
    // Per person row: group, surname, first name, patronymic, then one grade
    // per discipline ("" for an empty cell).
    QList<QStringList> rows;
    QList<int> sheetRows;
};

// The caption of a discipline column whose name cell is empty.
QString unnamedDisciplineCaption();

// `groupName` goes into every row that holds a name.
GradeSheetRead readGradeSheet(const office::SheetTexts& sheet, const GradeSheetSettings& settings,
                              const QString& groupName, ReadingPath path);

} // namespace importer
