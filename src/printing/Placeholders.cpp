#include "printing/Placeholders.h"

#include "core/AppState.h"
#include "core/DatabaseStructure.h"
#include "core/TextHelpers.h"
#include "platform/jet/Jet.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace printing {

namespace {

using S = PlaceholderSource;
using F = PlaceholderForm;

using Row = QVariantMap DocumentData::*;

// The rows a document is filled from: the table, the member of
// DocumentData that holds the row, the token's prefix (none for the person),
// the heading of its part of the help pages, and how the row is reached: by
// the value of `fromColumn` of the row `from` looked up in `key`. A row
// reached by key leaves its key out (the referring column has it).
struct SourceSpec {
    PlaceholderSource source;
    const char* table;
    Row row;
    const char* prefix;
    const char* heading;
    Row from;
    const char* fromColumn;  // nullptr: the person by the printed id, the institution's only row
    const char* key;
    bool lookUp;
};

using D = DocumentData;
const SourceSpec kSources[] = {
    {S::Person, "SPSTUD", &D::person, "", "Человек", &D::person, nullptr, "ID", false},
    {S::DocumentKind, "SPVDOC", &D::documentKind, "ВИДДОК", "Документ человека о предыдущем образовании (по полю IDV)",
     &D::person, "IDV", "IDV", true},
    {S::AdmissionInstitution, "SPUCH", &D::admission, "ПОСТУПЛ",
     "Учебное заведение, в которое человек поступил (по полю PosOU)", &D::person, "PosOU", "IDZ", true},
    {S::CompletionInstitution, "SPUCH", &D::completion, "ОКОНЧ",
     "Учебное заведение, которое человек окончил (по полю ZavOU)", &D::person, "ZavOU", "IDZ", true},
    {S::Group, "SPGRUP", &D::group, "SPGRUP", "Группа человека", &D::person, "IDG", "IDG", false},
    {S::StudyForm, "SPFORM", &D::studyForm, "ФОРМА", "Форма обучения группы (по полю SPGRUP.IDF)", &D::group, "IDF",
     "IDF", true},
    {S::TrainingLevel, "SPUR", &D::trainingLevel, "УРОВЕНЬ", "Уровень подготовки группы (по полю SPGRUP.IDX)",
     &D::group, "IDX", "IDX", true},
    {S::Specialty, "SPOTD", &D::specialty, "SPOTD", "Специальность группы", &D::group, "IDO", "IDO", false},
    {S::MedicalSpecialty, "SPMED", &D::medicalSpecialty, "SPMED", "Медицинская специальность группы", &D::group,
     "IDM", "IDM", false},
    {S::Institution, "INF", &D::institution, "INF", "Учреждение", &D::institution, nullptr, "IDLU", false},
    {S::PrintingHouse, "SPTPGR", &D::printingHouse, "SPTPGR", "Типография, выбранная в карточке учреждения",
     &D::institution, "IDT", "IDT", false},
};

// What each column stands for, by the token's prefix and the column; for a
// yes/no column also the word written when it is set ("да" without one);
// `service` marks what no blank carries (record keys, the program's and the
// printer's codes, the printing house's templates), listed apart.
struct Meaning {
    const char* prefix;
    const char* column;
    const char* meaning;
    const char* flagWord;
    bool service = false;
};

// What [INF.isIO] prints, and [РУКОВОДИТЕЛЬ] before an acting head's name.
constexpr const char* kActingHead = "и.о.";

const Meaning kMeanings[] = {
    {"", "ID", "номер записи человека в базе данных", nullptr, true},
    {"", "IDG", "номер записи группы человека", nullptr, true},
    {"", "FAM", "фамилия", nullptr},
    {"", "IM", "имя", nullptr},
    {"", "OTCH", "отчество", nullptr},
    {"", "MEMO", "примечание", nullptr},
    {"", "REGNOMMED", "регистрационный номер сертификата", nullptr},
    {"", "NOMMED", "серия и номер бланка сертификата", nullptr},
    {"", "DUBLMED", "«ДУБЛИКАТ», если сертификат выдан как дубликат", "ДУБЛИКАТ"},
    {"", "GETMED", "доверенное лицо, получающее сертификат", nullptr},
    {"", "POSTMED", "дата и номер почтовой квитанции об отправке сертификата", nullptr},
    {"", "REGNOMMEDF", "цифры регистрационного номера сертификата", nullptr, true},
    {"", "regnomDoc", "регистрационный номер документа о переподготовке", nullptr},
    {"", "DIPL", "код, серия и номер бланка документа", nullptr},
    {"", "Dat", "дата выдачи документа", nullptr},
    {"", "PROTCH", "номер и дата приказа об отчислении", nullptr},
    {"", "FamD", "фамилия в дательном падеже (если она не записана в карточке, образуется из фамилии)", nullptr},
    {"", "ImD", "имя в дательном падеже (если оно не записано в карточке, образуется из имени)", nullptr},
    {"", "OtchD", "отчество в дательном падеже (если оно не записано в карточке, образуется из отчества)", nullptr},
    {"", "D_R", "дата рождения", nullptr},
    {"", "M_R", "место рождения", nullptr},
    {"", "DocYr", "год выдачи документа о предыдущем образовании", nullptr},
    {"", "DocS", "серия документа о предыдущем образовании", nullptr},
    {"", "DocN", "номер документа о предыдущем образовании", nullptr},
    {"", "IDV", "номер записи вида документа о предыдущем образовании", nullptr, true},
    {"", "PosYr", "год поступления", nullptr},
    {"", "PosOU", "номер записи учебного заведения, в которое человек поступил", nullptr, true},
    {"", "ZavYr", "год окончания", nullptr},
    {"", "ZavOU", "номер записи учебного заведения, которое человек окончил", nullptr, true},
    {"", "Otl", "«с отличием», если документ выдан с отличием", "с отличием"},
    {"", "DOPOL", "дополнительные сведения", nullptr},
    {"", "SPUR", "не используется", nullptr, true},
    {"", "IDUR", "не используется", nullptr, true},
    {"", "SPEC", "специальность человека", nullptr},
    {"", "KVAL", "квалификация человека", nullptr},
    {"", "PRIL", "коды, серии и номера бланков приложения", nullptr},
    {"", "POST", "дата и номер почтовой отправки документа", nullptr},
    {"", "GETDIPL", "доверенное лицо, получающее документ", nullptr},
    {"", "DUBL", "«ДУБЛИКАТ», если диплом, приложение или академическая справка выданы как дубликат", "ДУБЛИКАТ"},
    {"", "isForm", "«да», если у человека стоит отметка, которую показывает список студентов", nullptr, true},
    {"", "isSokr", "не используется («да», если отмечено)", nullptr, true},
    {"", "REGNOM", "регистрационный номер диплома", nullptr},
    {"", "REGNOMF", "цифры регистрационного номера диплома", nullptr, true},
    {"", "regnomUd", "регистрационный номер удостоверения", nullptr},

    {"ВИДДОК", "NAIM", "вид документа о предыдущем образовании", nullptr},
    {"ПОСТУПЛ", "NAIM", "краткое название учебного заведения, в которое человек поступил", nullptr},
    {"ПОСТУПЛ", "MEMO", "полное название учебного заведения, в которое человек поступил", nullptr},
    {"ПОСТУПЛ", "IZ", "не используется", nullptr, true},
    {"ОКОНЧ", "NAIM", "краткое название учебного заведения, которое человек окончил", nullptr},
    {"ОКОНЧ", "MEMO", "полное название учебного заведения, которое человек окончил", nullptr},
    {"ОКОНЧ", "IZ", "не используется", nullptr, true},

    {"SPGRUP", "IDG", "номер записи группы", nullptr, true},
    {"SPGRUP", "NAIM", "название группы", nullptr},
    {"SPGRUP", "MEMO", "примечание группы", nullptr},
    {"SPGRUP", "DatMed", "дата выдачи сертификатов группы", nullptr},
    {"SPGRUP", "DatGAKMed", "дата протокола экзаменационной комиссии", nullptr},
    {"SPGRUP", "PRGAKMed", "номер протокола экзаменационной комиссии", nullptr},
    {"SPGRUP", "IDM", "номер записи медицинской специальности группы", nullptr, true},
    {"SPGRUP", "date_S", "начало переподготовки", nullptr},
    {"SPGRUP", "date_Po", "окончание переподготовки", nullptr},
    {"SPGRUP", "IDO", "номер записи специальности группы", nullptr, true},
    {"SPGRUP", "IDF", "номер записи формы обучения группы", nullptr, true},
    {"SPGRUP", "Dat", "дата выдачи документов группы", nullptr},
    {"SPGRUP", "DatGAK", "дата решения ГЭК", nullptr},
    {"SPGRUP", "KVAL", "квалификация группы", nullptr},
    {"SPGRUP", "Spec", "специальность группы с кодом", nullptr},
    {"SPGRUP", "FIOGAK", "председатель ГЭК", nullptr},
    {"SPGRUP", "FIOSEK", "секретарь ГЭК", nullptr},
    {"SPGRUP", "NormTime", "нормативный срок обучения", nullptr},
    {"SPGRUP", "IDX", "номер записи уровня подготовки группы", nullptr, true},
    {"SPGRUP", "DOPOL", "дополнительные сведения группы", nullptr},
    {"SPGRUP", "PRGAK", "протокол ГЭК", nullptr},
    {"SPGRUP", "PRIKAZDAT", "дата приказа об отчислении выпускников", nullptr},
    {"SPGRUP", "PRIKAZNOM", "номер приказа об отчислении выпускников", nullptr},

    {"ФОРМА", "NAIM", "форма обучения", nullptr},
    {"ФОРМА", "NAIM2", "форма обучения в обороте документа, например «по очной форме»", nullptr},
    {"УРОВЕНЬ", "NAIM", "уровень подготовки в обороте документа", nullptr},

    {"SPOTD", "IDO", "номер записи специальности", nullptr, true},
    {"SPOTD", "NAIM", "краткое название специальности", nullptr},
    {"SPOTD", "KVAL", "квалификация по специальности", nullptr},
    {"SPOTD", "NormTime", "нормативный срок обучения по специальности", nullptr},
    {"SPOTD", "IDX", "не используется", nullptr, true},
    {"SPOTD", "IDF", "не используется", nullptr, true},
    {"SPOTD", "MEMO", "полное название специальности с кодом", nullptr},

    {"SPMED", "IDM", "номер записи медицинской специальности", nullptr, true},
    {"SPMED", "NAIM", "медицинская специальность группы", nullptr},
    {"SPMED", "LEVEL2", "образование по медицинской специальности: 1 — высшее, 2 — среднее", nullptr, true},

    {"INF", "IDLU", "номер записи учреждения", nullptr, true},
    {"INF", "IDT", "номер записи выбранной типографии", nullptr, true},
    {"INF", "REF", "не используется", nullptr, true},
    {"INF", "appMajor", "версия программы, последней открывавшей базу данных: первое число", nullptr, true},
    {"INF", "appMinor", "версия программы, последней открывавшей базу данных: второе число", nullptr, true},
    {"INF", "appRevision", "версия программы, последней открывавшей базу данных: третье число", nullptr, true},
    {"INF", "AREF", "не используется («да», если отмечено)", nullptr, true},
    {"INF", "ASEC", "не используется", nullptr, true},
    {"INF", "LEVEL2", "уровень образования учреждения: 1 — высшее, 2 — среднее", nullptr, true},
    {"INF", "OOo", "офисная программа: 1 — Microsoft Office, 2 — OpenOffice.org", nullptr, true},
    {"INF", "NAIM", "полное название учебного заведения", nullptr},
    {"INF", "Change", "переименование учебного заведения", nullptr},
    {"INF", "FIORUK", "руководитель учебного заведения", nullptr},
    {"INF", "isIO", "«и.о.», если руководитель подписывает как исполняющий обязанности или уполномоченное лицо",
     kActingHead},
    {"INF", "DRUO", "должность руководителя органа управления образованием (для дубликатов)", nullptr},
    {"INF", "TopPronter", "тип принтера: 0 — струйный или матричный, 1 — лазерный", nullptr, true},
    {"INF", "TaimOut", "время ожидания службы обновления", nullptr, true},
    {"INF", "NAIMMED", "организация, при которой работает экзаменационная комиссия (в предложном падеже)", nullptr},
    {"INF", "GORODMED", "город экзаменационной комиссии", nullptr},

    {"SPTPGR", "IDT", "номер записи типографии", nullptr, true},
    {"SPTPGR", "NAIM", "типография", nullptr, true},
    {"SPTPGR", "oTmp5", "шаблон сертификата для OpenOffice.org", nullptr, true},
    {"SPTPGR", "Tmp5", "шаблон сертификата для Microsoft Word", nullptr, true},
    {"SPTPGR", "oTmp7", "шаблон титула диплома ПК для OpenOffice.org", nullptr, true},
    {"SPTPGR", "Tmp7", "шаблон титула диплома ПК для Microsoft Word", nullptr, true},
    {"SPTPGR", "oTmp8", "шаблон приложения к диплому ПК для OpenOffice.org", nullptr, true},
    {"SPTPGR", "Tmp8", "шаблон приложения к диплому ПК для Microsoft Word", nullptr, true},
    {"SPTPGR", "oTmp9", "шаблон удостоверения для OpenOffice.org", nullptr, true},
    {"SPTPGR", "Tmp9", "шаблон удостоверения для Microsoft Word", nullptr, true},
};

// The word a yes/no column without a word of its own is written as.
constexpr const char* kFlagWord = "да";

// The parts of a date: the suffix of the token and what the part is.
struct DatePart {
    const char* suffix;
    PlaceholderForm form;
    const char* meaning;
};
constexpr DatePart kDateParts[] = {
    {"ДЕНЬ", F::Day, "день, две цифры: 05"},
    {"МЕСЯЦ", F::MonthGenitive, "месяц в родительном падеже: марта"},
    {"ГОД", F::Year, "год, четыре цифры: 2024"},
    {"ГГ", F::ShortYear, "две последние цифры года, для бланков с «20__ г.»: 24"},
    {"ПРОПИСЬЮ", F::WrittenDate, "дата целиком, как на бланке: «05» марта 2024 г.; без даты — ничего"},
};

// A column written with the words that only frame it, so that without a
// value the words go too; listed after the columns of its row.
struct Framed {
    const char* token;
    PlaceholderSource source;
    const char* column;
    const char* frame;  // %1 is the value
    const char* meaning;
};
constexpr Framed kFramed[] = {
    {"[ФОРМА.ОБУЧЕНИЯ]", S::StudyForm, "NAIM2", "%1 обучения",
     "форма обучения в обороте документа со словом «обучения»: «по очной форме обучения»; без формы — ничего"},
    {"[УРОВЕНЬ.ПОДГОТОВКИ]", S::TrainingLevel, "NAIM", "%1 подготовки",
     "уровень подготовки со словом «подготовки»: «базовой подготовки»; без уровня — ничего"},
};

// The placeholders that are not columns.
struct Computed {
    const char* token;
    PlaceholderSource source;
    PlaceholderForm form;
    const char* meaning;
};
constexpr Computed kComputed[] = {
    {"[ДЕНЬ]", S::IssueDate, F::Day, "день даты выдачи: 05"},
    {"[МЕСЯЦ]", S::IssueDate, F::MonthGenitive, "месяц даты выдачи в родительном падеже: марта"},
    {"[ГОД]", S::IssueDate, F::Year, "год даты выдачи: 2024"},
    {"[ГГ]", S::IssueDate, F::ShortYear, "две последние цифры года даты выдачи, для бланков с «20__ г.»: 24"},
    {"[ДАТА ВЫДАЧИ]", S::IssueDate, F::WrittenDate,
     "дата выдачи целиком, как на бланке: «05» марта 2024 г.; без даты — ничего"},
    {"[ДОКУМЕНТ ОБ ОБРАЗОВАНИИ]", S::Person, F::EarlierDocument,
     "предыдущий документ об образовании: вид, серия, № номер, год; недостающие части пропускаются вместе с их "
     "знаками"},
    {"[ДУБЛИКАТ.ДОЛЖНОСТЬ]", S::Institution, F::DuplicateSigner,
     "должность, подписывающая дубликат за ликвидированное учреждение (INF.DRUO), если документ выдан как "
     "дубликат ([DUBL]); иначе ничего"},
    {"[РУКОВОДИТЕЛЬ]", S::Institution, F::Head,
     "руководитель, подписывающий документ: «и.о.», если он исполняет обязанности, и [INF.FIORUK]; у дубликата "
     "за ликвидированное учреждение (отмечен [DUBL], заполнено INF.DRUO) — ничего: подписывает должностное лицо "
     "органа управления образованием"},
    {"[РУКОВОДИТЕЛЬ.ДОЛЖНОСТЬ]", S::Institution, F::HeadPosition,
     "должность у подписи: «Руководитель образовательной организации», а у дубликата за ликвидированное "
     "учреждение — должность из INF.DRUO"},
    {"[ДИСЦИПЛИНА]", S::GradeLine, F::Discipline, "дисциплина или заголовок раздела в строке таблицы оценок"},
    {"[ЧАСЫ]", S::GradeLine, F::Hours, "часы в строке таблицы оценок"},
    {"[ОЦЕНКА]", S::GradeLine, F::Grade, "оценка прописью в строке таблицы оценок"},
};
constexpr const char* kComputedHeading = "Дата выдачи, предыдущий документ, подпись руководителя";
// The head's position at the signature of a document of the institution.
constexpr const char* kHeadPosition = "Руководитель образовательной организации";
constexpr const char* kGradeHeading = "Таблица оценок";
constexpr const char* kServiceHeading =
    "Служебные поля: номера записей, коды программы и принтера, шаблоны типографии";

// The columns that hold a document's registration number or its issue
// date; a template using one of them (or a part of the issue date) prints a
// numbered blank that should not go out without it.
enum class IssueDetail { Number, Date };
struct IssueColumn {
    const char* prefix;
    const char* column;
    IssueDetail detail;
};
constexpr IssueColumn kIssueColumns[] = {
    {"", "REGNOM", IssueDetail::Number},
    {"", "REGNOMMED", IssueDetail::Number},
    {"", "regnomDoc", IssueDetail::Number},
    {"", "regnomUd", IssueDetail::Number},
    {"", "Dat", IssueDetail::Date},
    {"SPGRUP", "Dat", IssueDetail::Date},
    {"SPGRUP", "DatMed", IssueDetail::Date},
};
// How the question before printing names what is missing.
constexpr const char* kWithoutNumber = "без регистрационного номера";
constexpr const char* kWithoutDate = "без даты выдачи";

// The person's dative names and the nominative ones they come from.
struct DativeName {
    const char* dative;
    const char* nominative;
    core::NamePart part;
};
constexpr DativeName kDativeNames[] = {
    {"FamD", "FAM", core::NamePart::Surname},
    {"ImD", "IM", core::NamePart::FirstName},
    {"OtchD", "OTCH", core::NamePart::Patronymic},
};

constexpr std::array<const char*, 12> kMonthsGenitive{
    "января", "февраля", "марта", "апреля", "мая", "июня",
    "июля", "августа", "сентября", "октября", "ноября", "декабря",
};

// Every column of a table in the order of a file made by the program: the
// columns of its descriptor, then those added to it.
std::vector<core::ColumnSpec> columnsOf(const QString& table)
{
    std::vector<core::ColumnSpec> out;
    const auto take = [&](std::span<const core::TableDescriptor> group) {
        for (const core::TableDescriptor& t : group) {
            if (t.tableName().compare(table, Qt::CaseInsensitive) != 0)
                continue;
            for (const core::ColumnSpec& c : t.columns) {
                const bool known = std::any_of(out.begin(), out.end(), [&](const core::ColumnSpec& o) {
                    return o.columnName().compare(c.columnName(), Qt::CaseInsensitive) == 0;
                });
                if (!known)
                    out.push_back(c);
            }
        }
    };
    take(core::CoreTables());
    take(core::AddedTables());
    take(core::AddedColumns());
    return out;
}

const Meaning* meaningOf(const QString& prefix, const QString& column)
{
    for (const Meaning& m : kMeanings)
        if (prefix == QString::fromUtf8(m.prefix) && column.compare(QString::fromUtf8(m.column), Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

QString writtenDate(const QDate& date)
{
    if (!date.isValid())
        return {};
    return QStringLiteral("«%1» %2 %3 г.")
        .arg(date.toString(QStringLiteral("dd")), MonthGenitive(date.month()), QString::number(date.year()));
}

std::vector<Placeholder> buildTable()
{
    std::vector<Placeholder> out;
    for (const SourceSpec& source : kSources) {
        const QString prefix = QString::fromUtf8(source.prefix);
        const QString lead = prefix.isEmpty() ? QString() : prefix + QLatin1Char('.');
        for (const core::ColumnSpec& c : columnsOf(QString::fromUtf8(source.table))) {
            const QString column = c.columnName();
            if (source.lookUp && column.compare(QString::fromUtf8(source.key), Qt::CaseInsensitive) == 0)
                continue;
            const Meaning* m = meaningOf(prefix, column);
            const QString meaning = m ? QString::fromUtf8(m->meaning) : column;
            const QString token = QLatin1Char('[') + lead + column + QLatin1Char(']');
            if (c.type == jet::dbBoolean) {
                const char* word = m && m->flagWord ? m->flagWord : kFlagWord;
                out.push_back({token, source.source, column, F::Flag, meaning, QString::fromUtf8(word),
                               m && m->service});
                continue;
            }
            out.push_back({token, source.source, column, F::Text, meaning, {}, m && m->service});
            if (c.type != jet::dbDate)
                continue;
            for (const DatePart& part : kDateParts)
                out.push_back({QLatin1Char('[') + lead + column + QLatin1Char('.') + QString::fromUtf8(part.suffix)
                                   + QLatin1Char(']'),
                               source.source, column, part.form,
                               meaning + QStringLiteral(": ") + QString::fromUtf8(part.meaning), {}});
        }
        for (const Framed& f : kFramed)
            if (f.source == source.source)
                out.push_back({QString::fromUtf8(f.token), f.source, QString::fromLatin1(f.column), F::Framed,
                               QString::fromUtf8(f.meaning), {}, false, QString::fromUtf8(f.frame)});
    }
    for (const Computed& c : kComputed)
        out.push_back({QString::fromUtf8(c.token), c.source, QString(), c.form, QString::fromUtf8(c.meaning), {}, false});
    return out;
}

QVariantMap firstRow(const QString& sql, const QVariantList& params)
{
    QVariantMap out;
    try {
        auto rs = core::db().openRecordset(sql, jet::dbOpenSnapshot, params);
        if (!rs->isEOF())
            for (const QString& name : rs->fieldNames())
                out.insert(name.toUpper(), rs->value(name));
        rs->close();
    } catch (const jet::Error&) {
        // A table or column the file lacks: its placeholders stay empty.
    }
    return out;
}

QVariant field(const QVariantMap& row, const QString& column)
{
    return row.value(column.toUpper());
}

QString text(const QVariantMap& row, const char* column)
{
    return jet::toText(field(row, QString::fromLatin1(column)));
}

QDate dateOf(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return {};
}

// The row of a source in the data; nullptr for the issue date and the
// grade lines, which are no rows.
const QVariantMap* rowOf(const DocumentData& data, PlaceholderSource source)
{
    for (const SourceSpec& s : kSources)
        if (s.source == source)
            return &(data.*s.row);
    return nullptr;
}

// An empty value, or a zero that stands for none (a year, a blank's number
// stored as 0).
bool emptyOrZero(const QString& value)
{
    const QString v = value.trimmed();
    return v.isEmpty() || v == QLatin1String("0");
}

// The text of a column as a document prints it: nothing for an empty value
// or 0.
QString printed(const QVariant& value)
{
    const QString text = core::TrimTrailingBreaks(jet::toText(value));
    return emptyOrZero(text) ? QString() : text;
}

// A duplicate issued for a liquidated institution: the education
// authority's position (INF.DRUO) signs it, and no one of the institution.
bool liquidatedDuplicate(const DocumentData& data)
{
    return jet::toLong(field(data.person, QStringLiteral("DUBL"))) != 0
           && !core::TrimTrailingBreaks(text(data.institution, "DRUO")).trimmed().isEmpty();
}

// A stored dative name is kept as it is; a missing one is derived as the
// person card derives it.
void completeDativeNames(QVariantMap& person)
{
    const core::Gender gender = core::GenderOfPerson(text(person, "FAM"), text(person, "IM"), text(person, "OTCH"));
    for (const DativeName& d : kDativeNames) {
        if (!text(person, d.dative).trimmed().isEmpty())
            continue;
        person.insert(QString::fromLatin1(d.dative).toUpper(),
                      core::ToDativeCase(text(person, d.nominative), d.part, gender));
    }
}

QString htmlRow(const QString& first, const QString& second)
{
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n").arg(first.toHtmlEscaped(), second.toHtmlEscaped());
}

} // namespace

const std::vector<Placeholder>& PlaceholderTable()
{
    static const std::vector<Placeholder> table = buildTable();
    return table;
}

const Placeholder* FindPlaceholder(const QString& token)
{
    static const QHash<QString, const Placeholder*> byToken = [] {
        QHash<QString, const Placeholder*> out;
        for (const Placeholder& p : PlaceholderTable())
            out.insert(p.token.toCaseFolded(), &p);
        return out;
    }();
    return byToken.value(token.toCaseFolded(), nullptr);
}

namespace {

// Latin letters that look like Russian ones (in lower case, as tokens are
// compared), each with the Russian letter it is taken for.
constexpr std::pair<char16_t, char16_t> kLookAlikes[] = {
    {u'a', u'а'}, {u'b', u'в'}, {u'c', u'с'}, {u'e', u'е'}, {u'h', u'н'}, {u'k', u'к'},
    {u'm', u'м'}, {u'o', u'о'}, {u'p', u'р'}, {u't', u'т'}, {u'x', u'х'}, {u'y', u'у'},
};

bool isLatin(QChar c)
{
    return c.script() == QChar::Script_Latin;
}

// A token as the eye reads it: without blanks, in lower case, every Latin
// letter that looks like a Russian one taken as that Russian letter.
QString lookOf(const QString& token)
{
    QString out;
    for (QChar c : token.toCaseFolded()) {
        if (c.isSpace())
            continue;
        for (const auto& [latin, russian] : kLookAlikes)
            if (c == QChar(latin))
                c = QChar(russian);
        out += c;
    }
    return out;
}

// Where a text has its blanks: every other character as "x", every run of
// blanks as one blank.
QString blankPattern(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (!c.isSpace())
            out += QLatin1Char('x');
        else if (!out.endsWith(QLatin1Char(' ')))
            out += QLatin1Char(' ');
    }
    return out;
}

int blanksIn(const QString& text)
{
    return int(std::count_if(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }));
}

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// What keeps `token` from being `known` when both read alike: the blanks,
// letters of the other alphabet.
QStringList differences(const QString& token, const QString& known)
{
    QStringList out;
    if (blankPattern(token) != blankPattern(known)) {
        const int extra = blanksIn(token) - blanksIn(known);
        out << (extra > 0   ? QStringLiteral("лишние пробелы внутри скобок")
                : extra < 0 ? QStringLiteral("не хватает пробела внутри скобок")
                            : QStringLiteral("пробелы внутри скобок не на своих местах"));
    }
    QString a, b;
    for (QChar c : token)
        if (!c.isSpace())
            a += c;
    for (QChar c : known)
        if (!c.isSpace())
            b += c;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i].toCaseFolded() == b[i].toCaseFolded())
            continue;
        if (isLatin(a[i]) && !isLatin(b[i]))
            out << QStringLiteral("латинская буква «%1» вместо русской").arg(a[i]);
        else if (!isLatin(a[i]) && isLatin(b[i]))
            out << QStringLiteral("русская буква «%1» вместо латинской").arg(a[i]);
    }
    out.removeDuplicates();
    return out;
}

} // namespace

QString UnknownPlaceholderNote(const QString& token)
{
    const QString look = lookOf(token);
    const Placeholder* closest = nullptr;
    int best = std::numeric_limits<int>::max();
    for (const Placeholder& p : PlaceholderTable()) {
        const int d = editDistance(look, lookOf(p.token));
        if (d < best) {
            best = d;
            closest = &p;
        }
    }
    QStringList reasons;
    if (closest && best == 0)
        reasons = differences(token, closest->token);
    if (reasons.isEmpty())
        reasons << QStringLiteral("такого поля нет");
    // A far one is no help.
    const int near = std::max(2, int(look.size()) / 4);
    if (closest && best <= near)
        reasons.last() += QStringLiteral("; ближе всего ") + closest->token;
    return reasons.join(QStringLiteral(", "));
}

QString UnknownPlaceholdersWarning(const QStringList& tokens)
{
    QString out = QStringLiteral("В шаблоне есть поля, которые программа не знает:");
    for (const QString& token : tokens)
        out += QLatin1Char('\n') + token + QStringLiteral(" — ") + UnknownPlaceholderNote(token);
    return out + QStringLiteral("\nОни оставлены в документе без изменений; поправьте их в документе или в шаблоне.");
}

QString PlaceholderTableHtml()
{
    // The fields a blank carries first, by the row they come from, with the
    // computed ones after the person's and the grade line's last; then,
    // apart, what no blank needs.
    const auto headingOf = [](const Placeholder& p) {
        if (p.column.isEmpty())
            return QString::fromUtf8(p.source == S::GradeLine ? kGradeHeading : kComputedHeading);
        for (const SourceSpec& s : kSources)
            if (s.source == p.source)
                return QString::fromUtf8(s.heading);
        return QString();
    };
    const auto rank = [](const Placeholder& p) {
        if (p.service)
            return 4;
        if (p.source == S::GradeLine)
            return 3;
        if (p.column.isEmpty())
            return 1;
        return p.source == S::Person ? 0 : 2;
    };
    std::vector<const Placeholder*> rows;
    for (const Placeholder& p : PlaceholderTable())
        rows.push_back(&p);
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const Placeholder* a, const Placeholder* b) { return rank(*a) < rank(*b); });
    QString out = QStringLiteral("<tr><th>Поле</th><th>Что подставляется</th></tr>\n");
    QString current;
    bool service = false;
    for (const Placeholder* p : rows) {
        if (p->service && !service) {
            service = true;
            current.clear();
            out += QStringLiteral("<tr><th colspan=\"2\">%1</th></tr>\n")
                       .arg(QString::fromUtf8(kServiceHeading).toHtmlEscaped());
        }
        const QString heading = headingOf(*p);
        if (heading != current) {
            current = heading;
            out += QStringLiteral("<tr><td colspan=\"2\"><i>%1</i></td></tr>\n").arg(heading.toHtmlEscaped());
        }
        out += htmlRow(p->token, p->meaning);
    }
    return out;
}

QString MonthGenitive(int month)
{
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf8(kMonthsGenitive[month - 1]);
}

DocumentData LoadDocumentData(long id, int blankKind, int docKind)
{
    DocumentData d;
    for (const SourceSpec& s : kSources) {
        QVariantMap& row = d.*s.row;
        const QString table = QString::fromUtf8(s.table);
        if (s.source == S::Person) {
            row = firstRow(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = ?"), {qlonglong(id)});
            d.found = !row.isEmpty();
            if (!d.found)
                return d;
        } else if (!s.fromColumn) {
            row = firstRow(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(table, QString::fromUtf8(s.key)), {});
        } else {
            const QVariant key = field(d.*s.from, QString::fromUtf8(s.fromColumn));
            if (jet::toLong(key) != 0)
                row = firstRow(QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(table, QString::fromUtf8(s.key)),
                               {key});
        }
    }
    completeDativeNames(d.person);

    if (blankKind == core::SpecialistCertificate) {
        d.issueDate = dateOf(field(d.group, QStringLiteral("DatMed")));
    } else {
        d.issueDate = dateOf(field(d.person, QStringLiteral("Dat")));
        if (!d.issueDate.isValid())
            d.issueDate = dateOf(field(d.group, QStringLiteral("Dat")));
    }

    try {
        auto rs = core::db().openRecordset(
            QStringLiteral("SELECT SPPRED.NAIM AS PNAIM, SPPRED.isNotPred AS HEADING, EXAM.NAIM AS ENAIM, "
                           "EXAM.CH AS CH, SPBALL.NAIM AS BNAIM FROM (EXAM LEFT JOIN SPPRED ON EXAM.IDD = SPPRED.IDD) "
                           "LEFT JOIN SPBALL ON EXAM.IDB = SPBALL.IDB "
                           "WHERE EXAM.ID = ? AND COALESCE(EXAM.VidDokum, 0) = ? ORDER BY EXAM.SORT, EXAM.IDE"),
            jet::dbOpenSnapshot, {qlonglong(id), core::vidDokumOf(std::max(docKind, 0))});
        for (; !rs->isEOF(); rs->moveNext()) {
            GradeLine line;
            line.discipline = core::TrimTrailingBreaks(rs->text(QStringLiteral("PNAIM")));
            const QString extra = core::TrimTrailingBreaks(rs->text(QStringLiteral("ENAIM"))).trimmed();
            if (!extra.isEmpty())
                line.discipline += QLatin1Char(' ') + extra;
            line.heading = jet::toLong(rs->value(QStringLiteral("HEADING"))) != 0;
            // A heading's hours and grade (a module's total, say) are printed
            // like any other line's.
            line.hours = rs->text(QStringLiteral("CH"));
            line.grade = rs->text(QStringLiteral("BNAIM"));
            d.grades.push_back(line);
        }
        rs->close();
    } catch (const jet::Error&) {
        // No grade tables in the file: the table stays without lines.
    }
    return d;
}

QString PlaceholderValue(const Placeholder& p, const DocumentData& data)
{
    const QVariantMap* row = rowOf(data, p.source);
    const QVariant value = row && !p.column.isEmpty() ? field(*row, p.column) : QVariant();
    const QDate date = p.column.isEmpty() ? data.issueDate : dateOf(value);
    switch (p.form) {
    case F::Text: return printed(value);
    case F::Flag: return jet::toLong(value) != 0 ? p.flagWord : QString();
    case F::Day: return date.isValid() ? date.toString(QStringLiteral("dd")) : QString();
    case F::MonthGenitive: return date.isValid() ? MonthGenitive(date.month()) : QString();
    case F::Year: return date.isValid() ? QString::number(date.year()) : QString();
    case F::ShortYear: return date.isValid() ? QString::number(date.year() % 100).rightJustified(2, QLatin1Char('0')) : QString();
    case F::WrittenDate: return writtenDate(date);
    case F::EarlierDocument: return EarlierDocument(data);
    case F::Framed: {
        const QString v = printed(value).trimmed();
        return v.isEmpty() ? QString() : p.frame.arg(v);
    }
    case F::DuplicateSigner:
        return jet::toLong(field(data.person, QStringLiteral("DUBL"))) != 0
                   ? core::TrimTrailingBreaks(text(data.institution, "DRUO")).trimmed()
                   : QString();
    case F::Head: {
        const QString head = printed(field(data.institution, QStringLiteral("FIORUK"))).trimmed();
        if (liquidatedDuplicate(data) || head.isEmpty())
            return {};
        return jet::toLong(field(data.institution, QStringLiteral("isIO"))) != 0
                   ? QString::fromUtf8(kActingHead) + QLatin1Char(' ') + head
                   : head;
    }
    case F::HeadPosition:
        return liquidatedDuplicate(data) ? core::TrimTrailingBreaks(text(data.institution, "DRUO")).trimmed()
                                         : QString::fromUtf8(kHeadPosition);
    default: return {};
    }
}

QString GradeLineValue(const Placeholder& p, const GradeLine& line)
{
    switch (p.form) {
    case F::Discipline: return line.discipline;
    case F::Hours: return line.hours;
    case F::Grade: return line.grade;
    default: return {};
    }
}

QString SurnameAndInitials(const QVariantMap& person)
{
    QString out = jet::toText(field(person, QStringLiteral("FAM"))).trimmed();
    for (const char* column : {"IM", "OTCH"}) {
        const QString name = jet::toText(field(person, QString::fromLatin1(column))).trimmed();
        if (name.isEmpty())
            continue;
        if (out.isEmpty() || out.endsWith(QLatin1Char('.')))
            out += name.left(1) + QLatin1Char('.');
        else
            out += QLatin1Char(' ') + name.left(1) + QLatin1Char('.');
    }
    return out;
}

QString EarlierDocument(const DocumentData& data)
{
    const QString kind = text(data.documentKind, "NAIM").trimmed();
    const QString series = text(data.person, "DocS").trimmed();
    const QString number = text(data.person, "DocN").trimmed();
    const QString year = text(data.person, "DocYr").trimmed();
    QString out = kind;
    const auto add = [&out](const QString& piece) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += piece;
    };
    if (!series.isEmpty())
        add(series);
    if (!number.isEmpty())
        add(QStringLiteral("№\u00A0") + number);  // a line never ends with the mark
    if (!year.isEmpty() && year != QLatin1String("0")) {
        if (!out.isEmpty())
            out += QLatin1Char(',');
        add(year + QStringLiteral(" год"));
    }
    return out;
}

QStringList MissingIssueDetails(const QStringList& tokens, const DocumentData& data)
{
    bool number = false, date = false;
    for (const QString& token : tokens) {
        const Placeholder* p = FindPlaceholder(token);
        if (!p)
            continue;
        if (p->source == S::IssueDate) {
            date = date || !data.issueDate.isValid();
            continue;
        }
        for (const IssueColumn& c : kIssueColumns) {
            const SourceSpec* source = nullptr;
            for (const SourceSpec& s : kSources)
                if (QString::fromUtf8(s.prefix) == QString::fromUtf8(c.prefix))
                    source = &s;
            if (!source || source->source != p->source
                || p->column.compare(QString::fromLatin1(c.column), Qt::CaseInsensitive) != 0)
                continue;
            const QVariant value = field(data.*source->row, p->column);
            if (c.detail == IssueDetail::Number)
                number = number || printed(value).isEmpty();
            else
                date = date || !dateOf(value).isValid();
        }
    }
    QStringList out;
    if (number)
        out << QString::fromUtf8(kWithoutNumber);
    if (date)
        out << QString::fromUtf8(kWithoutDate);
    return out;
}

bool GradeTableStaysEmpty(const QStringList& tokens, const DocumentData& data)
{
    return data.grades.empty() && std::any_of(tokens.begin(), tokens.end(), [](const QString& token) {
               return token.compare(QString::fromUtf8(kGradeRowMarker), Qt::CaseInsensitive) == 0;
           });
}

} // namespace printing
