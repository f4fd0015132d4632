#pragma once
// A small DAO-like layer over SQLite: a database file opened exclusively,
// recordsets with AddNew/Edit/Update, table definitions that report Jet's
// type codes, sizes and attributes, and transactions.
//
// Values travel as QVariant: an invalid QVariant is Null, QString is text
// (an empty QString is an empty text, not Null), qlonglong is a whole number,
// double a fractional one, QDate/QDateTime a date. Booleans are stored and
// read as the whole numbers 0 and -1.
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace jet {

// Field type codes as DAO reports them.
enum DataType : int {
    dbBoolean = 1,
    dbByte = 2,
    dbInteger = 3,
    dbLong = 4,
    dbDate = 8,
    dbText = 10,
    dbMemo = 12,
};

// Field attribute bits.
enum FieldAttribute : int {
    dbFixedField = 1,
    dbVariableField = 2,
    dbAutoIncrField = 16,
    dbAutoNumberKey = 17,
};

// Recordset kinds. All of them are read from a private copy of the rows;
// table and dynaset recordsets are updatable.
enum RecordsetType : int {
    dbOpenTable = 1,
    dbOpenDynaset = 2,
    dbOpenSnapshot = 4,
    dbOpenForwardOnly = 8,
};

// Error numbers, after the engine's own where one exists.
enum ErrorNumber : int {
    errTypeMismatch = 13,
    errNoCurrentRecord = 3021,
    errUpdateWithoutEdit = 3020,
    errDuplicateValue = 3022,
    errFileNotFound = 3024,
    errNotUpdatable = 3027,
    errDatabaseExists = 3204,
    errFileInUse = 3045,
    errFieldTooSmall = 3163,
    errRecordDeleted = 3167,
    errItemNotFound = 3265,
    errNotADatabase = 3343,
    errDamaged = 3049,
    errSyntax = 3075,
    errGeneric = 3000,
    errIo = 3051,
    errDiskFull = 3026,
    errNoReadPermission = 3033,
    errReadOnlyFile = 3034,
    errReadOnlyFolder = 3035,
    errTooManyStatements = 3142,
    errOverflow = 6,
};

// What went wrong, with a number and a description for the messages that
// show both.
class Error : public std::runtime_error {
public:
    // `cause` is the engine's own account of the failure (or of the damage it
    // found), without the wording around it; empty when there is none.
    Error(int number, const QString& description, const QString& cause = {});
    int number() const { return number_; }
    QString description() const { return description_; }
    QString cause() const { return cause_; }
    // The number and the description joined by one blank, as the messages
    // show them.
    QString numberAndDescription() const { return QString::number(number_) + QLatin1Char(' ') + description_; }

private:
    int number_;
    QString description_;
    QString cause_;
};

// The cause of a failed file operation (an errno value) in words for the
// user, in Russian: "на диске нет свободного места", "нет прав доступа".
QString systemErrorText(int error);

struct FieldDef {
    QString name;
    int type = dbText;   // DataType
    int size = 0;        // characters for Text; bytes for the others; 0 for Memo
    int attributes = 0;  // FieldAttribute bits; 0 means the default for the type
};

struct IndexDef {
    QString name;    // "PrimaryKey"
    QString fields;  // "+IDG" or "+A;-B"
    bool primary = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    const FieldDef* field(const QString& name) const;  // case-insensitive, nullptr when absent
    const IndexDef* index(const QString& name) const;
};

// Type word, size and attributes default for a field of `type`.
int defaultSize(int type);
int defaultAttributes(int type);

class Database;

// The program's hold on a database file: a descriptor of the file with a lock
// of its own, which no other open or close of the file in this process can
// drop. While it lives no other program opens the file, whatever the file is
// called meanwhile: a file held under a temporary name and then moved into
// its place is never free for a moment.
class FileHold {
public:
    FileHold() = default;
    ~FileHold();
    FileHold(FileHold&& other) noexcept;
    FileHold& operator=(FileHold&& other) noexcept;
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;

    // Holds the file `path` names. Fails with errFileNotFound, errReadOnlyFile,
    // errFileInUse (another program holds it) or errIo.
    static FileHold take(const QString& path);
    // Makes a new file, readable by its owner only, and holds it. Fails with
    // errDatabaseExists when a file is there, errDiskFull or errIo.
    static FileHold makeNew(const QString& path);

    bool held() const { return fd_ >= 0; }
    // The name the file was held under or last moved to.
    QString path() const { return path_; }
    // Whether `path` names the held file now.
    bool holds(const QString& path) const;
    // Gives the held file the name `to` in one step; it stays held. A file
    // at `to` is replaced only when `replace` is set, else refused with
    // errDatabaseExists.
    void moveTo(const QString& to, bool replace);
    // Lets the file go.
    void release();
    // Reads `size` bytes at `offset` through the hold's own descriptor.
    QByteArray read(qint64 offset, qint64 size) const;
    qint64 fileSize() const;

private:
    FileHold(int fd, const QString& path) : fd_(fd), path_(path) {}
    int fd_ = -1;
    QString path_;
};

class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool isEOF() const;
    bool isBOF() const;
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();
    // Rows read so far (all of them after moveLast), as DAO counts them.
    long recordCount() const;

    int fieldCount() const;
    QString fieldName(int index) const;
    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    int fieldIndex(const QString& name) const;  // -1 when absent; names match without regard to case

    // Value of the current row (or of the row being edited or added).
    QVariant value(const QString& name) const;
    QVariant value(int index) const;
    // Text of a value with Null read as an empty text.
    QString text(const QString& name) const;

    // Assigns a field of the row being edited or added. The value is converted
    // to the column's type as the engine would; a text longer than its column
    // or a value that does not convert is refused.
    void setValue(const QString& name, const QVariant& value);
    void setValue(int index, const QVariant& value);

    void addNew();   // the new row's auto-number key is readable at once
    void edit();
    void update();
    void cancelUpdate();
    void deleteCurrent();
    void close();
    bool isOpen() const;
    bool editing() const;

private:
    friend class Database;
    Recordset(Database* db, sqlite3_stmt* stmt, int type);
    struct ColumnInfo {
        QString name;
        QString table;   // table the value comes from; empty for a computed column
        QString origin;  // column of that table
        int type = 0;    // its DataType; 0 when unknown
        int size = 0;
        bool isKey = false;
    };
    void start();
    bool stepStatement();
    QVariant columnValue(int index) const;
    void storeCurrentRow();
    void materialize();
    void requery();
    void finalizeStatement();
    void ensureCurrent() const;
    void ensureUpdatable() const;
    int requireField(const QString& name) const;
    QVariant readValue(int index, QVariant raw) const;
    QVariant convertForColumn(int index, const QVariant& value) const;
    // Rows are kept as the engine gave them: one small cell per value, text
    // bytes in one growing arena; values become QVariants only when read.
    struct Cell {
        enum Kind : quint32 { Null, Integer, Real, Text, Blob } kind = Null;
        quint32 length = 0;
        union {
            qint64 integer;
            double real;
            quint64 offset;
        };
        Cell() : integer(0) {}
    };
    QVariant decode(const Cell& c) const;
    Cell encode(const QVariant& storageValue);
    Cell& cell(long row, int col) { return cells_[size_t(row) * columns_.size() + size_t(col)]; }
    const Cell& cell(long row, int col) const { return cells_[size_t(row) * columns_.size() + size_t(col)]; }
    QVariant cellValue(long row, int col) const { return decode(cell(row, col)); }
    long rowCount() const { return columns_.empty() ? 0 : long(cells_.size() / columns_.size()); }
    QString baseTable() const;
    int keyColumnOf(const QString& table) const;
    void skipDeletedForward();
    void skipDeletedBackward();

    // Statements of addNew() and update() kept for the next rows: the
    // queries of the next key, and one INSERT per set of columns written.
    struct KeyQueries {
        sqlite3_stmt* sequence = nullptr;
        sqlite3_stmt* largest = nullptr;
    };
    void finalizeKept();

    Database* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    KeyQueries keyQueries_;
    std::vector<std::pair<std::vector<bool>, sqlite3_stmt*>> inserts_;
    int type_ = dbOpenDynaset;
    std::vector<ColumnInfo> columns_;
    QHash<QString, int> byName_;
    std::vector<Cell> cells_;  // rows one after another
    std::vector<char> arena_;
    std::vector<bool> deleted_;
    bool streaming_ = true;        // rows come straight from the statement
    bool hasRow_ = false;          // while streaming: the statement is on a row
    long base_ = 0;                // logical number of the first stored row
    long pos_ = 0;                 // streaming: logical row; stored: index into the stored rows
    enum class Mode { None, Edit, Add } mode_ = Mode::None;
    std::vector<QVariant> buffer_;
    std::vector<bool> changed_;
};

class Database {
public:
    // Creates a new, empty database file readable by its owner only. Fails
    // with errDatabaseExists when a file is already there.
    static std::unique_ptr<Database> create(const QString& path);
    // Opens an existing file exclusively: no other program can open it until
    // this one is closed. The whole file is checked once (a quick check of
    // every page; the values of every row as well when the file was not
    // closed cleanly, after which it counts as closed cleanly). Fails with
    // errFileNotFound, errNoReadPermission, errReadOnlyFile, errReadOnlyFolder
    // (saving needs a journal file beside the database), errFileInUse,
    // errNotADatabase (an empty file too) or errDamaged.
    static std::unique_ptr<Database> open(const QString& path);
    // The same on a file this program holds already (`hold` names `path`).
    static std::unique_ptr<Database> open(const QString& path, FileHold hold);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString path() const { return path_; }
    void close();
    // Closes the connection but keeps the file held, so that no other
    // program gets in while this one replaces or renames it.
    FileHold closeKeepingHold();
    bool isOpen() const { return db_ != nullptr; }

    // Runs one statement with its values bound in order to the "?" marks;
    // text after it is refused (errTooManyStatements). The Jet words of CREATE TABLE/CREATE INDEX (COUNTER, STRING(n), MEMO,
    // BIT, BYTE, SMALLINT, INTEGER, DATETIME, WITH PRIMARY) are understood.
    // Returns the number of rows changed.
    int execute(const QString& sql, const QVariantList& params = {});

    // A bare table name gives all its rows in key order; anything else is a
    // query run with `params` bound.
    std::unique_ptr<Recordset> openRecordset(const QString& source, int type = dbOpenDynaset,
                                             const QVariantList& params = {});

    // First column of the first row of a query, Null when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    // Schema.
    QStringList tableNames() const;
    bool hasTable(const QString& name) const;  // case-insensitive
    TableDef tableDef(const QString& name) const;
    // Creates a table from a definition; a field with attributes 17 becomes the
    // auto-number key.
    void createTable(const TableDef& def);
    // Appends a field at the end of a table.
    void appendField(const QString& table, const FieldDef& field);
    void dropField(const QString& table, const QString& field);

    // Transactions; they nest (an inner one is a savepoint).
    void beginTrans();
    void commitTrans();
    void rollback();
    int transactionDepth() const { return depth_; }

    // Copies the whole database into a new file through the engine (the copy
    // is consistent even while rows are being changed); the copy stays held
    // while the result lives. The file of this database is never read by
    // other means: any other descriptor of it closed in this process would
    // drop the engine's own locks, which other programs using the engine
    // honour.
    FileHold backupTo(const QString& path);

    sqlite3* handle() const { return db_; }
    qlonglong lastInsertKey() const;
    // Rows inserted, changed or deleted through this connection since it was
    // opened. The file is opened exclusively, so an unchanged count means an
    // unchanged database.
    qlonglong totalChanges() const;

    // The engine's Cyrillic-aware string functions, for tests and helpers.
    static int compareText(const QString& a, const QString& b);
    // A key of the text under the same comparison: two texts compare equal
    // exactly when their keys are equal (for hashing texts as the database
    // compares them).
    static QByteArray textKey(const QString& text);

private:
    friend class Recordset;
    Database(sqlite3* db, const QString& path, FileHold hold);
    int executeNative(const QString& sql, const QVariantList& params, bool ddl);
    sqlite3_stmt* prepare(const QString& sql) const;
    // Binds `params`; on failure the statement is finalized unless it is
    // kept for later use (`kept`).
    void bind(sqlite3_stmt* stmt, const QVariantList& params, bool kept = false) const;
    // Runs a kept statement anew with `params`; returns the rows changed.
    int runKept(sqlite3_stmt* stmt, const QVariantList& params);
    [[noreturn]] void fail(int rc, const QString& context = {}) const;
    void invalidateSchema();
    const TableDef& cachedTableDef(const QString& name) const;
    qlonglong nextKey(const QString& table, Recordset::KeyQueries& queries) const;

    sqlite3* db_ = nullptr;
    QString path_;
    FileHold hold_;  // keeps other programs out
    int depth_ = 0;
    mutable QHash<QString, TableDef> schemaCache_;
    std::set<Recordset*> openRecordsets_;
};

// Commits on commit(); rolls back when it goes out of scope otherwise.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

// Converts a value read from the database for display and comparison.
QString toText(const QVariant& value);           // Null → ""
qlonglong toLong(const QVariant& value);         // Null or non-number → 0
bool isNull(const QVariant& value);
// Visual Basic's Val(): leading number of a text, blanks ignored.
double vbVal(const QString& text);

} // namespace jet
