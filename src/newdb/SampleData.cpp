#include "newdb/SampleData.h"

#include <array>
#include <cstddef>
#include <span>

namespace newdb {
namespace {

constexpr Value date(int year, int month, int day) { return Value::date(year, month, day); }

// Educational institutions: the college before and after its renaming. The
// persons refer to them as the institution of admission (1) and of
// completion (2).
constexpr const char* kInstitutionFields[] = {"NAIM", "MEMO", "IZ"};
constexpr Value kInstitutions[] = {
    "Наш колледж (до переименования)",
    "Светлоярский экономический техникум г.Светлоярск Кировской обл.", 0,
    "Наш колледж (после переименования)",
    "Федеральное государственное образовательное учреждение среднего профессионального "
    "образования \"Светлоярский колледж экономики и информационных технологий\" "
    "г.Светлоярск Кировской обл.", 0,
};

// The institution card. It edits the one INF row of a new file. The stamp
// 5.1.8 is the sample's own; the next opening of the file brings it to the
// program's version. Printing house 4 has templates for every document slot.
constexpr const char* kCardFields[] = {
    "IDT", "NAIM", "Change", "FIORUK", "REF", "appMajor", "appMinor", "appRevision",
    "AREF", "ASEC", "OOo", "isIO", "DRUO", "NAIMMED", "GORODMED",
};
constexpr Value kCard[] = {
    4,
    "Кировское областное государственное образовательное бюджетное учреждение среднего "
    "профессионального образования \"Светлоярский колледж экономики и информационных "
    "технологий\"\r\n"
    "г.Светлоярск\r\n"
    "Кировская обл.",
    "Образовательное учреждение переименовано в 2011 году;\r\n"
    "старое полное наименование образовательного учреждения Федеральное государственное "
    "образовательное учреждение среднего профессионального образования \"Светлоярский "
    "колледж экономики и информационных технологий\".\r\n",
    "Лаптева Н.В.",
    0, 5, 1, 8,
    0, 0,
    1,  // Microsoft Office
    0,
    "",
    "Кировском областном государственном образовательном бюджетном учреждении среднего "
    "профессионального образования \"Светлоярский колледж экономики и информационных "
    "технологий\"",
    "Светлоярск",
};

constexpr const char* kSpecialtyFields[] = {"NAIM", "KVAL", "NormTime", "IDX", "IDF", "MEMO"};
constexpr Value kSpecialties[] = {
    "Экономика и бух.учет", "Бухгалтер", "1 год 10 месяцев", 0, 0,
    "080114 Экономика и бухгалтерский учет (по отраслям)",
    "Землеустройство", "Техник-землеустроитель", "2 года 6 месяцев", 0, 0,
    "120701 Землеустройство",
    "Менеджмент", "Менеджер", "2 года 10 месяцев", 0, 0,
    "080201 Менеджмент",
    "Право", "Юрист", "1 год 10 месяцев", 0, 0,
    "030612 Право и организация социального обеспечения",
    "Программирование", "Техник-программист", "2 года 10 месяцев", 0, 0,
    "230115 Программирование в компьютерных системах",
};

// Groups. "Б 31" alone has a medical specialty (9) and certificate data;
// "П 31" alone has a retraining period. IDM 0 means no medical specialty.
constexpr const char* kGroupFields[] = {
    "IDO", "NAIM", "IDF", "Dat", "DatGAK", "MEMO", "KVAL", "Spec", "FIOGAK", "FIOSEK",
    "NormTime", "IDX", "DOPOL", "PRGAK", "PRIKAZNOM", "PRIKAZDAT", "DatMed", "DatGAKMed",
    "PRGAKMed", "IDM", "date_S", "date_Po",
};
constexpr Value kGroups[] = {
    // 1
    1, "Б 31", 1, date(2014, 6, 28), date(2014, 6, 27), "",
    "Бухгалтер", "080114 Экономика и бухгалтерский учет (по отраслям)",
    "Мельникова Т.А.", "Зуева О.Н.", "1 год 10 месяцев", 1, "", "№125", "", date(2014, 5, 17),
    date(2014, 6, 28), date(2014, 6, 27), "198", 9, "", "",
    // 2
    2, "З 41", 1, date(2014, 4, 3), date(2014, 1, 3), "",
    "Техник-землеустроитель", "120701 Землеустройство",
    "Громов В.П.", "Кострова Е.С.", "2 года 6 месяцев", 1, "", "№110", "", date(2014, 12, 17),
    "", "", "", 0, "", "",
    // 3
    5, "Пр 41", 1, date(2014, 6, 28), date(2014, 6, 27), "",
    "Техник-программист", "230115 Программирование в компьютерных системах",
    "Ладыгин А.М.", "Пестова И.Ю.", "2 года 10 месяцев", 1, "", "№128", "", date(2014, 12, 17),
    "", "", "", 0, "", "",
    // 4
    2, "З 31", 1, date(2014, 6, 28), date(2014, 6, 27), "",
    "Техник-землеустроитель", "120701 Землеустройство",
    "Ладыгин А.М.", "Пестова И.Ю.", "2 года 6 месяцев", 1, "", "№210", "", date(2014, 12, 17),
    "", "", "", 0, "", "",
    // 5
    5, "П 31", 1, date(2014, 6, 28), date(2014, 6, 27), "",
    "Техник-программист", "230115 Программирование в компьютерных системах",
    "Ладыгин А.М.", "Пестова И.Ю.", "500 часов", 1, "", "№250", "", date(2014, 12, 17),
    "", "", "", 0, date(2014, 1, 2), date(2014, 2, 28),
};

// Persons. 1 to 3 hold diploma data (2 with honours), 1 also a specialist
// certificate, 4 a retraining document, 5 blank numbers and earlier
// education only.
constexpr const char* kPersonFields[] = {
    "IDG", "FAM", "IM", "OTCH", "FamD", "ImD", "OtchD", "REGNOM", "DIPL", "Dat",
    "D_R", "M_R", "DocYr", "DocS", "DocN", "IDV", "MEMO", "PosYr", "PosOU", "ZavYr",
    "ZavOU", "Otl", "DOPOL", "PROTCH", "SPUR", "IDUR", "SPEC", "KVAL", "PRIL", "POST",
    "GETDIPL", "DUBL", "isForm", "isSokr", "REGNOMMED", "NOMMED", "DUBLMED", "GETMED", "POSTMED",
    "REGNOMMEDF", "REGNOMF", "regnomDoc",
};
constexpr Value kPersons[] = {
    // 1
    1, "Веснина", "Ольга", "Андреевна", "Весниной", "Ольге", "Андреевне",
    "17972", "43 СПА 0008901", date(2014, 11, 3),
    date(1992, 12, 14), "г.Светлоярск Кировской обл.", 2011, "АБ", "7528901", 2, "", 2011, 1, 2014,
    2, 0, "", "№212 от 11.03.2014 г.", "", 0, "", "", "", "",
    "", 0, 0, 0, "11111234", "1123457819123", 0, "", "", "11111234",
    "17972", "",
    // 2
    2, "Сухарева", "Дарья", "Игоревна", "Сухаревой", "Дарье", "Игоревне",
    "17819", "43 СПА 0008903", date(2014, 11, 3),
    date(1992, 11, 4), "г.Омутнинск Кировской обл.", 2010, "АБ", "2847772", 1, "", 2010, 1, 2014,
    2, 1, "", "№212 от 11.03.2014 г.", "", 0, "", "", "", "",
    "", 0, 0, 0, "", "", 0, "", "", "",
    "17819", "",
    // 3
    3, "Шилов", "Артём", "Сергеевич", "Шилову", "Артёму", "Сергеевичу",
    "17910", "43 СПА 0008904", date(2014, 11, 3),
    date(1992, 7, 11), "п.Вохма Костромской обл.", 2010, "АВ", "7381345", 2, "", 2010, 1, 2014,
    2, 0, "", "№212 от 11.03.2014 г.", "", 0, "", "", "", "",
    "", 0, 1, 1, "", "", 0, "", "", "",
    "17910", "",
    // 4
    5, "Крылова", "Марина", "Викторовна", "Крыловой", "Марине", "Викторовне",
    "", "43 0008905", date(2013, 12, 17),
    date(1989, 12, 17), "", 2010, "00 СПО", "000000", 4, "", 0, 0, 0,
    0, 0, "ООО \"Вектор\"", "", "", 0, "", "", "43 0008905", "",
    "", 0, 0, 0, "", "", 0, "", "", "",
    "", "1",
    // 5
    4, "Тихонова", "Елена", "Павловна", "", "", "",
    "", "123456789123", "",
    date(1989, 6, 9), "", 2010, "43 АБ", "123456", 2, "", 0, 0, 0,
    0, 0, "", "", "", 0, "", "", "0", "",
    "", 0, 0, 0, "", "", 0, "", "", "",
    "", "",
};

// Study plans: discipline key, hours (a text; none on the "в том числе:"
// lines) and whether the line is course work.
static_assert(std::size(kInstitutions) == 2 * std::size(kInstitutionFields));
static_assert(std::size(kCard) == std::size(kCardFields));
static_assert(std::size(kSpecialties) == 5 * std::size(kSpecialtyFields));
static_assert(std::size(kGroups) == 5 * std::size(kGroupFields));
static_assert(std::size(kPersons) == 5 * std::size(kPersonFields));

struct PlanLine {
    int discipline;
    const char* hours = "";
    int courseWork = 0;
};

// Group 3 ("Пр 41").
constexpr PlanLine kPlanGroup3[] = {
    {12, "60"}, {13, "60"}, {14, "192"}, {15, "336"}, {16, "240"}, {17, "87"}, {18, "105"},
    {19, "198"}, {20, "156"}, {21, "96"}, {22, "114"}, {23, "180"}, {24, "72"}, {25, "72"},
    {26, "90"}, {27, "102"}, {28, "225"}, {8}, {29, "102"}, {30, "123"}, {31, "375"}, {8},
    {32, "138"}, {33, "237"}, {34, "363"}, {8}, {35, "144"}, {36, "147"}, {37, "72"}, {38, "63"},
    {8}, {39, "27"}, {40, "36"}, {41, "687"}, {8}, {42, "123"}, {43, "255"}, {44, "201"},
    {45, "108"}, {46, "663"}, {8}, {47, "93"}, {48, "210"}, {49, "123"}, {50, "93"}, {51, "72"},
    {52, "72"}, {6, "4536"}, {7, "3024"}, {53, "20", 1}, {54, "20", 1}, {55, "30", 1},
    {2, "29 недель"}, {8}, {9, "11 недель"}, {10, "14 недель"}, {11, "4 недели"}, {56, "6 недель"},
};

// Group 1 ("Б 31").
constexpr PlanLine kPlanGroup1[] = {
    {12, "58"}, {13, "58"}, {14, "146"}, {15, "236"}, {57, "69"}, {58, "105"}, {59, "124"},
    {60, "96"}, {61, "48"}, {62, "48"}, {25, "66"}, {63, "84"}, {64, "72"}, {65, "54"}, {66, "48"},
    {27, "102"}, {67, "234"}, {8}, {68, "234"}, {69, "234"}, {8}, {70, "153"}, {71, "81"},
    {72, "102"}, {8}, {73, "102"}, {74, "168"}, {8}, {75, "78"}, {76, "64"}, {8}, {77, "18"},
    {78, "45"}, {79, "968"}, {8}, {80, "324"}, {81, "177"}, {82, "160"}, {83, "147"}, {84, "160"},
    {6, "3093"}, {7, "2569"}, {2, "14 недель"}, {8}, {9, "6 недель"}, {10, "4 недели"},
    {11, "4 недели"}, {56, "6 недель"}, {8}, {85, "4 недели"}, {86, "2 недели"},
};

// Group 2 ("З 41").
constexpr PlanLine kPlanGroup2[] = {
    {12, "60"}, {13, "60"}, {14, "172"}, {15, "296"}, {57, "60"}, {87, "48"}, {88, "60"},
    {89, "105"}, {90, "45"}, {91, "60"}, {92, "105"}, {93, "60"}, {94, "45"}, {95, "45"},
    {96, "153"}, {27, "102"}, {97, "420"}, {8}, {98, "147"}, {99, "165"}, {100, "108"},
    {101, "390"}, {8}, {102, "78"}, {103, "180"}, {104, "132"}, {105, "180"}, {8}, {106, "123"},
    {107, "57"}, {108, "180"}, {8}, {109, "117"}, {110, "63"}, {111, "162"}, {8}, {112, "108"},
    {113, "54"}, {114, "456"}, {8}, {115, "108"}, {116, "114"}, {117, "234"}, {118, "732"}, {8},
    {119, "108"}, {50, "132"}, {121, "93"}, {122, "108"}, {123, "93"}, {124, "105"}, {52, "93"},
    {6, "3996"}, {7, "3023"}, {2, "26 недель"}, {8}, {9, "14 недель"}, {10, "8 недель"},
    {11, "4 недели"}, {56, "6 недель"},
};

// Group 4 ("З 31").
constexpr PlanLine kPlanGroup4[] = {
    {106, "123"}, {112, "108"}, {114, "456"}, {115, "108"}, {117, "234"}, {116, "114"},
    {111, "162"}, {121, "93"},
};

// Group 5 ("П 31").
constexpr PlanLine kPlanGroup5[] = {
    {43, "255"}, {28, "100"}, {31, "145"}, {38, "\u0445", 1},
};

struct GroupPlan {
    int group;
    std::span<const PlanLine> lines;
};
// The plans are written one after another in this order of groups.
constexpr GroupPlan kPlans[] = {
    {3, kPlanGroup3}, {1, kPlanGroup1}, {2, kPlanGroup2}, {4, kPlanGroup4}, {5, kPlanGroup5},
};

// Grade rules: the "в том числе:" lines carry no grade kind (0), and the
// practice, totals, final attestation and final qualifying work lines the
// grade kind "х" (10). Every other line takes the next grade of its person's
// list (keys of SPBALL: 3, 4, 5 the marks, 6 "зачтено").
constexpr int kSubheadingDiscipline = 8;
constexpr int kNoGradeKind = 0;
constexpr int kCrossedDisciplines[] = {2, 6, 7, 56, 85, 86};
constexpr int kCrossGradeKind = 10;

constexpr bool isCrossed(int discipline)
{
    for (int d : kCrossedDisciplines)
        if (d == discipline)
            return true;
    return false;
}

constexpr bool takesListedGrade(int discipline)
{
    return discipline != kSubheadingDiscipline && !isCrossed(discipline);
}

constexpr int kGradesPerson3[] = {
    4, 3, 5, 4, 4, 5, 5, 4, 4, 5, 4, 4, 5, 4, 4, 3, 4, 5, 4, 5, 5, 5, 4, 4, 4, 5, 5, 5, 4, 4, 4, 4,
    3, 4, 4, 4, 4, 4, 4, 4, 4, 3, 4, 4, 5, 4, 3,
};
constexpr int kGradesPerson1[] = {
    4, 5, 4, 4, 3, 4, 5, 4, 5, 5, 4, 4, 4, 5, 4, 5, 5, 5, 4, 4, 4, 5, 5, 3, 3, 4, 4, 4, 4, 4, 5, 3,
    4, 5, 5, 4, 5,
};
constexpr int kGradesPerson2[] = {
    5, 5, 5, 5, 5, 5, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 4, 5, 5, 4, 4, 4, 5, 5, 5, 5, 5, 5, 4, 4, 4,
    4, 5, 5, 5, 5, 5, 5, 5, 4, 5, 5, 4, 5, 5, 5, 5,
};
constexpr int kGradesPerson4[] = {
    3, 5, 5, 4,
};
constexpr int kGradesPerson5[] = {
    6, 6, 4, 5, 4, 3, 5, 6,
};

// A person's grade lines copy the plan of the person's group line for line.
struct PersonGrades {
    int person;
    int group;
    int vidDokum;  // 0 documents, 1 retraining, 2 certificates of training
    std::span<const int> grades;
};
// The lines are written one person after another in this order.
constexpr PersonGrades kGrades[] = {
    {3, 3, 0, kGradesPerson3},
    {1, 1, 0, kGradesPerson1},
    {2, 2, 0, kGradesPerson2},
    {4, 5, 1, kGradesPerson4},
    {5, 4, 2, kGradesPerson5},
};

constexpr std::span<const PlanLine> planOf(int group)
{
    for (const GroupPlan& plan : kPlans)
        if (plan.group == group)
            return plan.lines;
    return {};
}

constexpr std::size_t planLineCount()
{
    std::size_t n = 0;
    for (const GroupPlan& plan : kPlans)
        n += plan.lines.size();
    return n;
}

constexpr bool gradeListsFitPlans()
{
    for (const PersonGrades& p : kGrades) {
        std::size_t graded = 0;
        for (const PlanLine& line : planOf(p.group))
            graded += takesListedGrade(line.discipline) ? 1 : 0;
        if (graded != p.grades.size())
            return false;
    }
    return true;
}
static_assert(planLineCount() == 181);
static_assert(gradeListsFitPlans(), "every graded plan line needs exactly one listed grade");

constexpr std::size_t kPlanLines = planLineCount();

constexpr const char* kPlanFields[] = {"SORT", "IDG", "IDD", "NAIM", "CH", "IDZ", "kursovaya"};
constexpr std::size_t kPlanFieldCount = std::size(kPlanFields);

// SORT runs through the whole list, not per group.
constexpr auto buildPlanValues()
{
    std::array<Value, kPlanLines * kPlanFieldCount> v{};
    std::size_t i = 0;
    int sort = 0;
    for (const GroupPlan& plan : kPlans) {
        for (const PlanLine& line : plan.lines) {
            v[i++] = ++sort;
            v[i++] = plan.group;
            v[i++] = line.discipline;
            v[i++] = "";
            v[i++] = line.hours;
            v[i++] = 0;
            v[i++] = line.courseWork;
        }
    }
    return v;
}
constexpr auto kPlanValues = buildPlanValues();

constexpr const char* kGradeFields[] = {
    "SORT", "ID", "IDD", "NAIM", "CH", "IDB", "IDZ", "LINE", "kursovaya", "VidDokum",
};
constexpr std::size_t kGradeFieldCount = std::size(kGradeFields);

constexpr std::size_t gradeLineCount()
{
    std::size_t n = 0;
    for (const PersonGrades& p : kGrades)
        n += planOf(p.group).size();
    return n;
}
static_assert(gradeLineCount() == 181);

constexpr auto buildGradeValues()
{
    std::array<Value, gradeLineCount() * kGradeFieldCount> v{};
    std::size_t i = 0;
    int sort = 0;
    for (const PersonGrades& p : kGrades) {
        std::size_t next = 0;
        for (const PlanLine& line : planOf(p.group)) {
            int grade = kCrossGradeKind;
            if (line.discipline == kSubheadingDiscipline)
                grade = kNoGradeKind;
            else if (takesListedGrade(line.discipline))
                grade = p.grades[next++];
            v[i++] = ++sort;
            v[i++] = p.person;
            v[i++] = line.discipline;
            v[i++] = "";
            v[i++] = line.hours;
            v[i++] = grade;
            v[i++] = 0;
            v[i++] = 0;
            v[i++] = line.courseWork;
            v[i++] = p.vidDokum;
        }
    }
    return v;
}
constexpr auto kGradeValues = buildGradeValues();

} // namespace

std::vector<TableRows> sampleContent()
{
    return {
        {"SPUCH", kInstitutionFields, kInstitutions},
        {"INF", kCardFields, kCard},
        {"SPOTD", kSpecialtyFields, kSpecialties},
        {"SPGRUP", kGroupFields, kGroups},
        {"SPSTUD", kPersonFields, kPersons},
        {"SPNAGR", kPlanFields, kPlanValues},
        {"EXAM", kGradeFields, kGradeValues},
    };
}

} // namespace newdb
