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
    if (!hasGradeColumns(med))
        return {};
    // The persons lead and their lines follow through the index on the
    // person and the document kind: the cost follows the persons selected,
    // never the whole file of grade lines. Ordered by person, which the
    // persons' own order gives without sorting; the book's order is the
    // person query's.
    // Each person's lines are put in the order of the person's list by the
    // engine, which sorts only the lines of one person at a time. The
    // heading is put together by the reader from the discipline's key and
    // the hours: a text made for each of the many lines would cost more than
    // the rest of the query.
    BookSql q;
    q.sql = QStringLiteral(
                "SELECT SPSTUD.ID AS ID, EXAM.IDD AS IDD, CAST(ifnull(EXAM.CH, '') AS TEXT) AS HOURS, "
                "EXAM.IDB AS GRADE "
                "FROM %1 CROSS JOIN EXAM ON EXAM.ID = SPSTUD.ID "
                "INNER JOIN SPBALL ON EXAM.IDB = SPBALL.IDB INNER JOIN SPPRED ON EXAM.IDD = SPPRED.IDD "
                "WHERE %2 AND EXAM.VidDokum = ? ORDER BY SPSTUD.ID, ifnull(EXAM.SORT, 0), EXAM.IDE")
                .arg(kPersonsFrom, selection.grades.text);
    q.params = selection.grades.params;
    q.params << core::vidDokumOf(med);
    return q;
}

BookSql disciplineNamesQuery()
{
    return {QStringLiteral("SELECT IDD, CAST(ifnull(NAIM, '') AS TEXT) AS NAIM FROM SPPRED"), {}};
}

BookSql gradeMarksQuery()
{
    return {QStringLiteral("SELECT IDB, OCEN FROM SPBALL"), {}};
}

BookSql personListQuery(const BookSelection& selection)
{
    return {QStringLiteral("SELECT SPSTUD.ID AS ID FROM %1 WHERE %2 ORDER BY %3")
                .arg(kPersonsFrom, selection.persons.text, kBookOrder),
            selection.persons.params};
}

BookSql bookRowsQuery(int med, const BookSelection& selection)
{
    QString select;
    QString from = kPersonsFrom;
    // What a person must have for the book to show document data.
    QString hasDocument = QStringLiteral("1");
    switch (med) {
    case core::SpecialistCertificates:
        select = QStringLiteral(
            "SPGRUP.NAIM AS GR, SPSTUD.POSTMED, SPSTUD.GETMED, SPSTUD.REGNOMMED, SPSTUD.NOMMED, "
            "SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, SPGRUP.DatMed, SPGRUP.DatGAKMed, SPGRUP.PRGAKMed, "
            "SPMED.NAIM AS NAIMMED");
        from = QStringLiteral("%1 LEFT JOIN SPMED ON SPMED.IDM = SPGRUP.IDM").arg(from);
        break;
    case core::RetrainingDocuments:
        select = QStringLiteral(
            "SPGRUP.NAIM AS GR, SPSTUD.POST, SPSTUD.REGNOMdoc, SPSTUD.regnomUd, SPSTUD.DIPL, "
            "SPSTUD.PRIL, SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, "
            "trim(CASE WHEN SPGRUP.PRIKAZNOM <> '' THEN '№' || SPGRUP.PRIKAZNOM ELSE '' END || "
            "CASE WHEN SPGRUP.PRIKAZDAT IS NULL THEN '' "
            "ELSE ' от ' || strftime('%d.%m.%Y', SPGRUP.PRIKAZDAT) || ' г.' END) AS PROTCHVIP, "
            "SPGRUP.Dat AS DatD, SPSTUD.Dat AS DatS, SPGRUP.Spec, SPGRUP.KVAL, SPGRUP.DatGAK, SPGRUP.PRGAK, "
            "SPSTUD.PROTCH");
        // A group without retraining period issues no document.
        hasDocument = QStringLiteral(
            "SPSTUD.REGNOMdoc IS NOT NULL AND SPGRUP.date_S IS NOT NULL AND SPGRUP.date_Po IS NOT NULL");
        break;
    case core::Documents:
        select = QStringLiteral(
            "SPGRUP.NAIM AS GR, SPSTUD.REGNOM, SPSTUD.DIPL, SPSTUD.PRIL, SPSTUD.FAM, SPSTUD.IM, "
            "SPSTUD.OTCH, SPGRUP.Dat AS DatD, SPSTUD.Dat AS DatS, SPGRUP.Spec, SPGRUP.KVAL, SPGRUP.DatGAK, "
            "SPGRUP.PRGAK, SPSTUD.PROTCH, CASE WHEN SPSTUD.Otl THEN 'С отличием' ELSE '' END AS OtlT");
        break;
    default:
        hasDocument = QStringLiteral("0");
        break;
    }
    QString fields = QStringLiteral("SPSTUD.ID AS ID, (%1) AS %2").arg(hasDocument, QLatin1String(kHasDocumentField));
    if (!select.isEmpty())
        fields += QStringLiteral(", ") + select;
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                .arg(fields, from, selection.persons.text, kBookOrder),
            selection.persons.params};
}

bool hasGradeColumns(int med)
{
    return med == core::RetrainingDocuments;
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
