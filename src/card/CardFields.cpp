#include "card/CardFields.h"

#include "core/AppState.h"

#include <iterator>

namespace card {

namespace {

// Final grade line (EXAM).
constexpr CardField kGradeLine[] = {
    {"Студент", 2, List, "ID", 3, Required},
    {"Дисциплина", 2, List, "IDD", 2, NoCheck},
    {"Дополнительный текст (добавляется в 1-й графе бланка)", 3, Memo, "NAIM", 0, NoCheck},
    {"Количество часов, час.", 1, Hours, "CH", 15, NoCheck},
    {"Итоговая оценка", 2, List, "IDB", 6, NoCheck},
    {"Курсовая работа", 2, Check, "kursovaya", 0, NoCheck},
};

// Specialty or profession (SPOTD).
constexpr CardField kSpecialty[] = {
    {"Краткое наименование специальности/профессии", 2, Text, "NAIM", 255, RequiredUnique},
    {"Полное наименование (для документов) (код и наименование)", 4, Memo, "MEMO", 0, Required},
    {"Квалификация (для документов)", 4, Memo, "KVAL", 0, NoCheck},
    {"Нормативный срок обучения по очной форме", 2, Text, "NormTime", 100, NoCheck},
};

// Discipline or section heading (SPPRED).
constexpr CardField kDiscipline[] = {
    {"Наименование", 4, Memo, "NAIM", 0, RequiredUnique},
    {"Тип", 2, List, "isNotPred", 16, Required},
};

// Person with a specialist certificate (SPSTUD).
constexpr CardField kCertificateLayout[] = {
    {"Группа", 2, List, "IDG", 4, Required},
    {"ФИО в именительном падеже:", 0, Header, "", 0, NoCheck},
    {"Фамилия", 2, Text, "FAM", 100, Required},
    {"Имя", 2, Text, "IM", 100, Required},
    {"Отчество", 2, Text, "OTCH", 100, NoCheck},
    {"Кальвета", 2, Header, "", 0, NoCheck},
    {"Регистрационный номер сертификата", 2, Text, "REGNOMMED", 30, Required},
    {"Серия и номер бланка сертификата", 2, Text, "NOMMED", 13, NoCheck},
    {"Дубликат", 1, Check, "DUBLMED", 0, NoCheck},
    {"Доверенное лицо (получатель сертификата)", 2, Text, "GETMED", 255, NoCheck},
    {"Дата и номер квитанции почтового отправления", 2, Text, "POSTMED", 255, NoCheck},
    {"Примечание", 2, Memo, "MEMO", 0, NoCheck},
};

// Person with a retraining document (SPSTUD).
constexpr CardField kRetrainingLayout[] = {
    {"Группа", 2, List, "IDG", 4, Required},
    {"ФИО в именительном падеже:", 0, Header, "", 0, NoCheck},
    {"Фамилия", 2, Text, "FAM", 100, Required},
    {"Имя", 2, Text, "IM", 100, NoCheck},
    {"Отчество", 2, Text, "OTCH", 100, NoCheck},
    {"ФИО в дательном падеже:", 0, Header, "", 0, NoCheck},
    {"Фамилия", 2, Text, "FAMD", 100, NoCheck},
    {"Имя", 2, Text, "IMD", 100, NoCheck},
    {"Отчество", 2, Text, "OTCHD", 100, NoCheck},
    {"Дата рождения", 1, Date, "D_R", 0, NoCheck},
    {"Сведения о выдаваемом документе:", 0, Header, "", 0, NoCheck},
    {"Регистрационный номер документа", 1, Text, "regnomDoc", 30, NoCheck},
    {"Регистрационный номер удостоверения", 1, Text, "regnomud", 30, NoCheck},
    {"Код, серия, номер бланка", 2, Text, "DIPL", 30, NoCheck},
    {"Коды, серии, номера бланков приложений", 2, Text, "PRIL", 255, NoCheck},
    {"Дубликат", 1, Check, "DUBL", 0, NoCheck},
    {"Предыдущий документ об образовании:", 0, Header, "", 0, NoCheck},
    {"Вид документа", 2, List, "IDV", 10, NoCheck},
    {"Год окончания", 1, Year, "DocYr", 4, NoCheck},
    {"Серия", 2, Text, "DocS", 30, NoCheck},
    {"Номер", 2, Text, "DocN", 30, NoCheck},
    {"Дата и номер почтового отправления диплома", 2, Text, "POST", 255, NoCheck},
    {"Доверенное лицо (получатель диплома)", 2, Text, "GETDIPL", 255, NoCheck},
    {"Дополнительные сведения:", 2, Memo, "DOPOL", 0, NoCheck},
    {"Примечание", 2, Memo, "MEMO", 0, NoCheck},
};

// Study group (SPGRUP). Line 20 edits no column: it is ticked when date_S
// holds a date and enables lines 21 and 22.
constexpr CardField kGroup[] = {
    {"Учебная группа", 2, Text, "NAIM", 100, RequiredUnique},
    {"Специальность/профессия", 2, List, "IDO", 1, Required},
    {"Наименование специальности/профессии (уточненное) (код и наименование)", 3, Memo, "SPEC", 0, Required},
    {"Квалификация (уточненная)", 2, Memo, "KVAL", 0, Required},
    {"Нормативный срок обучения по очной форме", 2, Text, "NormTime", 100, NoCheck},
    {"Уровень подготовки", 2, List, "IDX", 9, NoCheck},
    {"Дата решения ГЭК", 1, Date, "DatGAK", 0, NoCheck},
    {"Дата выдачи документов", 1, Date, "Dat", 0, NoCheck},
    {"Председатель ГЭК", 2, Text, "FIOGAK", 100, NoCheck},
    {"Секретарь", 2, Text, "FIOSEK", 100, NoCheck},
    {"Форма обучения", 2, List, "IDF", 8, NoCheck},
    {"Протокол ГЭК", 2, Text, "PRGAK", 255, NoCheck},
    {"Приказ об отчислении выпускников №", 2, Text, "PRIKAZNOM", 255, NoCheck},
    {"Дата приказа об отчислении выпускников", 2, Date, "PRIKAZDAT", 0, NoCheck},
    {"Дополнительные сведения", 2, Memo, "DOPOL", 0, NoCheck},
    {"Примечание", 2, Text, "MEMO", 0, NoCheck},
    {"Медицинская специальность", 2, List, "IDM", 17, NoCheck},
    {"Дата выдачи сертификата", 2, Date, "DatMed", 0, NoCheck},
    {"Дата протокола ЭК или ГЭК", 2, Date, "DatGAKMed", 0, NoCheck},
    {"Номер протокола ЭК или ГЭК", 2, Text, "PRGAKMed", 50, NoCheck},
    {"Период переподготовки:", 2, Check, "", 0, NoCheck},
    {"с", 1, Date, "date_S", 0, NoCheck},
    {"по", 1, Date, "date_Po", 0, NoCheck},
};

// Study-plan line (SPNAGR).
constexpr CardField kStudyPlan[] = {
    {"Учебная группа", 1, List, "IDG", 4, Required},
    {"Дисциплина", 2, List, "IDD", 2, NoCheck},
    {"Дополнительный текст (добавляется в 1-й графе бланка)", 3, Memo, "NAIM", 0, NoCheck},
    {"Количество часов, час.", 2, Hours, "CH", 15, NoCheck},
    {"Курсовая работа", 2, Check, "kursovaya", 0, NoCheck},
};

// Grade kind (SPBALL).
constexpr CardField kGradeKind[] = {
    {"Балл", 1, Text, "OCEN", 1, RequiredUnique},
    {"Представление", 2, Text, "NAIM", 100, NoCheck},
};

// Educational institution (SPUCH).
constexpr CardField kInstitutionOfStudy[] = {
    {"Краткое наименование", 2, Text, "Naim", 50, RequiredUnique},
    {"Полное наименование", 6, Memo, "Memo", 0, Required},
};

// Form of study (SPFORM).
constexpr CardField kStudyForm[] = {
    {"Наименование", 2, Text, "NAIM", 255, RequiredUnique},
    {"По форме обучения", 2, Text, "NAIM2", 255, NoCheck},
};

// Training level (SPUR) and kind of earlier-education document (SPVDOC).
constexpr CardField kNameOnly[] = {
    {"Наименование", 2, Text, "NAIM", 255, RequiredUnique},
};

// Printing house (SPTPGR) with the Word template columns ...
constexpr CardField kPrintingHouseWord[] = {
    {"Наименование", 2, Text, "NAIM", 255, RequiredUnique},
    {"Шаблон Кальветы", 2, TemplateFile, "Tmp5", 255, NoCheck},
    {"Шаблон титула диплома ПК", 2, TemplateFile, "Tmp7", 255, NoCheck},
    {"Шаблон приложения к диплому ПК", 2, TemplateFile, "Tmp8", 255, NoCheck},
    {"Шаблон удостоверения", 2, TemplateFile, "Tmp9", 255, NoCheck},
};

// ... and with the Writer template columns.
constexpr CardField kPrintingHouseWriter[] = {
    {"Наименование", 2, Text, "NAIM", 255, RequiredUnique},
    {"Шаблон Кальветы", 2, TemplateFile, "oTmp5", 255, NoCheck},
    {"Шаблон титула диплома ПК", 2, TemplateFile, "oTmp7", 255, NoCheck},
    {"Шаблон приложения к диплому ПК", 2, TemplateFile, "oTmp8", 255, NoCheck},
    {"Шаблон удостоверения", 2, TemplateFile, "oTmp9", 255, NoCheck},
};

// User (USERS). The two password lines show their captions only; the card
// neither shows nor saves PSSW.
constexpr CardField kUser[] = {
    {"Пользователь", 2, Text, "NAIM", 50, RequiredUnique},
    {"Роль", 2, List, "ROLE", 14, Required},
    {"Пароль", 1, Password, "PSSW", 15, NoCheck},
    {"Подтверждение пароля", 1, Password, "PSSW", 15, NoCheck},
    {"Примечание", 2, Memo, "MEMO", 0, NoCheck},
};

// The institution's own card (INF). "Сервер" shows the update service's
// address; "Логин" and "Пароль" live in the user's settings.
constexpr CardField kInstitution[] = {
    {"Образовательное учреждение, выдающее дипломы:", 0, Header, "", 0, NoCheck},
    {"Полное наименование образовательного учреждения (в именительном падеже) и его местонахождение (в "
     "именительном падеже, на отдельной строке)",
     4, Memo, "Naim", 0, Required},
    {"Переименование обр.учреждения (если было)", 3, Memo, "Change", 0, NoCheck},
    {"Директор (Фамилия И.О.)", 2, Text, "FIORUK", 100, NoCheck},
    {"Исполняющий обязанности или уполномоченное лицо", 1, Check, "isIO", 0, NoCheck},
    {"При выдаче дубликатов ликвидированного образовательного учреждения:", 0, Header, "", 0, NoCheck},
    {"Должность руководителя управления образования", 2, Text, "DRUO", 255, NoCheck},
    {"Кальветы и документы ПК специалистов:", 0, Header, "", 0, NoCheck},
    {"Полное наименование организации (в предложном падеже), при котором создана экзаменационная комиссия или "
     "ГЭК",
     2, Memo, "NAIMMED", 0, NoCheck},
    {"Город, в котором действует ЭК или ГЭК", 2, Text, "GORODMED", 255, NoCheck},
    {"Типография, в которой отпечатаны бланки дипломов:", 0, Header, "", 0, NoCheck},
    {"Выберите типографию", 2, List, "IDT", 11, NoCheck},
    {"Офисная программа, в которой Вы будете распечатывать документы:", 0, Header, "", 0, NoCheck},
    {"Выберите программу", 2, List, "OOo", 100, NoCheck},
    {"Тип принтера, на котором Вы будете печатать документы:", 0, Header, "", 0, NoCheck},
    {"Выберите тип принтера", 2, List, "TopPronter", 150, NoCheck},
    {"Автоматическое обновление:", 0, Header, "", 0, NoCheck},
    {"Сервер", 2, Text, "", 0, NoCheck},
    {"Таймаут", 2, Text, "TaimOut", 0, NoCheck},
    {"Авторизация для сервиса (Логин и Пароль заполняются обязательно):", 0, Header, "", 0, NoCheck},
    {"Логин", 2, Text, "", 255, NoCheck},
    {"Пароль", 2, Text, "", 255, NoCheck},
};

// Medical specialty (SPMED).
constexpr CardField kMedicalSpecialty[] = {
    {"Наименование", 2, Text, "NAIM", 255, Required},
    {"Образование", 2, List, "LEVEL2", 122, Required},
};

// Grid quantities: the common one, the person card's, the institution card's.
constexpr CardGrid kCommonGrid{2200, 2500, 7140, 18, 360, 240};
constexpr CardGrid kPersonGrid{2300, 3600, 8140, 18, 360, 240};
constexpr CardGrid kInstitutionGrid{2200, 2500, 7140, 20, 360, 240};

} // namespace

std::span<const CardField> fieldTable(int kind, int docKind, bool officeIsOOo)
{
    switch (kind) {
    case core::Grades: return kGradeLine;
    case core::Specialties: return kSpecialty;
    case core::Disciplines: return kDiscipline;
    case core::Students:
        if (docKind == core::RetrainingDocuments)
            return kRetrainingLayout;
        return kCertificateLayout;
    case core::Groups: return kGroup;
    case core::StudyPlan: return kStudyPlan;
    case core::GradeKinds: return kGradeKind;
    case core::Institutions: return kInstitutionOfStudy;
    case core::StudyForms: return kStudyForm;
    case core::TrainingLevels:
    case core::PriorDocumentKinds: return kNameOnly;
    case core::PrintingHouses:
        if (officeIsOOo)
            return kPrintingHouseWriter;
        return kPrintingHouseWord;
    case core::Users: return kUser;
    case core::Institution: return kInstitution;
    case core::MedicalSpecialties: return kMedicalSpecialty;
    default: return {};
    }
}

QString trimBlanks(const QString& text)
{
    qsizetype a = 0, b = text.size();
    while (a < b && text.at(a) == QLatin1Char(' '))
        ++a;
    while (b > a && text.at(b - 1) == QLatin1Char(' '))
        --b;
    return text.mid(a, b - a);
}

CardGrid cardGrid(int kind)
{
    if (kind == core::Students)
        return kPersonGrid;
    if (kind == core::Institution)
        return kInstitutionGrid;
    return kCommonGrid;
}

} // namespace card
