#include "books/BookQuery.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/jet/Jet.h"


namespace books {
namespace {

// The registration number whose digits a number range compares, per book.
QString numberDigitsOf(int med)
{
    switch (med) {
    case core::SpecialistCertificates: return QStringLiteral("SPSTUD.regnommedf");
    // The retraining book lists REGNOMdoc: its digits, worked out here.
    case core::RetrainingDocuments: return QStringLiteral("digitsonly(SPSTUD.REGNOMdoc)");
    default: return QStringLiteral("SPSTUD.regnomf");
    }
}

QString issueDateOf(int med)
{
    return med == core::SpecialistCertificates ? QStringLiteral("SPGRUP.DatMed") : QStringLiteral("SPGRUP.Dat");
}

// A registration number that is neither Null, nor empty, nor "0".
QString numberGiven(const QString& column)
{
    return QStringLiteral("ifnull(%1, '') <> '' AND ifnull(%1, '') <> '0'").arg(column);
}

const QString kNoHeadings = QStringLiteral("NOT SPPRED.isNotPred");

// The condition each book puts on its persons, and the part of it that only
// grade lines can meet.
struct BookCondition {
    QString persons;
    QString gradesOnly;
};

BookCondition bookCondition(int med)
{
    switch (med) {
    case core::Documents: return {numberGiven(QStringLiteral("SPSTUD.REGNOM")), kNoHeadings};
    case core::SpecialistCertificates: return {numberGiven(QStringLiteral("SPSTUD.REGNOMMED")), {}};
    case core::RetrainingDocuments: return {numberGiven(QStringLiteral("SPSTUD.REGNOMdoc")), {}};
    // Books 3 and 4 name columns the database does not have: their queries
    // fail and the books stay empty.
    case core::TrainingCertificates: return {numberGiven(QStringLiteral("SPSTUD.REGNOMsvid")), {}};
    case core::AcademicTranscripts: return {QStringLiteral("spravser IS NOT NULL"), kNoHeadings};
    default: return {QStringLiteral("0"), {}};
    }
}

void appendCondition(SqlCondition& c, const QString& text, const QVariantList& params = {})
{
    if (text.isEmpty())
        return;
    if (!c.text.isEmpty())
        c.text += QStringLiteral(" AND ");
    c.text += text;
    c.params += params;
}

const QString kPersonsFrom = QStringLiteral("SPSTUD INNER JOIN SPGRUP ON SPSTUD.IDG = SPGRUP.IDG");
const QString kBookOrder = QStringLiteral("SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, SPSTUD.ID");

// "SPSTUD.ID IN (the selected persons)".
SqlCondition personsOfSelection(const BookSelection& selection)
{
    return {QStringLiteral("SPSTUD.ID IN (SELECT SPSTUD.ID FROM %1 WHERE %2)").arg(kPersonsFrom, selection.persons.text),
            selection.persons.params};
}

} // namespace

BookSelection bookSelection(int med, qlonglong groupId, const BookFilterSet& filter)
{
    SqlCondition common;
    if (groupId > 0)
        appendCondition(common, QStringLiteral("SPGRUP.IDG = ?"), {groupId});
    if (filter.hasNumbers()) {
        const auto from = filterNumberValue(filter.numberFrom);
        const auto to = filterNumberValue(filter.numberTo);
        if (from && to) {
            const QString digits = numberDigitsOf(med);
            appendCondition(common,
                            QStringLiteral("%1 IS NOT NULL AND CAST(%1 AS INTEGER) >= ? AND CAST(%1 AS INTEGER) <= ?")
                                .arg(digits),
                            {*from, *to});
        }
    } else if (filter.hasDates()) {
        const QDate from = filterDateValue(filter.dateFrom);
        const QDate to = filterDateValue(filter.dateTo);
        if (from.isValid() && to.isValid())
            appendCondition(common, QStringLiteral("%1 >= ? AND %1 <= ?").arg(issueDateOf(med)), {from, to});
    }
    const BookCondition book = bookCondition(med);
    appendCondition(common, book.persons);

    BookSelection s;
    s.persons = common;
    s.grades = common;
    appendCondition(s.grades, book.gradesOnly);
    return s;
}

BookSql gradeLinesQuery(int med, const BookSelection& selection)
{
    if (med == core::SpecialistCertificates)
        return {};
    BookSql q;
    q.sql = QStringLiteral(
                "SELECT SPSTUD.ID AS ID, ifnull(SPPRED.NAIM, '') || ' (' || ifnull(EXAM.CH, '') || ')' AS HEADING, "
                "SPBALL.OCEN AS GRADE "
                "FROM EXAM INNER JOIN SPSTUD ON EXAM.ID = SPSTUD.ID INNER JOIN SPGRUP ON SPSTUD.IDG = SPGRUP.IDG "
                "INNER JOIN SPBALL ON EXAM.IDB = SPBALL.IDB INNER JOIN SPPRED ON EXAM.IDD = SPPRED.IDD "
                "WHERE %1 AND EXAM.VidDokum = ? ORDER BY %2, EXAM.SORT, EXAM.IDE")
                .arg(selection.grades.text, kBookOrder);
    q.params = selection.grades.params;
    q.params << core::vidDokumOf(med);
    return q;
}

BookSql personListQuery(const BookSelection& selection)
{
    return {QStringLiteral("SELECT SPSTUD.ID AS ID FROM %1 WHERE %2 ORDER BY %3")
                .arg(kPersonsFrom, selection.persons.text, kBookOrder),
            selection.persons.params};
}

BookSql documentDataQuery(int med, const BookSelection& selection)
{
    QString select;
    QString from = QStringLiteral("SPSTUD LEFT JOIN SPGRUP ON SPSTUD.IDG = SPGRUP.IDG");
    QString where;
    switch (med) {
    case core::SpecialistCertificates:
        select = QStringLiteral(
            "SPSTUD.ID AS ID, SPGRUP.NAIM AS GR, SPSTUD.POSTMED, SPSTUD.GETMED, SPSTUD.REGNOMMED, SPSTUD.NOMMED, "
            "SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, SPGRUP.DatMed, SPGRUP.DatGAKMed, SPGRUP.PRGAKMed, "
            "SPMED.NAIM AS NAIMMED");
        from = QStringLiteral("(%1) LEFT JOIN SPMED ON SPMED.IDM = SPGRUP.IDM").arg(from);
        where = QStringLiteral("SPSTUD.REGNOMMED IS NOT NULL AND SPSTUD.REGNOMMED <> '' AND SPSTUD.REGNOMMED <> '0'");
        break;
    case core::RetrainingDocuments:
        select = QStringLiteral(
            "SPSTUD.ID AS ID, SPGRUP.NAIM AS GR, SPSTUD.POST, SPSTUD.REGNOMdoc, SPSTUD.regnomUd, SPSTUD.DIPL, "
            "SPSTUD.PRIL, SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, "
            "trim(CASE WHEN SPGRUP.PRIKAZNOM <> '' THEN '№' || SPGRUP.PRIKAZNOM ELSE '' END || "
            "CASE WHEN SPGRUP.PRIKAZDAT IS NULL THEN '' "
            "ELSE ' от ' || strftime('%d.%m.%Y', SPGRUP.PRIKAZDAT) || ' г.' END) AS PROTCHVIP, "
            "SPGRUP.Dat AS DatD, SPSTUD.Dat AS DatS, SPGRUP.Spec, SPGRUP.KVAL, SPGRUP.DatGAK, SPGRUP.PRGAK, "
            "SPSTUD.PROTCH");
        where = QStringLiteral("SPSTUD.REGNOMdoc IS NOT NULL AND SPGRUP.date_S IS NOT NULL AND SPGRUP.date_Po IS NOT NULL");
        break;
    case core::Documents:
        select = QStringLiteral(
            "SPSTUD.ID AS ID, SPGRUP.NAIM AS GR, SPSTUD.REGNOM, SPSTUD.DIPL, SPSTUD.PRIL, SPSTUD.FAM, SPSTUD.IM, "
            "SPSTUD.OTCH, SPGRUP.Dat AS DatD, SPSTUD.Dat AS DatS, SPGRUP.Spec, SPGRUP.KVAL, SPGRUP.DatGAK, "
            "SPGRUP.PRGAK, SPSTUD.PROTCH, CASE WHEN SPSTUD.Otl THEN 'С отличием' ELSE '' END AS OtlT");
        break;
    default:
        return {};
    }
    SqlCondition c;
    appendCondition(c, where);
    const SqlCondition persons = personsOfSelection(selection);
    appendCondition(c, persons.text, persons.params);
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(select, from, c.text), c.params};
}

bool selectionHasPersons(const BookSelection& selection)
{
    try {
        jet::Database& db = core::db();
        const QVariant found = db.scalar(
            QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1").arg(kPersonsFrom, selection.persons.text),
            selection.persons.params);
        return !jet::isNull(found);
    } catch (const jet::Error&) {
        return false;
    }
}

} // namespace books
