#include "books/GradePivot.h"

#include "books/BookQuery.h"
#include "core/AppState.h"
#include "platform/jet/Jet.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace books {

GradePivot readGradePivot(const BookSql& gradeLines, const QHash<qlonglong, int>& positionOf, int personCount,
                          const std::function<void(int)>& progress)
{
    GradePivot pivot;
    if (gradeLines.isEmpty())
        return pivot;

    // One pass over the lines, kept small: (person's position, heading as
    // written, grade text).
    struct Line {
        int person;
        int heading;
        int grade;
    };
    std::vector<Line> lines;
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
    QHash<qlonglong, int> gradeIndex;  // grade kind → its text
    // One person's lines, put in the order of the person's list before they
    // are taken.
    struct PersonLine {
        qlonglong sort;
        qlonglong key;
        QString heading;
        int grade;
    };
    std::vector<PersonLine> personLines;
    int person = -1;
    const auto takePersonLines = [&]() {
        std::sort(personLines.begin(), personLines.end(), [](const PersonLine& a, const PersonLine& b) {
            return std::tie(a.sort, a.key) < std::tie(b.sort, b.key);
        });
        for (const PersonLine& l : personLines) {
            int h;
            if (auto found = writtenIndex.constFind(l.heading); found != writtenIndex.constEnd()) {
                h = *found;
                Written& w = written[size_t(h)];
                if (person < w.firstPerson) {
                    w.firstPerson = person;
                    w.firstLine = lines.size();
                }
            } else {
                h = int(written.size());
                written.push_back({l.heading, person, lines.size()});
                writtenIndex.insert(l.heading, h);
            }
            lines.push_back({person, h, l.grade});
        }
        personLines.clear();
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
        auto rs = db.openRecordset(gradeLines.sql, jet::dbOpenForwardOnly, gradeLines.params);
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        const int headingField = rs->fieldIndex(QStringLiteral("HEADING"));
        const int gradeField = rs->fieldIndex(QStringLiteral("GRADE"));
        const int sortField = rs->fieldIndex(QStringLiteral("SORT"));
        const int keyField = rs->fieldIndex(QStringLiteral("IDE"));
        qlonglong lastId = 0;
        int personsRead = 0;
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong id = jet::toLong(rs->value(idField));
            if (id != lastId || personsRead == 0) {
                if (person >= 0)
                    takePersonLines();
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
            personLines.push_back({jet::toLong(rs->value(sortField)), jet::toLong(rs->value(keyField)),
                                   jet::toText(rs->value(headingField)), g});
        }
        if (person >= 0)
            takePersonLines();
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
    for (const Line& line : lines) {
        quint32& cell = pivot.cells[size_t(line.person) * columns + size_t(columnOf[size_t(line.heading)])];
        if (cell == 0)
            cell = quint32(line.grade) + 1;
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
