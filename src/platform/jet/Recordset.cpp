#include "platform/jet/Jet.h"

#include "platform/jet/TypeMapping.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace jet {

using detail::isNumberType;
using detail::quoteIdent;
using detail::storedDate;

namespace {

QString columnText(const char* p)
{
    return p ? QString::fromUtf8(p) : QString();
}

QVariant parseStoredDate(const QString& s)
{
    if (s.size() == 10) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (d.isValid())
            return d;
    }
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(s, Qt::ISODate);
    if (dt.isValid())
        return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
    return s;
}

// "yyyy-MM-dd" read without the general date parser: lists read many dates.
// An invalid QDate when the text has any other shape.
template <typename Char>
QDate isoDate(const Char* s, qsizetype size)
{
    if (size != 10 || s[4] != Char('-') || s[7] != Char('-'))
        return QDate();
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < Char('0') || s[i] > Char('9'))
            return QDate();
    const auto digit = [&](int i) { return int(s[i] - Char('0')); };
    return QDate(digit(0) * 1000 + digit(1) * 100 + digit(2) * 10 + digit(3), digit(5) * 10 + digit(6),
                 digit(8) * 10 + digit(9));
}

QVariant fastStoredDate(const QString& s)
{
    const QDate d = isoDate(s.utf16(), s.size());
    return d.isValid() ? QVariant(d) : parseStoredDate(s);
}

} // namespace

Recordset::Recordset(Database* db, sqlite3_stmt* stmt, int type) : db_(db), stmt_(stmt), type_(type)
{
    const int n = sqlite3_column_count(stmt);
    columns_.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        ColumnInfo c;
        c.name = columnText(sqlite3_column_name(stmt, i));
        c.table = columnText(sqlite3_column_table_name(stmt, i));
        c.origin = columnText(sqlite3_column_origin_name(stmt, i));
        if (!c.table.isEmpty()) {
            try {
                const TableDef& def = db->cachedTableDef(c.table);
                if (const FieldDef* f = def.field(c.origin)) {
                    c.type = f->type;
                    c.size = f->size;
                    c.isKey = f->attributes == dbAutoNumberKey;
                }
            } catch (const Error&) {
                // A view or a table the schema walk does not list: values pass as they are.
            }
        }
        const QString lower = c.name.toLower();
        if (!byName_.contains(lower))
            byName_.insert(lower, i);
        if (!c.table.isEmpty()) {
            const QString qualified = (c.table + QLatin1Char('.') + c.origin).toLower();
            if (!byName_.contains(qualified))
                byName_.insert(qualified, i);
        }
        columns_.push_back(c);
    }
}

Recordset::~Recordset()
{
    close();
}

void Recordset::finalizeStatement()
{
    if (stmt_) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

bool Recordset::stepStatement()
{
    if (!stmt_)
        return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(stmt_);  // a finished statement holds nothing
    if (rc != SQLITE_DONE && db_)
        db_->fail(rc);
    return false;
}

void Recordset::start()
{
    streaming_ = true;
    base_ = 0;
    pos_ = 0;
    hasRow_ = stepStatement();
}

QVariant Recordset::columnValue(int i) const
{
    // The protected value needs no connection mutex for each access.
    sqlite3_value* v = sqlite3_column_value(stmt_, i);
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_value_int64(v)));
    case SQLITE_FLOAT: return QVariant(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v)));
    default: return QVariant();
    }
}

void Recordset::storeCurrentRow()
{
    const int n = int(columns_.size());
    for (int i = 0; i < n; ++i) {
        Cell c;
        switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_INTEGER:
            c.kind = Cell::Integer;
            c.integer = sqlite3_column_int64(stmt_, i);
            break;
        case SQLITE_FLOAT:
            c.kind = Cell::Real;
            c.real = sqlite3_column_double(stmt_, i);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const bool text = sqlite3_column_type(stmt_, i) == SQLITE_TEXT;
            const char* p = text ? reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i))
                                 : static_cast<const char*>(sqlite3_column_blob(stmt_, i));
            c.kind = text ? Cell::Text : Cell::Blob;
            c.length = quint32(sqlite3_column_bytes(stmt_, i));
            c.offset = arena_.size();
            arena_.insert(arena_.end(), p, p + c.length);
            break;
        }
        default: break;
        }
        cells_.push_back(c);
    }
    deleted_.push_back(false);
}

// Rows are read straight from the statement while the recordset only moves
// forward. Anything else (changing rows, moving back, counting to the end)
// first copies the rest of the result, from the current row on.
void Recordset::materialize()
{
    if (!streaming_)
        return;
    cells_.clear();
    arena_.clear();
    deleted_.clear();
    base_ = pos_;
    if (hasRow_) {
        storeCurrentRow();
        while (stepStatement())
            storeCurrentRow();
    }
    hasRow_ = false;
    streaming_ = false;
    pos_ = 0;
}

void Recordset::requery()
{
    if (!stmt_)
        throw Error(errGeneric, QStringLiteral("Набор записей закрыт."));
    sqlite3_reset(stmt_);
    cells_.clear();
    arena_.clear();
    deleted_.clear();
    start();
}

bool Recordset::isOpen() const
{
    return db_ != nullptr;
}

bool Recordset::editing() const
{
    return mode_ != Mode::None;
}

bool Recordset::isEOF() const
{
    if (streaming_)
        return !hasRow_;
    return pos_ >= rowCount() || rowCount() == 0;
}

bool Recordset::isBOF() const
{
    if (streaming_)
        return pos_ < 0 || (!hasRow_ && pos_ == 0);
    return pos_ < 0 || rowCount() == 0;
}

void Recordset::skipDeletedForward()
{
    while (pos_ >= 0 && pos_ < rowCount() && deleted_[size_t(pos_)])
        ++pos_;
}

void Recordset::skipDeletedBackward()
{
    while (pos_ >= 0 && pos_ < rowCount() && deleted_[size_t(pos_)])
        --pos_;
}

void Recordset::moveFirst()
{
    mode_ = Mode::None;
    if (streaming_) {
        if (pos_ != 0)
            requery();
        return;
    }
    if (base_ > 0) {
        requery();
        return;
    }
    pos_ = 0;
    skipDeletedForward();
}

void Recordset::moveNext()
{
    mode_ = Mode::None;
    if (isEOF())
        throw Error(errNoCurrentRecord, QStringLiteral("Нет текущей записи."));
    if (streaming_) {
        hasRow_ = stepStatement();
        ++pos_;
        return;
    }
    ++pos_;
    skipDeletedForward();
}

void Recordset::movePrevious()
{
    mode_ = Mode::None;
    if (isBOF() && pos_ < 0)
        throw Error(errNoCurrentRecord, QStringLiteral("Нет текущей записи."));
    const long logical = (streaming_ ? pos_ : base_ + std::min<long>(pos_, rowCount())) - 1;
    if (streaming_ || pos_ - 1 < 0) {
        if (logical < 0) {
            if (streaming_)
                materialize();
            pos_ = -1;
            return;
        }
        requery();
        materialize();
        pos_ = logical;
    } else {
        pos_ = std::min<long>(pos_, rowCount()) - 1;
    }
    skipDeletedBackward();
}

void Recordset::moveLast()
{
    mode_ = Mode::None;
    materialize();
    pos_ = rowCount() - 1;
    skipDeletedBackward();
    if (pos_ < 0)
        pos_ = rowCount();
}

long Recordset::recordCount() const
{
    if (streaming_)
        return hasRow_ ? pos_ + 1 : pos_;
    long n = base_;
    for (bool d : deleted_)
        if (!d)
            ++n;
    return n;
}

int Recordset::fieldCount() const
{
    return int(columns_.size());
}

QString Recordset::fieldName(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw Error(errItemNotFound, QStringLiteral("Поле с номером %1 не найдено.").arg(index));
    return columns_[size_t(index)].name;
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const ColumnInfo& c : columns_)
        names << c.name;
    return names;
}

bool Recordset::hasField(const QString& name) const
{
    return fieldIndex(name) >= 0;
}

int Recordset::fieldIndex(const QString& name) const
{
    return byName_.value(name.toLower(), -1);
}

int Recordset::requireField(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw Error(errItemNotFound, QStringLiteral("Поле %1 не найдено.").arg(name));
    return i;
}

void Recordset::ensureCurrent() const
{
    if (!db_)
        throw Error(errGeneric, QStringLiteral("Набор записей закрыт."));
    if (streaming_) {
        if (!hasRow_ || pos_ < 0)
            throw Error(errNoCurrentRecord, QStringLiteral("Нет текущей записи."));
        return;
    }
    if (pos_ < 0 || pos_ >= rowCount())
        throw Error(errNoCurrentRecord, QStringLiteral("Нет текущей записи."));
    if (deleted_[size_t(pos_)])
        throw Error(errRecordDeleted, QStringLiteral("Запись удалена."));
}

void Recordset::ensureUpdatable() const
{
    if (!db_)
        throw Error(errGeneric, QStringLiteral("Набор записей закрыт."));
    if (type_ != dbOpenTable && type_ != dbOpenDynaset)
        throw Error(errNotUpdatable, QStringLiteral("Набор записей открыт только для чтения."));
}

QVariant Recordset::decode(const Cell& c) const
{
    switch (c.kind) {
    case Cell::Integer: return QVariant(qlonglong(c.integer));
    case Cell::Real: return QVariant(c.real);
    case Cell::Text: return QVariant(QString::fromUtf8(arena_.data() + c.offset, qsizetype(c.length)));
    case Cell::Blob: return QVariant(QByteArray(arena_.data() + c.offset, qsizetype(c.length)));
    default: return QVariant();
    }
}

Recordset::Cell Recordset::encode(const QVariant& v)
{
    Cell c;
    if (v.isNull() && v.typeId() != QMetaType::QString)
        return c;
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Bool:
        c.kind = Cell::Integer;
        c.integer = v.typeId() == QMetaType::Bool ? (v.toBool() ? -1 : 0) : v.toLongLong();
        return c;
    case QMetaType::Double:
        c.kind = Cell::Real;
        c.real = v.toDouble();
        return c;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        c.kind = Cell::Blob;
        c.length = quint32(b.size());
        c.offset = arena_.size();
        arena_.insert(arena_.end(), b.constData(), b.constData() + b.size());
        return c;
    }
    default: {
        const QByteArray b = v.toString().toUtf8();
        c.kind = Cell::Text;
        c.length = quint32(b.size());
        c.offset = arena_.size();
        arena_.insert(arena_.end(), b.constData(), b.constData() + b.size());
        return c;
    }
    }
}

QVariant Recordset::readValue(int index, QVariant raw) const
{
    const int type = columns_[size_t(index)].type;
    if (type != dbDate && type != dbBoolean)
        return raw;
    if (raw.isNull() && raw.typeId() != QMetaType::QString)
        return QVariant();
    if (type == dbDate && raw.typeId() == QMetaType::QString)
        return fastStoredDate(raw.toString());
    if (type == dbBoolean && raw.typeId() == QMetaType::LongLong)
        return QVariant(qlonglong(raw.toLongLong() != 0 ? -1 : 0));
    return raw;
}

QVariant Recordset::value(int index) const
{
    if (index < 0 || index >= fieldCount())
        throw Error(errItemNotFound, QStringLiteral("Поле с номером %1 не найдено.").arg(index));
    if (mode_ != Mode::None)
        return readValue(index, buffer_[size_t(index)]);
    ensureCurrent();
    if (streaming_) {
        if (columns_[size_t(index)].type == dbDate && sqlite3_column_type(stmt_, index) == SQLITE_TEXT) {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
            const QDate d = isoDate(p, sqlite3_column_bytes(stmt_, index));
            if (d.isValid())
                return d;
        }
        return readValue(index, columnValue(index));
    }
    return readValue(index, cellValue(pos_, index));
}

QVariant Recordset::value(const QString& name) const
{
    return value(requireField(name));
}

QString Recordset::text(const QString& name) const
{
    return toText(value(name));
}

QVariant Recordset::convertForColumn(int index, const QVariant& v) const
{
    const ColumnInfo& c = columns_[size_t(index)];
    if (detail::isInvalidDate(v))
        throw Error(errTypeMismatch, QStringLiteral("Недопустимая дата для поля %1.").arg(c.name));
    if (isNull(v))
        return QVariant();
    const auto mismatch = [&]() {
        return Error(errTypeMismatch, QStringLiteral("Значение «%1» не подходит для поля %2.").arg(v.toString(), c.name));
    };
    switch (c.type) {
    case dbText:
    case dbMemo: {
        QString s;
        if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::Double)
            s = toText(v);
        else if (v.typeId() == QMetaType::Bool)
            s = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else
            s = v.toString();
        if (c.type == dbText && c.size > 0 && s.size() > c.size)
            throw Error(errFieldTooSmall, QStringLiteral("Значение поля %1 длиннее допустимого: не более %2 символов.")
                                              .arg(c.name)
                                              .arg(c.size));
        return s;
    }
    case dbLong:
    case dbInteger:
    case dbByte: {
        double d;
        if (v.typeId() == QMetaType::Bool) {
            d = v.toBool() ? -1 : 0;
        } else if (isNumberType(v.typeId())) {
            d = v.toDouble();
        } else {
            QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            s.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            d = s.toDouble(&ok);
            if (!ok)
                throw mismatch();
        }
        const double r = std::nearbyint(d);
        const double lo = c.type == dbByte ? 0 : (c.type == dbInteger ? -32768.0 : -2147483648.0);
        const double hi = c.type == dbByte ? 255 : (c.type == dbInteger ? 32767.0 : 2147483647.0);
        if (r < lo || r > hi)
            throw Error(errOverflow, QStringLiteral("Переполнение: значение %1 не помещается в поле %2.").arg(v.toString(), c.name));
        return QVariant(qlonglong(r));
    }
    case dbBoolean: {
        if (v.typeId() == QMetaType::Bool)
            return QVariant(qlonglong(v.toBool() ? -1 : 0));
        if (isNumberType(v.typeId()))
            return QVariant(qlonglong(v.toDouble() != 0 ? -1 : 0));
        const QString s = v.toString().trimmed().toLower();
        if (s.isEmpty())
            return QVariant();
        if (s == QLatin1String("true") || s == QStringLiteral("истина") || s == QStringLiteral("да") || s == QLatin1String("-1")
            || s == QLatin1String("1"))
            return QVariant(qlonglong(-1));
        if (s == QLatin1String("false") || s == QStringLiteral("ложь") || s == QStringLiteral("нет") || s == QLatin1String("0"))
            return QVariant(qlonglong(0));
        throw mismatch();
    }
    case dbDate: {
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? QVariant(v.toDate().toString(Qt::ISODate)) : QVariant();
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? QVariant(storedDate(v.toDateTime())) : QVariant();
        const QString s = v.toString().trimmed();
        if (s.isEmpty())
            return QVariant();
        for (const char* fmt : {"dd.MM.yyyy", "d.M.yyyy", "yyyy-MM-dd"}) {
            const QDate d = QDate::fromString(s, QString::fromLatin1(fmt));
            if (d.isValid())
                return d.toString(Qt::ISODate);
        }
        for (const char* fmt : {"dd.MM.yyyy HH:mm:ss", "dd.MM.yyyy H:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss"}) {
            const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(fmt));
            if (dt.isValid())
                return storedDate(dt);
        }
        throw mismatch();
    }
    default:
        if (v.typeId() == QMetaType::Bool)
            return QVariant(qlonglong(v.toBool() ? -1 : 0));
        return v;
    }
}

void Recordset::setValue(int index, const QVariant& v)
{
    if (index < 0 || index >= fieldCount())
        throw Error(errItemNotFound, QStringLiteral("Поле с номером %1 не найдено.").arg(index));
    if (mode_ == Mode::None)
        throw Error(errUpdateWithoutEdit, QStringLiteral("Запись не открыта для изменения (нет AddNew или Edit)."));
    const ColumnInfo& c = columns_[size_t(index)];
    if (c.table.isEmpty())
        throw Error(errNotUpdatable, QStringLiteral("Поле %1 вычисляется и не может быть изменено.").arg(c.name));
    if (c.isKey)
        throw Error(errNotUpdatable, QStringLiteral("Поле-счётчик %1 не может быть изменено.").arg(c.name));
    buffer_[size_t(index)] = convertForColumn(index, v);
    changed_[size_t(index)] = true;
}

void Recordset::setValue(const QString& name, const QVariant& v)
{
    setValue(requireField(name), v);
}

QString Recordset::baseTable() const
{
    QString table;
    for (const ColumnInfo& c : columns_) {
        if (c.table.isEmpty())
            continue;
        if (table.isEmpty())
            table = c.table;
        else if (table.compare(c.table, Qt::CaseInsensitive) != 0)
            throw Error(errNotUpdatable, QStringLiteral("В набор записей входят поля нескольких таблиц; добавлять и удалять записи нельзя."));
    }
    if (table.isEmpty())
        throw Error(errNotUpdatable, QStringLiteral("Набор записей не связан с таблицей."));
    return table;
}

int Recordset::keyColumnOf(const QString& table) const
{
    for (int i = 0; i < fieldCount(); ++i)
        if (columns_[size_t(i)].isKey && columns_[size_t(i)].table.compare(table, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Recordset::addNew()
{
    ensureUpdatable();
    const QString table = baseTable();
    materialize();
    buffer_.assign(columns_.size(), QVariant());
    changed_.assign(columns_.size(), false);
    const int key = keyColumnOf(table);
    if (key >= 0)
        buffer_[size_t(key)] = QVariant(db_->nextKey(table, keyQueries_));
    mode_ = Mode::Add;
}

void Recordset::edit()
{
    ensureUpdatable();
    ensureCurrent();
    materialize();
    buffer_.clear();
    for (int i = 0; i < fieldCount(); ++i)
        buffer_.push_back(cellValue(pos_, i));
    changed_.assign(columns_.size(), false);
    mode_ = Mode::Edit;
}

void Recordset::update()
{
    if (mode_ == Mode::None)
        throw Error(errUpdateWithoutEdit, QStringLiteral("Запись не открыта для изменения (нет AddNew или Edit)."));
    if (mode_ == Mode::Add) {
        const QString table = baseTable();
        const int key = keyColumnOf(table);
        std::vector<bool> written(columns_.size(), false);
        QVariantList params;
        for (int i = 0; i < fieldCount(); ++i) {
            if (i != key && !changed_[size_t(i)])
                continue;
            written[size_t(i)] = true;
            params << buffer_[size_t(i)];
        }
        // Rows added one after another write the same columns: the INSERT
        // is prepared once for them.
        auto kept = std::find_if(inserts_.begin(), inserts_.end(), [&](const auto& e) { return e.first == written; });
        if (kept == inserts_.end()) {
            QStringList cols, marks;
            for (int i = 0; i < fieldCount(); ++i)
                if (written[size_t(i)]) {
                    cols << quoteIdent(columns_[size_t(i)].origin);
                    marks << QStringLiteral("?");
                }
            const QString sql = cols.isEmpty()
                                    ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdent(table))
                                    : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(quoteIdent(table), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            bool ddl = false;
            inserts_.emplace_back(written, db_->prepare(detail::translateStatement(sql, &ddl)));
            kept = std::prev(inserts_.end());
        }
        db_->runKept(kept->second, params);
        if (key < 0) {
            // Without the key in the result the row cannot be shown again.
        } else {
            for (int i = 0; i < fieldCount(); ++i)
                cells_.push_back(encode(buffer_[size_t(i)]));
            deleted_.push_back(false);
        }
    } else {
        // Group the changed fields by the table they belong to.
        QHash<QString, QList<int>> byTable;
        for (int i = 0; i < fieldCount(); ++i)
            if (changed_[size_t(i)])
                byTable[columns_[size_t(i)].table.toUpper()].push_back(i);
        for (auto it = byTable.cbegin(); it != byTable.cend(); ++it) {
            const QString table = columns_[size_t(it.value().first())].table;
            const int key = keyColumnOf(table);
            if (key < 0)
                throw Error(errNotUpdatable, QStringLiteral("В наборе записей нет ключа таблицы %1; изменить запись нельзя.").arg(table));
            QStringList sets;
            QVariantList params;
            for (int i : it.value()) {
                sets << quoteIdent(columns_[size_t(i)].origin) + QStringLiteral("=?");
                params << buffer_[size_t(i)];
            }
            params << cellValue(pos_, key);
            db_->execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                             .arg(quoteIdent(table), sets.join(QStringLiteral(", ")), quoteIdent(columns_[size_t(key)].origin)),
                         params);
        }
        for (int i = 0; i < fieldCount(); ++i)
            cell(pos_, i) = encode(buffer_[size_t(i)]);
    }
    mode_ = Mode::None;
}

void Recordset::cancelUpdate()
{
    mode_ = Mode::None;
}

void Recordset::deleteCurrent()
{
    ensureUpdatable();
    ensureCurrent();
    const QString table = baseTable();
    const int key = keyColumnOf(table);
    if (key < 0)
        throw Error(errNotUpdatable, QStringLiteral("В наборе записей нет ключа таблицы %1; удалить запись нельзя.").arg(table));
    materialize();
    db_->execute(QStringLiteral("DELETE FROM %1 WHERE %2=?").arg(quoteIdent(table), quoteIdent(columns_[size_t(key)].origin)),
                 {cellValue(pos_, key)});
    deleted_[size_t(pos_)] = true;
    mode_ = Mode::None;
}

void Recordset::finalizeKept()
{
    for (auto& e : inserts_)
        sqlite3_finalize(e.second);
    inserts_.clear();
    sqlite3_finalize(keyQueries_.sequence);
    sqlite3_finalize(keyQueries_.largest);
    keyQueries_ = {};
}

void Recordset::close()
{
    finalizeStatement();
    finalizeKept();
    if (db_)
        db_->openRecordsets_.erase(this);
    db_ = nullptr;
    mode_ = Mode::None;
}

} // namespace jet
