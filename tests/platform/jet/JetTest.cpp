#include "platform/jet/Jet.h"
#include "support/SecondProgram.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QProcess>
#include <csignal>
#include <cstdlib>

using namespace jet;
using testsupport::SecondProgram;

namespace {

class JetTest : public ::testing::Test {
protected:
    testsupport::TempFolder tmp;
    QString path = tmp.file(QStringLiteral("test.db"));

    std::unique_ptr<Database> makeDb()
    {
        auto db = Database::create(path);
        db->execute(QStringLiteral("CREATE TABLE SPSTUD ([ID] COUNTER, [IDG] INTEGER, [FAM] STRING(10), [IM] STRING(100), "
                                   "[MEMO] MEMO, [D_R] DATETIME, [DUBL] BIT, [ROLE] BYTE, [ASEC] SMALLINT);"));
        db->execute(QStringLiteral("CREATE INDEX PrimaryKey ON SPSTUD (ID) WITH PRIMARY;"));
        return db;
    }

    int errorOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const Error& e) {
            EXPECT_FALSE(e.description().isEmpty());
            return e.number();
        }
        return 0;
    }
};

TEST_F(JetTest, JetDdlReadsBackWithJetTypesSizesAndAttributes)
{
    makeDb()->close();
    auto db = Database::open(path);
    const TableDef t = db->tableDef(QStringLiteral("spstud"));
    struct Expect { const char* name; int type; int size; int attributes; };
    const Expect expected[] = {
        {"ID", dbLong, 4, 17}, {"IDG", dbLong, 4, 1}, {"FAM", dbText, 10, 2}, {"IM", dbText, 100, 2},
        {"MEMO", dbMemo, 0, 2}, {"D_R", dbDate, 8, 1}, {"DUBL", dbBoolean, 1, 1}, {"ROLE", dbByte, 1, 1},
        {"ASEC", dbInteger, 2, 1},
    };
    ASSERT_EQ(t.fields.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(t.fields[i].name, QString::fromLatin1(expected[i].name));
        EXPECT_EQ(t.fields[i].type, expected[i].type);
        EXPECT_EQ(t.fields[i].size, expected[i].size);
        EXPECT_EQ(t.fields[i].attributes, expected[i].attributes);
    }
    ASSERT_EQ(t.indexes.size(), 1u);
    EXPECT_EQ(t.indexes[0].name, QStringLiteral("PrimaryKey"));
    EXPECT_EQ(t.indexes[0].fields, QStringLiteral("+ID"));
    EXPECT_TRUE(t.indexes[0].primary);
}

TEST_F(JetTest, ObjectModelTablesAndAppendedFieldsReadBack)
{
    auto db = Database::create(path);
    TableDef def;
    def.name = QStringLiteral("SPOTD");
    def.fields = {{QStringLiteral("IDO"), dbLong, 4, dbAutoNumberKey}, {QStringLiteral("NAIM"), dbText, 50, 0}};
    db->createTable(def);
    db->createTable(TableDef{QStringLiteral("SPGRUP"), {{QStringLiteral("IDG"), dbLong, 4, dbAutoNumberKey}},
                             {{QStringLiteral("PrimaryKey"), QStringLiteral("+IDG"), true}}});
    db->appendField(QStringLiteral("spotd"), {QStringLiteral("NAIM2"), dbText, 255, 0});
    db->appendField(QStringLiteral("SPOTD"), {QStringLiteral("DAT"), dbDate, 8, 0});
    const TableDef t = db->tableDef(QStringLiteral("SPOTD"));
    ASSERT_EQ(t.fields.size(), 4u);
    EXPECT_EQ(t.fields[0].attributes, 17);
    EXPECT_EQ(t.fields[2].name, QStringLiteral("NAIM2"));
    EXPECT_EQ(t.fields[2].size, 255);
    EXPECT_EQ(t.fields[3].type, dbDate);
    EXPECT_TRUE(t.indexes.empty());
    EXPECT_EQ(db->tableDef(QStringLiteral("SPGRUP")).indexes.at(0).fields, QStringLiteral("+IDG"));
    // Two tables may each have an index called PrimaryKey.
    db->execute(QStringLiteral("CREATE INDEX PrimaryKey ON SPOTD (IDO) WITH PRIMARY;"));
    db->dropField(QStringLiteral("SPOTD"), QStringLiteral("NAIM2"));
    EXPECT_EQ(db->tableDef(QStringLiteral("SPOTD")).field(QStringLiteral("naim2")), nullptr);
    EXPECT_EQ(db->tableNames(), (QStringList{QStringLiteral("SPOTD"), QStringLiteral("SPGRUP")}));
}

TEST_F(JetTest, CreateRefusesAnExistingFileAndLeavesItUntouched)
{
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    EXPECT_EQ(errorOf([&] { Database::create(path); }), errDatabaseExists);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

TEST_F(JetTest, AFileThatCannotBeMadeIsToldWhyInRussian)
{
    QFile plain(tmp.file(QStringLiteral("папка.txt")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString under = tmp.file(QStringLiteral("папка.txt/новая.db"));
    try {
        Database::create(under);
        FAIL() << "created under a file";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("Не удаётся создать файл ") + under + QStringLiteral(": часть пути не является папкой."));
    }
}

TEST_F(JetTest, NewFileIsReadableByItsOwnerOnly)
{
    makeDb();
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther), 0);
}

TEST_F(JetTest, OpeningReportsFourOutcomesApart)
{
    EXPECT_EQ(errorOf([&] { Database::open(tmp.file(QStringLiteral("none.db"))); }), errFileNotFound);

    auto first = makeDb();
    EXPECT_EQ(errorOf([&] { Database::open(path); }), errFileInUse);
    first->close();
    EXPECT_EQ(errorOf([&] { Database::open(path); }), 0);

    const QString text = tmp.file(QStringLiteral("text.db"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    EXPECT_EQ(errorOf([&] { Database::open(text); }), errNotADatabase);

    // A real database whose pages were overwritten in the middle.
    const QString broken = tmp.file(QStringLiteral("broken.db"));
    {
        auto db = Database::create(broken);
        db->execute(QStringLiteral("CREATE TABLE T ([ID] COUNTER, [NAIM] MEMO);"));
        for (int i = 0; i < 200; ++i)
            db->execute(QStringLiteral("INSERT INTO T (NAIM) VALUES (?)"), {QString(200, QChar(u'ж'))});
    }
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4096 * 3);
        f.write(QByteArray(4096 * 2, '\x5a'));
    }
    EXPECT_EQ(errorOf([&] { Database::open(broken); }), errDamaged);
}

// Opening checks every page of a file closed cleanly, and the values of
// every row against their column rules as well when it was not: a value
// that breaks its rule (written past the engine's own check) is found then.
TEST_F(JetTest, AFileNotClosedCleanlyHasItsValuesCheckedToo)
{
    const QString tooLong = QStringLiteral("Константинопольская");  // FAM holds 10 characters
    const auto breakARule = [&](Database& db) {
        ASSERT_EQ(sqlite3_exec(db.handle(), "PRAGMA ignore_check_constraints=ON;", nullptr, nullptr, nullptr), SQLITE_OK);
        db.execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {tooLong});
        ASSERT_EQ(sqlite3_exec(db.handle(), "PRAGMA ignore_check_constraints=OFF;", nullptr, nullptr, nullptr), SQLITE_OK);
    };
    struct Case {
        const char* name;
        std::function<void(const QString& file)> leave;
        int error;
    };
    const Case cases[] = {
        {"closed cleanly: its pages alone", [](const QString&) {}, 0},
        {"copied while open, as a crash leaves it",
         [&](const QString& file) {
             auto db = Database::open(path);
             db->execute(QStringLiteral("UPDATE SPSTUD SET IDG = 1"));  // the session's journal is made
             ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral("-journal")));
             QFile::remove(file);
             ASSERT_TRUE(QFile::copy(path, file));
             ASSERT_TRUE(QFile::copy(path + QStringLiteral("-journal"), file + QStringLiteral("-journal")));
         },
         errDamaged},
        {"longer than its header says",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(QByteArray(4096, '\0'));
         },
         errDamaged},
    };
    {
        auto db = makeDb();
        breakARule(*db);
    }
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));  // a clean close leaves none
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = tmp.file(QStringLiteral("copy.db"));
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-journal"));
        ASSERT_TRUE(QFile::copy(path, file));
        c.leave(file);
        try {
            Database::open(file)->close();
            EXPECT_EQ(c.error, 0);
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.error);
            EXPECT_TRUE(e.cause().contains(QStringLiteral("CHECK"))) << e.cause().toStdString();
        }
    }
}

// The second program of the test below: this test program started anew with
// KALVETA_SECOND_OPEN naming a file opens it and ends before any test runs,
// telling by its exit code how it fared (a forked copy of this process would
// share the engine's own record of its open files).
enum class SecondOpen { Opened, InUse, Failed };

const bool kSecondProgram = [] {
    const QByteArray path = qgetenv("KALVETA_SECOND_OPEN");
    if (path.isEmpty())
        return false;
    int code = 0;
    try {
        Database::open(QString::fromUtf8(path))->close();
    } catch (const Error& e) {
        code = e.number() == errFileInUse ? 1 : 2;
    }
    std::_Exit(code);
}();

// A program killed (kill -9) just after a save, as a program of its own.
int killedAfterSave()
{
    try {
        auto db = Database::open(qEnvironmentVariable("KALVETA_SAVE_AND_DIE"));
        db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Сохранен")});
        ::raise(SIGKILL);
    } catch (const Error&) {
    }
    return 2;
}

const bool kKilledAfterSave = testsupport::registerProgramPart("killed-after-save", &killedAfterSave);

void saveAndDieInAnotherProgram(const QString& path)
{
    QProcess second;
    QProcessEnvironment env;
    env.insert(QStringLiteral("KALVETA_SAVE_AND_DIE"), path);
    testsupport::startProgramPart(second, "killed-after-save", env);
    second.waitForFinished(-1);
    EXPECT_EQ(second.exitStatus(), QProcess::CrashExit);
}

SecondOpen openInAnotherProgram(const QString& path)
{
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KALVETA_SECOND_OPEN"), path);
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationFilePath(), {});
    if (!second.waitForFinished(-1) || second.exitStatus() != QProcess::NormalExit)
        return SecondOpen::Failed;
    switch (second.exitCode()) {
    case 0: return SecondOpen::Opened;
    case 1: return SecondOpen::InUse;
    default: return SecondOpen::Failed;
    }
}

TEST_F(JetTest, AnotherProgramStaysOutWhileTheFileIsReadAndClosedHere)
{
    makeDb()->close();
    const std::pair<const char*, std::function<std::unique_ptr<Database>()>> ways[] = {
        {"opened", [&] { return Database::open(path); }},
        {"created", [&] {
             const QString fresh = tmp.file(QStringLiteral("fresh.db"));
             QFile::remove(fresh);
             path = fresh;
             return Database::create(fresh);
         }},
    };
    for (const auto& [how, first] : ways) {
        SCOPED_TRACE(how);
        auto db = first();
        EXPECT_EQ(openInAnotherProgram(path), SecondOpen::InUse);
        // Any other descriptor of the file closed in this process (a file
        // dialog guessing the file's type) drops the engine's own locks.
        {
            QFile peek(path);
            ASSERT_TRUE(peek.open(QIODevice::ReadOnly));
            EXPECT_FALSE(peek.read(16).isEmpty());
        }
        EXPECT_EQ(openInAnotherProgram(path), SecondOpen::InUse);
        db->execute(QStringLiteral("CREATE TABLE T%1 ([ID] COUNTER);").arg(how));
        EXPECT_EQ(openInAnotherProgram(path), SecondOpen::InUse);
        db->close();
        EXPECT_EQ(openInAnotherProgram(path), SecondOpen::Opened);
    }
}

// The engine's own lock, which other programs using the engine (the sqlite3
// shell) honour, stays while the file is open: also after this program tried
// to open it a second time, or copied it.
TEST_F(JetTest, TheEnginesOwnLockStaysWhileTheFileIsOpen)
{
    auto db = makeDb();
    if (!testsupport::outsideRead(path))
        GTEST_SKIP() << "no sqlite3 shell here";
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"opened", [] {}},
        {"opened again here", [&] { EXPECT_EQ(errorOf([&] { Database::open(path); }), errFileInUse); }},
        {"held again here", [&] { EXPECT_EQ(errorOf([&] { FileHold::take(path); }), errFileInUse); }},
        {"copied", [&] { db->backupTo(tmp.file(QStringLiteral("copy.db"))); }},
        {"written", [&] { db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("А")}); }},
    };
    for (const auto& [what, step] : steps) {
        SCOPED_TRACE(what);
        step();
        const std::optional<QString> said = testsupport::outsideRead(path);
        ASSERT_TRUE(said.has_value());
        EXPECT_TRUE(said->contains(QStringLiteral("locked"))) << said->toStdString();
    }
    db->close();
    EXPECT_EQ(testsupport::outsideRead(path), QString());
}

// A run killed after a save leaves the engine's journal beside the file:
// the next opening checks the whole file, and once that check has passed the
// file counts as closed cleanly, though that session changes nothing.
TEST_F(JetTest, AFileKilledAfterASaveIsCheckedWholeOnceOnly)
{
    makeDb()->close();
    saveAndDieInAnotherProgram(path);
    const QString journal = path + QStringLiteral("-journal");
    ASSERT_TRUE(QFileInfo::exists(journal));
    EXPECT_EQ(errorOf([&] { Database::open(path)->close(); }), 0);
    EXPECT_FALSE(QFileInfo::exists(journal));
    {
        auto db = Database::open(path);
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT FAM FROM SPSTUD")).toString(), QStringLiteral("Сохранен"));
    }
    // A value that breaks its column's rule, written behind the engine's
    // check by a program that leaves no journal: the pages alone are
    // checked at the next opening, so it is not seen.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "PRAGMA journal_mode=MEMORY; PRAGMA ignore_check_constraints=ON;"
                           "UPDATE SPSTUD SET FAM = 'Константинопольская';",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close_v2(raw);
    EXPECT_EQ(errorOf([&] { Database::open(path)->close(); }), 0);
}

// A file held under one name and moved to another stays held: a program
// trying to open the name again and again never gets in, neither when a new
// file takes a free name nor when it takes the place of a file in use.
TEST_F(JetTest, AFileMovedIntoPlaceWhileHeldIsNeverFree)
{
    makeDb()->close();
    const QString fresh = tmp.file(QStringLiteral("fresh.db"));
    auto second = testsupport::SecondProgram::looping(fresh);
    ASSERT_TRUE(second.ready());
    {
        FileHold hold = Database::open(path)->backupTo(tmp.file(QStringLiteral(".fresh.db.part")));
        hold.moveTo(fresh, false);
        auto db = Database::open(fresh, std::move(hold));
        for (int i = 0; i < 20; ++i) {
            // The file in use replaced by another copy of it, many times over.
            FileHold incoming = db->backupTo(tmp.file(QStringLiteral(".fresh.db.restore")));
            FileHold previous = db->closeKeepingHold();
            incoming.moveTo(fresh, true);
            previous.release();
            db = Database::open(fresh, std::move(incoming));
            db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QString::number(i)});
        }
        const SecondProgram::Tries tries = second.stop();
        EXPECT_EQ(tries.opened, 0);
        EXPECT_EQ(tries.failed, 0);
        EXPECT_GT(tries.refused, 0);
        EXPECT_GT(tries.missing, 0);
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD")).toInt(), 20);
    }
    // A name already taken is never given to another file that way.
    FileHold other = Database::open(path)->backupTo(tmp.file(QStringLiteral("other.db")));
    EXPECT_EQ(errorOf([&] { other.moveTo(fresh, false); }), errDatabaseExists);
    EXPECT_EQ(Database::open(fresh)->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD")).toInt(), 20);
}

TEST_F(JetTest, TextThatLooksLikeANumberStaysText)
{
    auto db = makeDb();
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IM) VALUES (?, ?)"), {QStringLiteral("0012"), QStringLiteral("1e3")});
    auto rs = db->openRecordset(QStringLiteral("SPSTUD"));
    EXPECT_EQ(rs->value(QStringLiteral("fam")).typeId(), QMetaType::QString);
    EXPECT_EQ(rs->value(QStringLiteral("FAM")).toString(), QStringLiteral("0012"));
    EXPECT_EQ(rs->value(QStringLiteral("IM")).toString(), QStringLiteral("1e3"));
}

TEST_F(JetTest, CyrillicTextComparesWithoutCaseInAlphabetOrder)
{
    auto db = makeDb();
    for (const char* s : {"Яблоко", "ёлка", "Елка", "жук", "Ёж", "АРБУЗ", "арбуз", "Zebra"})
        db->execute(QStringLiteral("INSERT INTO SPSTUD (IM) VALUES (?)"), {QString::fromUtf8(s)});
    QStringList order;
    for (auto rs = db->openRecordset(QStringLiteral("SELECT IM FROM SPSTUD ORDER BY IM, ID")); !rs->isEOF(); rs->moveNext())
        order << rs->text(QStringLiteral("IM"));
    EXPECT_EQ(order.indexOf(QStringLiteral("Zebra")), 0) << order.join(',').toStdString();
    EXPECT_EQ(order.indexOf(QStringLiteral("Яблоко")), order.size() - 1) << order.join(',').toStdString();
    EXPECT_LT(order.indexOf(QStringLiteral("АРБУЗ")), order.indexOf(QStringLiteral("Елка")));
    // Ё sorts beside Е, before Ж.
    EXPECT_LT(order.indexOf(QStringLiteral("ёлка")), order.indexOf(QStringLiteral("жук")));
    EXPECT_LT(order.indexOf(QStringLiteral("Ёж")), order.indexOf(QStringLiteral("жук")));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE IM=?"), {QStringLiteral("арбуз")}).toInt(), 2);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE IM LIKE ?"), {QStringLiteral("ЯБЛ%")}).toInt(), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT upper(?)"), {QStringLiteral("ёлка")}).toString(), QStringLiteral("ЁЛКА"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT lower(?)"), {QStringLiteral("ЖУК")}).toString(), QStringLiteral("жук"));
    EXPECT_LT(Database::compareText(QStringLiteral("елка"), QStringLiteral("Жук")), 0);
    EXPECT_EQ(Database::compareText(QStringLiteral("ПЕТРОВ"), QStringLiteral("петров")), 0);
}

TEST_F(JetTest, ValFollowsVisualBasicRules)
{
    struct Case { const char* text; double value; };
    const Case cases[] = {{"12", 12}, {" 1 2 3", 123}, {"12abc", 12}, {"-3.5", -3.5}, {"1,5", 1}, {"", 0},
                          {"abc", 0}, {"&H1F", 31}, {"2e2", 200}, {"36 недель", 36}};
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(vbVal(QString::fromUtf8(c.text)), c.value) << c.text;
    auto db = makeDb();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT val(?)"), {QStringLiteral("72 ч.")}).toLongLong(), 72);
}

TEST_F(JetTest, DigitsOnlyKeepsTheDigitsOfAText)
{
    auto db = makeDb();
    struct Case { QVariant text; QVariant digits; };
    const Case cases[] = {{QStringLiteral("ПК-0150"), QStringLiteral("0150")},
                          {QStringLiteral("12 34/5"), QStringLiteral("12345")},
                          {QStringLiteral("б/н"), QVariant()},
                          {QVariant(), QVariant()}};
    for (const Case& c : cases) {
        const QVariant got = db->scalar(QStringLiteral("SELECT digitsonly(?)"), {c.text});
        EXPECT_EQ(isNull(got), isNull(c.digits)) << c.text.toString().toStdString();
        EXPECT_EQ(got.toString(), c.digits.toString()) << c.text.toString().toStdString();
    }
}

TEST(JetText, DatesAreWrittenDayMonthYear)
{
    struct Case {
        QDate date;
        const char* text;
    };
    const Case cases[] = {
        {QDate(2024, 6, 1), "01.06.2024"}, {QDate(1999, 12, 31), "31.12.1999"}, {QDate(1000, 1, 9), "09.01.1000"},
        {QDate(9999, 10, 10), "10.10.9999"}, {QDate(999, 2, 3), "03.02.0999"}, {QDate(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(toText(QVariant(c.date)), QString::fromLatin1(c.text));
        EXPECT_EQ(toText(QVariant(c.date)), c.date.toString(QStringLiteral("dd.MM.yyyy")));
    }
}

TEST_F(JetTest, NullIsNotAnEmptyText)
{
    auto db = makeDb();
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IM) VALUES (?, ?)"), {QString(""), QVariant()});
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM SPSTUD"), dbOpenSnapshot);
    EXPECT_FALSE(isNull(rs->value(QStringLiteral("FAM"))));
    EXPECT_EQ(rs->value(QStringLiteral("FAM")).toString(), QString());
    EXPECT_TRUE(isNull(rs->value(QStringLiteral("IM"))));
    EXPECT_EQ(rs->text(QStringLiteral("IM")), QString());
}

TEST_F(JetTest, AddNewExposesTheKeyBeforeUpdate)
{
    auto db = makeDb();
    auto rs = db->openRecordset(QStringLiteral("SPSTUD"), dbOpenTable);
    for (qlonglong expected = 1; expected <= 3; ++expected) {
        rs->addNew();
        const qlonglong key = rs->value(QStringLiteral("ID")).toLongLong();
        EXPECT_EQ(key, expected);
        rs->setValue(QStringLiteral("IDG"), key);  // stored in another field of the same row
        rs->setValue(QStringLiteral("FAM"), QStringLiteral("Иванов"));
        rs->update();
    }
    rs->addNew();
    rs->cancelUpdate();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID=IDG")).toInt(), 3);
    rs->addNew();
    EXPECT_EQ(rs->value(QStringLiteral("ID")).toLongLong(), 4);
}

// The statements of a connection whose text begins with `start`.
int statementsStarting(Database& db, const char* start)
{
    int n = 0;
    for (sqlite3_stmt* st = sqlite3_next_stmt(db.handle(), nullptr); st; st = sqlite3_next_stmt(db.handle(), st))
        if (QString::fromUtf8(sqlite3_sql(st)).startsWith(QLatin1String(start)))
            ++n;
    return n;
}

TEST_F(JetTest, RowsAddedOneAfterAnotherShareOnePreparedInsert)
{
    auto db = makeDb();
    db->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON SPSTUD WHEN NEW.IM='отказ' "
                               "BEGIN SELECT RAISE(ABORT, 'отказ'); END"));
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE 1=0"));
    const auto add = [&](const QVariantList& values) {  // FAM, IM (Null: not written)
        rs->addNew();
        if (!values.at(0).isNull())
            rs->setValue(QStringLiteral("FAM"), values.at(0));
        if (!values.at(1).isNull())
            rs->setValue(QStringLiteral("IM"), values.at(1));
        rs->update();
    };
    for (int i = 0; i < 3; ++i)
        add({QStringLiteral("Ф%1").arg(i), QStringLiteral("И%1").arg(i)});
    EXPECT_EQ(statementsStarting(*db, "INSERT"), 1);
    add({QStringLiteral("Ф3"), QVariant()});  // another set of columns: another statement
    add({QStringLiteral("Ф4"), QStringLiteral("И4")});
    EXPECT_EQ(statementsStarting(*db, "INSERT"), 2);

    // The checks and the database's refusals stay as they were, and the
    // statement serves the next row after a refusal.
    rs->addNew();
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("FAM"), QStringLiteral("слишком длинная")); }), errFieldTooSmall);
    rs->cancelUpdate();
    EXPECT_NE(errorOf([&] { add({QStringLiteral("Ф5"), QStringLiteral("отказ")}); }), 0);
    add({QStringLiteral("Ф6"), QStringLiteral("И6")});
    QStringList rows;
    for (auto all = db->openRecordset(QStringLiteral("SELECT * FROM SPSTUD ORDER BY ID")); !all->isEOF(); all->moveNext())
        rows << all->text(QStringLiteral("ID")) + QLatin1Char('/') + all->text(QStringLiteral("FAM")) + QLatin1Char('/')
                    + all->text(QStringLiteral("IM"));
    EXPECT_EQ(rows, (QStringList{"1/Ф0/И0", "2/Ф1/И1", "3/Ф2/И2", "4/Ф3/", "5/Ф4/И4", "6/Ф6/И6"}));

    rs->close();
    EXPECT_EQ(statementsStarting(*db, "INSERT"), 0);
}

TEST_F(JetTest, RecordsetEditsDeletesAndConvertsValues)
{
    auto db = makeDb();
    for (int i = 1; i <= 3; ++i)
        db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM, IDG) VALUES (?, ?)"), {QStringLiteral("Ф%1").arg(i), i});
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE IDG>=? ORDER BY ID"), dbOpenDynaset, {2});
    ASSERT_FALSE(rs->isEOF());
    rs->edit();
    rs->setValue(QStringLiteral("D_R"), QStringLiteral("05.03.2004"));
    rs->setValue(QStringLiteral("DUBL"), true);
    rs->setValue(QStringLiteral("IDG"), QStringLiteral("7"));
    rs->update();
    EXPECT_EQ(rs->value(QStringLiteral("D_R")).toDate(), QDate(2004, 3, 5));
    EXPECT_EQ(rs->value(QStringLiteral("DUBL")).toLongLong(), -1);
    rs->moveNext();
    rs->deleteCurrent();
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT D_R FROM SPSTUD WHERE ID=2")).toString(), QStringLiteral("2004-03-05"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT DUBL FROM SPSTUD WHERE ID=2")).toInt(), -1);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD")).toInt(), 2);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT D_R FROM SPSTUD WHERE D_R > ?"), {QDate(2000, 1, 1)}).toString(), QStringLiteral("2004-03-05"));

    rs->moveFirst();
    rs->edit();
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("IDG"), QStringLiteral("abc")); }), errTypeMismatch);
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("ROLE"), 300); }), 6);
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("NOPE"), 1); }), errItemNotFound);
    rs->cancelUpdate();
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("IDG"), 1); }), errUpdateWithoutEdit);

    auto snap = db->openRecordset(QStringLiteral("SPSTUD"), dbOpenSnapshot);
    EXPECT_EQ(errorOf([&] { snap->edit(); }), errNotUpdatable);
}

TEST_F(JetTest, TextLongerThanItsColumnIsRefusedNotCut)
{
    auto db = makeDb();
    EXPECT_EQ(errorOf([&] { db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Длиннаяфамилия")}); }),
              errFieldTooSmall);
    auto rs = db->openRecordset(QStringLiteral("SPSTUD"));
    rs->addNew();
    EXPECT_EQ(errorOf([&] { rs->setValue(QStringLiteral("FAM"), QStringLiteral("Длиннаяфамилия")); }), errFieldTooSmall);
    rs->setValue(QStringLiteral("FAM"), QStringLiteral("Ёжиков"));  // ten characters fit
    rs->update();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD")).toInt(), 1);
}

// Each value reaches the file through a statement and through a recordset;
// both paths keep the same rules.
TEST_F(JetTest, ColumnRulesHoldForStatementsAndRecordsets)
{
    auto db = makeDb();
    struct Case {
        const char* name;
        const char* column;
        QVariant value;
        int error;  // 0: stored
    };
    const QString nulPadded = QStringLiteral("Иванов") + QString(10, QChar(0));
    const Case cases[] = {
        {"text into Long", "IDG", QStringLiteral("abc"), errTypeMismatch},
        {"number text into Long", "IDG", QStringLiteral("12"), 0},
        {"fraction into Long", "IDG", 12.5, 0},  // a recordset rounds; a statement refuses (below)
        {"Long overflow", "IDG", qlonglong(3000000000LL), errOverflow},
        {"Byte overflow", "ROLE", 300, errOverflow},
        {"text into Integer", "ASEC", QStringLiteral("много"), errTypeMismatch},
        {"text into Boolean", "DUBL", QStringLiteral("может быть"), errTypeMismatch},
        {"text date of no day", "D_R", QStringLiteral("31.02.2004"), errTypeMismatch},
        {"text that is no date", "D_R", QStringLiteral("вчера"), errTypeMismatch},
        {"date of no day", "D_R", QVariant(QDate(2004, 2, 31)), errTypeMismatch},
        {"date", "D_R", QVariant(QDate(2004, 2, 29)), 0},
        {"date and time", "D_R", QVariant(QDateTime(QDate(2004, 3, 5), QTime(14, 30, 12))), 0},
        {"NUL-padded text", "FAM", nulPadded, errFieldTooSmall},
        {"text that fits", "FAM", QStringLiteral("Ёжиков"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString column = QString::fromLatin1(c.column);
        // A statement gets the value as it is; only a recordset converts it
        // first, as the engine would.
        const int statementError = std::string(c.name) == "fraction into Long" ? int(errTypeMismatch) : c.error;
        EXPECT_EQ(errorOf([&] { db->execute(QStringLiteral("INSERT INTO SPSTUD (%1) VALUES (?)").arg(column), {c.value}); }),
                  statementError) << "statement";
        auto rs = db->openRecordset(QStringLiteral("SPSTUD"), dbOpenTable);
        rs->addNew();
        const int recordsetError = errorOf([&] {
            rs->setValue(column, c.value);
            rs->update();
        });
        EXPECT_EQ(recordsetError, c.error) << "recordset";
        rs->cancelUpdate();
    }
    // Text written straight into the statement meets the same rules.
    EXPECT_EQ(errorOf([&] { db->execute(QStringLiteral("UPDATE SPSTUD SET IDG = 'abc'")); }), errTypeMismatch);
    EXPECT_EQ(errorOf([&] { db->execute(QStringLiteral("UPDATE SPSTUD SET D_R = '2004-13-01'")); }), errTypeMismatch);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE typeof(IDG) NOT IN ('integer', 'null')")).toInt(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE D_R IS NOT NULL AND date(D_R) IS NULL")).toInt(), 0);
}

TEST_F(JetTest, OneStatementPerCallAndNoTextAfterIt)
{
    auto db = makeDb();
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?);"), {QStringLiteral("Один")});
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?); -- the second person follows"), {QStringLiteral("Два")});
    EXPECT_EQ(errorOf([&] { db->execute(QStringLiteral("UPDATE SPSTUD SET IDG = 1; DELETE FROM SPSTUD")); }),
              errTooManyStatements);
    EXPECT_EQ(errorOf([&] { db->openRecordset(QStringLiteral("SELECT * FROM SPSTUD; DROP TABLE SPSTUD")); }),
              errTooManyStatements);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE IDG IS NULL")).toInt(), 2);
}

TEST_F(JetTest, FailedMultiRowChangeInsideATransactionLeavesNothing)
{
    auto db = makeDb();
    try {
        Transaction t(*db);
        db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Первый")});
        {
            Transaction inner(*db);
            db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Второй")});
            inner.commit();
        }
        db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Слишком длинное")});
        t.commit();
    } catch (const Error&) {
    }
    EXPECT_EQ(db->transactionDepth(), 0);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM SPSTUD")).toInt(), 0);

    {
        Transaction t(*db);
        db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Есть")});
        t.commit();
    }
    db->close();
    auto again = Database::open(path);
    EXPECT_EQ(again->scalar(QStringLiteral("SELECT FAM FROM SPSTUD")).toString(), QStringLiteral("Есть"));
}

TEST_F(JetTest, BackupMakesAnOpenableCopy)
{
    auto db = makeDb();
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("Копия")});
    const QString copy = tmp.file(QStringLiteral("copy.db"));
    db->backupTo(copy);
    EXPECT_EQ(errorOf([&] { db->backupTo(copy); }), errDatabaseExists);
    auto c = Database::open(copy);
    EXPECT_EQ(c->scalar(QStringLiteral("SELECT FAM FROM SPSTUD")).toString(), QStringLiteral("Копия"));
}

TEST_F(JetTest, ClosingTheDatabaseClosesItsRecordsets)
{
    auto db = makeDb();
    db->execute(QStringLiteral("INSERT INTO SPSTUD (FAM) VALUES (?)"), {QStringLiteral("А")});
    auto rs = db->openRecordset(QStringLiteral("SPSTUD"));
    db->close();
    EXPECT_FALSE(rs->isOpen());
    EXPECT_NE(errorOf([&] { rs->edit(); }), 0);
}

} // namespace

namespace {

class JetNavigationTest : public ::testing::Test {
protected:
    testsupport::TempFolder tmp;
    std::unique_ptr<Database> db;
    void SetUp() override
    {
        db = Database::create(tmp.file(QStringLiteral("nav.db")));
        db->execute(QStringLiteral("CREATE TABLE EXAM ([IDE] COUNTER, [SORT] INTEGER, [CH] STRING(50));"));
        for (int i = 1; i <= 5; ++i)
            db->execute(QStringLiteral("INSERT INTO EXAM (SORT, CH) VALUES (?, ?)"), {i * 10, QString::number(i)});
    }
    QList<int> walk(Recordset& rs)
    {
        QList<int> keys;
        for (; !rs.isEOF(); rs.moveNext())
            keys << rs.value(QStringLiteral("IDE")).toInt();
        return keys;
    }
};

TEST_F(JetNavigationTest, MovesBothWaysAndCountsAfterMoveLast)
{
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM EXAM ORDER BY SORT"));
    EXPECT_EQ(rs->recordCount(), 1);
    rs->moveNext();
    rs->moveNext();
    EXPECT_EQ(rs->value(QStringLiteral("IDE")).toInt(), 3);
    rs->movePrevious();
    EXPECT_EQ(rs->value(QStringLiteral("IDE")).toInt(), 2);
    rs->moveLast();
    EXPECT_EQ(rs->value(QStringLiteral("IDE")).toInt(), 5);
    EXPECT_EQ(rs->recordCount(), 5);
    rs->moveFirst();
    EXPECT_EQ(walk(*rs), (QList<int>{1, 2, 3, 4, 5}));
    rs->movePrevious();
    EXPECT_EQ(rs->value(QStringLiteral("IDE")).toInt(), 5);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->isBOF());

    auto empty = db->openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE SORT>?"), dbOpenDynaset, {100});
    EXPECT_TRUE(empty->isEOF());
    EXPECT_TRUE(empty->isBOF());
    empty->moveLast();
    EXPECT_EQ(empty->recordCount(), 0);
}

TEST_F(JetNavigationTest, RowsChangedThroughOtherRecordsetsWhileWalking)
{
    // One query walks the rows while each row is opened again by its key and changed.
    auto outer = db->openRecordset(QStringLiteral("SELECT * FROM EXAM"));
    int seen = 0;
    for (; !outer->isEOF(); outer->moveNext()) {
        auto one = db->openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE IDE=?"), dbOpenDynaset, {outer->value(QStringLiteral("IDE"))});
        one->edit();
        one->setValue(QStringLiteral("CH"), outer->text(QStringLiteral("CH")) + QStringLiteral(" ч."));
        one->update();
        ++seen;
    }
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM EXAM WHERE CH LIKE '% ч.'")).toInt(), 5);
}

TEST_F(JetNavigationTest, EditingInTheMiddleOfAWalkKeepsTheRestOfTheRows)
{
    auto rs = db->openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE SORT>? ORDER BY SORT"), dbOpenDynaset, {15});
    QList<int> keys;
    for (; !rs->isEOF(); rs->moveNext()) {
        keys << rs->value(QStringLiteral("IDE")).toInt();
        rs->edit();
        rs->setValue(QStringLiteral("SORT"), rs->value(QStringLiteral("SORT")).toInt() + 1);
        rs->update();
    }
    EXPECT_EQ(keys, (QList<int>{2, 3, 4, 5}));
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(SORT) FROM EXAM")).toString(), QStringLiteral("10,21,31,41,51"));
    rs->moveFirst();  // the query runs again and sees the changes
    EXPECT_EQ(rs->value(QStringLiteral("SORT")).toInt(), 21);
}

} // namespace
