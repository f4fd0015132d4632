#include "card/CardValidation.h"

#include "card/CardFields.h"
#include "card/Numbering.h"
#include "card/frmSD1.h"
#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DirectoryMetadata.h"
#include "core/TextHelpers.h"
#include "platform/ui/Messages.h"

namespace card {

namespace {

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// A question of the kind pass: Да/Нет, exclamation, Нет the default.
bool confirmed(const QString& text)
{
    return ui::msgBox(text, ui::YesNo | ui::Exclamation | ui::DefaultButton2) == ui::Yes;
}

bool stop(frmSD1& card, int line, const QString& message)
{
    ui::warn(message);
    card.focusLine(line);
    return false;
}

constexpr int kHoursLine = 3;
constexpr int kMaxHoursLength = 50;
constexpr int kGroupMedicalSpecialtyLine = 16;
constexpr int kGroupPeriodLine = 20;

bool hoursCheck(frmSD1& card)
{
    const QString caption = card.field(kHoursLine).Caption();
    const QString hours = trimBlanks(card.lineText(kHoursLine));
    if (hours.size() > kMaxHoursLength)
        return stop(card, kHoursLine,
                    QStringLiteral("Значение поля %1 не должно содержать более 50 символов.").arg(quoted(caption)));
    if (hours.isEmpty() &&
        ui::msgBox(QStringLiteral("Не заполнено количество часов. Проставить символ \"х\" в графу %1?").arg(quoted(caption)),
                   ui::YesNo | ui::Question) == ui::Yes)
        card.setLineText(kHoursLine, QStringLiteral("х"));
    return true;
}

bool requiredCheck(frmSD1& card, int i)
{
    const CardField& f = card.field(i);
    const int kind = card.CardKind();
    if (f.controlKind == List) {
        // A group with a medical specialty needs none of its other lists.
        if (kind == core::Groups && card.listIndex(kGroupMedicalSpecialtyLine) >= 0)
            return true;
        if (card.listIndex(i) < 0 || trimBlanks(card.lineText(i)).isEmpty())
            return stop(card, i,
                        QStringLiteral("Необходимо обязательно выбрать строку в списке %1.").arg(quoted(f.Caption())));
        return true;
    }
    if (f.controlKind == Text || f.controlKind == Memo) {
        // The group's refined wording is needed only for a retraining group.
        if (kind == core::Groups && (i == 2 || i == 3) && !card.isChecked(kGroupPeriodLine))
            return true;
        if (trimBlanks(card.lineText(i)).isEmpty())
            return stop(card, i, QStringLiteral("Необходимо обязательно заполнить поле %1.").arg(quoted(f.Caption())));
    }
    return true;
}

bool uniqueCheck(frmSD1& card, int i)
{
    const CardField& f = card.field(i);
    const QString value = trimBlanks(card.lineText(i));
    const QString table = card.tableName();
    const QString sql = QStringLiteral("SELECT %1.%2 FROM %1 WHERE %1.%2 = ? AND %1.%3 <> ?")
                            .arg(table, f.FieldName(), core::KeyFields(card.CardKind()));
    bool duplicate = false;
    try {
        const auto rs = core::db().openRecordset(sql, jet::dbOpenSnapshot, {value, qlonglong(card.excludedKey())});
        duplicate = !rs->isEOF();
    } catch (const jet::Error& e) {
        return stop(card, i,
                    QStringLiteral("Не удалось проверить, нет ли значения %1 поля %2 в другой строке справочника. "
                                   "Ошибка: %3")
                        .arg(quoted(value), quoted(f.Caption()), e.numberAndDescription()));
    }
    if (duplicate)
        return stop(card, i,
                    QStringLiteral("Значение %1 поля %2 уже имеется в другой строке справочника. Измените введенное "
                                   "значение.")
                        .arg(quoted(value), quoted(f.Caption())));
    return true;
}

bool fieldPass(frmSD1& card)
{
    const int kind = card.CardKind();
    for (int i = 0; i < card.lineCount(); ++i) {
        const CardField& f = card.field(i);
        if ((kind == core::Grades || kind == core::StudyPlan) && i == kHoursLine && f.controlKind == Hours &&
            !hoursCheck(card))
            return false;
        if ((f.checkFlag == Required || f.checkFlag == RequiredUnique) && !requiredCheck(card, i))
            return false;
        if (f.checkFlag == RequiredUnique && (f.controlKind == Text || f.controlKind == Memo) && !uniqueCheck(card, i))
            return false;
    }
    return true;
}

// A discipline text that ends in an empty line: keep the empty lines or
// strip them.
void trailingBreaksQuestion(frmSD1& card, int line, const QString& question)
{
    if (!core::EndsWithLineBreak(card.lineText(line)))
        return;
    if (ui::msgBox(question, ui::YesNo | ui::Exclamation | ui::DefaultButton2) == ui::No)
        card.setLineText(line, core::TrimTrailingBreaks(card.lineText(line)));
}

const QString kExtraTextQuestion = QStringLiteral(
    "Дополнительный текст наименования дисциплины содержит в конце пустую строку (либо состоит только из пустой "
    "строки). Необходимы ли в выходном документе после выбранной здесь дисциплины пустые строки? Если пустые строки "
    "нужны - нажмите \"Да\", если пустые строки не нужны и требуется их сейчас автоматически удалить - нажмите "
    "\"Нет\"?");

bool hasRow(const QString& sql, const QVariantList& params)
{
    return jet::toLong(core::LookupFieldValue(sql, QStringLiteral("k"), params)) > 0;
}

bool gradeLinePass(frmSD1& card)
{
    if (card.listIndex(1) < 0) {
        if (!confirmed(QStringLiteral("Наименование дисциплины не заполнено. Если в этой строке необходима оценка, то "
                                      "такая строка будет распечатана в документах, но не будет видна в итоговой "
                                      "ведомости оценок. Продолжить?"))) {
            card.focusLine(1);
            return false;
        }
    } else {
        const bool same = hasRow(QStringLiteral("SELECT EXAM.IDD AS k FROM EXAM WHERE EXAM.ID = ? AND EXAM.IDD = ? "
                                                "AND EXAM.IDE <> ? AND EXAM.VidDokum = ?"),
                                 {card.listValue(0), card.listValue(1), qlonglong(card.excludedKey()),
                                  core::vidDokumOf(core::state().CurrentDocKind)});
        if (same && !confirmed(QStringLiteral("Такая дисциплина (строка) уже имеется в этом списке у данного "
                                              "студента. Вы хотите ввести еще одну строку с таким же наименованием?"))) {
            card.focusLine(1);
            return false;
        }
    }
    if (card.listIndex(4) < 0 && !confirmed(QStringLiteral("Оценка не была введена. Продолжить?"))) {
        card.focusLine(4);
        return false;
    }
    trailingBreaksQuestion(card, 2, kExtraTextQuestion);
    return true;
}

bool studyPlanPass(frmSD1& card)
{
    if (card.listIndex(1) < 0) {
        if (!confirmed(QStringLiteral("Наименование дисциплины не заполнено. Если в этой строке будет необходима "
                                      "оценка, то такая строка будет распечатана в документах, но не будет видна в "
                                      "итоговой ведомости оценок. Продолжить?"))) {
            card.focusLine(1);
            return false;
        }
    } else {
        // The plan of the group the line belongs to.
        const bool same = hasRow(QStringLiteral("SELECT SPNAGR.IDN AS k FROM SPNAGR WHERE SPNAGR.IDG = ? AND "
                                                "SPNAGR.IDD = ? AND SPNAGR.IDN <> ?"),
                                 {card.listValue(0), card.listValue(1), qlonglong(card.excludedKey())});
        if (same && !confirmed(QStringLiteral("Такая дисциплина (строка) уже имеется в учебном плане данной группы. Вы "
                                              "хотите ввести еще одну строку с таким же наименованием?"))) {
            card.focusLine(1);
            return false;
        }
    }
    trailingBreaksQuestion(card, 2, kExtraTextQuestion);
    return true;
}

// A person's registration number that another person already has.
struct NumberCheck {
    const char* caption;
    const char* column;
    NumberKind kind;
    const char* question;  // %1 the holder, %2 the group, %3 the next number
};
constexpr NumberCheck kNumberChecks[] = {
    {captions::kCertificateNumber, "REGNOMMED", NumberKind::CertificateRegistration,
     "Такой регистрационный номер Кальветы имеется у студента \"%1\" в группе \"%2\". Рекомендуем Вам исправить "
     "номер, следующий регистрационный номер по порядку: %3. \"Да\" - вписать этот номер, \"Нет\" - исправить "
     "вручную, \"Отмена\" - сохранить повторяющийся номер."},
    {captions::kDocumentNumber, "regnomDoc", NumberKind::RetrainingDocument,
     "Такой регистрационный номер документа переподготовки имеется у студента \"%1\" в группе \"%2\". Рекомендуем "
     "Вам исправить номер, следующий регистрационный номер по порядку: %3. \"Да\" - вписать этот номер, \"Нет\" - "
     "исправить вручную, \"Отмена\" - сохранить повторяющийся номер."},
};

bool numberCheck(frmSD1& card, const NumberCheck& check)
{
    const int line = card.lineOf(QString::fromUtf8(check.caption));
    if (line < 0)
        return true;
    const QString number = trimBlanks(card.lineText(line));
    if (number.isEmpty())
        return true;
    const QString column = QString::fromLatin1(check.column);
    const QVariantList params{qlonglong(card.excludedKey()), number};
    QString holder, group;
    try {
        const auto rs = core::db().openRecordset(
            QStringLiteral("SELECT trim(ifnull(SPSTUD.FAM, '') "
                           "|| CASE WHEN ifnull(SPSTUD.IM, '') <> '' THEN ' ' || SPSTUD.IM ELSE '' END "
                           "|| CASE WHEN ifnull(SPSTUD.OTCH, '') <> '' THEN ' ' || SPSTUD.OTCH ELSE '' END) AS st, "
                           "SPGRUP.NAIM AS grp FROM SPSTUD LEFT JOIN SPGRUP ON SPSTUD.IDG = SPGRUP.IDG "
                           "WHERE SPSTUD.ID <> ? AND SPSTUD.%1 = ? ORDER BY SPSTUD.ID")
                .arg(column),
            jet::dbOpenSnapshot, params);
        if (rs->isEOF())
            return true;
        holder = jet::toText(rs->value(QStringLiteral("st")));
        group = jet::toText(rs->value(QStringLiteral("grp")));
    } catch (const jet::Error& e) {
        return stop(card, line,
                    QStringLiteral("Не удалось проверить, нет ли номера %1 у другого студента. Ошибка: %2")
                        .arg(quoted(number), e.numberAndDescription()));
    }
    const QString next = NextNumber(check.kind, card.excludedKey());
    // Its Отмена saves the repeated number: Esc must not answer it.
    switch (ui::msgBox(QString::fromUtf8(check.question).arg(holder, group, next),
                       ui::YesNoCancel | ui::Question | ui::ButtonsOnly)) {
    case ui::Yes:
        card.setLineText(line, next);
        return true;
    case ui::No:
        card.focusLine(line);
        return false;
    default:
        return true;  // the repeated number is saved
    }
}

bool kindPass(frmSD1& card)
{
    switch (card.CardKind()) {
    case core::Grades:
        return gradeLinePass(card);
    case core::StudyPlan:
        return studyPlanPass(card);
    case core::Disciplines:
        trailingBreaksQuestion(
            card, 0,
            QStringLiteral("Наименование дисциплины содержит в конце пустую строку (либо состоит только из пустой "
                           "строки). Необходимы ли в выходном документе после выбранной здесь дисциплины пустые "
                           "строки? Если пустые строки нужны - нажмите \"Да\", если пустые строки не нужны и требуется "
                           "их сейчас автоматически удалить - нажмите \"Нет\"?"));
        return true;
    case core::Students:
        for (const NumberCheck& check : kNumberChecks)
            if (!numberCheck(card, check))
                return false;
        return true;
    default:
        return true;
    }
}

} // namespace

bool validateCard(frmSD1& card)
{
    return fieldPass(card) && kindPass(card);
}

} // namespace card
