#include "card/CardSaving.h"

#include "card/CardFields.h"
#include "card/CardInputs.h"
#include "card/CardValidation.h"
#include "card/frmSD1.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "core/TextHelpers.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <optional>

namespace card {

namespace {

QVariant textOrNull(const QString& text)
{
    const QString t = trimBlanks(text);
    return t.isEmpty() ? QVariant() : QVariant(t);
}

// A failure that has already been reported: the save is undone quietly.
struct Reported {};

// A failure while writing one line's value.
struct LineFailure {
    int line;
    jet::Error error;
};

// Why a line's value was refused, in the words of the card: the database's
// own description names the column, which the operator never sees.
QString lineFailureReason(const frmSD1& card, const LineFailure& f)
{
    constexpr int kOverflow = 6;  // a number too large for its column
    const QString value = card.lineText(f.line).trimmed();
    switch (f.error.number()) {
    case jet::errTypeMismatch:
        return QStringLiteral("значение «%1» не подходит.").arg(value);
    case jet::errFieldTooSmall:
        return QStringLiteral("текст длиннее допустимого.");
    case kOverflow:
        return QStringLiteral("число «%1» слишком велико.").arg(value);
    default:
        return f.error.description();
    }
}

// How a copied person's grade lines are copied.
enum class GradeCopy { None, WithoutGrades, WithGrades };

// The value a line stores, by its kind; an invalid QVariant is Null.
QVariant lineValue(const frmSD1& card, int i, bool* write)
{
    const CardField& f = card.field(i);
    *write = f.hasField() && f.controlKind != Password && f.controlKind != Header;
    const bool enabled = card.lineEnabled(i);
    switch (f.controlKind) {
    case Text:
    case TemplateFile:
    case Memo:
    case Hours:
    case Year:
        return enabled ? textOrNull(card.lineText(i)) : QVariant();
    case List:
        // The certificate layout stores its lists whatever their state.
        if (!enabled && !(card.CardKind() == core::Students && !card.isRetrainingLayout()))
            return QVariant(qlonglong(0));
        return QVariant(card.listValue(i));
    case Check:
        return enabled ? QVariant(card.isChecked(i)) : QVariant();
    case Date:
        return enabled ? card.DT1(i)->value() : QVariant();
    default:
        *write = false;
        return {};
    }
}

void writeLines(const frmSD1& card, jet::Recordset& rs)
{
    for (int i = 0; i < card.lineCount(); ++i) {
        bool write = false;
        const QVariant value = lineValue(card, i, &write);
        if (!write)
            continue;
        try {
            rs.setValue(card.field(i).FieldName(), value);
        } catch (const jet::Error& e) {
            throw LineFailure{i, e};
        }
    }
}

// The digits of a registration number as a number ("12 34" → 1234, "б/н" → 0).
QString digitValue(const QString& number)
{
    QString digits = core::DigitsOnly(QString(number).remove(QLatin1Char(' ')));
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits.isEmpty() ? QStringLiteral("0") : digits;
}

void writeDigitCopies(jet::Recordset& rs)
{
    const struct {
        const char* number;
        const char* digits;
    } copies[] = {{"REGNOMMED", "REGNOMMEDF"}, {"REGNOM", "REGNOMF"}};
    for (const auto& c : copies) {
        const QVariant number = rs.value(QString::fromLatin1(c.number));
        if (!jet::isNull(number))
            rs.setValue(QString::fromLatin1(c.digits), digitValue(jet::toText(number)));
    }
}

// Asks how a copied person's grade lines are to be copied; nullopt for
// Отмена (the save stops).
std::optional<GradeCopy> askGradeCopy(long source)
{
    if (core::CountRecords(QStringLiteral("SELECT IDE FROM EXAM WHERE EXAM.ID = ?"), {qlonglong(source)}) <= 0)
        return GradeCopy::None;
    const int style = ui::YesNoCancel | ui::Question | ui::DefaultButton2;
    switch (ui::msgBox(QStringLiteral("У копируемого студента уже был заполнен список дисциплин и итоговых оценок. "
                                      "Копировать список дисциплин?"),
                       style)) {
    case ui::No: return GradeCopy::None;
    case ui::Yes: break;
    default: return std::nullopt;
    }
    switch (ui::msgBox(QStringLiteral("Копировать дисциплины вместе с итоговыми отметками?"), style)) {
    case ui::Yes: return GradeCopy::WithGrades;
    case ui::No: return GradeCopy::WithoutGrades;
    default: return std::nullopt;
    }
}

// The source person's grade lines for the new person, in their order.
void copyGradeLines(jet::Database& db, long source, qlonglong person, bool withGrades)
{
    const auto lines = db.openRecordset(
        QStringLiteral("SELECT * FROM EXAM WHERE EXAM.ID = ? ORDER BY ifnull(EXAM.SORT, EXAM.IDE), EXAM.IDE"),
        jet::dbOpenSnapshot, {qlonglong(source)});
    const auto target = db.openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE 0 = 1"), jet::dbOpenDynaset);
    for (; !lines->isEOF(); lines->moveNext()) {
        target->addNew();
        target->setValue(QStringLiteral("ID"), person);
        for (const char* column : {"IDD", "NAIM", "CH", "IDZ", "LINE", "kursovaya", "VidDokum"})
            target->setValue(QString::fromLatin1(column), lines->value(QString::fromLatin1(column)));
        if (withGrades)
            target->setValue(QStringLiteral("IDB"), lines->value(QStringLiteral("IDB")));
        target->setValue(QStringLiteral("SORT"), target->value(QStringLiteral("IDE")));
        target->update();
    }
}

// After a section heading in a grade list or study plan comes its
// sub-heading row; offers to add it when it is missing.
void subHeadingRow(const frmSD1& card, jet::Database& db, qlonglong sort, qlonglong parent)
{
    const QString heading = trimBlanks(card.lineText(1));
    const QString allHours = QStringLiteral("ВСЕГО часов теоретического обучения:");
    const QString including = QStringLiteral("в том числе:");
    const QString includingClassroom = QStringLiteral("в том числе аудиторных часов:");

    bool isHeading = heading == QStringLiteral("Учебная и производственные практики") ||
                     heading == QStringLiteral("Государственная (итоговая) аттестация");
    if (!isHeading && heading != including && heading != includingClassroom && !heading.isEmpty())
        isHeading = jet::toLong(db.scalar(QStringLiteral("SELECT isNotPred FROM SPPRED WHERE NAIM = ?"), {heading})) != 0;
    if (!isHeading)
        return;

    const bool grades = card.CardKind() == core::Grades;
    const QString table = grades ? QStringLiteral("EXAM") : QStringLiteral("SPNAGR");
    const QString parentColumn = grades ? QStringLiteral("ID") : QStringLiteral("IDG");
    const QString sub = heading == allHours ? includingClassroom : including;

    // The discipline of the following row of the same person or group.
    const auto following = db.openRecordset(
        QStringLiteral("SELECT SPPRED.NAIM AS naim, %1.SORT AS sort FROM %1 LEFT JOIN SPPRED ON SPPRED.IDD = %1.IDD "
                       "WHERE %1.SORT > ? AND %1.%2 = ? ORDER BY %1.SORT")
            .arg(table, parentColumn),
        jet::dbOpenSnapshot, {sort, parent});
    qlonglong nextSort = 0;
    if (!following->isEOF()) {
        const QVariant next = following->value(QStringLiteral("naim"));
        if (jet::isNull(next) || jet::toText(next) == sub)
            return;
        nextSort = jet::toLong(following->value(QStringLiteral("sort")));
    }

    if (ui::msgBox(QStringLiteral("Добавить после строки \"%1\" строку \"%2\"?").arg(heading, sub),
                   ui::YesNo | ui::Question) != ui::Yes)
        return;
    const QVariant subKey =
        db.scalar(QStringLiteral("SELECT IDD FROM SPPRED WHERE isNotPred <> 0 AND NAIM = ? ORDER BY IDD"), {sub});
    if (jet::isNull(subKey)) {
        ui::msgBox(QStringLiteral("Строка \"%1\" не добавлена, так как такой предмет не найден в справочнике "
                                  "дисциплин.")
                       .arg(sub),
                   ui::Information);
        return;
    }
    // Room right after the saved row.
    if (nextSort == sort + 1 && !core::ShiftSortOrder(long(sort), long(parent), grades ? QStringLiteral("exam")
                                                                                       : QStringLiteral("spnagr")))
        throw Reported{};

    const auto row = db.openRecordset(QStringLiteral("SELECT * FROM %1 WHERE 0 = 1").arg(table), jet::dbOpenDynaset);
    row->addNew();
    if (grades && heading == allHours) {
        const qlonglong none = jet::toLong(db.scalar(
            QStringLiteral("SELECT IDB FROM SPBALL WHERE (NAIM = ? OR NAIM = ?) AND (OCEN = ? OR OCEN = ?)"),
            {QStringLiteral("x"), QStringLiteral("х"), QStringLiteral("x"), QStringLiteral("х")}));
        if (none != 0)
            row->setValue(QStringLiteral("IDB"), none);
    }
    row->setValue(QStringLiteral("SORT"), sort + 1);
    row->setValue(parentColumn, parent);
    row->setValue(QStringLiteral("IDD"), subKey);
    if (grades)
        row->setValue(QStringLiteral("VidDokum"), core::vidDokumOf(core::state().CurrentDocKind));
    row->update();
}

// The update service's login and password of the institution card.
void saveServiceLogin(const frmSD1& card)
{
    const QString section = QString::fromLatin1(settings::kSectionSettings);
    const int login = card.lineOf(QString::fromUtf8(captions::kLogin));
    if (login >= 0)
        settings::saveSetting(section, QString::fromUtf8(captions::kLogin), card.lineText(login));
    const int password = card.lineOf(QString::fromUtf8(captions::kPassword));
    if (password < 0 || card.lineText(password) == card.Tag(password))
        return;  // unchanged: the stored password stays as it is
    const QString plain = card.lineText(password);
    if (plain.isEmpty()) {
        settings::saveSetting(section, QString::fromUtf8(captions::kPassword), QString());
        return;
    }
    const auto& encrypt = core::shellServices().encryptString;
    const QString enciphered = encrypt ? encrypt(plain) : QString();
    if (enciphered.isEmpty()) {
        ui::msgBox(QStringLiteral("Не удалось зашифровать пароль сервиса обновлений. Новый пароль не сохранен, "
                                  "сохранен прежний пароль."),
                   ui::Exclamation);
        return;
    }
    settings::saveSetting(section, QString::fromUtf8(captions::kPassword), enciphered);
}

} // namespace

bool saveCard(frmSD1& card)
{
    core::AppState& s = core::state();
    const int kind = card.CardKind();
    const bool isEdit = s.CurrentRowId > 0 && !s.RowIsCopy;
    std::unique_ptr<jet::Recordset>& rowRs = card.RowRecordset();

    if (!card.IsChanged()) {
        card.reject();
        return true;
    }
    if (!validateCard(card))
        return false;

    GradeCopy gradeCopy = GradeCopy::None;
    if (kind == core::Students && s.RowIsCopy && s.CurrentRowId > 0) {
        const auto answer = askGradeCopy(s.CurrentRowId);
        if (!answer)
            return false;
        gradeCopy = *answer;
    }

    jet::Database* db = nullptr;
    try {
        db = &core::db();
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Возникла ошибка при сохранении данных: база данных не открыта. Ошибка: ")
                       + e.numberAndDescription(),
                   ui::Exclamation);
        return false;
    }

    // Lock the edited row.
    if (isEdit) {
        try {
            if (!rowRs)
                throw jet::Error(jet::errNoCurrentRecord, QStringLiteral("Нет текущей записи."));
            rowRs->edit();
        } catch (const jet::Error&) {
            ui::msgBox(QStringLiteral("Извините, но эта строка (или соседняя строка) данного справочника "
                                      "редактируется другим пользователем. Одновременное внесение изменений "
                                      "несколькими пользователями в одну строку может привести к порче данных. "
                                      "Попробуйте отредактировать строку в другое время. Сейчас возможен только "
                                      "просмотр."),
                       ui::Exclamation);
            return false;
        }
    }

    const QString ownKey = card.keyField();
    qlonglong savedKey = s.CurrentRowId;
    QVariant office;
    try {
        jet::Transaction transaction(*db);
        if (!isEdit) {
            core::CloseRecordset(rowRs);
            rowRs = db->openRecordset(QStringLiteral("SELECT * FROM %1 WHERE 0 = 1").arg(card.tableName()),
                                      jet::dbOpenDynaset);
            rowRs->addNew();
            const QVariant key = rowRs->value(ownKey);
            if (kind == core::StudyPlan || kind == core::Grades)
                rowRs->setValue(QStringLiteral("SORT"), key);
            if (kind == core::Grades)
                rowRs->setValue(QStringLiteral("VidDokum"), core::vidDokumOf(s.CurrentDocKind));
        }
        jet::Recordset& rs = *rowRs;
        writeLines(card, rs);

        savedKey = jet::toLong(rs.value(ownKey));
        if (gradeCopy != GradeCopy::None)
            copyGradeLines(*db, s.CurrentRowId, savedKey, gradeCopy == GradeCopy::WithGrades);
        if (kind == core::Students)
            writeDigitCopies(rs);

        qlonglong parent = 0, sort = 0;
        if (kind == core::Grades || kind == core::StudyPlan) {
            parent = jet::toLong(rs.value(kind == core::Grades ? QStringLiteral("ID") : QStringLiteral("IDG")));
            const QVariant stored = rs.value(QStringLiteral("SORT"));
            sort = jet::isNull(stored) ? savedKey : jet::toLong(stored);
        }
        if (kind == core::Institution && rs.hasField(QStringLiteral("OOo")))
            office = rs.value(QStringLiteral("OOo"));

        rs.update();

        if (kind == core::Grades || kind == core::StudyPlan)
            subHeadingRow(card, *db, sort, parent);
        transaction.commit();
    } catch (const LineFailure& f) {
        if (rowRs)
            rowRs->cancelUpdate();
        ui::msgBox(QStringLiteral("Не удалось записать значение поля \"%1\": %2 Изменения не сохранены.")
                       .arg(card.field(f.line).Caption(), lineFailureReason(card, f)),
                   ui::Exclamation);
        card.focusLine(f.line);
        return false;
    } catch (const Reported&) {
        if (rowRs)
            rowRs->cancelUpdate();
        return false;
    } catch (const jet::Error& e) {
        if (rowRs)
            rowRs->cancelUpdate();
        ui::msgBox(QStringLiteral("Возникла ошибка при сохранении данных. Проверьте, изменились ли данные в справочнике. "
                                  "Изменения не сохранены. Ошибка: ")
                       + e.numberAndDescription(),
                   ui::Exclamation);
        return false;
    }

    s.CurrentRowId = long(savedKey);
    s.DialogResult = -1;
    if (kind == core::Institution) {
        saveServiceLogin(card);
        s.OfficeIsOOo = jet::toLong(office) > 1;
    }
    card.closeSaved();
    return true;
}

} // namespace card
