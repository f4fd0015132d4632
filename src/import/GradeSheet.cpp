#include "import/GradeSheet.h"

namespace importer {
namespace {

constexpr const char* kUnnamedDiscipline = "Нет наименования дисциплины";
constexpr int kNameParts = 3;

QList<int> disciplineColumns(const GradeSheetSettings& s)
{
    QList<int> out;
    const int step = s.everySecondColumn ? 2 : 1;
    for (int c = s.firstDisciplineColumn; c <= s.lastDisciplineColumn; c += step)
        if (c >= 1)
            out << c;
    return out;
}

} // namespace

QString unnamedDisciplineCaption()
{
    return QString::fromUtf8(kUnnamedDiscipline);
}

GradeSheetRead readGradeSheet(const office::SheetTexts& sheet, const GradeSheetSettings& s, const QString& groupName,
                              ReadingPath path)
{
    const bool calc = path == ReadingPath::Calc;
    // Calc gives every text trimmed; Excel trims names and hours only.
    const auto text = [&](int row, int column, bool trim) {
        const QString t = sheet.cell(row, column);
        return calc || trim ? t.trimmed() : t;
    };

    GradeSheetRead out;
    const QList<int> columns = disciplineColumns(s);
    for (int c : columns) {
        QString name = text(s.disciplineRow, c, false);
        if (name.isEmpty())
            name = unnamedDisciplineCaption();
        const QString hours = s.disciplineRow > 1 ? text(s.disciplineRow - 1, c, true) : QString();
        out.disciplines << disciplineColumn(name, hours);
    }

    for (int r = s.firstPersonRow; r <= s.lastPersonRow; ++r) {
        QStringList row(1 + kNameParts + columns.size(), QString());
        if (s.threeNameColumns) {
            for (int k = 0; k < kNameParts; ++k) {
                const QString part = text(r, s.nameColumn + k, true);
                if (!part.isEmpty()) {
                    row[0] = groupName;
                    row[1 + k] = part;
                }
            }
        } else {
            const QString name = text(r, s.nameColumn, true);
            if (name.isEmpty())
                continue;
            row[0] = groupName;
            // Surname and first name are one word each; whatever follows
            // is the patronymic, so a name such as "Алиев Руслан Эльдар
            // оглы" keeps its last word and the person is found.
            const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            for (int k = 0; k < kNameParts - 1 && k < words.size(); ++k)
                row[1 + k] = words.at(k);
            row[kNameParts] = words.mid(kNameParts - 1).join(QLatin1Char(' '));
        }
        for (int d = 0; d < columns.size(); ++d)
            row[1 + kNameParts + d] = text(r, columns.at(d), false);
        out.rows << row;
        out.sheetRows << r;
    }
    return out;
}

} // namespace importer
