#include "import/GradeRows.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "import/ImportTexts.h"

#include <QHash>
#include <QSet>

#include <memory>

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

// Keys looked up by a text, each text asked for once per pass. A key the
// pass itself makes is noted with its text.
class KeysByText {
public:
    explicit KeysByText(QString sql) : sql_(std::move(sql)) {}
    qlonglong operator()(const QString& text)
    {
        auto it = keys_.constFind(text);
        if (it == keys_.constEnd())
            it = keys_.insert(text, key(sql_, {text}));
        return it.value();
    }
    void note(const QString& text, qlonglong k) { keys_.insert(text, k); }

private:
    QString sql_;
    QHash<QString, qlonglong> keys_;
};

// The persons of the groups a pass meets, by their names as the database
// compares them (an empty name part matches a stored empty part whether it
// is Null or ""), read once per group: looking each row's person up in the
// group would cost a pass over a large group the square of its size. Of
// persons of one name the first stored is found.
class GroupPersons {
public:
    qlonglong find(qlonglong group, const QStringList& names)
    {
        return persons(group).value(nameKey(names));
    }
    // A person the pass has added.
    void note(qlonglong group, const QStringList& names, qlonglong person)
    {
        persons(group).insert(nameKey(names), person);
    }

private:
    static QByteArray nameKey(const QStringList& names)
    {
        QByteArray out;
        for (const QString& part : names) {
            out += jet::Database::textKey(part);
            out += '\0';  // a collation key holds no zero byte
        }
        return out;
    }
    QHash<QByteArray, qlonglong>& persons(qlonglong group)
    {
        auto it = byGroup_.find(group);
        if (it != byGroup_.end())
            return it.value();
        QHash<QByteArray, qlonglong> found;
        auto rs = core::db().openRecordset(
            QStringLiteral("SELECT ID, FAM, IM, OTCH FROM SPSTUD WHERE IDG=? ORDER BY ID"), jet::dbOpenForwardOnly,
            {group});
        for (; !rs->isEOF(); rs->moveNext()) {
            const QByteArray k =
                nameKey({rs->value(1).toString(), rs->value(2).toString(), rs->value(3).toString()});
            if (!found.contains(k))
                found.insert(k, jet::toLong(rs->value(0)));
        }
        return byGroup_.insert(group, found).value();
    }

    QHash<qlonglong, QHash<QByteArray, qlonglong>> byGroup_;
};

// The new grade lines of a pass, written through one recordset whose
// INSERT is prepared once; each line's order is its own key.
class LineWriter {
public:
    void add(qlonglong person, qlonglong discipline, qlonglong grade, const QVariant& hours, int vidDokum)
    {
        // The recordset keeps every line it added: a fresh one now and then
        // keeps a pass over many lines from copying them all as it grows.
        if (!rs_ || added_ % kLinesPerRecordset == 0) {
            core::CloseRecordset(rs_);
            rs_ = core::db().openRecordset(
                QStringLiteral("SELECT IDE, ID, IDD, IDB, CH, VidDokum, SORT FROM EXAM WHERE 1=0"), jet::dbOpenDynaset);
        }
        rs_->addNew();
        const QVariant key = rs_->value(0);
        rs_->setValue(1, person);
        rs_->setValue(2, discipline);
        rs_->setValue(3, grade);
        rs_->setValue(4, hours);
        rs_->setValue(5, vidDokum);
        rs_->setValue(6, key);
        rs_->update();
        ++added_;
    }
    ~LineWriter() { core::CloseRecordset(rs_); }

private:
    static constexpr long kLinesPerRecordset = 4096;
    std::unique_ptr<jet::Recordset> rs_;
    long added_ = 0;
};

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
    KeysByText groupKey(QStringLiteral("SELECT IDG FROM SPGRUP WHERE NAIM=? ORDER BY IDG"));
    KeysByText disciplineKey(QStringLiteral("SELECT IDD FROM SPPRED WHERE NAIM=? ORDER BY IDD"));
    KeysByText gradeKindKey(QStringLiteral("SELECT IDB FROM SPBALL WHERE upper(OCEN)=upper(?) ORDER BY IDB"));
    GroupPersons persons;

    LineWriter lines;
    const auto addLine = [&](qlonglong person, qlonglong discipline, qlonglong grade, const QString& hours) {
        ++out.count;
        if (write)
            lines.add(person, discipline, grade, textOrNull(hours), vidDokum);
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
        const qlonglong group = groupName.isEmpty() ? 0 : groupKey(groupName);
        if (group <= 0) {
            skip(i, QString::fromUtf8(text::kUnknownGroup).arg(groupName));
            continue;
        }
        qlonglong person = persons.find(group, names);
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
            persons.note(group, names, person);
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
                    const QString name = imp.layout.at(c.column).caption.trimmed();
                    db.execute(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES (?, 0)"), {name});
                    discipline = db.lastInsertKey();
                    disciplineKey.note(name, discipline);
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
