#pragma once
// The placeholders a document template may hold, kept as one table, and the
// values they take for one person's document.
#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace printing {

// Where a placeholder's value comes from.
enum class PlaceholderSource {
    Person,            // SPSTUD, the person
    Group,             // SPGRUP, the person's group
    Specialty,         // SPOTD, the group's specialty
    MedicalSpecialty,  // SPMED, the group's medical specialty
    Institution,       // INF, the institution's card
    PrintingHouse,     // SPTPGR, the printing house in use
    IssueDate,         // the document's issue date
    GradeLine,         // one line of the grades table
};

// How the value is written.
enum class PlaceholderForm {
    Text,           // the column as text, dates as 05.03.2024
    Day,            // the day of the issue date, two digits
    MonthGenitive,  // the month's name in the genitive: "марта"
    Year,           // four digits
    Discipline,     // a grade line: the discipline or heading
    Hours,          // a grade line: the hours (empty for a heading)
    Grade,          // a grade line: the grade's wording (empty for a heading)
};

struct Placeholder {
    const char* token;  // with its brackets: "[FAM]", "[SPGRUP.NAIM]"
    PlaceholderSource source;
    const char* column;  // the column of the source's row; empty for computed values
    PlaceholderForm form;
    const char* meaning;  // what it stands for, in the user's words
};

// Every placeholder, in the order of the user manual.
const std::vector<Placeholder>& PlaceholderTable();

// The placeholder whose token matches `token` without regard to case;
// nullptr when none does.
const Placeholder* FindPlaceholder(const QString& token);

// The table row holding this placeholder is repeated per grade line.
inline constexpr const char* kGradeRowMarker = "[ДИСЦИПЛИНА]";

// One line of a person's grades for a document kind.
struct GradeLine {
    QString discipline;
    QString hours;
    QString grade;
    bool heading = false;
};

// Everything a person's document is filled from.
struct DocumentData {
    bool found = false;  // the person exists
    QVariantMap person, group, specialty, medicalSpecialty, institution, printingHouse;
    QDate issueDate;
    std::vector<GradeLine> grades;
};

// Reads the person `id` and what belongs to them. The issue date is the
// group's certificate date for the specialist certificate, otherwise the
// person's own document date or, without one, the group's. The grade lines
// are those stored for `docKind`, in their order. Reads only.
DocumentData LoadDocumentData(long id, int blankKind, int docKind);

// The month's name in the genitive, 1 = "января"; empty outside 1..12.
QString MonthGenitive(int month);

// The value of a placeholder that does not belong to a grade line.
QString PlaceholderValue(const Placeholder& p, const DocumentData& data);
// The value of a grade-line placeholder for one line.
QString GradeLineValue(const Placeholder& p, const GradeLine& line);

// "Иванова А.Б." from the person's names.
QString SurnameAndInitials(const QVariantMap& person);

} // namespace printing
