#include "directory/RowDeletion.h"

#include "core/AppState.h"
#include "core/DirectoryMetadata.h"
#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"


#include <algorithm>

namespace directory {
namespace {

// Rows that belong to a row of another table: when they exist the user is
// asked, and on Yes they are deleted together with their owner.
struct OwnedRows {
    const char* ownerTable;
    const char* table;
    const char* field;
};
constexpr OwnedRows kOwnedRows[] = {
    {"SPSTUD", "EXAM", "ID"},  // a person's grade lines
};

// Grade marks whose grade kinds are never deleted ("x" Latin, "х" Cyrillic).
constexpr const char* kBaseMarks[] = {"5", "4", "3", "+", "x", "\u0445"};

// One reference check: rows of `table` whose `field` holds the row's key.
struct Check {
    QString table;
    QString field;
    bool owned = false;  // asked about and deleted with the row instead of refusing it
};

struct Target {
    QString table;
    QString keyField;
};

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The table and key field that one row of the list is deleted from.
Target targetOf(int windowKind, bool gradeLines)
{
    if (windowKind == core::Grades) {
        if (gradeLines)
            return {core::TableNames(core::Grades), core::OwnKeyFields(core::Grades)};
        return {core::TableNames(core::Students), core::KeyFields(core::Grades)};
    }
    return {core::TableNames(windowKind), core::KeyFields(windowKind)};
}

// The checks of a row of the main list, in probe order: the kind's
// referencing tables, then the owned rows of the target table that they do
// not already name.
QList<Check> checksOf(int windowKind, const Target& target)
{
    QList<Check> checks;
    const ListDefinition def = DefineColumns(windowKind, false);
    for (qsizetype j = 0; j < def.RefTables.size() && j < def.RefFields.size(); ++j) {
        if (def.RefTables.at(j).isEmpty())
            continue;
        checks.append({def.RefTables.at(j), def.RefFields.at(j), false});
    }
    for (const OwnedRows& o : kOwnedRows) {
        if (!sameName(target.table, QString::fromUtf8(o.ownerTable)))
            continue;
        const QString table = QString::fromUtf8(o.table);
        const QString field = QString::fromUtf8(o.field);
        bool named = false;
        for (Check& c : checks) {
            if (sameName(c.table, table) && sameName(c.field, field)) {
                c.owned = true;
                named = true;
            }
        }
        if (!named)
            checks.append({table, field, true});
    }
    return checks;
}

// The plural name of the first directory kind kept in `table`.
QString directoryOf(const QString& table)
{
    for (int kind = 0; kind < core::kKindCount; ++kind) {
        if (!core::TableNames(kind).isEmpty() && sameName(core::TableNames(kind), table))
            return core::PluralNames(kind);
    }
    return table;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A refusal: with selected rows still to come, the user may go on with
// them or stop. True to go on.
bool refuse(const QString& text, int rowsAfter)
{
    if (rowsAfter > 0) {
        return ui::msgBox(text + QStringLiteral("\n\nУдалить остальные выделенные строки?"),
                          ui::YesNo | ui::Exclamation | ui::DefaultButton2) == ui::Yes;
    }
    ui::msgBox(text, ui::OkOnly | ui::Exclamation);
    return true;
}

QString failureText(const QString& name, const jet::Error& e)
{
    return QStringLiteral("Не удалось удалить строку %1. Ошибка: %2").arg(quoted(name), e.numberAndDescription());
}

} // namespace

bool isBaseMark(const QString& mark)
{
    return std::any_of(std::begin(kBaseMarks), std::end(kBaseMarks),
                       [&](const char* m) { return mark == QString::fromUtf8(m); });
}

DeletionOutcome deleteRows(int windowKind, bool gradeLines, const QList<ListRow>& rows)
{
    DeletionOutcome outcome;
    if (rows.isEmpty() || windowKind < 0 || windowKind >= core::kKindCount)
        return outcome;
    const Target target = targetOf(windowKind, gradeLines);
    if (target.table.isEmpty() || target.keyField.isEmpty())
        return outcome;

    int rowsAfter = static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const ListRow& r) { return r.selected; }));
    const QString question =
        QStringLiteral("Удалить выделенн") + (rowsAfter < 2 ? QStringLiteral("ую строку?") : QStringLiteral("ые строки?"));
    if (ui::msgBox(question, ui::YesNo | ui::Exclamation | ui::DefaultButton2) != ui::Yes)
        return outcome;
    outcome.confirmed = true;
    ui::setStatusText(QStringLiteral("Идет удаление строк..."));

    const QList<Check> checks = gradeLines ? QList<Check>{} : checksOf(windowKind, target);
    const QString deleteSql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(target.table, target.keyField);

    try {
        jet::Database& db = core::db();
        jet::Transaction transaction(db);
        int deleted = 0;
        for (qsizetype position = 0; position < rows.size(); ++position) {
            const ListRow& row = rows.at(position);
            if (!row.selected)
                continue;
            if (outcome.firstPosition == 0)
                outcome.firstPosition = static_cast<int>(position) + 1;
            --rowsAfter;

            bool keep = false;
            bool stop = false;
            QList<const Check*> withRow;  // owned rows to delete with this row
            for (const Check& check : checks) {
                qlonglong references = 0;
                try {
                    references = jet::toLong(db.scalar(
                        QStringLiteral("SELECT count(%1) FROM %2 WHERE %1 = ?").arg(check.field, check.table), {row.key}));
                } catch (const jet::Error& e) {
                    // A row whose references cannot be counted is kept.
                    keep = true;
                    stop = !refuse(failureText(row.name, e), rowsAfter);
                    break;
                }
                if (references == 0)
                    continue;
                const QString directory = directoryOf(check.table);
                if (check.owned) {
                    const QString ask = QStringLiteral("Cтрока %1 используется в справочнике %2. Все равно удалить?")
                                            .arg(quoted(row.name), quoted(directory));
                    if (ui::msgBox(ask, ui::YesNo | ui::Exclamation | ui::DefaultButton2) == ui::Yes) {
                        withRow.append(&check);
                        continue;
                    }
                    keep = true;
                    break;
                }
                keep = true;
                stop = !refuse(QStringLiteral("Невозможно удалить строку %1, так как она используется в справочнике %2.")
                                   .arg(quoted(row.name), quoted(directory)),
                               rowsAfter);
                break;
            }

            if (!keep && !gradeLines && windowKind == core::GradeKinds) {
                try {
                    const QString mark =
                        jet::toText(db.scalar(QStringLiteral("SELECT OCEN FROM SPBALL WHERE IDB = ?"), {row.key}));
                    if (isBaseMark(mark)) {
                        keep = true;
                        stop = !refuse(QStringLiteral("Невозможно удалить строку %1, так как она является базовой.")
                                           .arg(quoted(row.name)),
                                       rowsAfter);
                    }
                } catch (const jet::Error& e) {
                    keep = true;
                    stop = !refuse(failureText(row.name, e), rowsAfter);
                }
            }

            if (!keep) {
                try {
                    jet::Transaction rowTransaction(db);
                    for (const Check* owned : withRow)
                        db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(owned->table, owned->field),
                                   {row.key});
                    const int changed = db.execute(deleteSql, {row.key});
                    rowTransaction.commit();
                    if (changed > 0)
                        ++deleted;
                } catch (const jet::Error& e) {
                    stop = !refuse(failureText(row.name, e), rowsAfter);
                }
            }
            if (stop)
                break;
        }
        transaction.commit();
        outcome.deleted = deleted;
    } catch (const jet::Error& e) {
        // Nothing of this run stays deleted.
        ui::msgBox(QStringLiteral("Не удалось удалить строки. Ошибка: ") + e.numberAndDescription(),
                   ui::OkOnly | ui::Exclamation);
        outcome.deleted = 0;
    }
    ui::setStatusText(QStringLiteral("Удалено строк: %1").arg(outcome.deleted));
    return outcome;
}

QList<ListRow> listRows(const core::ReportList* list)
{
    QList<ListRow> rows;
    if (!list)
        return rows;
    rows.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const core::ListItem item = list->topLevelItem(i);
        rows.append({static_cast<qlonglong>(core::IdFromKey(core::listItemKey(item))), item->text(1), item->isSelected()});
    }
    return rows;
}

void selectAfterDeletion(core::ReportList* list, int firstPosition)
{
    if (!list || firstPosition <= 0 || list->topLevelItemCount() == 0)
        return;
    const int position = std::min(firstPosition, list->topLevelItemCount());
    core::selectOnlyItem(list, list->topLevelItem(position - 1));
}

} // namespace directory
