#pragma once
// The check and import passes over the rows of a grade sheet: every
// non-empty grade cell of a person found in the group becomes one grade line
// of the import's document kind. The settings decide whether missing persons
// and disciplines are added and whether the person's earlier grades of that
// document kind are cleared and refilled.
#include "import/GradeSettings.h"
#include "import/ImportLayouts.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace importer {

struct GradeImport {
    ImportLayout layout;  // the four person columns, then one per discipline
    int docKind = 0;      // ImportDocKind
    bool addPersons = false;
    bool addDisciplines = false;
    bool refillGrades = false;
};

// The settings of the grade sheet saved last (the passes read them anew).
GradeImport gradeImportFromSettings(const ImportLayout& layout, int docKind);

// The text a cell gets when its discipline is missing and not to be added.
QString noDisciplineMark();

struct GradeOutcome {
    bool ok = true;
    long count = 0;
    QList<QPair<int, int>> missingDiscipline;  // (row index, layout column) of the cells marked
    QStringList problems;                      // rows left out, each with the reason
    QString error;                             // import pass: what went wrong; nothing was written
};

// `rows` hold the list's texts per layout column; `rowNumbers` name them.
// `progress` is told each row as it is taken (row, rows).
GradeOutcome checkGradeRows(const GradeImport& import, const QList<QStringList>& rows, const QList<int>& rowNumbers,
                            const RowProgress& progress = {});
GradeOutcome importGradeRows(const GradeImport& import, const QList<QStringList>& rows, const QList<int>& rowNumbers,
                             const RowProgress& progress = {});

} // namespace importer
