#pragma once
// The twelve settings of a grade-sheet import, kept per user in section
// "User" as texts: which sheet, where the persons and the disciplines stand,
// and how missing persons, missing disciplines and earlier grades are
// treated.
#include <QString>

namespace importer {

enum GradeSetting : int {
    SheetName,          // nom_list
    FirstPersonRow,     // nom_str_fio
    LastPersonRow,      // nom_str2_fio
    NameColumn,         // nom_st_fio
    NamesInThreeColumns,  // fio3
    AddPersons,         // dobl_stud
    DisciplineRow,      // nom_str_dis
    FirstDisciplineColumn,  // nom_st1_dis
    LastDisciplineColumn,   // nom_st2_dis
    DisciplinesEverySecondColumn,  // nam_dis2
    AddDisciplines,     // dobl_dis
    RefillGrades,       // dobl_dis2
    GradeSettingCount
};

// The settings key and the default text of a setting.
QString gradeSettingKey(GradeSetting s);
QString gradeSettingDefault(GradeSetting s);

// The saved text of a setting, or its default.
QString gradeSettingText(GradeSetting s);
void saveGradeSetting(GradeSetting s, const QString& text);

// A number typed into a box ("2", "2,5", "-3"); ok false when it is none.
double settingNumber(const QString& text, bool* ok = nullptr);

// The settings as the reading and the passes use them.
struct GradeSheetSettings {
    QString sheetName;
    int firstPersonRow = 1;
    int lastPersonRow = 1;
    int nameColumn = 1;
    bool threeNameColumns = true;
    bool addPersons = false;
    int disciplineRow = 1;
    int firstDisciplineColumn = 2;
    int lastDisciplineColumn = 2;
    bool everySecondColumn = false;
    bool addDisciplines = false;
    bool refillGrades = false;
};

GradeSheetSettings loadGradeSheetSettings();

} // namespace importer
