#include "books/BookColumns.h"

#include "books/GradePivot.h"
#include "core/AppState.h"

#include <span>

namespace books {
namespace {

struct ColumnDef {
    const char* caption;
    const char* field;
    double divisor;
    double minWidth;
    int alignment;
    int sortKind;
    bool gradeBlock;
};

constexpr ColumnDef kCertificateColumns[] = {
    {"", "", 0, 0, 0, 0, false},
    {"Группа", "GR", 15, 300, 0, 0, false},
    {"Регистрационный номер сертификата", "REGNOMMED", 15, 300, 1, 0, false},
    {"Номер бланка сертификата", "NOMMED", 15, 300, 1, 0, false},
    {"Фамилия", "FAM", 12, 800, 0, 0, false},
    {"Имя", "IM", 12, 300, 0, 0, false},
    {"Отчество", "OTCH", 12, 300, 0, 0, false},
    {"Медицинская специальность", "NAIMMED", 12, 500, 0, 0, false},
    {"Дата выдачи", "DatMed", 15, 300, 0, 0, false},
    {"Дата решения ЭК или ГЭК", "DatGAKMed", 15, 300, 0, 0, false},
    {"Номер протокола ЭК или ГЭК", "PRGAKMed", 15, 300, 0, 0, false},
    {"Подпись руководителя службы ОУ, выдающего сертификат", "", 12, 100, 0, 0, false},
    {"Доверенное лицо (получатель сертификата)", "GETMED", 12, 300, 0, 0, false},
    {"Подпись лица, которому выдан сертификат (дата и номер почтового отправления)", "POSTMED", 12, 500, 0, 0, false},
};

constexpr ColumnDef kRetrainingColumns[] = {
    {"", "", 0, 0, 0, 0, false},
    {"Учебная группа", "GR", 15, 300, 0, 0, false},
    {"Регистрационный номер", "REGNOMdoc", 15, 300, 1, 1, false},
    {"Регистрационный номер удостоверения", "RegnomUd", 15, 300, 1, 1, false},
    {"Фамилия", "FAM", 8, 800, 0, 0, false},
    {"Имя", "IM", 12, 300, 0, 0, false},
    {"Отчество", "OTCH", 12, 300, 0, 0, false},
    {"", "", 20, 300, 2, 1, true},  // one column per grade heading
    {"Серия и номер бланка диплома", "DIPL", 8, 500, 2, 0, false},
    {"Серия и номер бланка приложения к диплому", "PRIL", 8, 500, 2, 0, false},
    {"Дата выдачи диплома", "DATD", 12, 500, 2, 2, false},
    {"Наименование специальности", "SPEC", 8, 500, 0, 0, false},
    {"Наименование квалификации", "KVAL", 8, 500, 0, 0, false},
    {"Дата протокола ГЭК", "DATGAK", 12, 500, 2, 2, false},
    {"Номер протокола ГЭК", "PRGAK", 12, 500, 0, 0, false},
    {"Номер и дата приказа об отчислении выпускника", "PROTCHVIP", 12, 500, 0, 0, false},
    {"Номер и дата приказа об отчислении студента", "PROTCH", 12, 500, 0, 0, false},
    {"Подпись руководителя службы ОУ, выдающего диплом", "", 12, 100, 0, 0, false},
    {"Подпись лица, которому выдан документ (дата и номер почтового отправления)", "POST", 12, 500, 0, 0, false},
};

// The book of issued documents (book 0): the fields of its document data,
// captioned as the retraining book captions the same fields.
constexpr ColumnDef kDocumentColumns[] = {
    {"", "", 0, 0, 0, 0, false},
    {"Учебная группа", "GR", 15, 300, 0, 0, false},
    {"Регистрационный номер", "REGNOM", 15, 300, 1, 1, false},
    {"Фамилия", "FAM", 8, 800, 0, 0, false},
    {"Имя", "IM", 12, 300, 0, 0, false},
    {"Отчество", "OTCH", 12, 300, 0, 0, false},
    {"Серия и номер бланка диплома", "DIPL", 8, 500, 2, 0, false},
    {"Серия и номер бланка приложения к диплому", "PRIL", 8, 500, 2, 0, false},
    {"Дата выдачи диплома", "DATD", 12, 500, 2, 2, false},
    {"Наименование специальности", "SPEC", 8, 500, 0, 0, false},
    {"Наименование квалификации", "KVAL", 8, 500, 0, 0, false},
    {"Дата протокола ГЭК", "DATGAK", 12, 500, 2, 2, false},
    {"Номер протокола ГЭК", "PRGAK", 12, 500, 0, 0, false},
    {"Номер и дата приказа об отчислении студента", "PROTCH", 12, 500, 0, 0, false},
    {"Диплом с отличием", "OtlT", 12, 300, 0, 0, false},
    {"Подпись руководителя службы ОУ, выдающего диплом", "", 12, 100, 0, 0, false},
    {"Подпись лица, которому выдан документ (дата и номер почтового отправления)", "", 12, 500, 0, 0, false},
};

constexpr int kRetrainingBlock = 7;

std::span<const ColumnDef> columnDefs(int med)
{
    switch (med) {
    case core::RetrainingDocuments: return kRetrainingColumns;
    case core::Documents: return kDocumentColumns;
    default: return kCertificateColumns;
    }
}

} // namespace

BookColumnModel bookColumnModel(int med, const QStringList& headings)
{
    const bool retraining = med == core::RetrainingDocuments;
    const std::span<const ColumnDef> defs = columnDefs(med);
    BookColumnModel model;
    model.nper = retraining ? kRetrainingBlock : 0;
    for (size_t e = 0; e < defs.size(); ++e) {
        const ColumnDef& d = defs[e];
        BookColumn c;
        c.field = QString::fromUtf8(d.field);
        c.divisor = d.divisor;
        c.minWidth = d.minWidth;
        c.alignment = d.alignment;
        c.sortKind = d.sortKind;
        c.element = int(e);
        if (d.gradeBlock) {
            for (int j = 0; j < headings.size(); ++j) {
                BookColumn g = c;
                g.field = gradeFieldName(headings.at(j));
                g.caption = gradeCaption(g.field);
                g.grade = j;
                model.columns.append(g);
            }
            model.gradeCount = int(headings.size());
            continue;
        }
        c.caption = QString::fromUtf8(d.caption);
        model.columns.append(c);
    }
    return model;
}

QStringList BookColumnModel::captions() const
{
    QStringList out;
    for (const BookColumn& c : columns)
        out << c.caption;
    return out;
}

QList<int> BookColumnModel::alignments() const
{
    QList<int> out;
    for (const BookColumn& c : columns)
        out << c.alignment;
    return out;
}

QList<double> BookColumnModel::divisors() const
{
    QList<double> out;
    for (const BookColumn& c : columns)
        out << c.divisor;
    return out;
}

QList<double> BookColumnModel::minWidths() const
{
    QList<double> out;
    for (const BookColumn& c : columns)
        out << c.minWidth;
    return out;
}

int BookColumnModel::sortKindOfHeader(int header) const
{
    const int column = header - 1;
    return column >= 0 && column < columns.size() ? columns.at(column).sortKind : 0;
}

QStringList BookColumnModel::elementCaptions() const
{
    QStringList out;
    for (const BookColumn& c : columns) {
        if (c.grade > 0)
            continue;
        if (nper > 0 && c.element > nper && out.size() == nper)
            out << QString();  // an empty block still holds its element
        out << (c.grade == 0 ? QString() : c.caption);
    }
    return out;
}

QList<int> BookColumnModel::elementAlignments() const
{
    QList<int> out;
    for (const BookColumn& c : columns) {
        if (c.grade > 0)
            continue;
        if (nper > 0 && c.element > nper && out.size() == nper)
            out << 2;
        out << c.alignment;
    }
    return out;
}

QStringList BookColumnModel::gradeCaptions() const
{
    QStringList out;
    for (const BookColumn& c : columns)
        if (c.grade >= 0)
            out << c.caption;
    return out;
}

} // namespace books
