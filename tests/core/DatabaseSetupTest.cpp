// Creating a database file, and opening, verifying and upgrading it.
#include "core/AppState.h"
#include "core/DatabaseSetup.h"
#include "core/DatabaseStructure.h"
#include "core/DefaultMedicalSpecialties.h"
#include "core/DefaultPrintHouses.h"
#include "platform/jet/Jet.h"
#include "PrintQtValues.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>

#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace core;
using testsupport::MessageRecorder;
using testsupport::TempFolder;

namespace {

QStringList columnNames(jet::Database& db, const QString& table)
{
    QStringList names;
    for (const jet::FieldDef& f : db.tableDef(table).fields)
        names << f.name;
    return names;
}

QStringList specNames(std::span<const ColumnSpec> columns)
{
    QStringList names;
    for (const ColumnSpec& c : columns)
        names << c.columnName();
    return names;
}

QVariantList column(jet::Database& db, const QString& sql, const QVariantList& params = {})
{
    QVariantList out;
    auto rs = db.openRecordset(sql, jet::dbOpenSnapshot, params);
    for (; !rs->isEOF(); rs->moveNext())
        out << rs->value(0);
    return out;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll().append('\0');  // never a null array for a file that exists
}

const TableDescriptor& descriptor(const char* name)
{
    const TableDescriptor* t = FindTableDescriptor(QString::fromUtf8(name));
    EXPECT_NE(t, nullptr) << name;
    return *t;
}

// A table made afresh from its descriptor, without its added columns.
void remakeTable(jet::Database& db, const char* name, std::function<void(jet::TableDef&)> change = {})
{
    const TableDescriptor& t = descriptor(name);
    jet::TableDef def;
    def.name = t.tableName();
    for (const ColumnSpec& c : t.columns)
        def.fields.push_back({c.columnName(), c.type, c.size, c.attributes});
    for (const IndexSpec& i : t.indexes)
        def.indexes.push_back({i.indexName(), i.fieldText(), true});
    if (change)
        change(def);
    db.execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(def.name));
    db.createTable(def);
}

class DatabaseSetupTest : public ::testing::Test {
protected:
    void create()
    {
        MessageRecorder messages;
        ASSERT_TRUE(OpenAndCheckDatabase(path, true));
        ASSERT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
    }
    void createAndOpen()
    {
        create();
        MessageRecorder messages;
        ASSERT_TRUE(OpenAndCheckDatabase(path, false));
        ASSERT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
    }
    // Changes the file through a connection of its own, closed afterwards.
    void change(const std::function<void(jet::Database&)>& f)
    {
        auto db = jet::Database::open(path);
        f(*db);
        db->close();
    }

    TempFolder folder;
    QString path = folder.file(QStringLiteral("qv.db"));
};

TEST_F(DatabaseSetupTest, CreateModeMakesTheCoreTablesAndOneEmptyInfRow)
{
    create();
    auto db = jet::Database::open(path);
    EXPECT_EQ(db->tableNames(), (QStringList{"INF", "SPGRUP", "SPSTUD", "SPTPGR", "USERS"}));
    EXPECT_EQ(column(*db, QStringLiteral("SELECT IDLU FROM INF")), (QVariantList{qlonglong(1)}));
    EXPECT_TRUE(jet::isNull(db->scalar(QStringLiteral("SELECT IDT FROM INF"))));
    EXPECT_TRUE(db->tableDef(QStringLiteral("INF")).indexes.empty());
    EXPECT_EQ(db->tableDef(QStringLiteral("USERS")).index(QStringLiteral("PrimaryKey"))->fields, QStringLiteral("+IDU"));
    // Nothing but the file is left in the folder.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("qv.db")});
}

TEST_F(DatabaseSetupTest, CreateThenOpenGivesTheWholeStructureAndDefaultContent)
{
    createAndOpen();
    auto db = jet::Database::open(path);

    // 15 tables.
    QStringList expectedTables;
    for (auto group : {CoreTables(), AddedTables()})
        for (const TableDescriptor& t : group)
            expectedTables << t.tableName();
    QStringList tables = db->tableNames();
    tables.sort();
    expectedTables.sort();
    EXPECT_EQ(tables, expectedTables);
    EXPECT_EQ(tables.size(), 15);

    // The 76 added columns in their order, after the columns of the creating
    // descriptor.
    for (const char* name : {"INF", "SPSTUD", "SPGRUP", "SPTPGR"}) {
        QStringList expected = specNames(descriptor(name).columns);
        for (const TableDescriptor& list : AddedColumns())
            if (list.tableName() == QLatin1String(name))
                expected << specNames(list.columns);
        EXPECT_EQ(columnNames(*db, QString::fromUtf8(name)), expected) << name;
    }
    int added = 0;
    for (const TableDescriptor& list : AddedColumns())
        added += int(list.columns.size());
    EXPECT_EQ(added, 76);

    // SPOTD.NAIM widened and last.
    const jet::TableDef spotd = db->tableDef(QStringLiteral("SPOTD"));
    EXPECT_EQ(columnNames(*db, QStringLiteral("SPOTD")),
              (QStringList{"IDO", "KVAL", "NormTime", "IDX", "IDF", "MEMO", "NAIM"}));
    EXPECT_EQ(spotd.fields.back().type, jet::dbText);
    EXPECT_EQ(spotd.fields.back().size, 255);
    EXPECT_EQ(spotd.fields.back().attributes, jet::dbVariableField);

    // SPMED: the 140 specialties with keys 1 to 140 in order, repetitions kept.
    auto med = db->openRecordset(QStringLiteral("SPMED"), jet::dbOpenSnapshot);
    qlonglong key = 0;
    for (const MedicalSpecialty& s : DefaultMedicalSpecialties()) {
        ASSERT_FALSE(med->isEOF());
        EXPECT_EQ(jet::toLong(med->value(QStringLiteral("IDM"))), ++key);
        EXPECT_EQ(med->text(QStringLiteral("NAIM")), s.specialtyName());
        EXPECT_EQ(jet::toLong(med->value(QStringLiteral("LEVEL2"))), s.level);
        med->moveNext();
    }
    EXPECT_TRUE(med->isEOF());
    EXPECT_EQ(key, 140);

    // SPTPGR: the seven houses, keys 1 to 7, every template slot as given.
    const QStringList fields = DefaultPrintHouseFields();
    const QStringList values = DefaultPrintHouseRows();
    auto houses = db->openRecordset(QStringLiteral("SPTPGR"), jet::dbOpenSnapshot);
    for (int r = 0; r < 7; ++r) {
        ASSERT_FALSE(houses->isEOF());
        EXPECT_EQ(jet::toLong(houses->value(QStringLiteral("IDT"))), r + 1);
        for (int c = 0; c < fields.size(); ++c) {
            const QString expected = values[r * 9 + c];
            const QVariant stored = houses->value(fields[c]);
            if (expected.isEmpty())
                EXPECT_TRUE(jet::isNull(stored)) << fields[c].toStdString();
            else
                EXPECT_EQ(stored.toString(), expected);
        }
        houses->moveNext();
    }
    EXPECT_TRUE(houses->isEOF());

    // INF: the house in use is ОАО "КТ", the printer kind 0, the stamp 6.0.4.
    auto inf = db->openRecordset(QStringLiteral("INF"), jet::dbOpenSnapshot);
    const QVariant kt = db->scalar(QStringLiteral("SELECT IDT FROM SPTPGR WHERE NAIM = ?"), {QStringLiteral("ОАО \"КТ\"")});
    EXPECT_EQ(jet::toLong(kt), 6);
    EXPECT_EQ(jet::toLong(inf->value(QStringLiteral("IDT"))), 6);
    EXPECT_EQ(inf->value(QStringLiteral("TopPronter")).toLongLong(), 0);
    EXPECT_FALSE(jet::isNull(inf->value(QStringLiteral("TopPronter"))));
    EXPECT_EQ(jet::toLong(inf->value(QStringLiteral("appMajor"))), 6);
    EXPECT_EQ(jet::toLong(inf->value(QStringLiteral("appMinor"))), 0);
    EXPECT_EQ(jet::toLong(inf->value(QStringLiteral("appRevision"))), 4);
    inf.reset();
    EXPECT_EQ(jet::toLong(db->scalar(QStringLiteral("SELECT count(*) FROM INF"))), 1);
}

TEST_F(DatabaseSetupTest, OpeningAnUpToDateFileAgainChangesNothing)
{
    createAndOpen();
    const QByteArray before = readAll(path);
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(readAll(path), before);  // not a byte written
    auto db = jet::Database::open(path);
    EXPECT_EQ(jet::toLong(db->scalar(QStringLiteral("SELECT count(*) FROM SPMED"))), 140);
    EXPECT_EQ(jet::toLong(db->scalar(QStringLiteral("SELECT count(*) FROM SPTPGR"))), 7);
    EXPECT_EQ(columnNames(*db, QStringLiteral("SPOTD")).last(), QStringLiteral("NAIM"));
}

// The search indexes: made with a new file, added to a file that lacks them,
// listed as the structure gives them, used by the lookups they serve, and
// left out of the verification.
TEST_F(DatabaseSetupTest, SearchIndexesComeWithNewFilesAndAreAddedToOlderOnes)
{
    createAndOpen();
    const auto expectIndexes = [&](jet::Database& db) {
        for (const TableDescriptor& t : SearchIndexes()) {
            const jet::TableDef def = db.tableDef(t.tableName());
            for (const IndexSpec& i : t.indexes) {
                const jet::IndexDef* found = def.index(i.indexName());
                ASSERT_NE(found, nullptr) << t.name << ' ' << i.name;
                EXPECT_EQ(found->fields, i.fieldText());
                EXPECT_FALSE(found->primary);
            }
        }
    };
    {
        auto db = jet::Database::open(path);
        expectIndexes(*db);
        struct Lookup {
            const char* sql;
            const char* index;
        };
        const Lookup lookups[] = {
            {"SELECT * FROM EXAM WHERE ID = 1 AND VidDokum = 0 ORDER BY SORT", "EXAM__PersonKindDiscipline"},
            {"SELECT count(*) FROM EXAM WHERE IDD = 3", "EXAM__Discipline"},
            {"UPDATE EXAM SET VidDokum = 0 WHERE VidDokum IS NULL", "EXAM__DocumentKind"},
            {"SELECT * FROM SPSTUD WHERE IDG = 2", "SPSTUD__GroupId"},
            {"SELECT * FROM SPNAGR WHERE IDG = 2 ORDER BY SORT", "SPNAGR__GroupId"},
        };
        for (const Lookup& l : lookups) {
            QStringList plan;
            for (auto rs = db->openRecordset(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(l.sql)); !rs->isEOF();
                 rs->moveNext())
                plan << rs->text(QStringLiteral("detail"));
            EXPECT_TRUE(plan.join(' ').contains(QString::fromUtf8(l.index))) << l.sql << ": " << plan.join(' ').toStdString();
        }
        // An older file: none of them.
        for (const TableDescriptor& t : SearchIndexes())
            for (const IndexSpec& i : t.indexes)
                db->execute(QStringLiteral("DROP INDEX %1__%2").arg(t.tableName(), i.indexName()));
    }
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);
    auto db = jet::Database::open(path);
    expectIndexes(*db);
    // The core tables still carry exactly the indexes their descriptors give
    // under those names.
    EXPECT_EQ(db->tableDef(QStringLiteral("SPSTUD")).index(QStringLiteral("PrimaryKey"))->fields, QStringLiteral("+ID"));
    EXPECT_TRUE(db->tableDef(QStringLiteral("INF")).indexes.empty());
}

// ---- one message per defect ------------------------------------------------

// How a fixture file is prepared before the check; a connection returned is
// held open while the check runs.
enum class Start { Nothing, Created, Opened };

struct Defect {
    const char* name;
    Start start;
    std::function<std::unique_ptr<jet::Database>(const QString& path)> change;
    QString message;  // "<path>", "<folder>" and "<title>" stand for the file, its folder and the program's title
    int icon;
    bool result;
    // When set, the engine's own words stand between `message` and this end.
    const char* endsWith = nullptr;
    // File permissions that the check meets (0: as the fixture made them);
    // the check then runs as an ordinary user, whom they bind.
    int fileMode = 0;
    int folderMode = 0;
};

// The check as an ordinary user: when the tests run as root, the effective
// user becomes "nobody" (who then owns the file), so that permissions apply.
class OrdinaryUser {
public:
    explicit OrdinaryUser(const QString& file)
    {
        if (::geteuid() != 0)
            return;
        const uid_t nobody = 65534;
        EXPECT_EQ(::chown(QFile::encodeName(file).constData(), nobody, nobody), 0);
        EXPECT_EQ(::seteuid(nobody), 0);
        dropped_ = true;
    }
    ~OrdinaryUser()
    {
        if (dropped_) {
            EXPECT_EQ(::seteuid(0), 0);
        }
    }

private:
    bool dropped_ = false;
};

QString m(const char* text)
{
    return QString::fromUtf8(text);
}

// Changes the file through a connection of its own, closed afterwards.
std::function<std::unique_ptr<jet::Database>(const QString&)> edit(std::function<void(jet::Database&)> f)
{
    return [f](const QString& path) {
        auto db = jet::Database::open(path);
        f(*db);
        db->close();
        return std::unique_ptr<jet::Database>();
    };
}

std::vector<Defect> defects()
{
    return {
        {"no file", Start::Nothing, {}, m("Файл базы данных <path> не найден!"), ui::Critical, false},
        {"file in use", Start::Opened, [](const QString& path) { return jet::Database::open(path); },
         m("Для открытия базы данных: <path> требуется монопольный доступ. Закройте все программы, использующие эту "
           "базу данных, после чего запустите программу \"<title>\" заново."),
         ui::Exclamation, false},
        {"not a database", Start::Nothing,
         [](const QString& path) {
             QFile f(path);
             EXPECT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray("Это не база данных, а просто текст.\n").repeated(200));
             return std::unique_ptr<jet::Database>();
         },
         m("Файл <path> не является файлом базы данных программы. Продолжение работы с этим файлом невозможно."),
         ui::Critical, false},
        {"damaged file", Start::Opened,
         [](const QString& path) {
             QFile f(path);  // the schema page overwritten
             EXPECT_TRUE(f.open(QIODevice::ReadWrite));
             f.seek(100);
             f.write(QByteArray(2000, '\xFF'));
             return std::unique_ptr<jet::Database>();
         },
         m("Файл базы данных <path> поврежден ("), ui::Critical, false, "). Продолжение работы с этим файлом невозможно."},
        {"file left open by a crash, a value breaking its column's rule", Start::Opened,
         [](const QString& path) {
             // Copied with its journal while open, as a crash leaves it.
             const QString copy = path + QStringLiteral(".copy");
             {
                 auto db = jet::Database::open(path);
                 EXPECT_EQ(sqlite3_exec(db->handle(), "PRAGMA ignore_check_constraints=ON;", nullptr, nullptr, nullptr),
                           SQLITE_OK);
                 db->execute("INSERT INTO SPGRUP (NAIM) VALUES (?)", {QString(1000, QChar(u'Ж'))});
                 EXPECT_TRUE(QFile::copy(path, copy));
                 EXPECT_TRUE(QFile::copy(path + QStringLiteral("-journal"), copy + QStringLiteral("-journal")));
             }
             EXPECT_TRUE(QFile::remove(path));
             EXPECT_TRUE(QFile::rename(copy, path));
             EXPECT_TRUE(QFile::rename(copy + QStringLiteral("-journal"), path + QStringLiteral("-journal")));
             return std::unique_ptr<jet::Database>();
         },
         m("Файл базы данных <path> поврежден ("), ui::Critical, false, "). Продолжение работы с этим файлом невозможно."},
        {"empty file", Start::Nothing,
         [](const QString& path) {
             QFile f(path);
             EXPECT_TRUE(f.open(QIODevice::WriteOnly));
             return std::unique_ptr<jet::Database>();
         },
         m("Файл <path> пуст (0 байт) и не является файлом базы данных программы. Продолжение работы с этим файлом "
           "невозможно."),
         ui::Critical, false},
        {"unreadable file", Start::Opened, {},
         m("Нет права на чтение файла базы данных <path>. Разрешите чтение этого файла или выберите другой файл. "
           "Продолжение работы с этим файлом невозможно."),
         ui::Critical, false, nullptr, 0200, 0777},
        {"read-only file", Start::Opened, {},
         m("Файл базы данных <path> доступен только для чтения: изменения в нем нельзя было бы сохранить. Разрешите "
           "запись в этот файл, после чего откройте базу данных снова."),
         ui::Exclamation, false, nullptr, 0400, 0777},
        {"folder closed for writing", Start::Opened, {},
         m("Папка <folder>, в которой лежит файл базы данных <path>, закрыта для записи, а при каждом сохранении "
           "программа создает в ней служебный файл: изменения нельзя было бы сохранить. Разрешите запись в эту папку "
           "или перенесите файл в другую папку, после чего откройте базу данных снова."),
         ui::Exclamation, false, nullptr, 0600, 0555},
        {"newer stamp", Start::Opened,
         edit([](jet::Database& db) { db.execute("UPDATE INF SET appMajor = 6, appMinor = 1, appRevision = 0"); }),
         m("Версия базы данных новее, чем версия программы. Для работы с этой базой рекомендуется обновить "
           "программу."),
         ui::Information, true},
        {"missing core table", Start::Opened, edit([](jet::Database& db) { db.execute("DROP TABLE SPTPGR"); }),
         m("Обнаружены ошибки в структуре файла базы данных! Отсутствует таблица: SPTPGR. Продолжение работы с этим "
           "файлом невозможно."),
         ui::Critical, false},
        {"missing core column", Start::Opened, edit([](jet::Database& db) { db.dropField("SPSTUD", "OTCH"); }),
         m("Обнаружены ошибки в структуре файла базы данных! В таблице: SPSTUD отсутствует поле: OTCH. Продолжение "
           "работы с этим файлом невозможно."),
         ui::Critical, false},
        {"wrong type", Start::Opened,
         edit([](jet::Database& db) {
             db.dropField("USERS", "ROLE");
             db.appendField("USERS", {"ROLE", jet::dbLong, 4, 0});
         }),
         m("Тип данных поля ROLE таблицы USERS не соответствует формату. Продолжение работы невозможно."), ui::Critical,
         false},
        {"wrong size", Start::Opened,
         edit([](jet::Database& db) {
             db.dropField("SPGRUP", "NAIM");
             db.appendField("SPGRUP", {"NAIM", jet::dbText, 50, 0});
         }),
         m("Размер поля NAIM таблицы SPGRUP не соответствует формату. Продолжение работы невозможно."), ui::Critical,
         false},
        {"key without auto-number", Start::Opened,
         edit([](jet::Database& db) {
             remakeTable(db, "USERS", [](jet::TableDef& def) { def.fields[0].attributes = jet::dbFixedField; });
         }),
         m("Параметры поля IDU таблицы USERS не соответствуют формату. Продолжение работы невозможно."), ui::Critical,
         false},
        {"missing index", Start::Opened,
         edit([](jet::Database& db) { remakeTable(db, "SPGRUP", [](jet::TableDef& def) { def.indexes.clear(); }); }),
         m("Обнаружены ошибки в структуре файла базы данных! В таблице: SPGRUP отсутствует индекс: PrimaryKey. "
           "Продолжение работы с этим файлом невозможно."),
         ui::Critical, false},
        {"index on another column", Start::Opened,
         edit([](jet::Database& db) {
             remakeTable(db, "SPGRUP", [](jet::TableDef& def) { def.indexes[0].fields = "+NAIM"; });
         }),
         m("Параметры индекса PrimaryKey таблицы SPGRUP не соответствует формату. Продолжение работы невозможно."),
         ui::Critical, false},
        {"added table that cannot be made", Start::Created,
         edit([](jet::Database& db) { db.execute("CREATE VIEW SPMED AS SELECT 1 AS X"); }),
         m("Не удалось создать таблицу SPMED. Продолжение работы с базой данных невозможно! Ошибка: "), ui::Critical,
         false, "view \"SPMED\" already exists"},
        {"column that cannot be appended", Start::Created,
         edit([](jet::Database& db) {
             // A table at the engine's limit of columns takes no more.
             remakeTable(db, "INF", [](jet::TableDef& def) {
                 while (def.fields.size() < 2000)
                     def.fields.push_back({QStringLiteral("X%1").arg(def.fields.size()), jet::dbLong, 4, 0});
             });
         }),
         m("Не удалось обновить структуру таблицы INF. Продолжение работы с базой данных невозможно! Ошибка: "),
         ui::Critical, false, "too many columns on sqlite_altertab_INF"},
    };
}

TEST_F(DatabaseSetupTest, EachDefectGivesItsOwnMessageOnce)
{
    for (const Defect& d : defects()) {
        SCOPED_TRACE(d.name);
        TempFolder own;
        path = own.file(QStringLiteral("qv.db"));
        if (d.start == Start::Opened)
            createAndOpen();
        else if (d.start == Start::Created)
            create();
        std::unique_ptr<jet::Database> holder;
        if (d.change)
            holder = d.change(path);
        const QByteArray before = d.fileMode ? QByteArray() : readAll(path);

        MessageRecorder messages;
        if (d.fileMode) {
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(d.fileMode)), 0);
            ASSERT_EQ(::chmod(QFile::encodeName(own.path()).constData(), mode_t(d.folderMode)), 0);
            OrdinaryUser user(path);
            EXPECT_EQ(OpenAndCheckDatabase(path, false), d.result);
        } else {
            EXPECT_EQ(OpenAndCheckDatabase(path, false), d.result);
        }
        ::chmod(QFile::encodeName(own.path()).constData(), 0700);
        ::chmod(QFile::encodeName(path).constData(), 0600);
        ASSERT_EQ(messages.count(), 1) << messages.texts().join(QLatin1Char('\n')).toStdString();
        const QString expected = QString(d.message)
                                     .replace("<path>", path)
                                     .replace("<folder>", own.path())
                                     .replace("<title>", ui::applicationTitle());
        const QString shown = messages.messages()[0].text;
        // A refused file is left exactly as it was.
        if (!d.result && !before.isNull()) {
            EXPECT_EQ(readAll(path), before);
        }
        if (d.endsWith) {
            EXPECT_TRUE(shown.startsWith(expected)) << shown.toStdString();
            EXPECT_GT(shown.size(), expected.size() + m(d.endsWith).size()) << shown.toStdString();
            EXPECT_TRUE(shown.endsWith(m(d.endsWith))) << shown.toStdString();
            // The cause is told once.
            EXPECT_LE(shown.count(m("поврежд")), 1) << shown.toStdString();
        } else {
            EXPECT_EQ(shown, expected);
        }
        EXPECT_EQ(messages.messages()[0].icon(), d.icon);
        EXPECT_EQ(messages.messages()[0].buttons(), ui::OkOnly);
    }
}

TEST_F(DatabaseSetupTest, ANewerFileKeepsItsStampAndIsStillUpgraded)
{
    create();
    change([](jet::Database& db) { db.execute("UPDATE INF SET appMajor = 6, appMinor = 1, appRevision = 0"); });
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 1);
    auto db = jet::Database::open(path);
    EXPECT_EQ(column(*db, "SELECT appMajor || '.' || appMinor || '.' || appRevision FROM INF"), (QVariantList{"6.1.0"}));
    EXPECT_TRUE(db->hasTable("SPMED"));
    EXPECT_EQ(jet::toLong(db->scalar("SELECT count(*) FROM SPTPGR")), 7);
}

TEST_F(DatabaseSetupTest, CreatingOverAnExistingFileLeavesItUntouched)
{
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("прежнее содержимое");
    }
    MessageRecorder messages;
    EXPECT_FALSE(OpenAndCheckDatabase(path, true));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.messages()[0].text,
              QStringLiteral("Произошла непредвиденная ошибка при создании файла базы данных: 3204 База данных уже "
                             "существует."));
    EXPECT_EQ(messages.messages()[0].icon(), ui::Critical);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()), QStringLiteral("прежнее содержимое"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("qv.db")});
}

TEST_F(DatabaseSetupTest, AFailedCreationLeavesNoFileBehind)
{
    const QString missingFolder = folder.file(QStringLiteral("нет такой папки/qv.db"));
    MessageRecorder messages;
    EXPECT_FALSE(OpenAndCheckDatabase(missingFolder, true));
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.messages()[0].text.startsWith(
        QStringLiteral("Произошла непредвиденная ошибка при создании файла базы данных: ")));
    EXPECT_FALSE(messages.messages()[0].text.contains(QStringLiteral(".creating")));
    EXPECT_FALSE(QFileInfo::exists(missingFolder));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(DatabaseSetupTest, InfWithoutRowsStillSucceedsWithoutWritingIt)
{
    create();
    change([](jet::Database& db) { db.execute("DELETE FROM INF"); });
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);
    auto db = jet::Database::open(path);
    EXPECT_EQ(jet::toLong(db->scalar("SELECT count(*) FROM INF")), 0);
    EXPECT_EQ(jet::toLong(db->scalar("SELECT count(*) FROM SPTPGR")), 7);
}

TEST_F(DatabaseSetupTest, AnExistingAddedTableIsLeftAsItIs)
{
    create();
    change([](jet::Database& db) {
        db.createTable({"SPMED", {{"IDM", jet::dbLong, 4, jet::dbAutoNumberKey}, {"NAIM", jet::dbText, 255, 0}}, {}});
        db.execute("INSERT INTO SPMED (NAIM) VALUES (?)", {QStringLiteral("Своя специальность")});
    });
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    auto db = jet::Database::open(path);
    EXPECT_EQ(column(*db, "SELECT NAIM FROM SPMED"), (QVariantList{QStringLiteral("Своя специальность")}));
    EXPECT_EQ(columnNames(*db, "SPMED"), (QStringList{"IDM", "NAIM"}));
}

TEST_F(DatabaseSetupTest, OnlyMissingAddedColumnsAreAppendedAndOthersKeepTheirType)
{
    createAndOpen();
    change([](jet::Database& db) {
        db.dropField("SPSTUD", "DIPL");
        db.dropField("SPSTUD", "FamD");
        db.dropField("SPSTUD", "REGNOM");
        db.appendField("SPSTUD", {"REGNOM", jet::dbMemo, 0, 0});
        db.execute("INSERT INTO SPSTUD (FAM) VALUES (?)", {QStringLiteral("Иванова")});
    });
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);
    auto db = jet::Database::open(path);
    const QStringList cols = columnNames(*db, "SPSTUD");
    EXPECT_EQ(cols.mid(cols.size() - 3), (QStringList{"REGNOM", "DIPL", "FamD"}));
    EXPECT_EQ(db->tableDef("SPSTUD").field("REGNOM")->type, jet::dbMemo);
    EXPECT_TRUE(jet::isNull(db->scalar("SELECT DIPL FROM SPSTUD")));
}

// ---- printing houses -------------------------------------------------------

TEST_F(DatabaseSetupTest, UpsertRefillsEmptySlotsAddsMissingHousesAndNeverDeletes)
{
    createAndOpen();
    change([](jet::Database& db) {
        db.execute("UPDATE SPTPGR SET Tmp5 = ? WHERE NAIM = ?", {QStringLiteral("Мой шаблон.dot"), QStringLiteral("Гознак Москва")});
        db.execute("UPDATE SPTPGR SET oTmp5 = NULL, Tmp9 = ? WHERE NAIM = ?", {QStringLiteral("Свой.dot"), QStringLiteral("Гознак Пермь")});
        db.execute("UPDATE SPTPGR SET NAIM = ? WHERE NAIM = ?", {QStringLiteral("Кострома"), QStringLiteral("ОАО \"Кострома\"")});
        db.execute("DELETE FROM SPTPGR WHERE NAIM = ?", {QStringLiteral("ООО \"Знак\" Москва")});
        db.execute("INSERT INTO SPTPGR (NAIM, Tmp5) VALUES (?, ?)", {QStringLiteral("Типография д'Артаньяна"), QString()});
    });
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);

    auto db = jet::Database::open(path);
    auto value = [&](const char* col, const QString& name) {
        return db->scalar(QStringLiteral("SELECT %1 FROM SPTPGR WHERE NAIM = ?").arg(QString::fromUtf8(col)), {name});
    };
    EXPECT_EQ(value("Tmp5", "Гознак Москва").toString(), QStringLiteral("Мой шаблон.dot"));
    EXPECT_EQ(value("oTmp5", "Гознак Пермь").toString(), QStringLiteral("Кальвета Гознак-Пермь.ott"));
    EXPECT_EQ(value("Tmp9", "Гознак Пермь").toString(), QStringLiteral("Свой.dot"));
    EXPECT_EQ(value("Tmp5", "Кострома").toString(), QStringLiteral("Кальвета Кострома.dot"));
    EXPECT_EQ(value("Tmp5", "ОАО \"Кострома\"").toString(), QStringLiteral("Кальвета Кострома.dot"));
    EXPECT_EQ(value("Tmp9", "ООО \"Знак\" Москва").toString(), QStringLiteral("Удостоверение Знак.dot"));
    EXPECT_EQ(value("Tmp5", "Типография д'Артаньяна").toString(), QString());
    EXPECT_EQ(column(*db, "SELECT IDT FROM SPTPGR WHERE NAIM = ? OR NAIM = ?",
                     {QStringLiteral("ОАО \"Кострома\""), QStringLiteral("ООО \"Знак\" Москва")}),
              (QVariantList{qlonglong(9), qlonglong(10)}));
    EXPECT_EQ(jet::toLong(db->scalar("SELECT count(*) FROM SPTPGR")), 9);
}

TEST_F(DatabaseSetupTest, TheHouseInUseIsFoundByNameNotByKey)
{
    create();
    change([](jet::Database& db) {
        db.execute("INSERT INTO SPTPGR (NAIM) VALUES (?)", {QStringLiteral("Первая своя")});
        db.execute("INSERT INTO SPTPGR (NAIM) VALUES (?)", {QStringLiteral("Вторая своя")});
    });
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    auto db = jet::Database::open(path);
    const qlonglong kt = jet::toLong(db->scalar("SELECT IDT FROM SPTPGR WHERE NAIM = ?", {QStringLiteral("ОАО \"КТ\"")}));
    EXPECT_EQ(kt, 8);
    EXPECT_EQ(jet::toLong(db->scalar("SELECT IDT FROM INF")), kt);

    // A house already chosen stays chosen, even one that no longer exists.
    db->execute("UPDATE INF SET IDT = 42");
    db->close();
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    db = jet::Database::open(path);
    EXPECT_EQ(jet::toLong(db->scalar("SELECT IDT FROM INF")), 42);
}

// ---- widening of SPOTD.NAIM ------------------------------------------------

class WideningTest : public DatabaseSetupTest {
protected:
    const QStringList names{QStringLiteral("  Лечебное дело "), QStringLiteral("ООО \"Знак\" Москва"),
                            QStringLiteral("Сестринское д'ело"), QString()};
    const QVariantList trimmed{QStringLiteral("Лечебное дело"), QStringLiteral("ООО \"Знак\" Москва"),
                               QStringLiteral("Сестринское д'ело"), QVariant()};

    // An old file: SPOTD made with NAIM at 50 and holding the names.
    void oldFile(const std::function<void(jet::Database&)>& extra = {})
    {
        create();
        change([&](jet::Database& db) {
            remakeTable(db, "SPOTD");
            for (const QString& n : names)
                db.execute("INSERT INTO SPOTD (NAIM, KVAL) VALUES (?, ?)",
                           {n.isNull() ? QVariant() : QVariant(n), QStringLiteral("квалификация")});
            if (extra)
                extra(db);
        });
    }

    void expectWidenedWithNames()
    {
        auto db = jet::Database::open(path);
        const jet::TableDef def = db->tableDef("SPOTD");
        EXPECT_EQ(columnNames(*db, "SPOTD"), (QStringList{"IDO", "KVAL", "NormTime", "IDX", "IDF", "MEMO", "NAIM"}));
        EXPECT_EQ(def.fields.back().type, jet::dbText);
        EXPECT_EQ(def.fields.back().size, 255);
        EXPECT_EQ(column(*db, "SELECT NAIM FROM SPOTD ORDER BY IDO"), trimmed);
        EXPECT_EQ(column(*db, "SELECT KVAL FROM SPOTD WHERE IDO = 1"), (QVariantList{QStringLiteral("квалификация")}));
        // Text 255 now holds a long name.
        db->execute("UPDATE SPOTD SET NAIM = ? WHERE IDO = 1", {QString(255, QChar(u'я'))});
    }
};

TEST_F(WideningTest, AnOldNarrowColumnIsRebuiltLastWithEveryNameTrimmed)
{
    oldFile();
    MessageRecorder messages;
    EXPECT_TRUE(OpenAndCheckDatabase(path, false));
    EXPECT_EQ(messages.count(), 0);
    expectWidenedWithNames();
}

TEST_F(WideningTest, LeftoversOfAnEarlierInterruptedRebuildLoseNoName)
{
    struct Break {
        const char* name;
        std::function<void(jet::Database&)> state;
    };
    const jet::FieldDef copy{"NAIM2", jet::dbText, 255, 0};
    const std::vector<Break> breaks{
        {"copy column made, names partly copied",
         [&](jet::Database& db) {
             db.appendField("SPOTD", copy);
             db.execute("UPDATE SPOTD SET NAIM2 = 'старое' WHERE IDO = 1");
         }},
        {"column dropped, names only in the copy",
         [&](jet::Database& db) {
             db.appendField("SPOTD", copy);
             db.execute("UPDATE SPOTD SET NAIM2 = trim(NAIM)");
             db.dropField("SPOTD", "NAIM");
         }},
        {"wide column made empty, names only in the copy",
         [&](jet::Database& db) {
             db.appendField("SPOTD", copy);
             db.execute("UPDATE SPOTD SET NAIM2 = trim(NAIM)");
             db.dropField("SPOTD", "NAIM");
             db.appendField("SPOTD", {"NAIM", jet::dbText, 255, 0});
         }},
    };
    for (const Break& b : breaks) {
        SCOPED_TRACE(b.name);
        TempFolder own;
        path = own.file(QStringLiteral("qv.db"));
        oldFile(b.state);
        MessageRecorder messages;
        EXPECT_TRUE(OpenAndCheckDatabase(path, false));
        EXPECT_EQ(messages.count(), 0) << messages.texts().join(QLatin1Char('\n')).toStdString();
        expectWidenedWithNames();
    }
}

TEST_F(WideningTest, AFailedRebuildReportsOnceAndKeepsTheTableAsItWas)
{
    oldFile([](jet::Database& db) {
        db.execute("CREATE TRIGGER SPOTD_FROZEN BEFORE UPDATE ON SPOTD BEGIN SELECT RAISE(ABORT, 'изменения запрещены'); END");
    });
    MessageRecorder messages;
    EXPECT_FALSE(OpenAndCheckDatabase(path, false));
    ASSERT_EQ(messages.count(), 1);
    const QString text = messages.messages()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удалось изменить размер текстового поля в таблице SPOTD. Ошибка: ")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(" Закройте другие программы, использующие базу данных и отройте "
                                             "программу в монопольном режиме.")));
    EXPECT_EQ(messages.messages()[0].icon(), 0);

    auto db = jet::Database::open(path);
    EXPECT_EQ(columnNames(*db, "SPOTD"), (QStringList{"IDO", "NAIM", "KVAL", "NormTime", "IDX", "IDF", "MEMO"}));
    EXPECT_EQ(db->tableDef("SPOTD").field("NAIM")->size, 50);
    QVariantList stored;
    for (const QString& n : names)
        stored << (n.isNull() ? QVariant() : QVariant(n));
    EXPECT_EQ(column(*db, "SELECT NAIM FROM SPOTD ORDER BY IDO"), stored);
    // No stamp after a failure.
    EXPECT_TRUE(jet::isNull(db->scalar("SELECT appMajor FROM INF")));
}

} // namespace
