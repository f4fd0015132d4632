#include "import/DirectoryRows.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DirectoryMetadata.h"
#include "core/ListCodes.h"
#include "import/ImportTexts.h"

#include <QHash>
#include <QPair>
#include <QSet>

#include <memory>

namespace importer {
namespace {

// The education levels of medical specialties.
struct LevelWord {
    const char* word;
    int level;
};
constexpr LevelWord kLevels[] = {{"ВПО", 1}, {"СПО", 2}};
constexpr const char* kLevelCaption = "Образование";

// Words that a Boolean target reads as true or false; anything else is false.
constexpr const char* kTrueWords[] = {"МУЖСКОЙ", "ДА", "1", "TRUE", "ЗАГОЛОВОК РАЗДЕЛА",
                                      "ЗАГОЛОВОК РАЗДЕЛА (БҐЛІМ ТАЌЫРЫП)"};

QString txt(const char* text) { return QString::fromUtf8(text); }

bool isTrueWord(const QString& value)
{
    const QString upper = value.toUpper();
    for (const char* w : kTrueWords)
        if (upper == txt(w))
            return true;
    return false;
}

// Why a row fails; `problem` is set when the user is told about it.
struct RowResult {
    bool valid = true;
    QString problem;
};

class RowWriter {
public:
    explicit RowWriter(const DirectoryImport& import) : import_(import), table_(core::TableNames(import.kind))
    {
        open();
    }
    ~RowWriter() { core::CloseRecordset(rs_); }

    // Starts a new record and fills it from the row; the record stays open
    // for save() or cancel().
    RowResult prepare(const QStringList& cells)
    {
        RowResult result;
        rs_->addNew();
        for (int k = 0; k < import_.layout.size(); ++k) {
            const ImportColumn& col = import_.layout.at(k);
            const QString value = cells.value(k).trimmed();
            if (value.isEmpty()) {
                if (col.check == Required || col.check == RequiredUnique)
                    fail(result, QString::fromUtf8(text::kRequiredEmpty).arg(col.caption));
                else if (isField(k) && import_.targets.at(k).type == jet::dbBoolean)
                    write(result, k, col, QVariant(false), value);  // a flag not set
                continue;
            }
            if (!col.lookupField.isEmpty() || col.listCode != 0) {
                const QVariant key = col.listCode != 0 ? listNumber(col, value) : lookUp(k, col, value);
                if (jet::isNull(key) || key.toString().isEmpty()) {
                    // A name the look-up table lacks is never stored as key 0.
                    fail(result, QString::fromUtf8(text::kUnknownValue).arg(value, col.caption));
                    continue;
                }
                write(result, k, col, key, value);
            } else if (!col.target.isEmpty()) {
                writeConverted(result, k, col, value);
            }
            if (col.check == RequiredUnique && result.valid && existsInTable(k, value))
                fail(result, QString::fromUtf8(text::kAlreadyStored).arg(value, col.caption));
        }
        return result;
    }

    void save(const QStringList& cells)
    {
        rs_->update();
        // The texts just saved count as stored for the rows after.
        for (auto it = stored_.begin(); it != stored_.end(); ++it)
            it.value().insert(cells.value(it.key()).trimmed().toUpper());
        // The recordset keeps every row it added: a fresh one now and then
        // keeps a pass over many rows from copying them all as it grows.
        if (++saved_ % kRowsPerRecordset == 0) {
            core::CloseRecordset(rs_);
            open();
        }
    }
    void cancel() { rs_->cancelUpdate(); }

private:
    static constexpr long kRowsPerRecordset = 4096;

    // The texts of a unique text column in the table, in upper case (as the
    // database's upper() makes them), read once per pass: searching the
    // table for each row would cost a pass over many rows the square of
    // their number.
    const QSet<QString>& storedTexts(int k)
    {
        auto it = stored_.find(k);
        if (it != stored_.end())
            return it.value();
        QSet<QString> texts;
        try {
            auto rs = core::db().openRecordset(QStringLiteral("SELECT DISTINCT upper(%2) FROM %1 WHERE %2 IS NOT NULL")
                                                   .arg(table_, import_.layout.at(k).target),
                                               jet::dbOpenForwardOnly);
            for (; !rs->isEOF(); rs->moveNext())
                texts.insert(rs->value(0).toString());
            core::CloseRecordset(rs);
        } catch (const jet::Error&) {
            // A column the table cannot be searched by holds nothing to repeat.
        }
        return stored_.insert(k, texts).value();
    }

    void open()
    {
        rs_ = core::db().openRecordset(QStringLiteral("SELECT * FROM %1 WHERE 1=0").arg(table_), jet::dbOpenDynaset);
    }

    static void fail(RowResult& r, const QString& problem)
    {
        if (r.valid || r.problem.isEmpty())
            r.problem = problem;
        r.valid = false;
    }

    bool isField(int k) const { return k < import_.targets.size() && import_.targets.at(k).type != 0; }

    // A pass writes only the kind's own table, never a look-up table: each
    // name is looked up once per pass.
    QVariant lookUp(int k, const ImportColumn& col, const QString& value)
    {
        const auto cached = lookedUp_.constFind(qMakePair(k, value));
        if (cached != lookedUp_.cend())
            return cached.value();
        const QString key = core::KeyFieldOfTable(col.lookupTable);
        const QVariant found = core::LookupFieldValue(QStringLiteral("SELECT %1 FROM %2 WHERE upper(%2.%3)=upper(?)")
                                                          .arg(key, col.lookupTable, col.lookupField),
                                                      key, {value});
        lookedUp_.insert(qMakePair(k, value), found);
        return found;
    }

    static QVariant listNumber(const ImportColumn& col, const QString& value)
    {
        const std::optional<int> number = core::fixedListNumber(col.listCode, value);
        return number ? QVariant(*number) : QVariant();
    }

    void write(RowResult& result, int k, const ImportColumn& col, const QVariant& v, const QString& shown)
    {
        if (!isField(k))
            return;  // a target the table lacks is read and shown, never stored
        try {
            rs_->setValue(col.target, v);
        } catch (const jet::Error&) {
            fail(result, QString::fromUtf8(text::kWrongValue).arg(shown, col.caption));
        }
    }

    void writeConverted(RowResult& result, int k, const ImportColumn& col, const QString& value)
    {
        const int type = isField(k) ? import_.targets.at(k).type : 0;
        if (type == jet::dbBoolean) {
            write(result, k, col, QVariant(isTrueWord(value)), value);
        } else if (import_.kind == core::MedicalSpecialties && k == 1 && col.caption == txt(kLevelCaption)) {
            const QString upper = value.toUpper();
            for (const LevelWord& l : kLevels)
                if (upper == txt(l.word))
                    write(result, k, col, QVariant(l.level), value);
        } else {
            write(result, k, col, QVariant(value), value);
        }
    }

    bool existsInTable(int k, const QString& value)
    {
        const ImportColumn& col = import_.layout.at(k);
        const bool text = isField(k) && import_.targets.at(k).type >= jet::dbText;
        if (text)
            return storedTexts(k).contains(value.toUpper());
        const QString sql = QStringLiteral("SELECT 1 FROM %1 WHERE %2=? LIMIT 1");
        try {
            return !jet::isNull(core::db().scalar(sql.arg(table_, col.target), {value}));
        } catch (const jet::Error&) {
            return false;
        }
    }

    const DirectoryImport& import_;
    QString table_;
    std::unique_ptr<jet::Recordset> rs_;
    long saved_ = 0;
    QHash<int, QSet<QString>> stored_;
    QHash<QPair<int, QString>, QVariant> lookedUp_;
};

QString namedProblem(int rowNumber, const QString& problem)
{
    return QString::fromUtf8(text::kProblemRow).arg(rowNumber) + problem;
}

} // namespace

QList<TargetField> targetFields(const QString& table, const ImportLayout& layout)
{
    QList<TargetField> out;
    jet::TableDef def;
    try {
        def = core::db().tableDef(table);
    } catch (const jet::Error&) {
    }
    for (const ImportColumn& c : layout) {
        TargetField t;
        if (const jet::FieldDef* f = c.target.isEmpty() ? nullptr : def.field(c.target)) {
            t.type = f->type;
            t.size = f->size;
        }
        out << t;
    }
    return out;
}

QList<int> cutSizes(const ImportLayout& layout, const QList<TargetField>& targets)
{
    QList<int> out;
    for (int k = 0; k < layout.size(); ++k) {
        const TargetField t = targets.value(k);
        out << (t.type == jet::dbText && !layout.at(k).target.isEmpty() ? t.size : 0);
    }
    return out;
}

CheckOutcome checkDirectoryRows(const DirectoryImport& import, const QList<QStringList>& rows,
                                const QList<int>& rowNumbers, const RowProgress& progress)
{
    CheckOutcome out;
    QList<bool> marked(rows.size(), false);
    QList<QString> problems(rows.size());
    {
        RowWriter writer(import);
        for (int i = 0; i < rows.size(); ++i) {
            if (progress)
                progress(i + 1, rows.size());
            const RowResult r = writer.prepare(rows.at(i));
            writer.cancel();
            if (r.valid) {
                ++out.count;
            } else {
                marked[i] = true;
                problems[i] = r.problem;
            }
        }
    }
    // Rows that repeat an earlier row of the list in a unique column (texts
    // as they stand, letter case included): the earlier row stays. Each
    // unique column keeps the first row of each text it has seen.
    QList<int> uniqueColumns;
    for (int k = 0; k < import.layout.size(); ++k)
        if (import.layout.at(k).check == RequiredUnique)
            uniqueColumns << k;
    QList<QHash<QString, int>> firstRowOf(uniqueColumns.size());
    for (QHash<QString, int>& seen : firstRowOf)
        seen.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        if (marked.at(i))
            continue;
        // The earliest row it repeats, in the first column they share.
        int repeated = -1, column = -1;
        for (int u = 0; u < uniqueColumns.size(); ++u) {
            const auto earlier = firstRowOf.at(u).constFind(rows.at(i).value(uniqueColumns.at(u)));
            if (earlier != firstRowOf.at(u).cend() && (repeated < 0 || earlier.value() < repeated)) {
                repeated = earlier.value();
                column = uniqueColumns.at(u);
            }
        }
        if (repeated >= 0) {
            marked[i] = true;
            problems[i] = QString::fromUtf8(text::kRepeatsRow)
                              .arg(rowNumbers.value(repeated))
                              .arg(import.layout.at(column).caption);
            --out.count;
            continue;
        }
        // Only a row that stays can be repeated by a later one.
        for (int u = 0; u < uniqueColumns.size(); ++u)
            firstRowOf[u].insert(rows.at(i).value(uniqueColumns.at(u)), i);
    }
    for (int i = 0; i < rows.size(); ++i)
        if (marked.at(i) && !problems.at(i).isEmpty())
            out.problems << namedProblem(rowNumbers.value(i), problems.at(i));
    for (int i = 0; i < rows.size(); ++i)
        if (marked.at(i))
            out.removed << i;
    return out;
}

ImportOutcome importDirectoryRows(const DirectoryImport& import, const QList<QStringList>& rows,
                                  const QList<int>& rowNumbers, const RowProgress& progress)
{
    ImportOutcome out;
    jet::Database& db = core::db();
    int current = 0;
    try {
        jet::Transaction transaction(db);
        {
            RowWriter writer(import);
            for (int i = 0; i < rows.size(); ++i) {
                current = i;
                if (progress)
                    progress(i + 1, rows.size());
                const RowResult r = writer.prepare(rows.at(i));
                if (!r.valid) {
                    writer.cancel();
                    out.problems << namedProblem(rowNumbers.value(i), r.problem);
                    continue;
                }
                writer.save(rows.at(i));
                ++out.count;
            }
        }
        transaction.commit();
    } catch (const jet::Error& e) {
        out.ok = false;
        out.count = 0;
        out.problems.clear();
        out.error = QString::fromUtf8(text::kImportFailed)
                        .arg(rowNumbers.value(current))
                        .arg(e.numberAndDescription());
    }
    return out;
}

} // namespace importer
