#include "books/FillRegistryBook.h"

#include "core/AppState.h"
#include "core/ListView.h"
#include "platform/jet/Jet.h"
#include "platform/ui/Messages.h"

#include <QHash>

#include <vector>

namespace books {
namespace {

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

// The persons' document data, per person the text of each column's field.
struct DocumentData {
    QHash<qlonglong, int> rowOf;
    std::vector<QStringList> rows;
};

bool readDocumentData(const BookSql& query, const BookColumnModel& model, DocumentData* data)
{
    if (query.isEmpty())
        return true;
    try {
        jet::Database& db = core::db();
        auto rs = db.openRecordset(query.sql, jet::dbOpenForwardOnly, query.params);
        std::vector<int> fieldOf(size_t(model.columnCount()), -1);
        for (int c = 0; c < model.columnCount(); ++c) {
            const BookColumn& col = model.columns.at(c);
            if (col.grade < 0 && !col.field.isEmpty())
                fieldOf[size_t(c)] = rs->fieldIndex(col.field);
        }
        const int idField = rs->fieldIndex(QStringLiteral("ID"));
        for (; !rs->isEOF(); rs->moveNext()) {
            const qlonglong id = jet::toLong(rs->value(idField));
            if (data->rowOf.contains(id))
                continue;  // the first row of a person counts
            QStringList texts;
            texts.reserve(model.columnCount());
            for (int c = 0; c < model.columnCount(); ++c)
                texts << (fieldOf[size_t(c)] >= 0 ? jet::toText(rs->value(fieldOf[size_t(c)])) : QString());
            data->rowOf.insert(id, int(data->rows.size()));
            data->rows.push_back(std::move(texts));
        }
    } catch (const jet::Error&) {
        return false;
    }
    return true;
}

// The persons listed and their grades.
struct BookRows {
    std::vector<qlonglong> persons;
    const std::vector<std::vector<QString>>* grades = nullptr;
};

bool readPersonList(const BookSelection& selection, BookRows* rows)
{
    try {
        const BookSql q = personListQuery(selection);
        jet::Database& db = core::db();
        auto rs = db.openRecordset(q.sql, jet::dbOpenForwardOnly, q.params);
        for (; !rs->isEOF(); rs->moveNext())
            rows->persons.push_back(jet::toLong(rs->value(0)));
    } catch (const jet::Error&) {
        return false;
    }
    return true;
}

} // namespace

BookFillResult FillRegistryBook(core::ReportList* list, int med, const BookSelection& selection, const GradePivot& pivot,
                                const BookColumnModel& model)
{
    BookFillResult result;
    const int columnCount = model.columnCount();
    for (int c = 0; c < columnCount; ++c)
        result.sums << 0.0;
    list->clear();
    if (!pivot.ok)
        return result;

    BookRows rows;
    bool withGrades = false;
    if (pivot.tooWide()) {
        const int answer = ui::msgBox(QString::fromUtf8(kTooManyDisciplinesQuestion), ui::YesNo | ui::Critical);
        if (answer != ui::Yes)
            return result;
        // The book's own persons, without grades.
        if (!readPersonList(selection, &rows))
            return result;
    } else if (!pivot.isEmpty()) {
        rows.persons = pivot.persons;
        rows.grades = &pivot.grades;
        withGrades = true;
    } else if (!readPersonList(selection, &rows)) {
        return result;
    }
    if (rows.persons.empty())
        return result;

    DocumentData documents;
    readDocumentData(documentDataQuery(med, selection), model, &documents);

    // Tooltips: document cells from the fifth element on, and the grades.
    std::vector<Tip> tips(size_t(columnCount), Tip::None);
    for (int c = 0; c < columnCount; ++c) {
        const BookColumn& col = model.columns.at(c);
        if (col.grade >= 0)
            tips[size_t(c)] = Tip::Grade;
        else if (col.element > 4 && !col.field.isEmpty())
            tips[size_t(c)] = Tip::Person;
    }
    list->setToolTipSource([tips = std::move(tips)](const core::ListItem& item, int column) {
        return bookToolTip(tips, item, column);
    });

    const QString blank(QLatin1Char(' '));
    core::ListAppender items(list);
    for (size_t r = 0; r < rows.persons.size(); ++r) {
        const qlonglong person = rows.persons[r];
        const auto doc = documents.rowOf.constFind(person);
        const QStringList* docTexts = doc == documents.rowOf.constEnd() ? nullptr : &documents.rows[size_t(*doc)];
        items.addRow(core::rowItemKey(person));
        for (int c = 1; c < columnCount; ++c) {
            const BookColumn& col = model.columns.at(c);
            QString text;
            if (col.grade >= 0) {
                if (withGrades) {
                    const QString& grade = (*rows.grades)[r][size_t(col.grade)];
                    text = blank + grade;
                    if (col.sortKind == core::SortNumber) {
                        QString n = grade;
                        result.sums[c] += jet::vbVal(n.replace(QLatin1Char(','), QLatin1Char('.')));
                    }
                }
            } else if (!col.field.isEmpty()) {
                const QString value = docTexts ? docTexts->at(c) : QString();
                text = value.trimmed().isEmpty() ? blank : value;
                if (col.sortKind == core::SortNumber)
                    result.sums[c] += jet::vbVal(value);
            }
            items.setText(c, text);
        }
    }
    items.commit();
    result.rows = list->topLevelItemCount();
    return result;
}

} // namespace books
