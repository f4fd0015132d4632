#pragma once
// The placeholders a document template may hold, and the values they take
// for one person's document.
//
// The table follows the database structure: every column of the person as
// [COLUMN], every column of the person's group, its specialty and medical
// specialty, the institution and the printing house in use as
// [TABLE.COLUMN], the rows the person and the group refer to by key under
// names of their own ([ВИДДОК.NAIM], [ПОСТУПЛ.MEMO], [ФОРМА.NAIM2] ...),
// every date also in parts ([X.ДЕНЬ], [X.МЕСЯЦ], [X.ГОД], [X.ГГ]) and
// whole as a blank writes it ([X.ПРОПИСЬЮ]), the same of the issue date, the
// earlier education document and a duplicate's signer as a blank writes
// them, and the columns of a grade line. What each one stands for is
// kept in the user's words beside it; the help pages list the table as it
// is (PlaceholderTableHtml).
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace printing {

// Where a placeholder's value comes from.
enum class PlaceholderSource {
    Person,                 // SPSTUD, the person
    DocumentKind,           // SPVDOC by SPSTUD.IDV: the earlier education document's kind
    AdmissionInstitution,   // SPUCH by SPSTUD.PosOU
    CompletionInstitution,  // SPUCH by SPSTUD.ZavOU
    Group,                  // SPGRUP, the person's group
    StudyForm,              // SPFORM by SPGRUP.IDF
    TrainingLevel,          // SPUR by SPGRUP.IDX
    Specialty,              // SPOTD, the group's specialty
    MedicalSpecialty,       // SPMED, the group's medical specialty
    Institution,            // INF, the institution's card
    PrintingHouse,          // SPTPGR, the printing house in use
    IssueDate,              // the document's issue date
    GradeLine,              // one line of the grades table
};

// How the value is written.
enum class PlaceholderForm {
    Text,           // the column as stored: a text, a number, a date as 05.03.2024; nothing for 0
    Flag,           // a yes/no column: its word when set, else nothing
    Day,            // the day of a date (the column's, or the issue date), two digits
    MonthGenitive,  // the month's name in the genitive: "марта"
    Year,           // four digits
    ShortYear,      // the last two digits of the year, for a blank printed with "20__ г."
    WrittenDate,    // «05» марта 2024 г.; nothing at all without a date
    EarlierDocument,  // the earlier education document: kind, series, № number, year, the missing parts left out
    Framed,         // the column with the words around it (Placeholder::frame); nothing at all without a value
    DuplicateSigner,  // INF.DRUO on a duplicate (DUBL set), else nothing
    Head,           // the head who signs: "и.о. " when acting, then INF.FIORUK; nothing on a duplicate of a
                    // liquidated institution, whose signer INF.DRUO names no one
    HeadPosition,   // the signer's position: the head's, or INF.DRUO on a duplicate of a liquidated institution
    Discipline,     // a grade line: the discipline or heading
    Hours,          // a grade line: the hours
    Grade,          // a grade line: the grade's wording
};

struct Placeholder {
    QString token;  // with its brackets: "[FAM]", "[SPGRUP.NAIM]"
    PlaceholderSource source;
    QString column;  // the column of the source's row; empty for the issue date and grade lines
    PlaceholderForm form;
    QString meaning;   // what it stands for, in the user's words
    QString flagWord;  // Flag: the word written when the column is set
    bool service = false;  // carried by no blank: a record key, a code of the program, the printer, the printing house
    QString frame = {};    // Framed: the words around the value, "%1 обучения"
};

// Every placeholder, in the order of the help pages.
const std::vector<Placeholder>& PlaceholderTable();

// The placeholder whose token matches `token` without regard to case;
// nullptr when none does.
const Placeholder* FindPlaceholder(const QString& token);

// Why a text in square brackets is no placeholder, for the warning after a
// fill: "пробелы внутри скобок", "латинская буква «A» вместо русской" ... and
// the placeholder it is closest to ("ближе всего [SPGRUP.NAIM]"); "такого
// поля нет" when none is close.
QString UnknownPlaceholderNote(const QString& token);
// The warning after a fill that left these unknown texts in square brackets
// as they were: one line per text with its note.
QString UnknownPlaceholdersWarning(const QStringList& tokens);

// The table as the rows of an HTML table ("Поле", "Что подставляется"),
// headed by each source, as the help page and the user manual show it.
QString PlaceholderTableHtml();

// The table row holding this placeholder is repeated per grade line.
inline constexpr const char* kGradeRowMarker = "[ДИСЦИПЛИНА]";

// One line of a person's grades for a document kind.
struct GradeLine {
    QString discipline;
    QString hours;
    QString grade;
    bool heading = false;  // a section heading: it may be shown apart, its data stay
};

// Everything a person's document is filled from. Each row maps its column
// names in upper case to the stored values; a row that is not there is
// empty.
struct DocumentData {
    bool found = false;  // the person exists
    QVariantMap person, documentKind, admission, completion, group, studyForm, trainingLevel, specialty,
        medicalSpecialty, institution, printingHouse;
    QDate issueDate;
    std::vector<GradeLine> grades;
};

// Reads the person `id` and what belongs to them. The issue date is the
// group's certificate date for the specialist certificate, otherwise the
// person's own document date or, without one, the group's. The person's
// dative names that are not stored are derived from the nominative ones.
// The grade lines are those stored for `docKind`, in their order, each with
// its hours and grade. Reads only.
DocumentData LoadDocumentData(long id, int blankKind, int docKind);

// The month's name in the genitive, 1 = "января"; empty outside 1..12.
QString MonthGenitive(int month);

// The value of a placeholder that does not belong to a grade line.
QString PlaceholderValue(const Placeholder& p, const DocumentData& data);
// The value of a grade-line placeholder for one line.
QString GradeLineValue(const Placeholder& p, const GradeLine& line);

// "Иванова А.Б." from the person's names.
QString SurnameAndInitials(const QVariantMap& person);

// The earlier education document as a blank writes it: "аттестат АВ № 7381345,
// 2010 год" (a no-break space after "№"), each missing part left out with
// its mark.
QString EarlierDocument(const DocumentData& data);

// What a document made from a template with these placeholders would lack
// of the registration number and the issue date it prints: "без
// регистрационного номера", "без даты выдачи", in this order; empty when it
// lacks nothing or prints neither. A number "0" is none.
QStringList MissingIssueDetails(const QStringList& tokens, const DocumentData& data);

// True when the template's grades table (the row with [ДИСЦИПЛИНА]) would
// stay empty: the template has one and the person has no grade lines.
bool GradeTableStaysEmpty(const QStringList& tokens, const DocumentData& data);

} // namespace printing
