#include "directory/DirectoryColumns.h"

#include <QRegularExpression>

#include <span>

namespace directory {
namespace {

constexpr int kNone = -1;  // no sort kind / no print width for this column

struct ColumnRow {
    const char* caption;
    const char* field;
    double divisor;
    int minWidth;
    int align;
    int sortKind;       // kNone: the column does not sort
    double printWidth;  // kNone: the template's width stays
    const char* fieldOOo = nullptr;  // field shown instead when printing through Calc/Writer
};

struct RefRow {
    const char* table;
    const char* field;
};

struct KindDefinition {
    int kind;
    std::span<const ColumnRow> columns;
    std::span<const ColumnRow> columns2;
    std::span<const RefRow> refs;
    const char* listSql;
};

// Kind 0, grades view: the persons of the chosen group, and their grade lines.
constexpr ColumnRow kGradesPersons[] = {
    {"", "", 0, 0, 0, 0, kNone},
    {"Фамилия", "FAM", 4, 300, 0, 0, kNone},
    {"Имя", "IM", 6, 100, 0, 0, kNone},
    {"Отчество", "OTCH", 6, 100, 0, 0, kNone},
    {"Регистрационный номер", "REGNOMdoc", 12, 100, 1, 1, kNone},
    {"Регистрационный номер удостоверения", "REGNOMUd", 12, 100, 1, 1, kNone},
    {"Код, серия, номер бланка", "DIPL", 6, 100, 0, 0, kNone},
};
constexpr ColumnRow kGradeLines[] = {
    {"", "", 0, 0, 0, 0, 7},
    {"Дисциплина", "NAIMD", 3.4, 300, 0, 0, 28.86},
    {"Дополнительный текст", "NAIMN", 6, 200, 0, 0, 18.86},
    {"Количество часов", "CH", 6, 100, 2, 1, 10.29},
    {"Итоговая оценка", "NAIMOC", 6, 100, 2, 0, 18.86},
    {"Курсовая работа", "kurs", 6, 100, 2, 0, 18.86},
};
constexpr RefRow kGradesRefs[] = {{"EXAM", "ID"}};

// Kind 1, specialties.
constexpr ColumnRow kSpecialties[] = {
    {"", "", 0, 0, 0, 0, 6},
    {"Краткое наименование", "NAIM", 5, 100, 0, 0, 24.71},
    {"Полное наименование", "MEMO", 4, 200, 0, 0, 30.57},
    {"Квалификация", "KVAL", 6, 200, 0, 0, 24.29},
    {"Нормативный срок обучения", "NormTime", 6, 100, 0, 0, 19},
};
constexpr RefRow kSpecialtiesRefs[] = {{"SPGRUP", "IDO"}};

// Kind 2, disciplines.
constexpr ColumnRow kDisciplines[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Наименование", "NAIM", 1.5, 100, 0, 0, 78.29},
    {"Тип", "type", 2, 100, 0, 0, 20},
};
constexpr RefRow kDisciplinesRefs[] = {{"SPNAGR", "IDD"}, {"EXAM", "IDD"}};

// Kind 3, students (always the certificate layout). "Дубликат сертификата"
// holds "Да" or nothing and sorts as text.
constexpr ColumnRow kStudents[] = {
    {"", "", 0, 0, 0, 0, 6.71},
    {"Фамилия", "FAM", 8, 200, 0, 0, 18},
    {"Имя", "IM", 8, 100, 0, 0, 16.43},
    {"Отчество", "OTCH", 8, 100, 0, 0, 16.43},
    {"Регистрационный номер сертификата", "REGNOMMED", 12, 100, 1, 1, 18},
    {"Серия и номер бланка сертификата", "NOMMED", 8, 100, 0, 0, 16.43},
    {"Дубликат сертификата", "DUBLMEDS", 16, 100, 2, 0, 9.29},
    {"Доверенное лицо (получатель сертификата)", "GETMED", 8, 100, 0, 0, 16.43},
    {"Дата и номер квитанции почтового отправления сертификата", "POSTMED", 8, 100, 0, 0, 25},
    {"Примечание", "MEMO", 12, 100, 0, 0, 16.14},
};
constexpr RefRow kNoRefs[] = {{"", ""}};

// Kind 4, groups. Every date column sorts as a date.
constexpr ColumnRow kGroups[] = {
    {"", "", 0, 0, 0, 0, 6.14},
    {"Учебная группа", "NAIM", 8, 200, 0, 0, 9},
    {"Специальность/профессия", "SPECOTD", 8, 200, 0, 0, 25.14},
    {"Специальность/профессия (уточненная)", "SPEC", 8, 200, 0, 0, 35.14},
    {"Квалификация", "KVAL", 8, 100, 0, 0, 25.14},
    {"Нормативный срок обучения", "NormTime", 8, 100, 0, 0, 16.71},
    {"Уровень подготовки", "IDXN", 8, 100, 0, 0, 16.71},
    {"Дата решения ГЭК", "DatGAK", 8, 100, 2, 2, 12.14},
    {"Дата выдачи документов", "Dat", 8, 100, 2, 2, 12.14},
    {"Председатель ГЭК", "FIOGAK", 8, 100, 0, 0, 15.57},
    {"Секретарь", "FIOSEK", 8, 100, 0, 0, 15.57},
    {"Форма обучения", "IDFN", 8, 100, 0, 0, 18.43},
    {"Протокол ГЭК", "PRGAK", 8, 100, 0, 0, 18.14},
    {"Приказ об отчислении выпускников №", "PRIKAZNOM", 8, 100, 0, 0, 18.14},
    {"Дата приказа об отчислении выпускников", "PRIKAZDAT", 8, 100, 0, 2, 18.14},
    {"Дополнительные сведения", "DOPOL", 8, 100, 0, 0, 18.14},
    {"Примечание", "MEMO", 8, 100, 2, 0, 18.14},
    {"Медицинская специальность", "IDMNaim", 8, 100, 0, 0, 18.43},
    {"Дата выдачи сертификата", "DatMed", 8, 100, 0, 2, 12.14},
    {"Дата протокола ЭК или ГЭК", "DatGAKMed", 8, 100, 0, 2, 12.14},
    {"Номер протокола ЭК или ГЭК", "PRGAKMed", 8, 100, 2, 0, 15.57},
    {"Пройдена переподготовка с", "date_S", 8, 100, 2, 2, 15.57},
    {"Пройдена переподготовка по", "date_Po", 8, 100, 0, 2, 15.57},
};
constexpr RefRow kGroupsRefs[] = {{"SPSTUD", "IDG"}, {"SPNAGR", "IDG"}};

// Kind 5, study plan: always shown in its own order.
constexpr ColumnRow kStudyPlan[] = {
    {"", "", 0, 0, 0, 0, 6},
    {"Дисциплина", "NAIMD", 3.2, 300, 0, 0, 36.57},
    {"Дополнительный текст", "NAIMN", 5, 200, 0, 0, 24.29},
    {"Количество часов", "CH", 5, 100, 2, 1, 11.57},
    {"Курсовая работа", "Kurs", 5, 100, 2, 1, 11.57},
};

// Kind 6, grade kinds.
constexpr ColumnRow kGradeKinds[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Балл", "OCEN", 4, 100, 2, 1, 12.29},
    {"Представление", "NAIM", 2, 300, 0, 0, 58.29},
};
constexpr RefRow kGradeKindsRefs[] = {{"EXAM", "IDB"}};

// Kind 7, educational institutions.
constexpr ColumnRow kInstitutions[] = {
    {"", "", 0, 0, 0, 0, 6.57},
    {"Краткое наименование", "Naim", 3, 500, 0, 0, 30.29},
    {"Полное наименование", "Memo", 2, 500, 0, 0, 48.71},
};
constexpr RefRow kInstitutionsRefs[] = {{"SPSTUD", "PosOU"}, {"SPSTUD", "ZavOU"}, {"EXAM", "IDZ"}, {"SPNAGR", "IDZ"}};

// Kind 8, forms of study.
constexpr ColumnRow kStudyForms[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Наименование", "Naim", 2, 500, 0, 0, 40.29},
    {"По форме обучения", "NAIM2", 3, 500, 0, 0, 38},
};
constexpr RefRow kStudyFormsRefs[] = {{"SPGRUP", "IDF"}};

// Kinds 9 and 10, training levels and kinds of earlier-education documents.
constexpr ColumnRow kNamesOnly[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Наименование", "Naim", 1.5, 500, 0, 0, 78.29},
};
constexpr RefRow kTrainingLevelsRefs[] = {{"SPGRUP", "IDX"}};
constexpr RefRow kPriorDocumentsRefs[] = {{"SPSTUD", "IDV"}};

// Kind 11, printing houses: the last three template columns do not sort and
// keep the template's widths when printed.
constexpr ColumnRow kPrintingHouses[] = {
    {"", "", 0, 0, 0, 0, 6.43},
    {"Наименование", "Naim", 3, 500, 0, 0, 26.57},
    {"Шаблон Кальветы", "Tmp5", 4, 200, 0, 0, 26.57, "oTmp5"},
    {"Шаблон титула диплома ПК", "Tmp7", 4, 200, 0, kNone, kNone, "oTmp7"},
    {"Шаблон приложения к диплому ПК", "Tmp8", 4, 200, 0, kNone, kNone, "oTmp8"},
    {"Шаблон удостоверения", "Tmp9", 4, 200, 0, kNone, kNone, "oTmp9"},
};
constexpr RefRow kPrintingHousesRefs[] = {{"INF", "IDT"}};

// Kind 12, users.
constexpr ColumnRow kUsers[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Пользователь", "NAIM", 2, 250, 0, 0, 37},
    {"Роль", "ROL", 3, 250, 0, 0, 37},
};

// Kind 16, medical specialties.
constexpr ColumnRow kMedicalSpecialties[] = {
    {"", "", 0, 0, 0, 0, 8.43},
    {"Наименование", "NAIM", 3, 250, 0, 0, 78.29},
    {"Образование", "lev", 3, 250, 0, 0, 9},
};
constexpr RefRow kMedicalSpecialtiesRefs[] = {{"SPGRUP", "IDM"}};

// The list queries. A Boolean column holds -1 or 0 (a Null counts as false);
// rows without an ordering clause come in key order, as the table stores them.
constexpr const char* kGradesPersonsSql =
    "SELECT SPSTUD.* FROM SPSTUD WHERE SPSTUD.IDG = ? ORDER BY SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, SPSTUD.ID";
constexpr const char* kSpecialtiesSql = "SELECT * FROM SPOTD ORDER BY IDO";
constexpr const char* kDisciplinesSql =
    "SELECT *, CASE WHEN isNotPred THEN 'Заголовок раздела' ELSE 'Дисциплина' END AS type FROM SPPRED ORDER BY IDD";
constexpr const char* kStudentsSql =
    "SELECT SPSTUD.*, CASE WHEN SPSTUD.DUBLMED THEN 'Да' ELSE '' END AS DUBLMEDS FROM SPSTUD "
    "WHERE SPSTUD.IDG = ? ORDER BY SPSTUD.FAM, SPSTUD.IM, SPSTUD.OTCH, SPSTUD.ID";
constexpr const char* kGroupsSql =
    "SELECT SPMED.NAIM AS IDMNaim, SPGRUP.*, SPFORM.NAIM AS IDFN, SPUR.NAIM AS IDXN, SPOTD.NAIM AS SPECOTD "
    "FROM SPGRUP LEFT JOIN SPFORM ON SPGRUP.IDF = SPFORM.IDF LEFT JOIN SPUR ON SPGRUP.IDX = SPUR.IDX "
    "LEFT JOIN SPOTD ON SPGRUP.IDO = SPOTD.IDO LEFT JOIN SPMED ON SPMED.IDM = SPGRUP.IDM ORDER BY SPGRUP.IDG";
constexpr const char* kStudyPlanSql =
    "SELECT SPNAGR.*, SPUCH.NAIM AS IDZN, SPPRED.NAIM AS NAIMD, SPNAGR.NAIM AS NAIMN, "
    "CASE WHEN SPNAGR.kursovaya THEN 'Да' ELSE 'Нет' END AS kurs "
    "FROM SPNAGR LEFT JOIN SPPRED ON SPNAGR.IDD = SPPRED.IDD LEFT JOIN SPUCH ON SPNAGR.IDZ = SPUCH.IDZ "
    "WHERE SPNAGR.IDG = ? ORDER BY SPNAGR.SORT, SPNAGR.IDN";
constexpr const char* kUsersSql =
    "SELECT USERS.*, CASE USERS.ROLE WHEN 0 THEN 'Администратор' WHEN 1 THEN 'Оператор' ELSE 'Пользователь' END AS ROL "
    "FROM USERS ORDER BY USERS.NAIM, USERS.IDU";
constexpr const char* kMedicalSpecialtiesSql =
    "SELECT *, CASE WHEN LEVEL2 = 2 THEN 'СПО' ELSE 'ВПО' END AS lev FROM SPMED ORDER BY LEVEL2, NAIM, IDM";

constexpr KindDefinition kDefinitions[] = {
    {0, kGradesPersons, kGradeLines, kGradesRefs, kGradesPersonsSql},
    {1, kSpecialties, {}, kSpecialtiesRefs, kSpecialtiesSql},
    {2, kDisciplines, {}, kDisciplinesRefs, kDisciplinesSql},
    {3, kStudents, {}, kNoRefs, kStudentsSql},
    {4, kGroups, {}, kGroupsRefs, kGroupsSql},
    {5, kStudyPlan, {}, kNoRefs, kStudyPlanSql},
    {6, kGradeKinds, {}, kGradeKindsRefs, "SPBALL"},
    {7, kInstitutions, {}, kInstitutionsRefs, "SPUCH"},
    {8, kStudyForms, {}, kStudyFormsRefs, "SPFORM"},
    {9, kNamesOnly, {}, kTrainingLevelsRefs, "SPUR"},
    {10, kNamesOnly, {}, kPriorDocumentsRefs, "SPVDOC"},
    {11, kPrintingHouses, {}, kPrintingHousesRefs, "SPTPGR"},
    {12, kUsers, {}, kNoRefs, kUsersSql},
    {16, kMedicalSpecialties, {}, kMedicalSpecialtiesRefs, kMedicalSpecialtiesSql},
};

struct ColumnArrays {
    QStringList captions;
    QList<double> divisors;
    QList<double> minWidths;
    QList<int> alignments;
    QStringList fields;
    QList<int> sortKinds;
    QList<double> printWidths;
};

ColumnArrays arraysOf(std::span<const ColumnRow> rows, bool officeIsOOo)
{
    ColumnArrays a;
    bool sorts = true;
    bool prints = true;
    for (const ColumnRow& r : rows) {
        a.captions << QString::fromUtf8(r.caption);
        a.divisors << r.divisor;
        a.minWidths << r.minWidth;
        a.alignments << r.align;
        a.fields << QString::fromUtf8(officeIsOOo && r.fieldOOo ? r.fieldOOo : r.field);
        sorts = sorts && r.sortKind != kNone;
        if (sorts)
            a.sortKinds << r.sortKind;
        prints = prints && r.printWidth != kNone;
        if (prints)
            a.printWidths << r.printWidth;
    }
    return a;
}

} // namespace

ListDefinition DefineColumns(int kind, bool officeIsOOo)
{
    ListDefinition def;
    for (const KindDefinition& k : kDefinitions) {
        if (k.kind != kind)
            continue;
        const ColumnArrays main = arraysOf(k.columns, officeIsOOo);
        def.Captions = main.captions;
        def.WidthDivisors = main.divisors;
        def.MinWidths = main.minWidths;
        def.Alignments = main.alignments;
        def.FieldNames = main.fields;
        def.SortKinds = main.sortKinds;
        def.PrintWidths = main.printWidths;
        if (!k.columns2.empty()) {
            const ColumnArrays second = arraysOf(k.columns2, officeIsOOo);
            def.Captions2 = second.captions;
            def.WidthDivisors2 = second.divisors;
            def.MinWidths2 = second.minWidths;
            def.Alignments2 = second.alignments;
            def.FieldNames2 = second.fields;
            def.SortKinds2 = second.sortKinds;
            def.PrintWidths = second.printWidths;  // the grades view prints its grade lines
        }
        for (const RefRow& r : k.refs) {
            def.RefTables << QString::fromUtf8(r.table);
            def.RefFields << QString::fromUtf8(r.field);
        }
        def.ListSql = QString::fromUtf8(k.listSql);
        break;
    }
    return def;
}

int initialSortColumn(int kind)
{
    return (kind == 0 || kind == 5 || kind == 16) ? 1 : 2;
}

bool isBareTableName(const QString& listSql)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return name.match(listSql.trimmed()).hasMatch();
}

} // namespace directory
