#include "core/DatabaseStructure.h"

#include "platform/jet/Jet.h"

namespace core {

using namespace jet;

const std::array<const char*, 13> DdlTypeWords{
    "COUNTER",   // 0
    "BIT",       // 1 Boolean
    "BYTE",      // 2 Byte
    "SMALLINT",  // 3 Integer
    "INTEGER",   // 4 Long
    "",          // 5
    "SINGLE",    // 6
    "",          // 7
    "DATETIME",  // 8 Date
    "",          // 9
    "STRING",    // 10 Text
    "",          // 11
    "MEMO",      // 12 Memo
};

namespace {

// Short forms for the tables below.
constexpr int Key = dbAutoNumberKey;
constexpr int Fix = dbFixedField;
constexpr int Var = dbVariableField;

// ---- core tables -----------------------------------------------------------

constexpr ColumnSpec kInf[] = {
    {"IDLU", dbLong, 4, Key},
    {"IDT", dbLong, 4, Fix},
    {"REF", dbLong, 4, Fix},
    {"appMajor", dbLong, 4, Fix},
    {"appMinor", dbLong, 4, Fix},
    {"appRevision", dbLong, 4, Fix},
    {"AREF", dbBoolean, 1, Fix},
    {"ASEC", dbInteger, 2, Fix},
    {"LEVEL2", dbLong, 4, Fix},
};

constexpr ColumnSpec kSpgrup[] = {
    {"IDG", dbLong, 4, Key},
    {"NAIM", dbText, 100, Var},
    {"MEMO", dbMemo, 0, Var},
};
constexpr IndexSpec kSpgrupIdx[] = {{"PrimaryKey", "+IDG"}};

constexpr ColumnSpec kSpstud[] = {
    {"ID", dbLong, 4, Key},
    {"IDG", dbLong, 4, Fix},
    {"FAM", dbText, 100, Var},
    {"IM", dbText, 100, Var},
    {"OTCH", dbText, 100, Var},
    {"MEMO", dbMemo, 0, Var},
};
constexpr IndexSpec kSpstudIdx[] = {{"PrimaryKey", "+ID"}};

constexpr ColumnSpec kSptpgr[] = {
    {"IDT", dbLong, 4, Key},
    {"NAIM", dbText, 255, Var},
};
constexpr IndexSpec kSptpgrIdx[] = {{"PrimaryKey", "+IDT"}};

constexpr ColumnSpec kUsers[] = {
    {"IDU", dbLong, 4, Key},
    {"NAIM", dbText, 50, Var},
    {"ROLE", dbByte, 1, Fix},
    {"PSSW", dbText, 15, Var},
    {"MEMO", dbMemo, 0, Var},
};
constexpr IndexSpec kUsersIdx[] = {{"PrimaryKey", "+IDU"}};

const TableDescriptor kCoreTables[] = {
    {"INF", kInf, {}},
    {"SPGRUP", kSpgrup, kSpgrupIdx},
    {"SPSTUD", kSpstud, kSpstudIdx},
    {"SPTPGR", kSptpgr, kSptpgrIdx},
    {"USERS", kUsers, kUsersIdx},
};

// ---- added tables ----------------------------------------------------------

constexpr ColumnSpec kSpmed[] = {
    {"IDM", dbLong, 4, Key},
    {"NAIM", dbText, 255, Var},
    {"LEVEL2", dbLong, 4, Fix},
};

constexpr ColumnSpec kSppred[] = {
    {"IDD", dbLong, 4, Key},
    {"NAIM", dbMemo, 0, Var},
    {"isNotPred", dbBoolean, 1, Fix},
};

constexpr ColumnSpec kExam[] = {
    {"IDE", dbLong, 4, Key},
    {"SORT", dbLong, 4, Fix},
    {"ID", dbLong, 4, Fix},
    {"IDD", dbLong, 4, Fix},
    {"NAIM", dbMemo, 0, Var},
    {"CH", dbText, 50, Var},
    {"IDB", dbLong, 4, Fix},
    {"IDZ", dbLong, 4, Fix},
    {"LINE", dbBoolean, 1, Fix},
    {"kursovaya", dbBoolean, 1, Fix},
    {"VidDokum", dbLong, 4, Fix},
};

constexpr ColumnSpec kSpball[] = {
    {"IDB", dbLong, 4, Key},
    {"OCEN", dbText, 1, Var},
    {"NAIM", dbText, 100, Var},
};

constexpr ColumnSpec kSpnagr[] = {
    {"IDN", dbLong, 4, Key},
    {"SORT", dbLong, 4, Fix},
    {"IDG", dbLong, 4, Fix},
    {"IDD", dbLong, 4, Fix},
    {"NAIM", dbMemo, 0, Var},
    {"CH", dbText, 50, Var},
    {"IDZ", dbLong, 4, Fix},
    {"kursovaya", dbBoolean, 1, Fix},
};

// NAIM is created at 50 and widened to 255 right afterwards.
constexpr ColumnSpec kSpotd[] = {
    {"IDO", dbLong, 4, Key},
    {"NAIM", dbText, 50, Var},
    {"KVAL", dbMemo, 0, Var},
    {"NormTime", dbText, 100, Var},
    {"IDX", dbLong, 4, Fix},
    {"IDF", dbLong, 4, Fix},
    {"MEMO", dbMemo, 0, Var},
};

constexpr ColumnSpec kSpvdoc[] = {
    {"IDV", dbLong, 4, Key},
    {"NAIM", dbText, 255, Var},
};

constexpr ColumnSpec kSpform[] = {
    {"IDF", dbLong, 4, Key},
    {"NAIM", dbText, 255, Var},
    {"NAIM2", dbText, 255, Var},
};

constexpr ColumnSpec kSpur[] = {
    {"IDX", dbLong, 4, Key},
    {"NAIM", dbText, 255, Var},
};

constexpr ColumnSpec kSpuch[] = {
    {"IDZ", dbLong, 4, Key},
    {"NAIM", dbText, 50, Var},
    {"MEMO", dbMemo, 0, Var},
    {"IZ", dbLong, 4, Fix},
};

const TableDescriptor kAddedTables[] = {
    {"SPMED", kSpmed, {}},
    {"SPPRED", kSppred, {}},
    {"EXAM", kExam, {}},
    {"SPBALL", kSpball, {}},
    {"SPNAGR", kSpnagr, {}},
    {"SPOTD", kSpotd, {}},
    {"SPVDOC", kSpvdoc, {}},
    {"SPFORM", kSpform, {}},
    {"SPUR", kSpur, {}},
    {"SPUCH", kSpuch, {}},
};

// ---- added columns ---------------------------------------------------------
// Appended at the end of their tables with the engine's default attributes.

constexpr ColumnSpec kInfAdded1[] = {
    {"OOo", dbLong, 4, 0},
    {"NAIM", dbMemo, 0, 0},
    {"Change", dbMemo, 0, 0},
    {"FIORUK", dbText, 0, 0},  // size 0: the engine's default Text length
    {"isIO", dbBoolean, 1, 0},
    {"DRUO", dbText, 255, 0},
    {"TopPronter", dbLong, 4, 0},
    {"TaimOut", dbLong, 4, 0},
};

constexpr ColumnSpec kSpstudAdded[] = {
    {"REGNOMMED", dbText, 30, 0},
    {"NOMMED", dbText, 13, 0},
    {"DUBLMED", dbBoolean, 1, 0},
    {"GETMED", dbText, 255, 0},
    {"POSTMED", dbText, 255, 0},
    {"REGNOMMEDF", dbText, 30, 0},
    {"regnomDoc", dbText, 30, 0},
    {"DIPL", dbText, 30, 0},
    {"Dat", dbDate, 8, 0},
    {"PROTCH", dbText, 255, 0},
    {"FamD", dbText, 100, 0},
    {"ImD", dbText, 100, 0},
    {"OtchD", dbText, 100, 0},
    {"D_R", dbDate, 8, 0},
    {"M_R", dbText, 255, 0},
    {"DocYr", dbLong, 4, 0},
    {"DocS", dbText, 30, 0},
    {"DocN", dbText, 30, 0},
    {"IDV", dbLong, 4, 0},
    {"PosYr", dbLong, 4, 0},
    {"PosOU", dbLong, 4, 0},
    {"ZavYr", dbLong, 4, 0},
    {"ZavOU", dbLong, 4, 0},
    {"Otl", dbBoolean, 1, 0},
    {"DOPOL", dbMemo, 0, 0},
    {"SPUR", dbText, 255, 0},
    {"IDUR", dbLong, 4, 0},
    {"SPEC", dbMemo, 0, 0},
    {"KVAL", dbMemo, 0, 0},
    {"PRIL", dbText, 255, 0},
    {"POST", dbText, 255, 0},
    {"GETDIPL", dbText, 255, 0},
    {"DUBL", dbBoolean, 1, 0},
    {"isForm", dbBoolean, 1, 0},
    {"isSokr", dbBoolean, 1, 0},
    {"REGNOM", dbText, 30, 0},
    {"REGNOMF", dbText, 30, 0},
    {"regnomUd", dbText, 30, 0},
};

constexpr ColumnSpec kSpgrupAdded[] = {
    {"DatMed", dbDate, 8, 0},
    {"DatGAKMed", dbDate, 8, 0},
    {"PRGAKMed", dbText, 50, 0},
    {"IDM", dbLong, 4, 0},
    {"date_S", dbDate, 8, 0},
    {"date_Po", dbDate, 8, 0},
    {"IDO", dbLong, 4, 0},
    {"IDF", dbLong, 4, 0},
    {"Dat", dbDate, 8, 0},
    {"DatGAK", dbDate, 8, 0},
    {"KVAL", dbMemo, 0, 0},
    {"Spec", dbMemo, 0, 0},
    {"FIOGAK", dbText, 100, 0},
    {"FIOSEK", dbText, 100, 0},
    {"NormTime", dbText, 100, 0},
    {"IDX", dbLong, 4, 0},
    {"DOPOL", dbMemo, 0, 0},
    {"PRGAK", dbText, 255, 0},
    {"PRIKAZDAT", dbDate, 8, 0},
    {"PRIKAZNOM", dbText, 255, 0},
};

constexpr ColumnSpec kInfAdded2[] = {
    {"NAIMMED", dbMemo, 0, 0},
    {"GORODMED", dbText, 255, 0},
};

constexpr ColumnSpec kSptpgrAdded[] = {
    {"oTmp5", dbText, 255, 0},
    {"Tmp5", dbText, 255, 0},
    {"oTmp7", dbText, 255, 0},
    {"Tmp7", dbText, 255, 0},
    {"oTmp8", dbText, 255, 0},
    {"Tmp8", dbText, 255, 0},
    {"oTmp9", dbText, 255, 0},
    {"Tmp9", dbText, 255, 0},
};

const TableDescriptor kAddedColumns[] = {
    {"INF", kInfAdded1, {}},
    {"SPSTUD", kSpstudAdded, {}},
    {"SPGRUP", kSpgrupAdded, {}},
    {"INF", kInfAdded2, {}},
    {"SPTPGR", kSptpgrAdded, {}},
};

// ---- widened columns -------------------------------------------------------

constexpr ColumnSpec kSpotdWidened[] = {
    {"NAIM", dbText, 255, Var},
};

const TableDescriptor kWidenedColumns[] = {
    {"SPOTD", kSpotdWidened, {}},
};

// ---- search indexes --------------------------------------------------------

constexpr IndexSpec kExamSearch[] = {
    {"PersonKindDiscipline", "+ID;+VidDokum;+IDD"},
    {"Discipline", "+IDD"},
    {"DocumentKind", "+VidDokum"},
};
constexpr IndexSpec kSpstudSearch[] = {{"GroupId", "+IDG"}};
constexpr IndexSpec kSpnagrSearch[] = {{"GroupId", "+IDG"}};

const TableDescriptor kSearchIndexes[] = {
    {"EXAM", {}, kExamSearch},
    {"SPSTUD", {}, kSpstudSearch},
    {"SPNAGR", {}, kSpnagrSearch},
};

// "A, B" from "+A;+B": blank parts dropped, "+" removed.
QString indexFieldList(const IndexSpec& idx)
{
    QStringList fields;
    for (QString part : idx.fieldText().split(QLatin1Char(';'))) {
        part = part.trimmed();
        if (part.isEmpty())
            continue;
        fields << part.remove(QLatin1Char('+'));
    }
    return fields.join(QStringLiteral(", "));
}

} // namespace

std::span<const TableDescriptor> CoreTables() { return kCoreTables; }
std::span<const TableDescriptor> SearchIndexes() { return kSearchIndexes; }
std::span<const TableDescriptor> AddedTables() { return kAddedTables; }
std::span<const TableDescriptor> AddedColumns() { return kAddedColumns; }
std::span<const TableDescriptor> WidenedColumns() { return kWidenedColumns; }

const TableDescriptor* FindTableDescriptor(const QString& tableName)
{
    for (auto group : {CoreTables(), AddedTables()}) {
        for (const TableDescriptor& t : group) {
            if (t.tableName().compare(tableName, Qt::CaseInsensitive) == 0)
                return &t;
        }
    }
    return nullptr;
}

QString SqlTypeOf(const ColumnSpec& column)
{
    if (column.attributes == dbAutoNumberKey)
        return QString::fromUtf8(DdlTypeWords[0]);
    QString word;
    if (column.type >= 0 && column.type < int(DdlTypeWords.size()))
        word = QString::fromUtf8(DdlTypeWords[size_t(column.type)]);
    if (column.type == dbText)
        word += QStringLiteral("(%1)").arg(column.size);
    return word;
}

QString CreateTableSql(const TableDescriptor& table)
{
    QStringList parts;
    for (const ColumnSpec& c : table.columns)
        parts << QStringLiteral("[%1] %2").arg(c.columnName(), SqlTypeOf(c));
    const QString columns = parts.join(QStringLiteral(", "));
    if (columns.isEmpty())
        return {};
    return QStringLiteral("CREATE TABLE %1 (%2);").arg(table.tableName(), columns);
}

QStringList CreateIndexSql(const TableDescriptor& table)
{
    QStringList out;
    for (const IndexSpec& idx : table.indexes) {
        const QString fields = indexFieldList(idx);
        if (fields.isEmpty())
            continue;
        out << QStringLiteral("CREATE INDEX %1 ON %2 (%3) WITH PRIMARY;").arg(idx.indexName(), table.tableName(), fields);
    }
    return out;
}

QStringList CoreTableStatements()
{
    QStringList out;
    for (const TableDescriptor& t : CoreTables()) {
        const QString create = CreateTableSql(t);
        if (!create.isEmpty())
            out << create;
        out << CreateIndexSql(t);
    }
    return out;
}

QStringList CreateSearchIndexSql(const TableDescriptor& table)
{
    QStringList out;
    for (const IndexSpec& idx : table.indexes) {
        const QString fields = indexFieldList(idx);
        if (!fields.isEmpty())
            out << QStringLiteral("CREATE INDEX %1 ON %2 (%3);").arg(idx.indexName(), table.tableName(), fields);
    }
    return out;
}

} // namespace core
