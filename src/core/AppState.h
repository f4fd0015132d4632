#pragma once
// The program-wide state: what start-up fixes for the run, the one open
// database, and the request variables through which one window tells the next
// what to work on.
#include "platform/jet/Jet.h"

#include <QString>
#include <array>
#include <memory>

namespace core {

// Directory kinds (the value of CurrentKind).
enum DirectoryKind : int {
    Grades = 0,
    Specialties = 1,
    Disciplines = 2,
    Students = 3,
    Groups = 4,
    StudyPlan = 5,
    GradeKinds = 6,
    Institutions = 7,
    StudyForms = 8,
    TrainingLevels = 9,
    PriorDocumentKinds = 10,
    PrintingHouses = 11,
    Users = 12,
    Institution = 15,
    MedicalSpecialties = 16,
    GradeSheetImport = 100,
};
inline constexpr int kKindCount = 17;

// Document kinds (the value of CurrentDocKind).
enum DocKind : int {
    StudentsWindow = -1,
    Documents = 0,
    SpecialistCertificates = 1,
    RetrainingDocuments = 2,
    TrainingCertificates = 3,
    AcademicTranscripts = 4,
};

// The VidDokum value a grade line stores for a document kind.
inline int vidDokumOf(int docKind) { return docKind > 0 ? docKind - 1 : 0; }

// Document forms chosen in a print menu (PreselectedBlankKind); 0 is none.
enum BlankKind : int {
    NoBlank = 0,
    DiplomaTitle = 1,
    DiplomaSupplement = 2,
    AcademicTranscript = 3,
    OtherDocument = 4,
    SpecialistCertificate = 5,
    RetrainingDiplomaTitle = 6,
    RetrainingDiplomaSupplement = 7,
    CompletionCertificate = 8,
    TrainingCertificateTitle = 9,
    TrainingCertificateSupplement = 10,
    AcademicTranscriptSupplement = 11,
    SchoolCertificateTitle = 12,
    SchoolCertificateSupplement = 13,
    RkTrainingCertificateTitle = 14,
    RkTrainingCertificateSupplement = 15,
};

// The folder of the data folder that holds the shipped document templates,
// where a template named without a path is looked for.
inline constexpr const char* kTemplatesFolderName = "Шаблоны ЭЖ";
// The folder of the program's folder where printed lists, books and documents
// are saved.
inline constexpr const char* kDocumentsFolderName = "Документы";

// The program's version.
inline constexpr int kAppMajor = 6;
inline constexpr int kAppMinor = 0;
inline constexpr int kAppRevision = 4;

struct AppState {
    // Fixed for the run after start-up.
    QString HelpPagePath;
    QString AppPath;
    QString TemplatesFolder;
    std::array<QString, 11> DefaultTemplateNames;  // 1..10 used
    QString MainCaption;
    QString DatabasePathSetting;
    bool ComboTypeAhead = false;

    // The database.
    std::unique_ptr<jet::Database> MainDatabase;

    // The office program: true for OpenOffice.org, false for Microsoft Office.
    bool OfficeIsOOo = false;

    // Requests between windows.
    int CurrentKind = 0;
    int CurrentDocKind = 0;
    long CurrentRowId = 0;
    bool RowIsCopy = false;
    long CurrentGroupId = 0;
    long CurrentGroupIndex = 0;
    long CurrentStudentId = 0;
    long BookGroupId = 0;
    long ImportGroupId = 0;
    int ImportDocKind = 0;
    int PreselectedBlankKind = 0;
    int DialogResult = 0;
    bool SettingPassword = false;

    // Used by one subsystem each.
    QString DocFilterDateFrom, DocFilterDateTo, DocFilterNumberFrom, DocFilterNumberTo;
    QString CertFilterDateFrom, CertFilterDateTo, CertFilterNumberFrom, CertFilterNumberTo;
    QString PrintColumnMask;
    int ColumnChooserMode = 0;
    bool BackgroundNoticeShown = false;
    QString SheetNameList;
    QString ChosenSymbol;
    long ChosenSymbolIndex = 0;
};

// The one instance.
AppState& state();

// The open database; throws jet::Error when none is open.
jet::Database& db();

// Puts every variable back to its zero value (tests start from here).
void resetState();

} // namespace core
