#include "platform/jet/TypeMapping.h"

#include <QRegularExpression>

namespace jet::detail {
namespace {

const QString kIndexSeparator = QStringLiteral("__");

// Declared type words. Each keeps the affinity the values need: INTEGER for
// numbers, TEXT for text and dates (so "0012" stays text).
const QString kKeyType = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
const QString kLongType = QStringLiteral("INTEGER");
const QString kIntegerType = QStringLiteral("SMALLINT");
const QString kByteType = QStringLiteral("TINYINT");
const QString kBooleanType = QStringLiteral("BOOLINT");
const QString kDateType = QStringLiteral("DATETEXT");
const QString kTextType = QStringLiteral("VARCHAR");
const QString kMemoType = QStringLiteral("LONGTEXT");

FieldDef jetWordToField(const QString& name, const QString& word, int size)
{
    const QString w = word.toUpper();
    FieldDef f;
    f.name = name;
    if (w == QLatin1String("COUNTER") || w == QLatin1String("AUTOINCREMENT")) {
        f.type = dbLong;
        f.attributes = dbAutoNumberKey;
    } else if (w == QLatin1String("INTEGER") || w == QLatin1String("LONG") || w == QLatin1String("INT")) {
        f.type = dbLong;
    } else if (w == QLatin1String("SMALLINT") || w == QLatin1String("SHORT")) {
        f.type = dbInteger;
    } else if (w == QLatin1String("BYTE") || w == QLatin1String("TINYINT")) {
        f.type = dbByte;
    } else if (w == QLatin1String("BIT") || w == QLatin1String("YESNO") || w == QLatin1String("LOGICAL")) {
        f.type = dbBoolean;
    } else if (w == QLatin1String("DATETIME") || w == QLatin1String("DATE")) {
        f.type = dbDate;
    } else if (w == QLatin1String("MEMO") || w == QLatin1String("LONGTEXT")) {
        f.type = dbMemo;
    } else if (w == QLatin1String("STRING") || w == QLatin1String("TEXT") || w == QLatin1String("VARCHAR")
               || w == QLatin1String("CHAR")) {
        f.type = dbText;
        f.size = size > 0 ? size : 255;
    } else {
        throw Error(errSyntax, QStringLiteral("Неизвестный тип данных: %1").arg(word));
    }
    if (f.type != dbText)
        f.size = defaultSize(f.type);
    if (f.attributes == 0)
        f.attributes = defaultAttributes(f.type);
    return f;
}

// Splits at commas that are not inside parentheses or brackets.
QStringList splitTopLevel(const QString& s)
{
    QStringList parts;
    int depth = 0;
    bool inBracket = false;
    QString cur;
    for (QChar c : s) {
        if (c == QLatin1Char('[')) inBracket = true;
        else if (c == QLatin1Char(']')) inBracket = false;
        else if (!inBracket && c == QLatin1Char('(')) ++depth;
        else if (!inBracket && c == QLatin1Char(')')) --depth;
        if (c == QLatin1Char(',') && depth == 0 && !inBracket) {
            parts << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.trimmed().isEmpty())
        parts << cur;
    return parts;
}

QString unbracket(QString name)
{
    name = name.trimmed();
    if ((name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        || (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))))
        name = name.mid(1, name.size() - 2);
    return name;
}

// "[NAIM] STRING(100)" → field definition.
FieldDef parseJetColumn(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\[[^\]]+\]|"[^"]+"|\S+)\s+([A-Za-z]+)\s*(?:\(\s*(\d+)\s*\))?\s*(.*)$)"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        throw Error(errSyntax, QStringLiteral("Ошибка в описании поля: %1").arg(text.trimmed()));
    if (!m.captured(4).trimmed().isEmpty()) {
        const QString rest = m.captured(4).trimmed().toUpper();
        if (rest != QLatin1String("PRIMARY KEY") && rest != QLatin1String("NOT NULL"))
            throw Error(errSyntax, QStringLiteral("Ошибка в описании поля: %1").arg(text.trimmed()));
    }
    return jetWordToField(unbracket(m.captured(1)), m.captured(2), m.captured(3).toInt());
}

} // namespace

QString storedDate(const QDateTime& dt)
{
    return dt.time() == QTime(0, 0) ? dt.date().toString(Qt::ISODate) : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool isWholeNumberType(int typeId)
{
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::SChar: return true;
    default: return false;
    }
}

bool isNumberType(int typeId)
{
    return isWholeNumberType(typeId) || typeId == QMetaType::Double || typeId == QMetaType::Float;
}

QString quoteIdent(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

bool isInvalidDate(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDate)
        return !value.toDate().isValid();
    if (value.typeId() == QMetaType::QDateTime)
        return !value.toDateTime().isValid();
    return false;
}

namespace {

// A column rule, named "<kind>:<column>" so that a refusal tells its kind
// and column: "type" (a value of another type), "range" (a number too large
// for the column), "len" (a text too long).
QString rule(const char* kind, const FieldDef& field, const QString& condition)
{
    return QStringLiteral(" CONSTRAINT %1 CHECK(%2)")
        .arg(quoteIdent(QString::fromLatin1(kind) + QLatin1Char(':') + field.name), condition);
}

// Whole numbers only (the column's affinity has already turned number texts
// into numbers), within the range of the Jet type.
QString wholeNumberRules(const FieldDef& field, qlonglong low, qlonglong high)
{
    const QString q = quoteIdent(field.name);
    return rule("type", field, QStringLiteral("typeof(%1) IN ('integer','null')").arg(q))
        + rule("range", field, QStringLiteral("%1 BETWEEN %2 AND %3").arg(q).arg(low).arg(high));
}

} // namespace

QString columnDefinition(const FieldDef& field)
{
    const QString q = quoteIdent(field.name);
    if ((field.attributes & dbAutoIncrField) != 0)
        return q + QLatin1Char(' ') + kKeyType;
    switch (field.type) {
    case dbBoolean:
        return q + QLatin1Char(' ') + kBooleanType + rule("type", field, QStringLiteral("typeof(%1) IN ('integer','null')").arg(q));
    case dbByte: return q + QLatin1Char(' ') + kByteType + wholeNumberRules(field, 0, 255);
    case dbInteger: return q + QLatin1Char(' ') + kIntegerType + wholeNumberRules(field, -32768, 32767);
    case dbLong: return q + QLatin1Char(' ') + kLongType + wholeNumberRules(field, -2147483648LL, 2147483647LL);
    case dbDate:
        // A stored date is "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss" of a day that exists.
        return q + QLatin1Char(' ') + kDateType
            + rule("type", field,
                   QStringLiteral("%1 IS NULL OR (typeof(%1)='text' AND coalesce(date(%1)=substr(%1,1,10),0) "
                                  "AND (length(%1)=10 OR coalesce(datetime(%1)=%1,0)))")
                       .arg(q));
    case dbMemo: return q + QLatin1Char(' ') + kMemoType + QStringLiteral(" COLLATE RU");
    case dbText: {
        // Every character counts, a NUL included (length() alone stops at one).
        const int size = field.size > 0 ? field.size : 255;
        return QStringLiteral("%1 %2(%3) COLLATE RU").arg(q, kTextType).arg(size)
            + rule("len", field, QStringLiteral("textlength(%1)<=%2").arg(q).arg(size));
    }
    default:
        throw Error(errTypeMismatch, QStringLiteral("Неподдерживаемый тип поля %1: %2").arg(field.name).arg(field.type));
    }
}

FieldDef fieldFromDeclared(const QString& name, const QString& declaredType, bool primaryKey)
{
    FieldDef f;
    f.name = name;
    const QString t = declaredType.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral(R"(^([A-Z_]+)\s*\(\s*(\d+)\s*\))"));
    const auto m = sized.match(t);
    const QString word = m.hasMatch() ? m.captured(1) : t.section(QLatin1Char(' '), 0, 0);
    if (word == kLongType || word == QLatin1String("INT")) {
        f.type = dbLong;
        f.attributes = primaryKey ? int(dbAutoNumberKey) : int(dbFixedField);
    } else if (word == kIntegerType) {
        f.type = dbInteger;
    } else if (word == kByteType) {
        f.type = dbByte;
    } else if (word == kBooleanType) {
        f.type = dbBoolean;
    } else if (word == kDateType) {
        f.type = dbDate;
    } else if (word == kMemoType) {
        f.type = dbMemo;
    } else if (word == kTextType) {
        f.type = dbText;
        f.size = m.hasMatch() ? m.captured(2).toInt() : 255;
    } else if (word.contains(QLatin1String("INT"))) {
        f.type = dbLong;
    } else if (word.contains(QLatin1String("CHAR")) || word.contains(QLatin1String("TEXT"))
               || word.contains(QLatin1String("CLOB"))) {
        f.type = dbMemo;
    } else {
        f.type = 7;  // double
        f.size = 8;
        f.attributes = dbFixedField;
    }
    if (f.type != dbText && f.size == 0)
        f.size = defaultSize(f.type);
    if (f.attributes == 0)
        f.attributes = defaultAttributes(f.type);
    return f;
}

QString storedIndexName(const QString& table, const QString& index)
{
    return table.toUpper() + kIndexSeparator + index;
}

QString indexNameFromStored(const QString& table, const QString& stored)
{
    const QString prefix = table.toUpper() + kIndexSeparator;
    if (stored.startsWith(prefix, Qt::CaseInsensitive))
        return stored.mid(prefix.size());
    return stored;
}

QString translateStatement(const QString& sql, bool* isDdl)
{
    *isDdl = false;
    static const QRegularExpression createTable(
        QStringLiteral(R"(^\s*CREATE\s+TABLE\s+(\[[^\]]+\]|"[^"]+"|\S+)\s*\((.*)\)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression createIndex(
        QStringLiteral(R"(^\s*CREATE\s+(UNIQUE\s+)?INDEX\s+(\[[^\]]+\]|"[^"]+"|\S+)\s+ON\s+(\[[^\]]+\]|"[^"]+"|[^\s(]+)\s*\(([^)]*)\)\s*(WITH\s+PRIMARY)?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression addColumn(
        QStringLiteral(R"(^\s*ALTER\s+TABLE\s+(\[[^\]]+\]|"[^"]+"|\S+)\s+ADD\s+(?:COLUMN\s+)?(.*?)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression otherDdl(QStringLiteral(R"(^\s*(ALTER|DROP|CREATE)\s)"),
                                             QRegularExpression::CaseInsensitiveOption);

    if (auto m = createTable.match(sql); m.hasMatch()) {
        *isDdl = true;
        const QString table = unbracket(m.captured(1));
        QStringList defs;
        bool hasKey = false;
        for (const QString& col : splitTopLevel(m.captured(2))) {
            FieldDef f = parseJetColumn(col);
            if (f.attributes == dbAutoNumberKey) {
                if (hasKey)
                    throw Error(errSyntax, QStringLiteral("В таблице %1 больше одного поля-счётчика.").arg(table));
                hasKey = true;
            }
            defs << columnDefinition(f);
        }
        return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdent(table), defs.join(QStringLiteral(", ")));
    }
    if (auto m = createIndex.match(sql); m.hasMatch()) {
        *isDdl = true;
        const QString table = unbracket(m.captured(3));
        const QString index = unbracket(m.captured(2));
        const bool unique = !m.captured(1).isEmpty() || !m.captured(5).isEmpty();
        QStringList cols;
        for (const QString& c : m.captured(4).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            QString col = c.trimmed();
            QString dir;
            if (col.endsWith(QLatin1String(" DESC"), Qt::CaseInsensitive)) {
                dir = QStringLiteral(" DESC");
                col.chop(5);
            } else if (col.endsWith(QLatin1String(" ASC"), Qt::CaseInsensitive)) {
                col.chop(4);
            }
            cols << quoteIdent(unbracket(col)) + dir;
        }
        return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
            .arg(unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(storedIndexName(table, index)),
                 quoteIdent(table), cols.join(QStringLiteral(", ")));
    }
    if (auto m = addColumn.match(sql); m.hasMatch()) {
        *isDdl = true;
        const FieldDef f = parseJetColumn(m.captured(2));
        return QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdent(unbracket(m.captured(1))), columnDefinition(f));
    }
    if (otherDdl.match(sql).hasMatch())
        *isDdl = true;
    return sql;
}

} // namespace jet::detail
