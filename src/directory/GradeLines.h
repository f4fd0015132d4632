#pragma once
// The grade lines of one person for one document kind, as the grades view
// lists them.
#include <QString>
#include <QVariantList>

namespace directory {

struct GradeLinesQuery {
    QString sql;
    QVariantList params;
};

// Lines of `personId` whose stored document kind belongs to `docKind`
// (for kind 0 also those without one), in their order; aliases NAIMD, NAIMN,
// NAIMOC, IDE, CH, IDZN and kurs ("Да" for coursework, else "Нет").
GradeLinesQuery gradeLinesQuery(qlonglong personId, int docKind);

} // namespace directory
