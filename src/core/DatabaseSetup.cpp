#include "core/DatabaseSetup.h"

#include "core/AppState.h"
#include "core/DatabaseStructure.h"
#include "core/DefaultMedicalSpecialties.h"
#include "core/DefaultPrintHouses.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <optional>

namespace core {
namespace {

// ---- messages --------------------------------------------------------------

const QString kCannotContinueFile = QStringLiteral(". Продолжение работы с этим файлом невозможно.");
const QString kCannotContinue = QStringLiteral(" не соответствует формату. Продолжение работы невозможно.");

QString errorText(const jet::Error& e)
{
    return QStringLiteral("%1 %2").arg(e.number()).arg(e.description());
}

QString msgFileNotFound(const QString& path)
{
    return QStringLiteral("Файл базы данных ") + path + QStringLiteral(" не найден!");
}

QString msgExclusiveAccess(const QString& path)
{
    return QStringLiteral("Для открытия базы данных: ") + path
        + QStringLiteral(" требуется монопольный доступ. Закройте все программы, использующие эту базу данных, "
                         "после чего запустите программу ")
        + QLatin1Char('"') + ui::applicationTitle() + QLatin1Char('"') + QStringLiteral(" заново.");
}

QString msgNotADatabase(const QString& path)
{
    return QStringLiteral("Файл ") + path
        + QStringLiteral(" не является файлом базы данных программы. Продолжение работы с этим файлом невозможно.");
}

QString msgDamaged(const QString& path, const jet::Error& e)
{
    return QStringLiteral("Файл базы данных ") + path + QStringLiteral(" поврежден (") + e.description()
        + QStringLiteral("). Продолжение работы с этим файлом невозможно.");
}

QString msgNewerVersion()
{
    return QStringLiteral("Версия базы данных новее, чем версия программы. Для работы с этой базой рекомендуется "
                          "обновить программу.");
}

QString msgMissingTable(const QString& table)
{
    return QStringLiteral("Обнаружены ошибки в структуре файла базы данных! Отсутствует таблица: ") + table
        + kCannotContinueFile;
}

QString msgMissingColumn(const QString& table, const QString& column)
{
    return QStringLiteral("Обнаружены ошибки в структуре файла базы данных! В таблице: ") + table
        + QStringLiteral(" отсутствует поле: ") + column + kCannotContinueFile;
}

QString msgWrongType(const QString& table, const QString& column)
{
    return QStringLiteral("Тип данных поля ") + column + QStringLiteral(" таблицы ") + table + kCannotContinue;
}

QString msgWrongSize(const QString& table, const QString& column)
{
    return QStringLiteral("Размер поля ") + column + QStringLiteral(" таблицы ") + table + kCannotContinue;
}

QString msgWrongAttributes(const QString& table, const QString& column)
{
    return QStringLiteral("Параметры поля ") + column + QStringLiteral(" таблицы ") + table
        + QStringLiteral(" не соответствуют формату. Продолжение работы невозможно.");
}

QString msgMissingIndex(const QString& table, const QString& index)
{
    return QStringLiteral("Обнаружены ошибки в структуре файла базы данных! В таблице: ") + table
        + QStringLiteral(" отсутствует индекс: ") + index + kCannotContinueFile;
}

QString msgWrongIndex(const QString& table, const QString& index)
{
    return QStringLiteral("Параметры индекса ") + index + QStringLiteral(" таблицы ") + table + kCannotContinue;
}

QString msgCheckFailed()
{
    return QStringLiteral("Возникли непредвиденные ошибки при проверке файла базы данных на соответствие формату. "
                          "Продолжение работы с этим файлом невозможно.");
}

QString msgCreateFailed(const jet::Error& e)
{
    return QStringLiteral("Произошла непредвиденная ошибка при создании файла базы данных: ") + errorText(e);
}

QString msgCannotCreateTable(const QString& table)
{
    return QStringLiteral("Не удалось создать таблицу ") + table
        + QStringLiteral(". Продолжение работы с базой данных невозможно!");
}

QString msgCannotAlterTable(const QString& table)
{
    return QStringLiteral("Не удалось обновить структуру таблицы ") + table
        + QStringLiteral(". Продолжение работы с базой данных невозможно!");
}

QString msgCannotWiden(const QString& table, const jet::Error& e)
{
    return QStringLiteral("Не удалось изменить размер текстового поля в таблице ") + table
        + QStringLiteral(". Ошибка: ") + errorText(e)
        + QStringLiteral(" Закройте другие программы, использующие базу данных и отройте программу в монопольном "
                         "режиме.");
}

const QString kExistsDescription = QStringLiteral("База данных уже существует.");

// ---- helpers ---------------------------------------------------------------

qlonglong versionNumber(qlonglong major, qlonglong minor, qlonglong revision)
{
    return major * 1000000 + minor * 1000 + revision;
}

// The stored name of a table whose upper-cased name equals `name`.
std::optional<QString> findTable(jet::Database& db, const QString& name)
{
    try {
        for (const QString& t : db.tableNames()) {
            if (t.toUpper() == name.toUpper())
                return t;
        }
    } catch (const jet::Error&) {
        // Treated as not found.
    }
    return std::nullopt;
}

jet::FieldDef fieldOf(const ColumnSpec& c)
{
    jet::FieldDef f;
    f.name = c.columnName();
    f.type = c.type;
    f.size = c.size;
    f.attributes = c.attributes;
    return f;
}

// The file itself and what SQLite keeps beside it.
void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QString::fromLatin1(suffix));
}

// A name beside `path` that nothing uses yet.
QString temporaryNameBeside(const QString& path)
{
    const QFileInfo info(path);
    for (;;) {
        const QString candidate = info.dir().filePath(
            QStringLiteral(".%1.%2.creating").arg(info.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                       QLatin1Char('0')));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

// ---- create mode -----------------------------------------------------------

bool createDatabaseFile(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink()) {
        ui::msgBox(msgCreateFailed(jet::Error(jet::errDatabaseExists, kExistsDescription)), ui::Critical);
        return false;
    }

    // Built under a temporary name and renamed when complete, so that a failure
    // never leaves a half-made file at `path`.
    const QString temp = temporaryNameBeside(path);
    try {
        auto db = jet::Database::create(temp);
        for (const QString& statement : CoreTableStatements())
            db->execute(statement);
        auto inf = db->openRecordset(QStringLiteral("INF"), jet::dbOpenDynaset);
        inf->addNew();
        try {
            inf->update();
        } catch (const jet::Error&) {
            // The file is usable without its first INF row.
        }
        inf->close();
        db->close();
    } catch (const jet::Error& e) {
        removeDatabaseFiles(temp);
        QString description = e.description();
        description.replace(temp, path);
        ui::msgBox(msgCreateFailed(jet::Error(e.number(), description)), ui::Critical);
        return false;
    }

    // QFile::rename never replaces an existing file.
    if (!QFile::rename(temp, path)) {
        removeDatabaseFiles(temp);
        const jet::Error e = QFileInfo::exists(path)
            ? jet::Error(jet::errDatabaseExists, kExistsDescription)
            : jet::Error(jet::errIo, QStringLiteral("Не удаётся создать файл %1.").arg(path));
        ui::msgBox(msgCreateFailed(e), ui::Critical);
        return false;
    }
    return true;
}

// ---- open mode -------------------------------------------------------------

class Upgrade {
public:
    explicit Upgrade(const QString& path) : path_(path) {}

    bool run()
    {
        if (!QFileInfo(path_).isFile())
            return fail(msgFileNotFound(path_), ui::Critical);
        if (!openExclusively())
            return false;
        readVersionStamp();
        const bool ok = checkCoreTables() && addMissingTables() && addMissingColumns() && widenColumns();
        if (ok && !fileIsNewer_)
            writeVersionStamp();
        try {
            db_->close();
        } catch (const jet::Error&) {
            // Released with the object.
        }
        db_.reset();
        return ok;
    }

private:
    bool fail(const QString& text, int icon)
    {
        ui::msgBox(text, icon);
        return false;
    }

    bool openExclusively()
    {
        try {
            db_ = jet::Database::open(path_);
            return true;
        } catch (const jet::Error& e) {
            switch (e.number()) {
            case jet::errFileNotFound: return fail(msgFileNotFound(path_), ui::Critical);
            case jet::errNotADatabase: return fail(msgNotADatabase(path_), ui::Critical);
            case jet::errDamaged: return fail(msgDamaged(path_, e), ui::Critical);
            default: return fail(msgExclusiveAccess(path_), ui::Exclamation);
            }
        }
    }

    // Reads the stamp of the first INF row; a file that cannot tell counts as
    // not newer.
    void readVersionStamp()
    {
        try {
            auto inf = db_->openRecordset(QStringLiteral("INF"), jet::dbOpenDynaset);
            if (inf->isEOF())
                return;
            const qlonglong stored = versionNumber(jet::toLong(inf->value(QStringLiteral("appMajor"))),
                                                   jet::toLong(inf->value(QStringLiteral("appMinor"))),
                                                   jet::toLong(inf->value(QStringLiteral("appRevision"))));
            inf->close();
            if (stored > versionNumber(kAppMajor, kAppMinor, kAppRevision)) {
                fileIsNewer_ = true;
                ui::msgBox(msgNewerVersion(), ui::Information);
            }
        } catch (const jet::Error&) {
            fileIsNewer_ = false;
        }
    }

    void writeVersionStamp()
    {
        try {
            auto inf = db_->openRecordset(QStringLiteral("INF"), jet::dbOpenDynaset);
            if (inf->isEOF())
                return;
            inf->edit();
            inf->setValue(QStringLiteral("appMajor"), kAppMajor);
            inf->setValue(QStringLiteral("appMinor"), kAppMinor);
            inf->setValue(QStringLiteral("appRevision"), kAppRevision);
            inf->update();
            inf->close();
        } catch (const jet::Error&) {
            // The stamp is written again at the next opening.
        }
    }

    // Every column and index of the core tables as the structure requires.
    bool checkCoreTables()
    {
        try {
            for (const TableDescriptor& t : CoreTables()) {
                const auto actual = findTable(*db_, t.tableName());
                if (!actual)
                    return fail(msgMissingTable(t.tableName()), ui::Critical);
                const jet::TableDef def = db_->tableDef(*actual);
                for (const ColumnSpec& c : t.columns) {
                    const jet::FieldDef* f = def.field(c.columnName());
                    if (!f)
                        return fail(msgMissingColumn(t.tableName(), c.columnName()), ui::Critical);
                    if (f->type != c.type)
                        return fail(msgWrongType(t.tableName(), c.columnName()), ui::Critical);
                    if (f->size != c.size)
                        return fail(msgWrongSize(t.tableName(), c.columnName()), ui::Critical);
                    if (f->attributes != c.attributes)
                        return fail(msgWrongAttributes(t.tableName(), c.columnName()), ui::Critical);
                }
                for (const IndexSpec& i : t.indexes) {
                    const jet::IndexDef* idx = def.index(i.indexName());
                    if (!idx)
                        return fail(msgMissingIndex(t.tableName(), i.indexName()), ui::Critical);
                    if (idx->fields != i.fieldText())
                        return fail(msgWrongIndex(t.tableName(), i.indexName()), ui::Critical);
                }
            }
        } catch (const jet::Error&) {
            return fail(msgCheckFailed(), ui::Critical);
        }
        return true;
    }

    // Creates the added tables a file lacks; a new SPMED gets its default rows.
    bool addMissingTables()
    {
        for (const TableDescriptor& t : AddedTables()) {
            if (findTable(*db_, t.tableName()))
                continue;
            jet::TableDef def;
            def.name = t.tableName();
            for (const ColumnSpec& c : t.columns)
                def.fields.push_back(fieldOf(c));
            try {
                db_->createTable(def);
            } catch (const jet::Error&) {
                return fail(msgCannotCreateTable(t.tableName()), ui::Critical);
            }
            if (t.tableName() == QLatin1String("SPMED")) {
                try {
                    FillDefaultMedicalSpecialties(*db_);
                } catch (const jet::Error&) {
                    // The directory stays empty; the user can fill it.
                }
            }
        }
        return true;
    }

    // Appends the added columns a table lacks, at its end.
    bool addMissingColumns()
    {
        for (const TableDescriptor& t : AddedColumns()) {
            const auto actual = findTable(*db_, t.tableName());
            if (!actual)
                return fail(msgMissingTable(t.tableName()), ui::Critical);
            jet::TableDef def;
            try {
                def = db_->tableDef(*actual);
            } catch (const jet::Error&) {
                // Every column is then taken as missing; appending tells.
            }
            for (const ColumnSpec& c : t.columns) {
                if (def.field(c.columnName()))
                    continue;
                jet::FieldDef f = fieldOf(c);
                f.attributes = 0;  // the engine's default for the type
                try {
                    db_->appendField(*actual, f);
                } catch (const jet::Error&) {
                    return fail(msgCannotAlterTable(t.tableName()), ui::Critical);
                }
                if (t.tableName() == QLatin1String("INF") && c.columnName() == QLatin1String("TopPronter"))
                    setFirstInfRow(c.columnName(), 0);
            }
            if (t.tableName() == QLatin1String("SPTPGR")) {
                try {
                    UpsertDefaultPrintHouses(*db_);
                } catch (const jet::Error&) {
                    // Merged again at the next opening.
                }
                try {
                    SetDefaultPrintHouse(*db_);
                } catch (const jet::Error&) {
                    // Set again at the next opening.
                }
            }
        }
        return true;
    }

    void setFirstInfRow(const QString& column, const QVariant& value)
    {
        try {
            auto inf = db_->openRecordset(QStringLiteral("INF"));
            if (inf->isEOF())
                return;
            inf->edit();
            inf->setValue(column, value);
            inf->update();
            inf->close();
        } catch (const jet::Error&) {
            // The column stays empty.
        }
    }

    // Brings each widened column to its size. The column is rebuilt through a
    // copy column (name + "2") inside one transaction, so an interrupted
    // rebuild leaves the table as it was; a copy left behind by an older,
    // interrupted rebuild is copied back before it is dropped.
    bool widenColumns()
    {
        for (const TableDescriptor& t : WidenedColumns()) {
            const auto actual = findTable(*db_, t.tableName());
            if (!actual)
                return fail(msgMissingTable(t.tableName()), ui::Critical);
            for (const ColumnSpec& c : t.columns) {
                if (!widenColumn(t.tableName(), *actual, c))
                    return false;
            }
        }
        return true;
    }

    bool widenColumn(const QString& tableName, const QString& table, const ColumnSpec& c)
    {
        const QString column = c.columnName().trimmed();
        const QString copy = column + QLatin1Char('2');
        const QString quotedTable = quoteIdent(table);
        const QString copyBack =
            QStringLiteral("UPDATE %1 SET %2 = trim(%3)").arg(quotedTable, quoteIdent(column), quoteIdent(copy));

        jet::TableDef def;
        try {
            def = db_->tableDef(table);
        } catch (const jet::Error& e) {
            return fail(msgCannotWiden(tableName, e), ui::OkOnly);
        }
        const jet::FieldDef* existing = def.field(column);
        const bool hasCopy = def.field(copy) != nullptr;
        jet::FieldDef wide = fieldOf(c);
        wide.name = column;
        jet::FieldDef wideCopy = wide;
        wideCopy.name = copy;

        if (!existing) {
            // Missing: made anew, with the names of a leftover copy.
            try {
                jet::Transaction tx(*db_);
                db_->appendField(table, wide);
                if (hasCopy) {
                    db_->execute(copyBack);
                    db_->dropField(table, copy);
                }
                tx.commit();
            } catch (const jet::Error&) {
                return fail(msgCannotAlterTable(tableName), ui::Critical);
            }
            return true;
        }

        if (existing->size == c.size && !hasCopy)
            return true;
        try {
            jet::Transaction tx(*db_);
            if (existing->size != c.size) {
                if (hasCopy)
                    db_->dropField(table, copy);  // the column itself still holds every value
                db_->appendField(table, wideCopy);
                db_->execute(QStringLiteral("UPDATE %1 SET %2 = trim(%3)")
                                 .arg(quotedTable, quoteIdent(copy), quoteIdent(column)));
                db_->dropField(table, column);
                db_->appendField(table, wide);
                db_->execute(copyBack);
                db_->dropField(table, copy);
            } else {
                // Already wide, but an older rebuild stopped before copying back.
                db_->execute(copyBack + QStringLiteral(" WHERE %1 IS NULL").arg(quoteIdent(column)));
                db_->dropField(table, copy);
            }
            tx.commit();
        } catch (const jet::Error& e) {
            return fail(msgCannotWiden(tableName, e), ui::OkOnly);
        }
        return true;
    }

    static QString quoteIdent(const QString& name)
    {
        QString n = name;
        n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + n + QLatin1Char('"');
    }

    QString path_;
    std::unique_ptr<jet::Database> db_;
    bool fileIsNewer_ = false;
};

} // namespace

bool OpenAndCheckDatabase(const QString& path, bool create)
{
    if (create)
        return createDatabaseFile(path);
    return Upgrade(path).run();
}

} // namespace core
