// Excel's rules for texts and numbers, and the helpers of the range buffer
// that need no office.
#include "platform/office/Excel.h"
#include "platform/office/SheetBuffer.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace office;

TEST(ExcelNumber, ReadsTextsAsTheRegionalSettingsDo)
{
    struct Case {
        const char* text;
        bool numeric;
        double value;
    };
    const Case cases[] = {
        {"12", true, 12},           {" 12 ", true, 12},        {"12,5", true, 12.5},
        {"-3", true, -3},           {"0123", true, 123},       {"1 000", true, 1000},
        {"1,5E3", true, 1500},      {"", false, 0},            {"  ", false, 0},
        {"ВПО", false, 0},          {"12.05.2010", false, 0},  {"12.5", false, 0},
        {"5a", false, 0},           {"'12", false, 0},
    };
    for (const Case& c : cases) {
        double d = -1;
        EXPECT_EQ(excelNumber(QString::fromUtf8(c.text), &d), c.numeric) << c.text;
        if (c.numeric) {
            EXPECT_DOUBLE_EQ(d, c.value) << c.text;
        }
    }
}

TEST(ExcelValueText, WritesValuesAsTheRegionalSettingsDo)
{
    struct Case {
        QVariant value;
        const char* text;
    };
    const Case cases[] = {
        {QVariant(), ""},
        {QVariant(5.0), "5"},
        {QVariant(12.5), "12,5"},
        {QVariant(-0.25), "-0,25"},
        {QVariant(1234.5), "1234,5"},
        {QVariant(123456789012345.0), "123456789012345"},
        {QVariant(1234567890123456.0), "1,23456789012346E+15"},
        {QVariant(1e20), "1E+20"},
        {QVariant(0.0001), "0,0001"},
        {QVariant(0.00001), "1E-05"},
        {QVariant(0.1 + 0.2), "0,3"},
        {QVariant(0.0), "0"},
        {QVariant(QStringLiteral(" текст ")), " текст "},
        {QVariant(QDateTime(QDate(2024, 3, 5), QTime(0, 0))), "05.03.2024"},
        {QVariant(QDateTime(QDate(2024, 3, 5), QTime(10, 30))), "05.03.2024 10:30:00"},
        {QVariant(QDateTime(QDate(1899, 12, 30), QTime(9, 5, 7))), "9:05:07"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(excelValueText(c.value), QString::fromUtf8(c.text)) << c.text;
}

TEST(RangeBuffer, JoinsCellsIntoRectanglesThatCoverExactlyThem)
{
    using detail::Rect;
    // A 3 x 2 block, a lone cell, and an L shape that must not be squared.
    std::vector<std::pair<int, int>> cells = {{0, 0}, {0, 1}, {0, 5}, {1, 0}, {1, 1}, {2, 0}, {2, 1},
                                              {4, 3}, {5, 3}, {5, 4}};
    auto rects = detail::coalesce(cells);
    long long covered = 0;
    for (const Rect& r : rects)
        covered += r.cellCount();
    EXPECT_EQ(covered, (long long)cells.size());
    EXPECT_NE(std::find(rects.begin(), rects.end(), Rect{0, 0, 2, 1}), rects.end());
    EXPECT_NE(std::find(rects.begin(), rects.end(), Rect{0, 5, 0, 5}), rects.end());
    EXPECT_EQ(rects.size(), 4u);  // block, lone cell, and the L as two rectangles
}

// The values waiting to be sent: the last write of each cell, numbers and
// texts (the empty text too) as written, cells in row order whatever the
// order of the writes, and overwritten texts dropped without losing the rest.
TEST(RangeBuffer, KeepsTheLastValueOfEachCellCompactly)
{
    using css::uno::Any;
    detail::ValueStore store;
    store.set(5, 2, Any(rtl::OUString("ниже")));
    store.set(0, 3, Any(2.5));
    store.set(0, 1, Any(rtl::OUString()));
    store.set(3, 1, Any(rtl::OUString("первое")));
    for (int i = 0; i < 20000; ++i)  // far more overwritten text than kept
        store.set(3, 1, Any(rtl::OUString::number(i) + "-е значение"));
    EXPECT_EQ(store.count(), 4);
    EXPECT_EQ(store.cells(), (std::vector<std::pair<int, int>>{{0, 1}, {0, 3}, {3, 1}, {5, 2}}));
    auto text = [&](int row, int column) {
        rtl::OUString s;
        store.value(row, column) >>= s;
        return s;
    };
    EXPECT_EQ(text(3, 1), rtl::OUString("19999-е значение"));
    EXPECT_EQ(text(5, 2), rtl::OUString("ниже"));
    EXPECT_EQ(store.value(0, 1).getValueTypeClass(), css::uno::TypeClass_STRING);
    EXPECT_TRUE(text(0, 1).isEmpty());
    double d = 0;
    EXPECT_TRUE(store.value(0, 3) >>= d);
    EXPECT_EQ(d, 2.5);
    store.set(0, 3, Any(rtl::OUString("было число")));
    EXPECT_EQ(text(0, 3), rtl::OUString("было число"));
    store.clear();
    EXPECT_TRUE(store.empty());
    EXPECT_TRUE(store.cells().empty());
}

TEST(RangeBuffer, ParsesTheSheetTextTheOfficeExports)
{
    const QString text = QStringLiteral("\"a\"\"b\tc\nd\"\t\"  ё  \"\t12.5\n\t\t\n\t3\t\n");
    const auto rows = detail::parseSheetText(text);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[0].size(), 3u);
    EXPECT_EQ(rows[0][0], QStringLiteral("a\"b\tc\nd"));
    EXPECT_EQ(rows[0][1], QStringLiteral("  ё  "));
    EXPECT_EQ(rows[0][2], QStringLiteral("12.5"));
    EXPECT_EQ(rows[1], (std::vector<QString>{QString(), QString(), QString()}));
    EXPECT_EQ(rows[2][1], QStringLiteral("3"));
}

// The text fed piece by piece as the office writes it, split anywhere (in a
// letter, between the two quotes of a quote, between CR and LF), reads as
// the whole text does.
TEST(RangeBuffer, ParsesTheSheetTextPieceByPiece)
{
    const QStringList texts{
        QStringLiteral("\"a\"\"b\tc\nd\"\t\"  ё  \"\t12.5\n\t\t\n\t3\t\n"),
        QStringLiteral("Фамилия\tИмя\r\nЁлкина\t\"Анна \"\"Аня\"\"\"\r\n"),
        QStringLiteral("без конца строки\t\"кавычка в конце\""),
    };
    for (const QString& text : texts) {
        const QByteArray bytes = text.toUtf8();
        detail::SheetTextParser whole;
        whole.feed(bytes);
        whole.finish();
        const QList<QStringList> expected = whole.takeRows();
        ASSERT_FALSE(expected.isEmpty());
        for (qsizetype at = 0; at <= bytes.size(); ++at) {
            detail::SheetTextParser pieces;
            pieces.feed(bytes.left(at));
            pieces.feed(bytes.mid(at));
            pieces.finish();
            EXPECT_EQ(pieces.takeRows(), expected) << text.toStdString() << " split at " << at;
        }
    }
    detail::SheetTextParser quoted;
    quoted.feed(texts[1].toUtf8());
    quoted.finish();
    EXPECT_EQ(quoted.takeRows(), (QList<QStringList>{{QStringLiteral("Фамилия"), QStringLiteral("Имя")},
                                                     {QStringLiteral("Ёлкина"), QStringLiteral("Анна \"Аня\"")}}));
}
