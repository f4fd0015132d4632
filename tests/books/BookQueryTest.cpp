// Which persons a registry book selects, and its grade columns.
#include "BookFixture.h"

#include "books/BookFilter.h"
#include "books/BookQuery.h"
#include "books/FillRegistryBook.h"
#include "books/GradePivot.h"
#include "core/ListView.h"

#include <vector>

using namespace booktest;

namespace {

std::vector<qlonglong> personsOf(const books::BookSelection& s)
{
    const books::BookSql q = books::personListQuery(s);
    std::vector<qlonglong> out;
    auto rs = core::db().openRecordset(q.sql, jet::dbOpenSnapshot, q.params);
    for (; !rs->isEOF(); rs->moveNext())
        out.push_back(jet::toLong(rs->value(QStringLiteral("ID"))));
    return out;
}

// The grade pivot of a book as the window reads it: the persons in the
// book's order, then their grade lines.
struct Pivot {
    books::BookPersons persons;
    books::GradePivot pivot;
    // The persons with at least one grade, and their grades.
    std::vector<qlonglong> graded() const
    {
        std::vector<qlonglong> out;
        for (int p = 0; p < persons.count(); ++p)
            for (int c = 0; c < pivot.headings.size(); ++c)
                if (pivot.cell(p, c) != 0) {
                    out.push_back(persons.keys[size_t(p)]);
                    break;
                }
        return out;
    }
    std::vector<std::vector<QString>> grades() const
    {
        std::vector<std::vector<QString>> out(size_t(persons.count()));
        for (int p = 0; p < persons.count(); ++p)
            for (int c = 0; c < pivot.headings.size(); ++c)
                out[size_t(p)].push_back(pivot.grade(p, c));
        return out;
    }
};

Pivot pivotOf(int med, qlonglong group)
{
    const books::BookSelection s = books::bookSelection(med, group, {});
    Pivot p;
    p.persons = books::readBookPersonKeys(books::personListQuery(s));
    p.pivot = books::readGradePivot(books::gradeLinesQuery(med, s), p.persons.positionOf, p.persons.count());
    return p;
}

books::BookFilterSet numbers(const char* from, const char* to)
{
    return {QString::fromUtf8(from), QString::fromUtf8(to), {}, {}};
}

books::BookFilterSet dates(const char* from, const char* to)
{
    return {{}, {}, QString::fromUtf8(from), QString::fromUtf8(to)};
}

using BookSelectionTest = BookDbTest;

TEST_F(BookSelectionTest, SelectsThePersonsOfEachBookGroupAndFilter)
{
    struct Case {
        const char* what;
        int med;
        qlonglong group;
        books::BookFilterSet filter;
        std::vector<qlonglong> persons;
    };
    const std::vector<Case> cases = {
        // Book condition: a number that is Null, empty or "0" is never listed; Russian order, Ё with Е.
        {"certificates, all groups", 1, 0, {}, {kAbramov, kBorisov, kYolkina, kYakovlev}},
        {"certificates, one group", 1, kGroupA, {}, {kYolkina, kYakovlev}},
        {"retraining, all groups", 2, 0, {}, {kAbramov, kGusev, kYolkina, kYakovlev}},
        {"diplomas, all groups", 0, 0, {}, {kYakovlev}},
        // Number ranges on the digit copy, inclusive; a missing copy never passes.
        {"certificate numbers", 1, 0, numbers("100", "200"), {kYolkina, kYakovlev}},
        {"certificate number without copy", 1, 0, numbers("250", "400"), {}},
        {"from above to", 1, 0, numbers("200", "100"), {}},
        {"range with group", 1, kGroupB, numbers("100", "200"), {}},
        // Whole numbers past double precision are compared exactly.
        {"64-bit exact miss", 1, 0, numbers("9007199254740992", "9007199254740992"), {}},
        {"64-bit exact hit", 1, 0, numbers("9007199254740993", "9007199254740993"), {kAbramov}},
        {"18 digits", 1, 0, numbers("1", "999999999999999999"), {kAbramov, kYolkina, kYakovlev}},
        // The retraining book compares the digits of the number it lists.
        {"retraining numbers", 2, 0, numbers("150", "151"), {kYolkina, kYakovlev}},
        {"retraining, diploma number ignored", 2, 0, numbers("500", "500"), {}},
        {"diploma numbers", 0, 0, numbers("500", "500"), {kYakovlev}},
        // Dates: the certificate date in book 1, the issue date in the others.
        {"certificate dates", 1, 0, dates("01.03.2024", "31.03.2024"), {kYolkina, kYakovlev}},
        {"certificate dates, last day", 1, 0, dates("01.09.2024", "10.09.2024"), {kAbramov, kBorisov}},
        {"issue dates, group without date", 2, 0, dates("01.01.2000", "31.12.2099"), {kYolkina, kYakovlev}},
        {"dates outside", 1, 0, dates("06.03.2024", "09.09.2024"), {}},
        // A number range wins over dates; one bound alone filters nothing.
        {"numbers win", 1, 0, {"300", "9999999999999999", "01.03.2024", "31.03.2024"}, {kAbramov}},
        {"one bound", 1, 0, {"100", "", "01.03.2024", ""}, {kAbramov, kBorisov, kYolkina, kYakovlev}},
    };
    for (const Case& c : cases) {
        const books::BookSelection s = books::bookSelection(c.med, c.group, c.filter);
        EXPECT_EQ(personsOf(s), c.persons) << c.what << "\n" << s.persons.text.toStdString();
        EXPECT_EQ(books::selectionHasPersons(s), !c.persons.empty()) << c.what;
    }
}

TEST_F(BookSelectionTest, EveryValueIsBound)
{
    // A group key and filter texts never become part of the SQL text.
    const books::BookSelection s =
        books::bookSelection(1, kGroupA, {QStringLiteral("123"), QStringLiteral("456"), {}, {}});
    EXPECT_FALSE(s.persons.text.contains(QStringLiteral("123")));
    EXPECT_EQ(s.persons.params.size(), 3);
    const books::BookSelection d = books::bookSelection(2, 0, dates("01.03.2024", "31.03.2024"));
    EXPECT_FALSE(d.persons.text.contains(QStringLiteral("2024")));
    EXPECT_EQ(d.persons.params, (QVariantList{QDate(2024, 3, 1), QDate(2024, 3, 31)}));
}

TEST_F(BookSelectionTest, BooksWithoutTheirColumnsSelectNobody)
{
    for (int med : {3, 4}) {
        const books::BookSelection s = books::bookSelection(med, 0, {});
        EXPECT_FALSE(books::selectionHasPersons(s)) << med;
        EXPECT_FALSE(books::readBookPersonKeys(books::personListQuery(s)).ok) << med;
    }
}

using GradePivotTest = BookDbTest;

TEST_F(GradePivotTest, OneColumnPerHeadingInRussianOrderWithTheFirstGrade)
{
    const Pivot book = pivotOf(2, 0);
    const books::GradePivot& p = book.pivot;
    ASSERT_TRUE(p.ok);
    // "анатомия (72)" and "Анатомия (72)" are one heading; Ё sorts with Е, after Б.
    EXPECT_EQ(p.headings, (QStringList{"анатомия (72)", "Биология (36)", "Ёмкость.расчёт (10)"}));
    EXPECT_EQ(book.persons.keys, (std::vector<qlonglong>{kAbramov, kGusev, kYolkina, kYakovlev}));
    const QString none;
    const std::vector<std::vector<QString>> grades = {
        {"5", none, none},
        {none, "4", none},
        {none, "5", none},  // the first line of her list, not the first written
        {"4", "5", "+"},    // the first of two lines under one heading
    };
    EXPECT_EQ(book.grades(), grades);
    EXPECT_EQ(p.grade(0, 1).isNull(), true);
}

TEST_F(GradePivotTest, TheBookKindChoosesTheGradeLines)
{
    struct Case {
        int med;
        qlonglong group;
        QStringList headings;
        std::vector<qlonglong> persons;
    };
    const Case cases[] = {
        {2, kGroupB, {"анатомия (72)"}, {kAbramov}},
        {2, kGroupC, {"Биология (36)"}, {kGusev}},
        // The certificate and documents books have no grade columns.
        {1, 0, {}, {}},
        {0, 0, {}, {}},
    };
    for (const Case& c : cases) {
        const Pivot p = pivotOf(c.med, c.group);
        EXPECT_EQ(p.pivot.headings, c.headings) << c.med;
        EXPECT_EQ(p.graded(), c.persons) << c.med;
    }
}

TEST_F(GradePivotTest, MoreGradeKindsThanASmallCellHoldsKeepEveryGrade)
{
    // 300 grade kinds (one-letter marks, а to ю over and over) met after the
    // first person's cells were made: Абрамов's lines name each of them, the
    // last one under a heading of its own.
    const int kinds = 300;
    for (int i = 0; i < kinds; ++i) {
        exec(QStringLiteral("INSERT INTO SPBALL (IDB, OCEN, NAIM) VALUES (?, ?, ?)"),
             {1000 + i, QString(QChar(0x0430 + i % 31)), QStringLiteral("оценка")});
        addGrade(kAbramov, kBiology, QStringLiteral("36"), 1000 + i, 2 + i, 1);
    }
    addGrade(kAbramov, kCapacity, QStringLiteral("10"), 1000 + kinds - 1, 2 + kinds, 1);
    const Pivot book = pivotOf(2, 0);
    ASSERT_TRUE(book.pivot.ok);
    EXPECT_EQ(book.pivot.headings, (QStringList{"анатомия (72)", "Биология (36)", "Ёмкость.расчёт (10)"}));
    const QString none;
    const std::vector<std::vector<QString>> grades = {
        {"5", "а", "ф"},
        {none, "4", none},
        {none, "5", none},
        {"4", "5", "+"},
    };
    EXPECT_EQ(book.grades(), grades);
}

using BookFillTest = BookDbTest;

TEST_F(BookFillTest, RowsThatCannotBeReadLeaveTheListEmpty)
{
    const books::BookSelection s = books::bookSelection(2, 0, {});
    const books::BookPersons persons = books::readBookPersonKeys(books::personListQuery(s));
    const books::GradePivot pivot =
        books::readGradePivot(books::gradeLinesQuery(2, s), persons.positionOf, persons.count());
    const books::BookColumnModel model = books::bookColumnModel(2, pivot.headings);
    core::ReportList list;
    core::SetupListViewColumns(&list, model.captions(), model.alignments());
    books::BookFillResult filled =
        books::FillRegistryBook(&list, books::bookRowsQuery(2, s), persons.count(), persons.positionOf, pivot, model);
    EXPECT_EQ(filled.rows, 4);
    EXPECT_EQ(list.topLevelItemCount(), 4);

    // A rows query that fails takes the earlier book away and shows nothing.
    filled = books::FillRegistryBook(&list, {QStringLiteral("SELECT ID FROM NoSuchTable"), {}}, 4, persons.positionOf,
                                     pivot, model);
    EXPECT_EQ(filled.rows, 0);
    EXPECT_EQ(list.topLevelItemCount(), 0);
    for (const double sum : filled.sums)
        EXPECT_EQ(sum, 0);
}

TEST(GradeCaptionTest, DotsAndUnderscores)
{
    struct Case {
        const char* heading;
        const char* field;
        const char* caption;
    };
    const Case cases[] = {
        {"Ёмкость.расчёт (10)", "Ёмкость_расчёт (10)", "Ёмкость.расчёт (10)"},
        {"Основы_права (20)", "Основы_права (20)", "Основы.права (20)"},
        {"Анатомия (72)", "Анатомия (72)", "Анатомия (72)"},
    };
    for (const Case& c : cases) {
        const QString field = books::gradeFieldName(QString::fromUtf8(c.heading));
        EXPECT_EQ(field, QString::fromUtf8(c.field));
        EXPECT_EQ(books::gradeCaption(field), QString::fromUtf8(c.caption));
    }
}

} // namespace
