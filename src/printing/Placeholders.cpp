#include "printing/Placeholders.h"

#include "core/AppState.h"
#include "core/TextHelpers.h"
#include "platform/jet/Jet.h"

#include <array>

namespace printing {

namespace {

using S = PlaceholderSource;
using F = PlaceholderForm;

const std::vector<Placeholder> kPlaceholders{
    {"[FAM]", S::Person, "FAM", F::Text, "фамилия"},
    {"[IM]", S::Person, "IM", F::Text, "имя"},
    {"[OTCH]", S::Person, "OTCH", F::Text, "отчество"},
    {"[FamD]", S::Person, "FamD", F::Text, "фамилия в дательном падеже"},
    {"[ImD]", S::Person, "ImD", F::Text, "имя в дательном падеже"},
    {"[OtchD]", S::Person, "OtchD", F::Text, "отчество в дательном падеже"},
    {"[REGNOMMED]", S::Person, "REGNOMMED", F::Text, "регистрационный номер сертификата"},
    {"[NOMMED]", S::Person, "NOMMED", F::Text, "серия и номер бланка сертификата"},
    {"[REGNOM]", S::Person, "REGNOM", F::Text, "регистрационный номер диплома"},
    {"[regnomDoc]", S::Person, "regnomDoc", F::Text, "регистрационный номер документа о переподготовке"},
    {"[regnomUd]", S::Person, "regnomUd", F::Text, "регистрационный номер удостоверения"},
    {"[DIPL]", S::Person, "DIPL", F::Text, "код, серия и номер бланка документа"},
    {"[PRIL]", S::Person, "PRIL", F::Text, "коды, серии и номера бланков приложения"},
    {"[Dat]", S::Person, "Dat", F::Text, "дата выдачи документа"},
    {"[D_R]", S::Person, "D_R", F::Text, "дата рождения"},
    {"[M_R]", S::Person, "M_R", F::Text, "место рождения"},
    {"[SPEC]", S::Person, "SPEC", F::Text, "специальность человека"},
    {"[KVAL]", S::Person, "KVAL", F::Text, "квалификация человека"},
    {"[PROTCH]", S::Person, "PROTCH", F::Text, "номер и дата приказа об отчислении"},
    {"[DOPOL]", S::Person, "DOPOL", F::Text, "дополнительные сведения"},
    {"[SPGRUP.NAIM]", S::Group, "NAIM", F::Text, "название группы"},
    {"[SPGRUP.DatMed]", S::Group, "DatMed", F::Text, "дата выдачи сертификатов группы"},
    {"[SPGRUP.DatGAKMed]", S::Group, "DatGAKMed", F::Text, "дата протокола экзаменационной комиссии"},
    {"[SPGRUP.PRGAKMed]", S::Group, "PRGAKMed", F::Text, "номер протокола экзаменационной комиссии"},
    {"[SPGRUP.date_S]", S::Group, "date_S", F::Text, "начало переподготовки"},
    {"[SPGRUP.date_Po]", S::Group, "date_Po", F::Text, "окончание переподготовки"},
    {"[SPGRUP.Dat]", S::Group, "Dat", F::Text, "дата выдачи документов группы"},
    {"[SPGRUP.DatGAK]", S::Group, "DatGAK", F::Text, "дата решения ГАК"},
    {"[SPGRUP.PRGAK]", S::Group, "PRGAK", F::Text, "протокол ГАК"},
    {"[SPGRUP.KVAL]", S::Group, "KVAL", F::Text, "квалификация группы"},
    {"[SPGRUP.Spec]", S::Group, "Spec", F::Text, "специальность группы с кодом"},
    {"[SPGRUP.FIOGAK]", S::Group, "FIOGAK", F::Text, "председатель ГАК"},
    {"[SPGRUP.FIOSEK]", S::Group, "FIOSEK", F::Text, "секретарь ГАК"},
    {"[SPGRUP.NormTime]", S::Group, "NormTime", F::Text, "нормативный срок обучения"},
    {"[SPGRUP.PRIKAZNOM]", S::Group, "PRIKAZNOM", F::Text, "номер приказа об отчислении выпускников"},
    {"[SPGRUP.PRIKAZDAT]", S::Group, "PRIKAZDAT", F::Text, "дата приказа об отчислении выпускников"},
    {"[SPGRUP.DOPOL]", S::Group, "DOPOL", F::Text, "дополнительные сведения группы"},
    {"[SPOTD.NAIM]", S::Specialty, "NAIM", F::Text, "краткое название специальности"},
    {"[SPOTD.MEMO]", S::Specialty, "MEMO", F::Text, "полное название специальности с кодом"},
    {"[SPOTD.KVAL]", S::Specialty, "KVAL", F::Text, "квалификация по специальности"},
    {"[SPOTD.NormTime]", S::Specialty, "NormTime", F::Text, "нормативный срок обучения по специальности"},
    {"[SPMED.NAIM]", S::MedicalSpecialty, "NAIM", F::Text, "медицинская специальность группы"},
    {"[INF.NAIM]", S::Institution, "NAIM", F::Text, "полное название учебного заведения"},
    {"[INF.Change]", S::Institution, "Change", F::Text, "переименование учебного заведения"},
    {"[INF.FIORUK]", S::Institution, "FIORUK", F::Text, "руководитель учебного заведения"},
    {"[INF.NAIMMED]", S::Institution, "NAIMMED", F::Text, "организация, при которой работает экзаменационная комиссия"},
    {"[INF.GORODMED]", S::Institution, "GORODMED", F::Text, "город экзаменационной комиссии"},
    {"[SPTPGR.NAIM]", S::PrintingHouse, "NAIM", F::Text, "типография"},
    {"[ДЕНЬ]", S::IssueDate, "", F::Day, "день даты выдачи: 05"},
    {"[МЕСЯЦ]", S::IssueDate, "", F::MonthGenitive, "месяц даты выдачи в родительном падеже: марта"},
    {"[ГОД]", S::IssueDate, "", F::Year, "год даты выдачи: 2024"},
    {"[ДИСЦИПЛИНА]", S::GradeLine, "", F::Discipline, "дисциплина или заголовок раздела в строке таблицы оценок"},
    {"[ЧАСЫ]", S::GradeLine, "", F::Hours, "часы в строке таблицы оценок"},
    {"[ОЦЕНКА]", S::GradeLine, "", F::Grade, "оценка прописью в строке таблицы оценок"},
};

constexpr std::array<const char*, 12> kMonthsGenitive{
    "января", "февраля", "марта", "апреля", "мая", "июня",
    "июля", "августа", "сентября", "октября", "ноября", "декабря",
};

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

QDate dateOf(const QVariant& v)
{
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return {};
}

const QVariantMap& rowOf(const DocumentData& data, PlaceholderSource source)
{
    static const QVariantMap none;
    switch (source) {
    case S::Person: return data.person;
    case S::Group: return data.group;
    case S::Specialty: return data.specialty;
    case S::MedicalSpecialty: return data.medicalSpecialty;
    case S::Institution: return data.institution;
    case S::PrintingHouse: return data.printingHouse;
    default: return none;
    }
}

} // namespace

const std::vector<Placeholder>& PlaceholderTable()
{
    return kPlaceholders;
}

const Placeholder* FindPlaceholder(const QString& token)
{
    for (const Placeholder& p : kPlaceholders)
        if (token.compare(QString::fromUtf8(p.token), Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
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
    d.person = firstRow(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = ?"), {qlonglong(id)});
    d.found = !d.person.isEmpty();
    if (!d.found)
        return d;
    d.group = firstRow(QStringLiteral("SELECT * FROM SPGRUP WHERE IDG = ?"), {field(d.person, QStringLiteral("IDG"))});
    d.specialty =
        firstRow(QStringLiteral("SELECT * FROM SPOTD WHERE IDO = ?"), {field(d.group, QStringLiteral("IDO"))});
    d.medicalSpecialty =
        firstRow(QStringLiteral("SELECT * FROM SPMED WHERE IDM = ?"), {field(d.group, QStringLiteral("IDM"))});
    d.institution = firstRow(QStringLiteral("SELECT * FROM INF ORDER BY IDLU"), {});
    d.printingHouse =
        firstRow(QStringLiteral("SELECT * FROM SPTPGR WHERE IDT = ?"), {field(d.institution, QStringLiteral("IDT"))});

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
            if (!line.heading) {
                line.hours = rs->text(QStringLiteral("CH"));
                line.grade = rs->text(QStringLiteral("BNAIM"));
            }
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
    switch (p.form) {
    case F::Text:
        return core::TrimTrailingBreaks(jet::toText(field(rowOf(data, p.source), QString::fromLatin1(p.column))));
    case F::Day: return data.issueDate.isValid() ? data.issueDate.toString(QStringLiteral("dd")) : QString();
    case F::MonthGenitive: return data.issueDate.isValid() ? MonthGenitive(data.issueDate.month()) : QString();
    case F::Year: return data.issueDate.isValid() ? QString::number(data.issueDate.year()) : QString();
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

} // namespace printing
