#include "books/GradePivot.h"

#include "books/BookQuery.h"
#include "core/AppState.h"
#include "platform/jet/Jet.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <tuple>

namespace books {

GradePivot readGradePivot(const BookSql& gradeLines, const QHash<qlonglong, int>& positionOf, int personCount,
                          const std::function<void(int)>& progress)
{
    GradePivot pivot;
    if (gradeLines.isEmpty())
        return pivot;

    // Distinct headings exactly as written, each with where it first shows
    // in the book (the person's position and the line's place in the pass;
    // within a person, the order of the person's list) and its column.
    struct Written {
        QString text;
        int firstPerson;
        size_t firstLine;
        int column;
    };
    std::vector<Written> written;
    QHash<QString, int> writtenIndex;
    // The columns as they are met: headings the Russian collation holds
    // equal share one. `sorted` keeps them in collation order; each column's
    // cells are filled as the lines are read, so that no line is kept.
    struct Column {
        int member;  // a heading written under it
        std::vector<quint8> cells;
    };
    std::vector<Column> found;
    std::vector<int> sorted;
    bool keepCells = true;  // false once the book is too wide to show grades
    const auto columnFor = [&](int h) {
        const QString& text = written[size_t(h)].text;
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), text, [&](int column, const QString& t) {
            return jet::Database::compareText(written[size_t(found[size_t(column)].member)].text, t) < 0;
        });
        if (at != sorted.end() &&
            jet::Database::compareText(written[size_t(found[size_t(*at)].member)].text, text) == 0)
            return *at;
        const int column = int(found.size());
        found.push_back({h, {}});
        sorted.insert(at, column);
        if (found.size() > size_t(kMaxGradeColumns)) {
            keepCells = false;
            for (Column& c : found)
                std::vector<quint8>().swap(c.cells);
        }
        if (keepCells)
            found.back().cells.assign(size_t(personCount) * size_t(pivot.cellWidth), 0);
        return column;
    };
    // The heading of a discipline and hours, made once for each pair met
    // (a discipline is mostly taught for one number of hours).
    struct HoursHeading {
        QString hours;
        int heading;
    };
    QHash<qlonglong, std::vector<HoursHeading>> headingsOf;
    QHash<qlonglong, QString> disciplineName;
    QHash<qlonglong, int> gradeIndex;  // grade kind → its text
    const auto headingFor = [&](qlonglong discipline, const QString& hours) {
        std::vector<HoursHeading>& known = headingsOf[discipline];
        for (const HoursHeading& k : known)
            if (k.hours == hours)
                return k.heading;
        const QString text = disciplineName.value(discipline) + QStringLiteral(" (") + hours + QLatin1Char(')');
        int h;
        if (auto same = writtenIndex.constFind(text); same != writtenIndex.constEnd()) {
            h = *same;
        } else {
            h = int(written.size());
            written.push_back({text, std::numeric_limits<int>::max(), 0, 0});
            writtenIndex.insert(text, h);
            written.back().column = columnFor(h);
        }
        known.push_back({hours, h});
        return h;
    };
    // Cells are made wider when there are more grade texts than they hold.
    const auto widenFor = [&](quint32 value) {
        int width = pivot.cellWidth;
        while (width < 4 && value >> (8 * width) != 0)
            width *= 2;
        if (width == pivot.cellWidth)
            return;
        for (Column& c : found) {
            if (c.cells.empty())
                continue;
            std::vector<quint8> wider(size_t(personCount) * size_t(width), 0);
            for (size_t p = 0; p < size_t(personCount); ++p)
                GradePivot::setCellAt(wider, width, p, GradePivot::cellAt(c.cells, pivot.cellWidth, p));
            c.cells = std::move(wider);
        }
        pivot.cellWidth = width;
    };

    try {
        jet::Database& db = core::db();
        // The mark of each grade kind; a kind without one shows an empty mark.
        QHash<qlonglong, QString> markOf;
        const BookSql marks = gradeMarksQuery();
        for (auto m = db.openRecordset(marks.sql, jet::dbOpenForwardOnly); !m->isEOF(); m->moveNext()) {
            const QVariant mark = m->value(1);
            markOf.insert(jet::toLong(m->value(0)), jet::isNull(mark) ? QString(QLatin1String("")) : jet::toText(mark));
        }
        const BookSql names = disciplineNamesQuery();
        for (auto d = db.openRecordset(names.sql, jet::dbOpenForwardOnly); !d->isEOF(); d->moveNext())
            disciplineName.insert(jet::toLong(d->value(0)), jet::toText(d->value(1)));
        auto rs = db.openRecordset(gradeLines.sql, jet::dbOpenForwardOnly, gradeLines.params);
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        const int disciplineField = rs->fieldIndex(QStringLiteral("IDD"));
        const int hoursField = rs->fieldIndex(QStringLiteral("HOURS"));
        const int gradeField = rs->fieldIndex(QStringLiteral("GRADE"));
        qlonglong lastId = 0;
        int personsRead = 0;
        int person = -1;
        size_t line = 0;
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong id = jet::toLong(rs->value(idField));
            if (id != lastId || personsRead == 0) {
                lastId = id;
                person = positionOf.value(id, -1);
                ++personsRead;
                if (progress)
                    progress(personsRead);
            }
            if (person < 0)
                continue;
            const qlonglong kind = jet::toLong(rs->value(gradeField));
            int g;
            if (auto known = gradeIndex.constFind(kind); known != gradeIndex.constEnd()) {
                g = *known;
            } else {
                g = int(pivot.gradeTexts.size());
                pivot.gradeTexts.append(markOf.value(kind, QString(QLatin1String(""))));
                gradeIndex.insert(kind, g);
                widenFor(quint32(g) + 1);
            }
            Written& w = written[size_t(headingFor(jet::toLong(rs->value(disciplineField)),
                                                   jet::toText(rs->value(hoursField))))];
            if (person < w.firstPerson) {
                w.firstPerson = person;
                w.firstLine = line;
            }
            ++line;
            // The first line of a person's list under a heading gives the grade.
            std::vector<quint8>& cells = found[size_t(w.column)].cells;
            if (keepCells && GradePivot::cellAt(cells, pivot.cellWidth, size_t(person)) == 0)
                GradePivot::setCellAt(cells, pivot.cellWidth, size_t(person), quint32(g) + 1);
        }
    } catch (const jet::Error&) {
        pivot = GradePivot{};
        pivot.ok = false;
        return pivot;
    }

    // Headings in collation order; a column is written as the first of its
    // headings in the book.
    std::vector<int> shownAs(found.size(), -1);
    for (size_t h = 0; h < written.size(); ++h) {
        int& best = shownAs[size_t(written[h].column)];
        if (best < 0 || std::tie(written[h].firstPerson, written[h].firstLine) <
                            std::tie(written[size_t(best)].firstPerson, written[size_t(best)].firstLine))
            best = int(h);
    }
    for (const int column : sorted)
        pivot.headings.append(written[size_t(shownAs[size_t(column)])].text);
    if (pivot.tooWide() || pivot.headings.isEmpty() || !keepCells)
        return pivot;
    pivot.columns.reserve(sorted.size());
    for (const int column : sorted)
        pivot.columns.push_back(std::move(found[size_t(column)].cells));
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
