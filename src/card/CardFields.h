#pragma once
// The record card's field tables: one ordered table of lines per directory
// kind (two for the person card, two column variants for the printing-house
// card), and the layout quantities of the card's grid.
#include <QString>

#include <span>

namespace card {

// The kind of input a line gets. Value 6 is used by no table.
enum ControlKind : int {
    Text = 0,
    List = 1,
    Check = 2,
    Date = 3,
    Memo = 4,
    Password = 5,
    Hours = 7,
    Year = 8,
    TemplateFile = 9,
    Header = 10,
};

// What saving demands of a line's value.
enum CheckFlag : int {
    NoCheck = 0,
    Required = 1,
    RequiredUnique = 2,
};

// One line of the card. An entry the table leaves empty is 0 (numbers) or ""
// (texts); neither has an effect.
struct CardField {
    const char* caption;    // the label; the heading of a Header line
    int widthUnits;         // input width in width units; lines taken by a Memo
    int controlKind;        // ControlKind
    const char* fieldName;  // column of the kind's table; "" when none
    int lengthOrList;       // maximum length (Text, Memo, Year, TemplateFile) or list code (List, Hours)
    int checkFlag;          // CheckFlag

    QString Caption() const { return QString::fromUtf8(caption); }
    QString FieldName() const { return QString::fromLatin1(fieldName); }
    bool hasField() const { return fieldName != nullptr && *fieldName != '\0'; }
};

// The table of a kind: kind 3 gives the retraining layout exactly when
// `docKind` is 2, kind 11 the Writer template columns exactly when
// `officeIsOOo`. Kinds without a card (13, 14 and anything unknown) give an
// empty table.
std::span<const CardField> fieldTable(int kind, int docKind, bool officeIsOOo);

// The grid of a card, in twips.
struct CardGrid {
    int widthUnit;         // one width unit of an input
    int labelColumnWidth;  // left edge of the inputs within a column
    int columnStep;        // distance between columns
    int rowLimit;          // a new column starts after the line whose row exceeds it
    int rowPitch;
    int firstRowTop;
};
CardGrid cardGrid(int kind);

// Lines that the card's own rules address by caption.
namespace captions {
inline constexpr const char* kCertificateNumber = "Регистрационный номер сертификата";
inline constexpr const char* kCertificateBlank = "Серия и номер бланка сертификата";
inline constexpr const char* kDocumentNumber = "Регистрационный номер документа";
inline constexpr const char* kCertificateOfTraining = "Регистрационный номер удостоверения";
inline constexpr const char* kMedicalSpecialty = "Медицинская специальность";
inline constexpr const char* kSpecialty = "Специальность/Профессия";
inline constexpr const char* kRefinedSpecialty =
    "Наименование специальности/профессии (уточненное) (код и наименование)";
inline constexpr const char* kRefinedQualification = "Квалификация (уточненная)";
inline constexpr const char* kNormativeTerm = "Нормативный срок обучения по очной форме";
inline constexpr const char* kServer = "Сервер";
inline constexpr const char* kLogin = "Логин";
inline constexpr const char* kPassword = "Пароль";
inline constexpr const char* kTimeout = "Таймаут";
} // namespace captions

// The card trims only the space character from values; line breaks and tabs
// stay.
QString trimBlanks(const QString& text);

// The update service's address shown on the institution card.
inline constexpr const char* kUpdateServiceAddress = "http://update.kalveta.example/webservices/update/";

} // namespace card
