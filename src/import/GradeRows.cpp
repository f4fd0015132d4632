#include "import/GradeRows.h"

#include "core/AppState.h"
#include "import/ImportTexts.h"

#include <QSet>

namespace importer {
namespace {

constexpr int kFirstDisciplineColumn = 4;
constexpr const char* kNoDiscipline = "Нет дисциплины";

QVariant textOrNull(const QString& s)
{
    return s.isEmpty() ? QVariant() : QVariant(s);
}

qlonglong key(const QString& sql, const QVariantList& params)
{
    return jet::toLong(core::db().scalar(sql, params));
}

qlonglong groupKey(const QString& name)
{
    return name.isEmpty() ? 0 : key(QStringLiteral("SELECT IDG FROM SPGRUP WHERE NAIM=? ORDER BY IDG"), {name});
}

// An empty name part matches a stored empty part whether it is Null or "".
qlonglong personKey(const QStringList& names, qlonglong group)
{
    return key(QStringLiteral("SELECT ID FROM SPSTUD WHERE COALESCE(FAM, '')=? COLLATE RU AND COALESCE(IM, '')=? "
                              "COLLATE RU AND COALESCE(OTCH, '')=? COLLATE RU AND IDG=? ORDER BY ID"),
               {names.at(0), names.at(1), names.at(2), group});
}

qlonglong disciplineKey(const QString& name)
{
    return key(QStringLiteral("SELECT IDD FROM SPPRED WHERE NAIM=? ORDER BY IDD"), {name});
}

qlonglong gradeKindKey(const QString& mark)
{
    return key(QStringLiteral("SELECT IDB FROM SPBALL WHERE upper(OCEN)=upper(?) ORDER BY IDB"), {mark});
}

// A grade cell that yields a line.
struct Cell {
    int column;            // layout column
    qlonglong grade;       // the grade kind its text names
    qlonglong discipline;  // 0 when the directory lacks it (and it is to be added)
};

// Whether a row holds a grade in any discipline column.
bool hasGrades(const GradeImport& imp, const QStringList& row)
{
    for (int k = kFirstDisciplineColumn; k < imp.layout.size(); ++k)
        if (!row.value(k).trimmed().isEmpty())
            return true;
    return false;
}

QString fullName(const QStringList& names)
{
    QStringList parts;
    for (const QString& n : names)
        if (!n.isEmpty())
            parts << n;
    return parts.join(QLatin1Char(' '));
}

// One pass; `write` false for the check pass.
GradeOutcome runPass(const GradeImport& imp, const QList<QStringList>& rows, const QList<int>& rowNumbers, bool write,
                     const RowProgress& progress)
{
    GradeOutcome out;
    jet::Database& db = core::db();
    const int vidDokum = core::vidDokumOf(imp.docKind);

    const auto addLine = [&](qlonglong person, qlonglong discipline, qlonglong grade, const QString& hours) {
        ++out.count;
        if (!write)
            return;
        db.execute(QStringLiteral("INSERT INTO EXAM (ID, IDD, IDB, CH, VidDokum) VALUES (?, ?, ?, ?, ?)"),
                   {person, discipline, grade, textOrNull(hours), vidDokum});
        db.execute(QStringLiteral("UPDATE EXAM SET SORT=IDE WHERE IDE=?"), {db.lastInsertKey()});
    };

    // Persons whose earlier grades this run has cleared: a person on two rows
    // keeps the grades the first row wrote.
    QSet<qlonglong> cleared;
    const auto skip = [&](int i, const QString& why) {
        out.problems << QString::fromUtf8(text::kProblemRow).arg(rowNumbers.value(i)) + why;
    };

    for (int i = 0; i < rows.size(); ++i) {
        if (progress)
            progress(i + 1, rows.size());
        const QStringList& row = rows.at(i);
        const QStringList names{row.value(1).trimmed(), row.value(2).trimmed(), row.value(3).trimmed()};
        const QString groupName = row.value(0).trimmed();
        if (groupName.isEmpty() && names.join(QString()).isEmpty()) {
            // A row of the sheet without a person: named only when it holds grades.
            if (hasGrades(imp, row))
                skip(i, QString::fromUtf8(text::kNoNames));
            continue;
        }
        const qlonglong group = groupKey(groupName);
        if (group <= 0) {
            skip(i, QString::fromUtf8(text::kUnknownGroup).arg(groupName));
            continue;
        }
        qlonglong person = personKey(names, group);
        if (person == 0 && !imp.addPersons) {
            skip(i, QString::fromUtf8(text::kNotInGroup).arg(fullName(names), groupName));
            continue;
        }

        // Every grade text that yields a line must name a grade kind before
        // anything of the row is written. A cell whose discipline is missing
        // and not to be added yields nothing and is only marked.
        QList<Cell> cells;
        QList<int> missing;
        QString unknownGrade;
        for (int k = kFirstDisciplineColumn; k < imp.layout.size(); ++k) {
            const QString value = row.value(k).trimmed();
            if (value.isEmpty())
                continue;
            const qlonglong discipline = disciplineKey(imp.layout.at(k).caption.trimmed());
            if (discipline == 0 && !imp.addDisciplines) {
                missing << k;
                continue;
            }
            const qlonglong grade = gradeKindKey(value);
            if (grade == 0) {
                unknownGrade = value;
                break;
            }
            cells << Cell{k, grade, discipline};
        }
        if (!unknownGrade.isEmpty()) {
            skip(i, QString::fromUtf8(text::kUnknownGrade).arg(unknownGrade));
            continue;
        }

        for (int k : missing)
            out.missingDiscipline << qMakePair(i, k);
        // A row all of whose grades stand under disciplines the directory
        // lacks yields nothing: it is named like any other row left out.
        if (cells.isEmpty() && !missing.isEmpty()) {
            QStringList names;
            for (int k : missing) {
                const QString name = QStringLiteral("«%1»").arg(imp.layout.at(k).caption.trimmed());
                if (!names.contains(name))
                    names << name;
            }
            skip(i, QString::fromUtf8(text::kNoDisciplines).arg(names.join(QStringLiteral(", "))));
        }

        if (person == 0 && write) {
            db.execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IM, OTCH, IDG) VALUES (?, ?, ?, ?)"),
                       {textOrNull(names.at(0)), textOrNull(names.at(1)), textOrNull(names.at(2)), group});
            person = db.lastInsertKey();
        }

        // The person's earlier grades of this document kind are cleared once
        // per run, before the person's first row writes anything.
        if (imp.refillGrades && write && !cells.isEmpty() && !cleared.contains(person)) {
            cleared.insert(person);
            db.execute(QStringLiteral("UPDATE EXAM SET IDB=NULL WHERE ID=? AND VidDokum=?"), {person, vidDokum});
        }

        for (const Cell& c : cells) {
            const QString& hours = imp.layout.at(c.column).hours;
            qlonglong discipline = c.discipline > 0 ? c.discipline : disciplineKey(imp.layout.at(c.column).caption.trimmed());
            if (discipline == 0) {
                if (write) {
                    db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, 0)"),
                               {imp.layout.at(c.column).caption.trimmed()});
                    discipline = db.lastInsertKey();
                }
                addLine(person, discipline, c.grade, hours);
                continue;
            }
            if (imp.refillGrades) {
                const qlonglong line =
                    key(QStringLiteral("SELECT IDE FROM EXAM WHERE ID=? AND IDD=? AND IDB IS NULL AND VidDokum=? "
                                       "ORDER BY IDE"),
                        {person, discipline, vidDokum});
                if (line > 0) {
                    if (write)
                        db.execute(QStringLiteral("UPDATE EXAM SET IDB=? WHERE IDE=?"), {c.grade, line});
                    continue;
                }
            }
            addLine(person, discipline, c.grade, hours);
        }
    }
    return out;
}

} // namespace

GradeImport gradeImportFromSettings(const ImportLayout& layout, int docKind)
{
    const GradeSheetSettings s = loadGradeSheetSettings();
    GradeImport imp;
    imp.layout = layout;
    imp.docKind = docKind;
    imp.addPersons = s.addPersons;
    imp.addDisciplines = s.addDisciplines;
    imp.refillGrades = s.refillGrades;
    return imp;
}

QString noDisciplineMark()
{
    return QString::fromUtf8(kNoDiscipline);
}

GradeOutcome checkGradeRows(const GradeImport& import, const QList<QStringList>& rows, const QList<int>& rowNumbers,
                            const RowProgress& progress)
{
    try {
        return runPass(import, rows, rowNumbers, false, progress);
    } catch (const jet::Error& e) {
        GradeOutcome out;
        out.ok = false;
        out.error = e.description();
        return out;
    }
}

GradeOutcome importGradeRows(const GradeImport& import, const QList<QStringList>& rows, const QList<int>& rowNumbers,
                             const RowProgress& progress)
{
    try {
        jet::Transaction transaction(core::db());
        GradeOutcome out = runPass(import, rows, rowNumbers, true, progress);
        transaction.commit();
        return out;
    } catch (const jet::Error& e) {
        GradeOutcome out;
        out.ok = false;
        out.error = QString::fromUtf8(text::kGradeImportFailed).arg(e.numberAndDescription());
        return out;
    }
}

} // namespace importer
