#include "directory/GradeSetting.h"

#include "core/AppState.h"
#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"


namespace directory {
namespace {

// The person's lines of one document kind (lines without a kind belong to
// kind 0) that are not section headings.
const char* const kGradableLines =
    "EXAM.ID = ? AND COALESCE(EXAM.VidDokum, 0) = ? AND NOT EXISTS (SELECT 1 FROM SPPRED "
    "WHERE SPPRED.IDD = EXAM.IDD AND COALESCE(SPPRED.isNotPred, 0) <> 0)";

// The column of the grade lines list that shows a line's grade ("Итоговая
// оценка"), by the field it shows.
int gradeColumn()
{
    return static_cast<int>(DefineColumns(core::Grades, false).FieldNames2.indexOf(QStringLiteral("NAIMOC")));
}

// The mark of a grade kind in SPBALL.OCEN.
QString markOf(int grade)
{
    return grade == kGradePass ? QStringLiteral("+") : QString::number(grade);
}

void inform(const QString& text)
{
    ui::msgBox(text, ui::OkOnly | ui::Information);
}

bool confirm(const QString& text)
{
    return ui::msgBox(text, ui::YesNo | ui::Question) == ui::Yes;
}

QString hint(int grade)
{
    return QStringLiteral("Выделите нужную строку в списке студентов или в списке итоговых оценок и нажмите эту кнопку "
                          "заново, чтобы поставить оценку ") +
           gradeText(grade) +
           QStringLiteral(" либо по всем дисциплинам выбранному студенту, либо только по выбранной дисциплине.");
}

// Surname, first name and patronymic joined by blanks.
QString personName(jet::Database& db, qlonglong personId)
{
    auto rs = db.openRecordset(QStringLiteral("SELECT FAM, IM, OTCH FROM SPSTUD WHERE ID = ?"), jet::dbOpenSnapshot,
                               {personId});
    if (rs->isEOF())
        return {};
    return (rs->text(QStringLiteral("FAM")) + QLatin1Char(' ') + rs->text(QStringLiteral("IM")) + QLatin1Char(' ') +
            rs->text(QStringLiteral("OTCH")))
        .trimmed();
}

// The key of the grade kind of `grade`; 0 when the directory lacks it.
qlonglong gradeKindOf(jet::Database& db, int grade)
{
    return jet::toLong(db.scalar(QStringLiteral("SELECT IDB FROM SPBALL WHERE OCEN = ? ORDER BY IDB"), {markOf(grade)}));
}

bool reportMissingGradeKind(qlonglong idb)
{
    if (idb >= 1)
        return false;
    inform(QStringLiteral("Такая оценка не найдена в справочнике \"Виды оценок\". Сначала введите виды оценок. "
                          "Необходимо, чтобы в справочнике были оценки с баллами 3, 4, 5, зачет помечается знаком + "
                          "(плюс) в графе \"Балл\"."));
    return true;
}

GradeOutcome gradePerson(jet::Database& db, const GradeRequest& r)
{
    GradeOutcome outcome;
    if (r.personCount == 0) {
        inform(QStringLiteral("Эта кнопка позволяет поставить оценку ") + gradeText(r.grade) +
               QStringLiteral(" по всем дисциплинам выбранному студенту, либо только по одной выбранной дисциплине. "
                              "Однако, сейчас список студентов пуст."));
        return outcome;
    }
    if (r.personId == 0)
        return outcome;  // no person chosen: nothing to grade
    const QVariantList lines{r.personId, core::vidDokumOf(r.docKind)};
    const bool graded =
        jet::toLong(db.scalar(QStringLiteral("SELECT count(*) FROM EXAM INNER JOIN SPBALL ON SPBALL.IDB = EXAM.IDB "
                                             "WHERE ") +
                                  QString::fromUtf8(kGradableLines),
                              lines)) > 0;
    if (graded &&
        !confirm(QStringLiteral("Поставить студенту: ") + personName(db, r.personId) +
                 QStringLiteral(" ВСЕ оценки по ") + gradeText(r.grade) + pointsWord(r.grade) + QLatin1Char('?')))
        return outcome;
    const qlonglong idb = gradeKindOf(db, r.grade);
    if (reportMissingGradeKind(idb))
        return outcome;
    db.execute(QStringLiteral("UPDATE EXAM SET IDB = ? WHERE ") + QString::fromUtf8(kGradableLines),
               {idb, r.personId, core::vidDokumOf(r.docKind)});
    outcome.written = true;
    return outcome;
}

GradeOutcome gradeLines(jet::Database& db, const GradeRequest& r)
{
    GradeOutcome outcome;
    if (r.lines.isEmpty()) {
        inform(QStringLiteral("Эта кнопка позволяет поставить оценку ") + gradeText(r.grade) +
               QStringLiteral(" по выбранной дисциплине. Однако, сейчас список итоговых оценок пуст."));
        return outcome;
    }
    QList<int> selected;
    bool graded = false;
    for (int i = 0; i < r.lines.size(); ++i) {
        if (!r.lines.at(i).selected)
            continue;
        selected << i;
        graded = graded || r.lines.at(i).graded;
    }
    if (selected.isEmpty())
        return outcome;

    if (graded) {
        const qlonglong first = r.lines.at(selected.first()).key;
        const qlonglong person = jet::toLong(db.scalar(QStringLiteral("SELECT ID FROM EXAM WHERE IDE = ?"), {first}));
        QString text = QStringLiteral("Поставить студенту: ") + personName(db, person > 0 ? person : r.personId);
        if (selected.size() == 1) {
            const QString discipline =
                jet::toText(db.scalar(QStringLiteral("SELECT SPPRED.NAIM FROM EXAM INNER JOIN SPPRED ON SPPRED.IDD = "
                                                     "EXAM.IDD WHERE EXAM.IDE = ?"),
                                      {first}))
                    .replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                    .trimmed();
            text += QStringLiteral(" по дисциплине \"") + discipline + QStringLiteral("\" оценку: ");
        } else {
            text += QStringLiteral(" по дисциплинам в выделенных строках оценки: ");
        }
        if (!confirm(text + gradeText(r.grade) + pointsWord(r.grade) + QLatin1Char('?')))
            return outcome;
    }
    const qlonglong idb = gradeKindOf(db, r.grade);
    if (reportMissingGradeKind(idb))
        return outcome;

    jet::Transaction transaction(db);
    for (int i : selected)
        db.execute(QStringLiteral("UPDATE EXAM SET IDB = ? WHERE IDE = ?"), {idb, r.lines.at(i).key});
    transaction.commit();

    outcome.written = true;
    outcome.restoreSelection = true;
    if (selected.size() == 1)
        outcome.selectPositions = {qMin(selected.first() + 1, static_cast<int>(r.lines.size()) - 1)};
    else
        outcome.selectPositions = selected;
    return outcome;
}

} // namespace

QString gradeText(int grade)
{
    return grade == kGradePass ? QStringLiteral("\"зачтено\"") : QString::number(grade);
}

QString pointsWord(int grade)
{
    if (grade == 5)
        return QStringLiteral(" баллов");
    if (grade == 3 || grade == 4)
        return QStringLiteral(" балла");
    return {};
}

GradeOutcome setGrade(const GradeRequest& request)
{
    if (request.focus == GradeFocus::Other) {
        inform(hint(request.grade));
        return {};
    }
    try {
        jet::Database& db = core::db();
        return request.focus == GradeFocus::Persons ? gradePerson(db, request) : gradeLines(db, request);
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Не удалось поставить оценку. Ошибка: ") + e.numberAndDescription(),
                   ui::OkOnly | ui::Exclamation);
        return {};
    }
}

GradeRequest gradeRequest(int grade, int docKind, const core::ReportList* persons, const core::ReportList* lines,
                          const QWidget* focused)
{
    GradeRequest r;
    r.grade = grade;
    r.docKind = docKind;
    r.focus = focused && focused == lines     ? GradeFocus::Lines
              : focused && focused == persons ? GradeFocus::Persons
                                              : GradeFocus::Other;
    if (persons) {
        r.personCount = persons->topLevelItemCount();
        r.personId = static_cast<qlonglong>(core::IdFromKey(core::listItemKey(core::selectedListItem(persons))));
    }
    if (lines) {
        const int column = gradeColumn();
        for (int i = 0; i < lines->topLevelItemCount(); ++i) {
            const core::ListItem item = lines->topLevelItem(i);
            const bool graded = column >= 0 && !item->text(column).trimmed().isEmpty();
            r.lines.append({static_cast<qlonglong>(core::IdFromKey(core::listItemKey(item))), item->isSelected(), graded});
        }
    }
    return r;
}

void applyLineSelection(core::ReportList* lines, const QList<int>& positions)
{
    if (!lines)
        return;
    if (positions.size() == 1) {
        if (const core::ListItem item = lines->topLevelItem(positions.first()))
            core::selectOnlyItem(lines, item);
        return;
    }
    lines->clearSelection();
    for (int p : positions) {
        if (core::ListItem item = lines->topLevelItem(p))
            item.setSelected(true);
    }
}

} // namespace directory
