#include "books/FillRegistryBook.h"

#include "core/AppState.h"
#include "core/ListView.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace books {
namespace {

// Empty or white space only, as trimmed() would leave it empty.
bool isBlank(const QString& text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// Which cells of a row carry a tooltip.
enum class Tip : unsigned char { None, Person, Grade };

// The person of a row: the texts of its columns 2, 3 and 4 (registration
// number, second number, surname), joined by blanks.
QString personOf(const core::ListItem& item)
{
    return item.text(2) + QLatin1Char(' ') + item.text(3) + QLatin1Char(' ') + item.text(4);
}

// A book's tooltips are worked out when they are asked for: a book of many
// persons and grade columns fills quickly and stays small.
QString bookToolTip(const std::vector<Tip>& tips, const core::ListItem& item, int column)
{
    const Tip tip = column >= 0 && size_t(column) < tips.size() ? tips[size_t(column)] : Tip::None;
    const QString text = item.text(column);
    switch (tip) {
    case Tip::Person:
        return text.trimmed().isEmpty() ? QString() : personOf(item);
    case Tip::Grade: {
        QString grade = text.mid(1);
        grade.replace(QLatin1Char(','), QLatin1Char('.'));
        if (jet::vbVal(grade) <= 0)
            return {};
        return personOf(item) + QStringLiteral(", ") + item.list()->headerItem()->text(column);
    }
    case Tip::None:
        break;
    }
    return {};
}

} // namespace

BookPersons readBookPersonKeys(const BookSql& personList)
{
    BookPersons persons;
    try {
        auto rs = core::db().openRecordset(personList.sql, jet::dbOpenForwardOnly, personList.params);
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong key = jet::toLong(rs->value(idField));
            persons.positionOf.insert(key, persons.count());
            persons.keys.push_back(key);
        }
    } catch (const jet::Error&) {
        persons = BookPersons{};
        persons.ok = false;
    }
    return persons;
}

BookFillResult FillRegistryBook(core::ReportList* list, const BookSql& rowsQuery, int expectedRows,
                                const QHash<qlonglong, int>& pivotRowOf, const GradePivot& pivot,
                                const BookColumnModel& model, const std::function<void(int)>& progress)
{
    BookFillResult result;
    const int columnCount = model.columnCount();
    for (int c = 0; c < columnCount; ++c)
        result.sums << 0.0;
    list->clear();
    if (!pivot.ok)
        return result;

    bool withGrades = !pivot.isEmpty();
    if (pivot.tooWide()) {
        result.asked = true;
        const int answer = ui::msgBox(QString::fromUtf8(kTooManyDisciplinesQuestion), ui::YesNo | ui::Critical);
        if (answer != ui::Yes)
            return result;
        withGrades = false;  // the book's own persons, without grades
    }

    // Tooltips: document cells from the fifth element on, and the grades.
    std::vector<Tip> tips(size_t(columnCount), Tip::None);
    for (int c = 0; c < columnCount; ++c) {
        const BookColumn& col = model.columns.at(c);
        if (col.grade >= 0)
            tips[size_t(c)] = Tip::Grade;
        else if (col.element > 4 && !col.field.isEmpty())
            tips[size_t(c)] = Tip::Person;
    }

    // A grade cell shows a blank and the grade; the texts are shared by
    // every cell that shows them.
    const QString blank(QLatin1Char(' '));
    QStringList gradeCells{blank};
    QList<double> gradeValues{0};
    for (const QString& grade : pivot.gradeTexts) {
        gradeCells << blank + grade;
        QString n = grade;
        gradeValues << jet::vbVal(n.replace(QLatin1Char(','), QLatin1Char('.')));
    }

    list->setToolTipSource([tips = std::move(tips)](const core::ListItem& item, int column) {
        return bookToolTip(tips, item, column);
    });

    // The rows go into the list as they are read: the book's texts are
    // never held twice.
    try {
        auto rs = core::db().openRecordset(rowsQuery.sql, jet::dbOpenForwardOnly, rowsQuery.params);
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        const int hasDocumentField = rs->fieldIndex(QString::fromLatin1(kHasDocumentField));
        // Per column, the field of the query it shows (-1 none).
        std::vector<int> fieldOf(size_t(columnCount), -1);
        for (int c = 0; c < columnCount; ++c) {
            const BookColumn& col = model.columns.at(c);
            if (col.grade >= 0 || col.field.isEmpty())
                continue;
            for (int f = 0; f < rs->fieldCount(); ++f)
                if (f != idField && f != hasDocumentField &&
                    rs->fieldName(f).compare(col.field, Qt::CaseInsensitive) == 0) {
                    fieldOf[size_t(c)] = f;
                    break;
                }
        }
        core::ListAppender items(list);
        constexpr int kSampleRows = 64;
        int rows = 0;
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong key = jet::toLong(rs->value(idField));
            const bool hasDocument = hasDocumentField < 0 || jet::toLong(rs->value(hasDocumentField)) != 0;
            const int pivotRow = withGrades ? pivotRowOf.value(key, -1) : -1;
            items.addRow(core::rowItemKey(key));
            for (int c = 1; c < columnCount; ++c) {
                const BookColumn& col = model.columns.at(c);
                if (col.grade >= 0) {
                    if (withGrades) {
                        const quint32 cell = pivotRow < 0 ? 0 : pivot.cell(pivotRow, col.grade);
                        items.setText(c, gradeCells.at(int(cell)));
                        if (col.sortKind == core::SortNumber)
                            result.sums[c] += gradeValues.at(int(cell));
                    }
                    continue;
                }
                if (col.field.isEmpty())
                    continue;
                const int f = fieldOf[size_t(c)];
                const QString value = hasDocument && f >= 0 ? jet::toText(rs->value(f)) : QString();
                items.setText(c, isBlank(value) ? blank : value);
                if (col.sortKind == core::SortNumber)
                    result.sums[c] += jet::vbVal(value);
            }
            ++rows;
            // Room for the whole book, made once the first rows tell how long
            // a row is (with a margin): the text is then never copied as it
            // grows, and room left unused is handed back at the end.
            if (rows == kSampleRows && expectedRows > rows)
                items.reserve(items.packedSize() / rows * (expectedRows - rows) * 5 / 4);
            if (progress)
                progress(rows);
        }
        items.commit();
    } catch (const jet::Error&) {
        // The rows read so far are let go: a book is shown whole or not at all.
        list->clear();
        for (double& sum : result.sums)
            sum = 0;
        return result;
    }
    result.rows = list->topLevelItemCount();
    return result;
}

} // namespace books
