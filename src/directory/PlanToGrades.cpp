#include "directory/PlanToGrades.h"

#include "core/AppState.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"

#include <QVariant>

#include <vector>

namespace directory {
namespace {

// The fields a plan row hands to a grade line.
struct PlanRow {
    QVariant discipline;  // IDD
    QVariant text;        // NAIM
    QVariant hours;       // CH
    QVariant institution; // IDZ
    QVariant courseWork;  // kursovaya
};

// The plan of the person's own group, in the order the plan is shown.
std::vector<PlanRow> planOf(jet::Database& db, qlonglong personId)
{
    std::vector<PlanRow> rows;
    auto rs = db.openRecordset(
        QStringLiteral("SELECT SPNAGR.IDD, SPNAGR.NAIM, SPNAGR.CH, SPNAGR.IDZ, SPNAGR.kursovaya "
                       "FROM SPNAGR INNER JOIN SPSTUD ON SPSTUD.IDG = SPNAGR.IDG "
                       "WHERE SPSTUD.ID = ? ORDER BY SPNAGR.SORT, SPNAGR.IDN"),
        jet::dbOpenSnapshot, {personId});
    for (; !rs->isEOF(); rs->moveNext())
        rows.push_back({rs->value(0), rs->value(1), rs->value(2), rs->value(3), rs->value(4)});
    rs->close();
    return rows;
}

// Writes one grade line from a plan row and gives it the order `sort`, or
// its own key when `sort` is 0.
void addLine(jet::Database& db, qlonglong personId, int vidDokum, const PlanRow& row, qlonglong sort)
{
    db.execute(QStringLiteral("INSERT INTO EXAM (ID, IDD, NAIM, CH, IDZ, kursovaya, VidDokum) VALUES (?, ?, ?, ?, ?, ?, ?)"),
               {personId, row.discipline, row.text, row.hours, row.institution, row.courseWork, vidDokum});
    const qlonglong key = db.lastInsertKey();
    db.execute(QStringLiteral("UPDATE EXAM SET SORT = ? WHERE IDE = ?"), {sort > 0 ? sort : key, key});
}

int insertPlan(jet::Database& db, qlonglong personId, int docKind)
{
    const int vidDokum = core::vidDokumOf(docKind);
    const std::vector<PlanRow> plan = planOf(db, personId);
    for (const PlanRow& row : plan)
        addLine(db, personId, vidDokum, row, 0);
    return static_cast<int>(plan.size());
}

// A reference as the presence test compares it: Null stays Null, so that an
// empty reference matches only an empty one and 0 only 0.
QVariant referenceValue(const QVariant& v)
{
    return jet::isNull(v) ? QVariant() : QVariant(jet::toLong(v));
}

// Lines of the person and kind that hold the plan row's values; an empty
// value matches only an empty value.
qlonglong matchingLines(jet::Database& db, qlonglong personId, int vidDokum, const PlanRow& row)
{
    return jet::toLong(db.scalar(
        QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ? "
                       "AND IDD IS ? AND IDZ IS ? "
                       "AND COALESCE(CH, '') = ? COLLATE RU AND COALESCE(NAIM, '') = ? COLLATE RU "
                       "AND (COALESCE(kursovaya, 0) <> 0) = ?"),
        {personId, vidDokum, referenceValue(row.discipline), referenceValue(row.institution), jet::toText(row.hours),
         jet::toText(row.text), jet::toLong(row.courseWork) != 0 ? 1 : 0}));
}

QString errorText(const QString& context, const jet::Error& e)
{
    return context + QStringLiteral(" Ошибка: ") + e.numberAndDescription();
}

} // namespace

int insertPlanIntoGrades(qlonglong personId, int docKind)
{
    jet::Database& db = core::db();
    jet::Transaction transaction(db);
    const int written = insertPlan(db, personId, docKind);
    transaction.commit();
    return written;
}

int replaceGradesByPlan(qlonglong personId, int docKind)
{
    jet::Database& db = core::db();
    jet::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?"),
               {personId, core::vidDokumOf(docKind)});
    const int written = insertPlan(db, personId, docKind);
    transaction.commit();
    return written;
}

int appendPlanToGrades(qlonglong personId, int docKind)
{
    jet::Database& db = core::db();
    jet::Transaction transaction(db);
    const int vidDokum = core::vidDokumOf(docKind);
    qlonglong sort = jet::toLong(db.scalar(QStringLiteral("SELECT COALESCE(MAX(SORT), 0) FROM EXAM")));
    int written = 0;
    for (const PlanRow& row : planOf(db, personId)) {
        if (matchingLines(db, personId, vidDokum, row) > 0)
            continue;
        addLine(db, personId, vidDokum, row, ++sort);
        ++written;
    }
    transaction.commit();
    return written;
}

PlanFillOutcome copyPlanToGrades(qlonglong personId, int docKind)
{
    PlanFillOutcome outcome;
    if (ui::msgBox(QStringLiteral("Скопировать перечень дисциплин из учебного плана?"), ui::YesNo | ui::Question) !=
        ui::Yes)
        return outcome;

    qlonglong existing = 0;
    try {
        existing = jet::toLong(core::db().scalar(
            QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ? AND COALESCE(VidDokum, 0) = ?"),
            {personId, core::vidDokumOf(docKind)}));
    } catch (const jet::Error& e) {
        ui::msgBox(errorText(QStringLiteral("Не удалось прочитать список дисциплин студента."), e),
                   ui::OkOnly | ui::Exclamation);
        return outcome;
    }

    PlanFill way = PlanFill::Inserted;
    if (existing > 0) {
        const int answer = ui::msgBox(QStringLiteral("Список дисциплин с оценками у данного студента не пуст. "
                                                     "\"Да\"- очищать данные, \"Нет\" - добавлять строки."),
                                      ui::YesNo | ui::Question);
        way = answer == ui::Yes ? PlanFill::Replaced : PlanFill::Appended;
    }

    try {
        switch (way) {
        case PlanFill::Inserted: outcome.lines = insertPlanIntoGrades(personId, docKind); break;
        case PlanFill::Replaced: outcome.lines = replaceGradesByPlan(personId, docKind); break;
        case PlanFill::Appended: outcome.lines = appendPlanToGrades(personId, docKind); break;
        case PlanFill::None: break;
        }
    } catch (const jet::Error& e) {
        ui::msgBox(errorText(QStringLiteral("Не удалось скопировать перечень дисциплин из учебного плана."), e),
                   ui::OkOnly | ui::Exclamation);
        return outcome;
    }
    outcome.way = way;
    return outcome;
}

} // namespace directory
