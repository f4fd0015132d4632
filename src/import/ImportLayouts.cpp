#include "import/ImportLayouts.h"

#include "core/AppState.h"

#include <span>

namespace importer {
namespace {

struct ColumnDef {
    const char* caption;
    int alignment;
    double divisor;
    const char* target;
    const char* lookupField;
    const char* lookupTable;
    int check;
    int sortKind;
    int listCode = 0;  // a fixed list whose texts name the numbers stored
};

// The duplicate flag ("Да" or empty) is stored as the Boolean DUBLMED, the
// role's name as its number in ROLE (the fixed list of user roles).
constexpr int kUserRolesList = 14;

constexpr ColumnDef kStudents[] = {
    {"Группа", 0, 8, "IDG", "NAIM", "SPGRUP", 0, 0},
    {"Фамилия", 0, 8, "FAM", "", "", 0, 0},
    {"Имя", 0, 8, "IM", "", "", 0, 0},
    {"Отчество", 0, 8, "OTCH", "", "", 0, 0},
    {"Регистрационный номер сертификата", 1, 12, "REGNOMMED", "", "", 0, 1},
    {"Серия и номер бланка сертификата", 0, 8, "NOMMED", "", "", 0, 0},
    {"Дубликат сертификата", 2, 16, "DUBLMED", "", "", 0, 0},
    {"Доверенное лицо (получатель сертификата)", 0, 8, "GETMED", "", "", 0, 0},
    {"Дата и номер квитанции почтового отправления сертификата", 0, 8, "POSTMED", "", "", 0, 0},
    {"Примечание", 0, 8, "MEMO", "", "", 0, 0},
};

constexpr ColumnDef kGroups[] = {
    {"Группа", 0, 8, "NAIM", "", "", 2, 0},
    {"Медицинская специальность", 0, 6, "IDM", "NAIM", "SPMED", 0, 0},
    {"Дата выдачи сертификата", 2, 8, "DatMed", "", "", 0, 0},
    {"Дата протокола ЭК или ГЭК", 2, 8, "DatGAKMed", "", "", 0, 0},
    {"Номер протокола ЭК или ГЭК", 0, 6, "PRGAKMed", "", "", 0, 0},
    {"Примечание", 0, 8, "MEMO", "", "", 0, 0},
};

// The template column fills the Word template of the certificate slot
// whichever office program the institution uses.
constexpr ColumnDef kPrintingHouses[] = {
    {"Наименование", 0, 4, "Naim", "", "", 2, 0},
    {"Шаблон Кальветы", 0, 6, "Tmp5", "", "", 0, 0},
};

constexpr ColumnDef kUsers[] = {
    {"Пользователь", 0, 2, "NAIM", "", "", 2, 0},
    {"Роль", 0, 3, "ROLE", "", "", 0, 0, kUserRolesList},
};

constexpr ColumnDef kMedicalSpecialties[] = {
    {"Наименование", 0, 1.5, "NAIM", "", "", 1, 0},
    {"Образование", 0, 1.5, "LEVEL2", "", "", 1, 0},
};

constexpr ColumnDef kGradeSheet[] = {
    {"Учебная группа", 0, 12, "", "naim", "spgrup", 0, 0},
    {"Фамилия", 0, 8, "", "fam", "spstud", 0, 0},
    {"Имя", 0, 12, "", "im", "spstud", 0, 0},
    {"Отчество", 0, 12, "", "otch", "spstud", 0, 0},
};

constexpr ColumnDef kDiscipline = {"", 2, 4, "idb", "ocen", "SPBALL", 0, 0};

struct KindLayout {
    int kind;
    std::span<const ColumnDef> columns;
};

constexpr KindLayout kLayouts[] = {
    {core::Students, kStudents},
    {core::Groups, kGroups},
    {core::PrintingHouses, kPrintingHouses},
    {core::Users, kUsers},
    {core::MedicalSpecialties, kMedicalSpecialties},
    {core::GradeSheetImport, kGradeSheet},
};

ImportColumn columnOf(const ColumnDef& d)
{
    ImportColumn c;
    c.caption = QString::fromUtf8(d.caption);
    c.alignment = d.alignment;
    c.divisor = d.divisor;
    c.target = QString::fromUtf8(d.target);
    c.lookupField = QString::fromUtf8(d.lookupField);
    c.lookupTable = QString::fromUtf8(d.lookupTable);
    c.check = d.check;
    c.sortKind = d.sortKind;
    c.listCode = d.listCode;
    return c;
}

} // namespace

bool hasImportLayout(int kind)
{
    for (const KindLayout& l : kLayouts)
        if (l.kind == kind)
            return true;
    return false;
}

ImportLayout importLayout(int kind)
{
    ImportLayout out;
    for (const KindLayout& l : kLayouts)
        if (l.kind == kind)
            for (const ColumnDef& d : l.columns)
                out << columnOf(d);
    return out;
}

ImportColumn disciplineColumn(const QString& name, const QString& hours)
{
    ImportColumn c = columnOf(kDiscipline);
    c.caption = name;
    c.hours = hours;
    return c;
}

QStringList captionsOf(const ImportLayout& layout)
{
    QStringList out;
    for (const ImportColumn& c : layout)
        out << c.caption;
    return out;
}

} // namespace importer
