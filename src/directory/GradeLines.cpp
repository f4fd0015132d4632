#include "directory/GradeLines.h"

#include "core/AppState.h"

namespace directory {

GradeLinesQuery gradeLinesQuery(qlonglong personId, int docKind)
{
    // Every line of the person stays, even when its discipline, grade kind or
    // institution is missing; the missing names read as empty.
    QString sql = QStringLiteral(
        "SELECT SPPRED.NAIM AS NAIMD, EXAM.NAIM AS NAIMN, SPBALL.NAIM AS NAIMOC, EXAM.IDE, EXAM.CH AS CH, "
        "SPUCH.NAIM AS IDZN, CASE WHEN EXAM.kursovaya THEN 'Да' ELSE 'Нет' END AS kurs "
        "FROM EXAM LEFT JOIN SPBALL ON SPBALL.IDB = EXAM.IDB LEFT JOIN SPPRED ON SPPRED.IDD = EXAM.IDD "
        "LEFT JOIN SPUCH ON EXAM.IDZ = SPUCH.IDZ WHERE EXAM.ID = ? AND ");
    sql += docKind == core::Documents ? QStringLiteral("(EXAM.VidDokum = ? OR EXAM.VidDokum IS NULL)")
                                      : QStringLiteral("EXAM.VidDokum = ?");
    sql += QStringLiteral(" ORDER BY EXAM.SORT, EXAM.IDE");
    return {sql, {personId, core::vidDokumOf(docKind)}};
}

} // namespace directory
