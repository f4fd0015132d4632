#pragma once
// The texts of the import: window captions, status texts and messages.
namespace importer::text {

inline constexpr const char* kWindowCaption = "Импорт данных";
inline constexpr const char* kFileDialogTitle = "Импорт";
inline constexpr const char* kCalcFilter = "Таблица OpenOffice Calc (*.ods)";
inline constexpr const char* kExcelFilter = "Таблица Microsoft Excel (*.xls)";

// Settings of section "User".
inline constexpr const char* kKeyFolder = "frmImpFile";
inline constexpr const char* kKeyFilter = "frmImpFltr";

// Status texts.
inline constexpr const char* kChooseFile = "Выберите файл для импорта.";
inline constexpr const char* kOpening = "Открытие таблицы для импорта...";
inline constexpr const char* kSearchingHeader = "Поиск заголовков столбцов для импорта...";
inline constexpr const char* kReading = "Идет импорт данных...";
inline constexpr const char* kLoaded = "Данные загружены в окно диалога.";
inline constexpr const char* kNotImported = "Импорт не выполнен.";
inline constexpr const char* kCancelled = "Импорт отменен.";
inline constexpr const char* kCheckRunning = "Идет проверка данных.";
inline constexpr const char* kImportRunning = "Идет импорт данных.";
inline constexpr const char* kCheckDone = "Проверка завершена.";
inline constexpr const char* kImportDone = "Импорт завершен.";
// Progress of a pass: the row and the number of rows follow.
inline constexpr const char* kCheckProgress = "Проверка данных: строка";
inline constexpr const char* kImportProgress = "Импорт данных: строка";
inline constexpr const char* kReadProgress = "Чтение таблицы: строка";

// Label texts (the count follows).
inline constexpr const char* kRowsLoaded = "Строк: %1. Требуется проверка качества данных. Нажмите кнопку \"Проверка\".";
inline constexpr const char* kRowsToAdd = "Строк к добавлению: %1";
inline constexpr const char* kRowsImported = "Импортировано строк: %1.";

// Messages.
inline constexpr const char* kNoFileName = "Не было выбрано имя файла.";
inline constexpr const char* kFileNotFound = "Файл электронной таблицы не найден: ";
inline constexpr const char* kUnexpectedError = "Произошла непредвиденная ошибка: ";
inline constexpr const char* kNoHeader =
    "В этом файле заголовочная строка таблицы не найдена. В электронной таблице должна быть строка с теми же "
    "заголовками граф, что и заголовки в таблице справочника (регистр букв не важен).";
inline constexpr const char* kNoLayout = "Для этого справочника импорт из электронной таблицы не предусмотрен.";
inline constexpr const char* kNoGroup = "Сначала выберите группу, в которую нужно импортировать данные.";
inline constexpr const char* kImportFailed =
    "Импорт не выполнен, данные остались прежними. При записи строки %1 произошла ошибка: %2";
inline constexpr const char* kGradeImportFailed = "Импорт не выполнен, данные остались прежними. Ошибка: %1";

// The rows a check pass leaves out for a value the directory cannot take.
inline constexpr const char* kProblemsIntro = "Эти строки не будут добавлены:";
inline constexpr const char* kProblemRow = "строка %1: ";
inline constexpr const char* kUnknownValue = "«%1» не найдено в справочнике (графа «%2»)";
inline constexpr const char* kWrongValue = "«%1» не подходит для графы «%2»";
inline constexpr const char* kUnknownGrade = "оценки «%1» нет в справочнике видов оценок";
inline constexpr const char* kMoreProblems = "и еще строк: %1.";
inline constexpr const char* kRequiredEmpty = "не заполнена графа «%1»";
inline constexpr const char* kAlreadyStored = "«%1» уже есть в справочнике (графа «%2»)";
inline constexpr const char* kRepeatsRow = "повторяет строку %1 (графа «%2»)";
inline constexpr const char* kUnknownGroup = "группы «%1» нет в справочнике";
inline constexpr const char* kNoNames = "не указаны фамилия, имя и отчество";
inline constexpr const char* kNotInGroup = "«%1» нет в группе «%2»";
inline constexpr const char* kNoDisciplines = "нет в справочнике дисциплин: %1";

// The rows an import pass left out, after the count of the rows imported.
inline constexpr const char* kNotImportedIntro = "Эти строки не импортированы:";

} // namespace importer::text
