#include "directory/PlanTotals.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"

namespace directory {
namespace {

const char* const kTotalsHeading = "ВСЕГО часов теоретического обучения:";
const char* const kClassroomHeading = "в том числе аудиторных часов:";
// Hours written as weeks ("неделя", "недели", "недель"), and the hours of one week.
const char* const kWeeksWord = "недел";
constexpr double kHoursPerWeek = 36;

QString chooseGroupText()
{
    return QStringLiteral("Выберите учебную группу из списка, затем в таблице выделите строку, в которую нужно вписать "
                          "итоговое количество часов, после этого повторите операцию.");
}

// The key of a section heading of the disciplines directory; 0 when none.
qlonglong headingKey(jet::Database& db, const char* name)
{
    return jet::toLong(db.scalar(
        QStringLiteral("SELECT IDD FROM SPPRED WHERE NAIM = ? AND COALESCE(isNotPred, 0) <> 0 ORDER BY IDD"),
        {QString::fromUtf8(name)}));
}

// A plan row's position: its order (Null when it has none). The plan is
// listed by order, rows without one first, then by key.
struct PlanPlace {
    QVariant sort;
};

// The hours of the group's plan rows whose order is below the totals row's
// and that are not section headings, together with the rows of discipline 0.
// A row without an order, a row whose discipline row is missing and the
// totals row's own order never count; a totals row without an order counts
// nothing.
double hoursAbove(jet::Database& db, qlonglong group, const PlanPlace& place)
{
    const qlonglong limit = jet::isNull(place.sort) ? 0 : jet::toLong(place.sort);
    auto rs = db.openRecordset(
        QStringLiteral("SELECT SPNAGR.CH FROM SPNAGR LEFT JOIN SPPRED ON SPPRED.IDD = SPNAGR.IDD WHERE SPNAGR.IDG = ? "
                       "AND SPNAGR.SORT < ? AND (SPPRED.isNotPred = 0 OR SPNAGR.IDD = 0)"),
        jet::dbOpenSnapshot, {group, limit});
    double total = 0;
    for (; !rs->isEOF(); rs->moveNext())
        total += hoursValue(jet::toText(rs->value(0)));
    return total;
}

// Adds the classroom-hours heading right below the totals row unless it is
// there already or the disciplines directory lacks it. False when room for
// it could not be made.
bool addClassroomHeading(jet::Database& db, qlonglong group, const PlanPlace& totals)
{
    if (jet::isNull(totals.sort))
        return true;
    const qlonglong t = jet::toLong(totals.sort);
    auto next = db.openRecordset(
        QStringLiteral("SELECT SPPRED.NAIM, SPNAGR.SORT FROM SPNAGR LEFT JOIN SPPRED ON SPPRED.IDD = SPNAGR.IDD "
                       "WHERE SPNAGR.IDG = ? AND SPNAGR.SORT > ? ORDER BY SPNAGR.SORT, SPNAGR.IDN"),
        jet::dbOpenSnapshot, {group, t});
    qlonglong nextSort = 0;
    if (!next->isEOF()) {
        if (jet::toText(next->value(0)) == QString::fromUtf8(kClassroomHeading))
            return true;
        nextSort = jet::toLong(next->value(1));
    }
    next->close();
    const qlonglong heading = headingKey(db, kClassroomHeading);
    if (heading == 0)
        return true;
    if (nextSort == t + 1 && !core::ShiftSortOrder(static_cast<long>(t), static_cast<long>(group), QStringLiteral("spnagr")))
        return false;
    db.execute(QStringLiteral("INSERT INTO SPNAGR (IDG, IDD, SORT, kursovaya) VALUES (?, ?, ?, 0)"), {group, heading, t + 1});
    return true;
}

} // namespace

double hoursValue(const QString& hours)
{
    QString text = hours.isEmpty() ? QStringLiteral("0") : hours;
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const double value = jet::vbVal(text);
    return text.contains(QString::fromUtf8(kWeeksWord)) ? value * kHoursPerWeek : value;
}

QString hoursText(double total)
{
    return QString::number(total, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

qlonglong totalPlanHours(int groupEntries, qlonglong groupId, qlonglong selectedRowId)
{
    if (groupEntries <= 0) {
        ui::warn(QStringLiteral("Список учебных групп пуст. Введите группу в справочник учебных групп, после этого "
                            "повторите операцию."));
        return 0;
    }
    if (groupId <= 0) {
        ui::warn(chooseGroupText());
        return 0;
    }
    try {
        jet::Database& db = core::db();
        if (jet::toLong(db.scalar(QStringLiteral("SELECT count(*) FROM SPGRUP WHERE IDG = ?"), {groupId})) == 0) {
            ui::warn(chooseGroupText());
            return 0;
        }
        qlonglong row = selectedRowId;
        if (row > 0) {
            const QString name = jet::toText(
                db.scalar(QStringLiteral("SELECT SPPRED.NAIM FROM SPNAGR LEFT JOIN SPPRED ON SPPRED.IDD = SPNAGR.IDD "
                                         "WHERE SPNAGR.IDN = ? AND SPNAGR.IDG = ?"),
                          {row, groupId}));
            if (name != QString::fromUtf8(kTotalsHeading))
                row = 0;
        }
        const qlonglong totalsHeading = headingKey(db, kTotalsHeading);
        if (totalsHeading == 0) {
            ui::warn(QStringLiteral("В справочнике дисциплин не найдена строка \"ВСЕГО часов теоретического обучения:\". "
                                "Добавьте значение в справочник с типом \"Заголовок раздела\""));
            return 0;
        }
        const QString question =
            row > 0 ? QStringLiteral("Рассчитать ВСЕГО часов теоретического обучения и вписать в текущую строку? В сумму "
                                     "будут включены часы, указанные в строках выше.")
                    : QStringLiteral("Рассчитать ВСЕГО часов теоретического обучения и добавить такую строку? В сумму "
                                     "будут включены часы, указанные во всех строках.");
        if (ui::msgBox(question, ui::YesNo | ui::Question) != ui::Yes)
            return 0;

        try {
            jet::Transaction transaction(db);
            if (row == 0) {
                // After every row of the plan, so that all of them are added up.
                const qlonglong sort = jet::toLong(
                    db.scalar(QStringLiteral("SELECT COALESCE(MAX(SORT), 0) + 1 FROM SPNAGR WHERE IDG = ?"), {groupId}));
                db.execute(QStringLiteral("INSERT INTO SPNAGR (IDG, IDD, SORT, kursovaya) VALUES (?, ?, ?, 0)"),
                           {groupId, totalsHeading, sort});
                row = db.lastInsertKey();
            }
            const PlanPlace totals{db.scalar(QStringLiteral("SELECT SORT FROM SPNAGR WHERE IDN = ?"), {row})};
            const double total = hoursAbove(db, groupId, totals);
            db.execute(QStringLiteral("UPDATE SPNAGR SET CH = ? WHERE IDN = ?"), {hoursText(total), row});
            if (!addClassroomHeading(db, groupId, totals))
                return 0;  // the shift has said why; nothing of this run stays
            transaction.commit();
        } catch (const jet::Error& e) {
            ui::msgBox(QStringLiteral("Произошла ошибка во время записи итогового значения в базу данных: ")
                           + e.numberAndDescription(),
                       ui::OkOnly);
            return 0;
        }
        return row;
    } catch (const jet::Error& e) {
        ui::warn(QStringLiteral("Не удалось рассчитать итого часов. Ошибка: ") + e.numberAndDescription());
        return 0;
    }
}

} // namespace directory
