#include "books/GradePivot.h"

#include "books/BookQuery.h"
#include "core/AppState.h"
#include "platform/jet/Jet.h"

#include <algorithm>
#include <deque>
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
    // in the book: the person's position and the line's place in the pass
    // (within a person, the order of the person's list).
    struct Written {
        QString text;
        int firstPerson;
        size_t firstLine;
    };
    std::vector<Written> written;
    QHash<QString, int> writtenIndex;
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
            written.push_back({text, std::numeric_limits<int>::max(), 0});
            writtenIndex.insert(text, h);
        }
        known.push_back({hours, h});
        return h;
    };

    // One pass over the lines, kept small: each person's lines one after
    // another (heading as written, grade text), in chunks that are never
    // copied as they grow.
    struct Line {
        quint32 heading;
        quint32 grade;
    };
    std::deque<Line> lines;
    struct Run {
        int person;
        size_t end;  // one past the person's last line
    };
    std::vector<Run> runs;
    int person = -1;
    // Ends the run of the person whose lines were read last.
    const auto endRun = [&]() {
        if (person >= 0 && lines.size() > (runs.empty() ? 0 : runs.back().end))
            runs.push_back({person, lines.size()});
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
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong id = jet::toLong(rs->value(idField));
            if (id != lastId || personsRead == 0) {
                endRun();
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
            if (auto found = gradeIndex.constFind(kind); found != gradeIndex.constEnd()) {
                g = *found;
            } else {
                g = int(pivot.gradeTexts.size());
                pivot.gradeTexts.append(markOf.value(kind, QString(QLatin1String(""))));
                gradeIndex.insert(kind, g);
            }
            const int h = headingFor(jet::toLong(rs->value(disciplineField)), jet::toText(rs->value(hoursField)));
            Written& w = written[size_t(h)];
            if (person < w.firstPerson) {
                w.firstPerson = person;
                w.firstLine = lines.size();
            }
            lines.push_back({quint32(h), quint32(g)});
        }
        endRun();
    } catch (const jet::Error&) {
        pivot = GradePivot{};
        pivot.ok = false;
        return pivot;
    }

    // Headings in collation order; equal ones share a column written as the
    // first of them in the book.
    std::vector<int> order(written.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&written](int a, int b) {
        const Written& x = written[size_t(a)];
        const Written& y = written[size_t(b)];
        if (const int c = jet::Database::compareText(x.text, y.text); c != 0)
            return c < 0;
        return std::tie(x.firstPerson, x.firstLine) < std::tie(y.firstPerson, y.firstLine);
    });
    std::vector<int> columnOf(order.size(), 0);
    for (size_t i = 0; i < order.size(); ++i) {
        const QString& text = written[size_t(order[i])].text;
        if (pivot.headings.isEmpty() || jet::Database::compareText(pivot.headings.constLast(), text) != 0)
            pivot.headings.append(text);
        columnOf[size_t(order[i])] = int(pivot.headings.size()) - 1;
    }
    if (pivot.tooWide() || pivot.headings.isEmpty())
        return pivot;

    // The first line of a person's list under a heading gives the grade.
    const size_t columns = size_t(pivot.headings.size());
    pivot.cells.assign(size_t(personCount) * columns, 0);
    size_t begin = 0;
    for (const Run& run : runs) {
        quint32* row = pivot.cells.data() + size_t(run.person) * columns;
        for (size_t i = begin; i < run.end; ++i) {
            quint32& cell = row[columnOf[lines[i].heading]];
            if (cell == 0)
                cell = lines[i].grade + 1;
        }
        begin = run.end;
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
