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
    return e.numberAndDescription();
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

QString msgEmptyFile(const QString& path)
{
    return QStringLiteral("Файл ") + path
        + QStringLiteral(" пуст (0 байт) и не является файлом базы данных программы. Продолжение работы с этим файлом "
                         "невозможно.");
}

// The cause once: the engine's own account of the damage.
QString msgDamaged(const QString& path, const jet::Error& e)
{
    const QString cause = e.cause().isEmpty() ? e.description() : e.cause();
    return QStringLiteral("Файл базы данных ") + path + QStringLiteral(" поврежден (") + cause
        + QStringLiteral("). Продолжение работы с этим файлом невозможно.");
}

QString msgUnreadable(const QString& path)
{
    return QStringLiteral("Нет права на чтение файла базы данных ") + path
        + QStringLiteral(". Разрешите чтение этого файла или выберите другой файл. Продолжение работы с этим файлом "
                         "невозможно.");
}

QString msgReadOnlyFile(const QString& path)
{
    return QStringLiteral("Файл базы данных ") + path
        + QStringLiteral(" доступен только для чтения: изменения в нем нельзя было бы сохранить. Разрешите запись в "
                         "этот файл, после чего откройте базу данных снова.");
}

QString msgReadOnlyFolder(const QString& path)
{
    return QStringLiteral("Папка ") + QFileInfo(path).absolutePath() + QStringLiteral(", в которой лежит файл базы данных ")
        + path
        + QStringLiteral(", закрыта для записи, а при каждом сохранении программа создает в ней служебный файл: "
                         "изменения нельзя было бы сохранить. Разрешите запись в эту папку или перенесите файл в "
                         "другую папку, после чего откройте базу данных снова.");
}

QString msgCannotOpen(const QString& path, const jet::Error& e)
{
    return QStringLiteral("Не удалось открыть файл базы данных ") + path + QStringLiteral(". Ошибка: ") + errorText(e);
}

QString msgCannotSave(const QString& path, const jet::Error& e)
{
    return QStringLiteral("Не удалось сохранить изменения структуры файла базы данных ") + path
        + QStringLiteral(". Ошибка: ") + errorText(e) + QStringLiteral(" Продолжение работы с этим файлом невозможно.");
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

// Both name the engine's cause after the table (a full disk, say).
QString msgCannotCreateTable(const QString& table, const jet::Error& e)
{
    return QStringLiteral("Не удалось создать таблицу ") + table
        + QStringLiteral(". Продолжение работы с базой данных невозможно! Ошибка: ") + errorText(e);
}

QString msgCannotAlterTable(const QString& table, const jet::Error& e)
{
    return QStringLiteral("Не удалось обновить структуру таблицы ") + table
        + QStringLiteral(". Продолжение работы с базой данных невозможно! Ошибка: ") + errorText(e);
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

// The file itself and what the engine keeps beside it.
void removeDatabaseFiles(const QString& path)
{
    QFile::remove(path);
    for (const QString& companion : companionFiles(path))
        QFile::remove(companion);
}

// Whether another program holds the file at `path`.
bool heldElsewhere(const QString& path)
{
    try {
        jet::FileHold::take(path);
    } catch (const jet::Error& e) {
        return e.number() == jet::errFileInUse;
    }
    return false;
}

// Failures that leave the file unable to take any change: they end the
// upgrade even where a step's own failure is ignored.
bool isSevere(const jet::Error& e)
{
    switch (e.number()) {
    case jet::errDiskFull:
    case jet::errIo:
    case jet::errReadOnlyFile:
    case jet::errFileInUse:
    case jet::errDamaged: return true;
    default: return false;
    }
}

// ---- open mode -------------------------------------------------------------

// Verifies and upgrades an open file. Every change is made in one
// transaction: a failure leaves the file as it was.
class Upgrade {
public:
    Upgrade(jet::Database& db, const QString& shownPath) : db_(db), path_(shownPath) {}

    bool run()
    {
        readVersionStamp();
        try {
            jet::Transaction tx(db_);
            if (!(checkCoreTables() && addMissingTables() && addMissingColumns() && widenColumns() && addSearchIndexes()))
                return false;
            if (!fileIsNewer_)
                writeVersionStamp();
            if (severe_)
                return fail(msgCannotSave(path_, *severe_), ui::Critical);
            tx.commit();
        } catch (const jet::Error& e) {
            return fail(msgCannotSave(path_, severe_ ? *severe_ : e), ui::Critical);
        }
        return true;
    }

private:
    bool fail(const QString& text, int icon)
    {
        ui::msgBox(text, icon);
        return false;
    }

    // A failure the step may ignore, unless it tells that nothing can be
    // written any more.
    void ignored(const jet::Error& e)
    {
        if (!severe_ && isSevere(e))
            severe_ = e;
    }

    // Reads the stamp of the first INF row; a file that cannot tell counts as
    // not newer.
    void readVersionStamp()
    {
        try {
            auto inf = db_.openRecordset(QStringLiteral("SELECT appMajor, appMinor, appRevision FROM INF"),
                                         jet::dbOpenSnapshot);
            if (inf->isEOF())
                return;
            stamp_ = versionNumber(jet::toLong(inf->value(QStringLiteral("appMajor"))),
                                   jet::toLong(inf->value(QStringLiteral("appMinor"))),
                                   jet::toLong(inf->value(QStringLiteral("appRevision"))));
            inf->close();
            if (*stamp_ > versionNumber(kAppMajor, kAppMinor, kAppRevision)) {
                fileIsNewer_ = true;
                ui::msgBox(msgNewerVersion(), ui::Information);
            }
        } catch (const jet::Error&) {
            fileIsNewer_ = false;
        }
    }

    // Written only when the file carries another stamp.
    void writeVersionStamp()
    {
        if (stamp_ && *stamp_ == versionNumber(kAppMajor, kAppMinor, kAppRevision))
            return;
        try {
            auto inf = db_.openRecordset(QStringLiteral("INF"), jet::dbOpenDynaset);
            if (inf->isEOF())
                return;
            inf->edit();
            inf->setValue(QStringLiteral("appMajor"), kAppMajor);
            inf->setValue(QStringLiteral("appMinor"), kAppMinor);
            inf->setValue(QStringLiteral("appRevision"), kAppRevision);
            inf->update();
            inf->close();
        } catch (const jet::Error& e) {
            ignored(e);  // the stamp is written again at the next opening
        }
    }

    // Every column and index of the core tables as the structure requires.
    bool checkCoreTables()
    {
        try {
            for (const TableDescriptor& t : CoreTables()) {
                const auto actual = findTable(db_, t.tableName());
                if (!actual)
                    return fail(msgMissingTable(t.tableName()), ui::Critical);
                const jet::TableDef def = db_.tableDef(*actual);
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

    // Creates the added tables a file lacks; a new SPMED gets its default
    // rows together with the table, or is not made at all this time.
    bool addMissingTables()
    {
        for (const TableDescriptor& t : AddedTables()) {
            if (findTable(db_, t.tableName()))
                continue;
            jet::TableDef def;
            def.name = t.tableName();
            for (const ColumnSpec& c : t.columns)
                def.fields.push_back(fieldOf(c));
            const bool withRows = t.tableName() == QLatin1String("SPMED");
            try {
                jet::Transaction tx(db_);
                try {
                    db_.createTable(def);
                } catch (const jet::Error& e) {
                    return fail(msgCannotCreateTable(t.tableName(), e), ui::Critical);
                }
                if (withRows)
                    FillDefaultMedicalSpecialties(db_);
                tx.commit();
            } catch (const jet::Error& e) {
                // The default rows could not be written: the table is made
                // with them at the next opening.
                ignored(e);
            }
        }
        return true;
    }

    // Appends the added columns a table lacks, at its end.
    bool addMissingColumns()
    {
        for (const TableDescriptor& t : AddedColumns()) {
            const auto actual = findTable(db_, t.tableName());
            if (!actual)
                return fail(msgMissingTable(t.tableName()), ui::Critical);
            jet::TableDef def;
            try {
                def = db_.tableDef(*actual);
            } catch (const jet::Error&) {
                // Every column is then taken as missing; appending tells.
            }
            for (const ColumnSpec& c : t.columns) {
                if (def.field(c.columnName()))
                    continue;
                jet::FieldDef f = fieldOf(c);
                f.attributes = 0;  // the engine's default for the type
                try {
                    db_.appendField(*actual, f);
                } catch (const jet::Error& e) {
                    return fail(msgCannotAlterTable(t.tableName(), e), ui::Critical);
                }
                if (t.tableName() == QLatin1String("INF") && c.columnName() == QLatin1String("TopPronter"))
                    setFirstInfRow(c.columnName(), 0);
            }
            if (t.tableName() == QLatin1String("SPTPGR")) {
                try {
                    UpsertDefaultPrintHouses(db_);
                } catch (const jet::Error& e) {
                    ignored(e);  // merged again at the next opening
                }
                try {
                    SetDefaultPrintHouse(db_);
                } catch (const jet::Error& e) {
                    ignored(e);  // set again at the next opening
                }
            }
        }
        return true;
    }

    void setFirstInfRow(const QString& column, const QVariant& value)
    {
        try {
            auto inf = db_.openRecordset(QStringLiteral("INF"));
            if (inf->isEOF())
                return;
            inf->edit();
            inf->setValue(column, value);
            inf->update();
            inf->close();
        } catch (const jet::Error& e) {
            ignored(e);  // the column stays empty
        }
    }

    // Brings each widened column to its size. The column is rebuilt through a
    // copy column (name + "2"), so an interrupted rebuild leaves the table as
    // it was; a copy left behind by an older, interrupted rebuild is copied
    // back before it is dropped.
    bool widenColumns()
    {
        for (const TableDescriptor& t : WidenedColumns()) {
            const auto actual = findTable(db_, t.tableName());
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
            def = db_.tableDef(table);
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
                jet::Transaction tx(db_);
                db_.appendField(table, wide);
                if (hasCopy) {
                    db_.execute(copyBack);
                    db_.dropField(table, copy);
                }
                tx.commit();
            } catch (const jet::Error& e) {
                return fail(msgCannotAlterTable(tableName, e), ui::Critical);
            }
            return true;
        }

        if (existing->size == c.size && !hasCopy)
            return true;
        try {
            jet::Transaction tx(db_);
            if (existing->size != c.size) {
                if (hasCopy)
                    db_.dropField(table, copy);  // the column itself still holds every value
                db_.appendField(table, wideCopy);
                db_.execute(QStringLiteral("UPDATE %1 SET %2 = trim(%3)")
                                .arg(quotedTable, quoteIdent(copy), quoteIdent(column)));
                db_.dropField(table, column);
                db_.appendField(table, wide);
                db_.execute(copyBack);
                db_.dropField(table, copy);
            } else {
                // Already wide, but an older rebuild stopped before copying back.
                db_.execute(copyBack + QStringLiteral(" WHERE %1 IS NULL").arg(quoteIdent(column)));
                db_.dropField(table, copy);
            }
            tx.commit();
        } catch (const jet::Error& e) {
            return fail(msgCannotWiden(tableName, e), ui::OkOnly);
        }
        return true;
    }

    // Adds the search indexes a file lacks. They only speed up queries: one
    // that cannot be made is left for the next opening.
    bool addSearchIndexes()
    {
        for (const TableDescriptor& t : SearchIndexes()) {
            const auto actual = findTable(db_, t.tableName());
            if (!actual)
                continue;
            jet::TableDef def;
            try {
                def = db_.tableDef(*actual);
            } catch (const jet::Error& e) {
                ignored(e);
                continue;
            }
            const QStringList statements = CreateSearchIndexSql(t);
            for (size_t i = 0; i < t.indexes.size() && i < size_t(statements.size()); ++i) {
                if (def.index(t.indexes[i].indexName()))
                    continue;
                try {
                    db_.execute(statements[qsizetype(i)]);
                } catch (const jet::Error& e) {
                    ignored(e);
                }
            }
        }
        return true;
    }

    static QString quoteIdent(const QString& name)
    {
        QString n = name;
        n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + n + QLatin1Char('"');
    }

    jet::Database& db_;
    QString path_;
    bool fileIsNewer_ = false;
    std::optional<qlonglong> stamp_;
    std::optional<jet::Error> severe_;
};

// The exclusive open of an existing file, each refusal told by its cause.
std::unique_ptr<jet::Database> openExclusively(const QString& path)
{
    try {
        return jet::Database::open(path);
    } catch (const jet::Error& e) {
        switch (e.number()) {
        case jet::errFileNotFound: ui::msgBox(msgFileNotFound(path), ui::Critical); break;
        case jet::errNoReadPermission: ui::msgBox(msgUnreadable(path), ui::Critical); break;
        case jet::errReadOnlyFile: ui::msgBox(msgReadOnlyFile(path), ui::Exclamation); break;
        case jet::errReadOnlyFolder: ui::msgBox(msgReadOnlyFolder(path), ui::Exclamation); break;
        case jet::errNotADatabase:
            ui::msgBox(QFileInfo(path).size() == 0 ? msgEmptyFile(path) : msgNotADatabase(path), ui::Critical);
            break;
        case jet::errDamaged: ui::msgBox(msgDamaged(path, e), ui::Critical); break;
        case jet::errFileInUse: ui::msgBox(msgExclusiveAccess(path), ui::Exclamation); break;
        default: ui::msgBox(msgCannotOpen(path, e), ui::Critical); break;
        }
        return nullptr;
    }
}

// ---- create mode -----------------------------------------------------------

// The core tables and the one empty INF row.
void makeCoreTables(jet::Database& db)
{
    jet::Transaction tx(db);
    for (const QString& statement : CoreTableStatements())
        db.execute(statement);
    auto inf = db.openRecordset(QStringLiteral("INF"), jet::dbOpenDynaset);
    inf->addNew();
    inf->update();
    inf->close();
    tx.commit();
}

void reportCreateFailure(const jet::Error& e)
{
    ui::msgBox(msgCreateFailed(e), ui::Critical);
}

} // namespace

// ---- temporary files -------------------------------------------------------

QString temporaryName(const QString& path, Temporary kind, const QString& unique)
{
    const char* purpose = "creating";
    switch (kind) {
    case Temporary::Creating: purpose = "creating"; break;
    case Temporary::Copying: purpose = "part"; break;
    case Temporary::Restoring: purpose = "restore"; break;
    }
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.%2.%3").arg(info.fileName(), unique, QString::fromLatin1(purpose)));
}

QString freshTemporaryName(const QString& path, Temporary kind)
{
    for (;;) {
        const QString candidate =
            temporaryName(path, kind, QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

QStringList companionFiles(const QString& path)
{
    return {path + QStringLiteral("-journal"), path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
}

// ---- the new file ----------------------------------------------------------

NewDatabaseFile::NewDatabaseFile(const QString& path) : path_(path) {}

NewDatabaseFile::~NewDatabaseFile()
{
    if (finished_)
        return;
    db_.reset();
    if (!temp_.isEmpty())
        removeDatabaseFiles(temp_);
}

void NewDatabaseFile::removeLeftovers(const QString& path)
{
    const QFileInfo pattern(temporaryName(path, Temporary::Creating, QStringLiteral("*")));
    const QDir folder = pattern.dir();
    for (const QString& name : folder.entryList({pattern.fileName()}, QDir::Files | QDir::Hidden | QDir::System)) {
        const QString leftover = folder.filePath(name);
        if (heldElsewhere(leftover))
            continue;  // a creation that is still running holds it
        removeDatabaseFiles(leftover);
    }
}

bool NewDatabaseFile::create()
{
    const QFileInfo target(path_);
    if (target.exists() || target.isSymLink()) {
        reportExisting();
        return false;
    }
    removeLeftovers(path_);
    temp_ = freshTemporaryName(path_, Temporary::Creating);
    try {
        db_ = jet::Database::create(temp_);
        makeCoreTables(*db_);
    } catch (const jet::Error& e) {
        db_.reset();
        removeDatabaseFiles(temp_);
        QString description = e.description();
        description.replace(temp_, path_);
        reportCreateFailure(jet::Error(e.number(), description));
        return false;
    }
    return true;
}

bool NewDatabaseFile::upgrade()
{
    return db_ && Upgrade(*db_, path_).run();
}

bool NewDatabaseFile::finish()
{
    if (!db_)
        return false;
    try {
        hold_ = db_->closeKeepingHold();
    } catch (const jet::Error& e) {
        reportCreateFailure(e);
        return false;
    }
    db_.reset();
    try {
        hold_.moveTo(path_, false);
    } catch (const jet::Error& e) {
        if (e.number() == jet::errDatabaseExists)
            reportExisting();
        else
            reportCreateFailure(jet::Error(e.number(), QStringLiteral("Не удаётся создать файл %1: %2.").arg(path_, e.cause())));
        return false;
    }
    finished_ = true;
    return true;
}

void NewDatabaseFile::reportExisting() const
{
    // Another program that made the same new database a moment earlier
    // works on it now (two programs started at once): a file in use.
    if (heldElsewhere(path_))
        ui::msgBox(msgExclusiveAccess(path_), ui::Exclamation);
    else
        reportCreateFailure(jet::Error(jet::errDatabaseExists, kExistsDescription));
}

std::unique_ptr<jet::Database> NewDatabaseFile::openFinished()
{
    if (!finished_ || !hold_.held())
        throw jet::Error(jet::errGeneric, QStringLiteral("Файл %1 не создан.").arg(path_));
    return jet::Database::open(path_, std::move(hold_));
}

// ---- the procedure ---------------------------------------------------------

QString DatabaseNotFoundText(const QString& path)
{
    return msgFileNotFound(path);
}

std::unique_ptr<jet::Database> OpenCheckedDatabase(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        ui::msgBox(msgFileNotFound(path), ui::Critical);
        return nullptr;
    }
    std::unique_ptr<jet::Database> db = openExclusively(path);
    if (!db)
        return nullptr;
    if (!Upgrade(*db, path).run())
        return nullptr;
    return db;
}

bool OpenAndCheckDatabase(const QString& path, bool create)
{
    if (create) {
        NewDatabaseFile file(path);
        return file.create() && file.finish();
    }
    std::unique_ptr<jet::Database> db = OpenCheckedDatabase(path);
    if (!db)
        return false;
    try {
        db->close();
    } catch (const jet::Error&) {
        // Released with the object.
    }
    return true;
}

} // namespace core
