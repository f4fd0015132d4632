#include "books/GradePivot.h"

#include "books/BookQuery.h"
#include "core/AppState.h"
#include "platform/jet/Jet.h"

#include <algorithm>
#include <numeric>

namespace books {

GradePivot readGradePivot(const BookSql& gradeLines)
{
    GradePivot pivot;
    if (gradeLines.isEmpty())
        return pivot;

    // One pass over the lines: persons in order, each line as (person,
    // heading as written, grade).
    struct Line {
        int person;
        int heading;
        QString grade;
    };
    std::vector<Line> lines;
    QStringList written;  // distinct headings exactly as written
    QHash<QString, int> writtenIndex;
    try {
        jet::Database& db = core::db();
        auto rs = db.openRecordset(gradeLines.sql, jet::dbOpenForwardOnly, gradeLines.params);
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        const int headingField = rs->fieldIndex(QStringLiteral("HEADING"));
        const int gradeField = rs->fieldIndex(QStringLiteral("GRADE"));
        qlonglong lastPerson = 0;
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong person = jet::toLong(rs->value(idField));
            if (pivot.persons.empty() || person != lastPerson) {
                pivot.persons.push_back(person);
                lastPerson = person;
            }
            const QString heading = jet::toText(rs->value(headingField));
            auto found = writtenIndex.constFind(heading);
            int h;
            if (found == writtenIndex.constEnd()) {
                h = int(written.size());
                written.append(heading);
                writtenIndex.insert(heading, h);
            } else {
                h = *found;
            }
            const QVariant grade = rs->value(gradeField);
            lines.push_back({int(pivot.persons.size()) - 1, h,
                             jet::isNull(grade) ? QString(QLatin1String("")) : jet::toText(grade)});
        }
    } catch (const jet::Error&) {
        pivot = GradePivot{};
        pivot.ok = false;
        return pivot;
    }

    // Headings in collation order; equal ones share a column.
    std::vector<int> order(size_t(written.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&written](int a, int b) {
        return jet::Database::compareText(written.at(a), written.at(b)) < 0;
    });
    std::vector<int> columnOf(order.size(), 0);
    for (size_t i = 0; i < order.size(); ++i) {
        const QString& text = written.at(order[i]);
        if (pivot.headings.isEmpty() || jet::Database::compareText(pivot.headings.constLast(), text) != 0)
            pivot.headings.append(text);
        columnOf[size_t(order[i])] = int(pivot.headings.size()) - 1;
    }
    if (pivot.tooWide())
        return pivot;

    // The first line of a person under a heading gives the grade.
    const size_t columns = size_t(pivot.headings.size());
    pivot.grades.assign(pivot.persons.size(), std::vector<QString>(columns));
    std::vector<std::vector<bool>> taken(pivot.persons.size(), std::vector<bool>(columns, false));
    for (const Line& line : lines) {
        const size_t c = size_t(columnOf[size_t(line.heading)]);
        const size_t p = size_t(line.person);
        if (taken[p][c])
            continue;
        taken[p][c] = true;
        pivot.grades[p][c] = line.grade;
    }
    return pivot;
}

QString gradeFieldName(const QString& heading)
{
    QString name = heading;
    name.replace(QLatin1Char('.'), QLatin1Char('_'));
    return name;
}

QString gradeCaption(const QString& fieldName)
{
    QString caption = fieldName;
    caption.replace(QLatin1Char('_'), QLatin1Char('.'));
    return caption;
}

} // namespace books
