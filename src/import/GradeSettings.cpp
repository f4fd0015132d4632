#include "import/GradeSettings.h"

#include "platform/settings/Settings.h"

#include <cmath>

namespace importer {
namespace {

struct SettingDef {
    const char* key;
    const char* defaultText;
};

constexpr SettingDef kSettings[GradeSettingCount] = {
    {"nom_list", ""},     {"nom_str_fio", "1"}, {"nom_str2_fio", "1"}, {"nom_st_fio", "1"},
    {"fio3", "1"},        {"dobl_stud", "0"},   {"nom_str_dis", "1"},  {"nom_st1_dis", "2"},
    {"nom_st2_dis", "2"}, {"nam_dis2", "0"},    {"dobl_dis", "0"},     {"dobl_dis2", "0"},
};

QString section() { return QString::fromUtf8(settings::kSectionUser); }

// Whole numbers round to the nearest, halves to the even one.
int wholeNumber(GradeSetting s)
{
    bool ok = false;
    const double v = settingNumber(gradeSettingText(s), &ok);
    if (!ok)
        return int(settingNumber(gradeSettingDefault(s)));
    return int(std::nearbyint(v));
}

bool nonZero(GradeSetting s)
{
    bool ok = false;
    const double v = settingNumber(gradeSettingText(s), &ok);
    return ok && v != 0;
}

} // namespace

QString gradeSettingKey(GradeSetting s) { return QString::fromUtf8(kSettings[s].key); }
QString gradeSettingDefault(GradeSetting s) { return QString::fromUtf8(kSettings[s].defaultText); }

QString gradeSettingText(GradeSetting s)
{
    return settings::getSetting(section(), gradeSettingKey(s), gradeSettingDefault(s));
}

void saveGradeSetting(GradeSetting s, const QString& text)
{
    settings::saveSetting(section(), gradeSettingKey(s), text);
}

double settingNumber(const QString& text, bool* ok)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool good = false;
    const double v = t.toDouble(&good);
    if (ok)
        *ok = good && std::isfinite(v);
    return good && std::isfinite(v) ? v : 0;
}

GradeSheetSettings loadGradeSheetSettings()
{
    GradeSheetSettings s;
    s.sheetName = gradeSettingText(SheetName);
    s.firstPersonRow = wholeNumber(FirstPersonRow);
    s.lastPersonRow = wholeNumber(LastPersonRow);
    s.nameColumn = wholeNumber(NameColumn);
    s.threeNameColumns = nonZero(NamesInThreeColumns);
    s.addPersons = nonZero(AddPersons);
    s.disciplineRow = wholeNumber(DisciplineRow);
    s.firstDisciplineColumn = wholeNumber(FirstDisciplineColumn);
    s.lastDisciplineColumn = wholeNumber(LastDisciplineColumn);
    s.everySecondColumn = nonZero(DisciplinesEverySecondColumn);
    s.addDisciplines = nonZero(AddDisciplines);
    bool ok = false;
    s.refillGrades = settingNumber(gradeSettingText(RefillGrades), &ok) == 1 && ok;
    return s;
}

} // namespace importer
