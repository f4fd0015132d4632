// The rules every list print shares: rows printed, columns kept, texts that
// reach Excel cells, file names and folders.
#include "core/AppState.h"
#include "core/ListView.h"
#include "printing/ListPrinting.h"
#include "printing/PrintJob.h"

#include "core/PrintQtValues.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace printing;

namespace {

// Appends a row whose cells from column 0 on are `cells`.
core::ListItem addRow(core::ReportList* list, const QStringList& cells)
{
    core::ListItem item = core::addListItem(list, QString());
    for (int c = 0; c < cells.size(); ++c)
        item.setText(c, cells.at(c));
    return item;
}

TEST(PrintRules, RowSelection)
{
    struct Case {
        QList<bool> selected;
        QList<int> printed;
    } cases[] = {
        {{}, {}},
        {{false, false, false}, {}},                      // none selected: no rows
        {{false, true, false}, {0, 1, 2}},                // one selected: every row
        {{true, false, true, true}, {0, 2, 3}},           // several: only those, in list order
        {{false, true, true, false, true}, {1, 2, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowsToPrint(c.selected), c.printed) << c.selected.size();
}

TEST(PrintRules, MaskPaddingAndFlags)
{
    struct Case {
        const char* mask;
        int n;
        const char* padded;
        QList<bool> flags;
    } cases[] = {
        {"", 2, "111", {true, true, true}},                     // no stored choice: everything
        {"10", 3, "101111", {true, false, true, true}},         // short mask: the missing columns print
        {"0110111", 2, "011111", {false, true, true}},          // longer mask: its first n + 1 characters
        {" 01 ", 2, "01111", {false, true, true}},              // blanks round it are dropped
        {"1x21", 3, "1x211111", {true, false, true, true}},     // a character that is no digit leaves out
    };
    for (const Case& c : cases) {
        const QString padded = paddedMask(QString::fromUtf8(c.mask), c.n);
        EXPECT_EQ(padded, QString::fromUtf8(c.padded)) << c.mask;
        EXPECT_EQ(columnFlags(padded, c.n), c.flags) << c.mask;
    }
    // Where the kept columns land once the others are removed.
    EXPECT_EQ(printedColumns({true, false, true, true}), (QList<int>{1, 0, 2, 3}));
    EXPECT_EQ(printedColumns({false, false, true}), (QList<int>{0, 0, 1}));
}

TEST(PrintRules, ExcelCellTexts)
{
    struct Case {
        const char* listed;
        const char* cell;
    } cases[] = {
        {"12", "12"},                       // short numbers become numbers
        {"12,5", "12,5"},
        {"123456", "123456"},
        {"1234567", "'1234567"},            // long numbers stay text
        {"0123", "'0123"},                  // a leading zero stays
        {" 012", "' 012"},
        {"0", "'0"},
        {"ВПО", "'ВПО"},
        {"12.05.2010", "'12.05.2010"},      // dates stay as listed
        {"", ""},
        {"Сидоров\r\nмл.", "'Сидоров мл."},  // one line, a blank for the break
        {"'Да", "''Да"},                    // one mark in front; the office drops only that one
    };
    for (const Case& c : cases)
        EXPECT_EQ(excelCellText(QString::fromUtf8(c.listed)), QString::fromUtf8(c.cell)) << c.listed;
}

TEST(PrintRules, SafeFileNames)
{
    EXPECT_EQ(safeFileName(QStringLiteral("Справочник Специальности/профессии")),
              QStringLiteral("Справочник Специальности профессии"));
    EXPECT_EQ(safeFileName(QStringLiteral("a\\b:c*d?e\"f<g>h|i\tj")), QStringLiteral("a b c d e f g h i j"));
    EXPECT_EQ(safeFileName(QStringLiteral("Итоговые оценки (2024)")), QStringLiteral("Итоговые оценки (2024)"));
    // Next to a blank a forbidden character leaves no second blank.
    EXPECT_EQ(safeFileName(QStringLiteral("Книга - Фильтр по рег.номеру: 100-200")),
              QStringLiteral("Книга - Фильтр по рег.номеру 100-200"));
    EXPECT_EQ(safeFileName(QStringLiteral("a :b")), QStringLiteral("a b"));
    EXPECT_EQ(safeFileName(QStringLiteral("a : b")), QStringLiteral("a  b"));  // the blanks of the text stay
    EXPECT_EQ(safeFileName(QStringLiteral("a::b")), QStringLiteral("a b"));
    EXPECT_EQ(safeFileName(QStringLiteral("Профессии: \"все\"")), QStringLiteral("Профессии все"));
}

TEST(PrintRules, FirstFreeName)
{
    testsupport::TempFolder folder;
    auto touch = [&](const QString& name) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    const QString base = QStringLiteral("Справочник Группы");
    EXPECT_EQ(firstFreeName(folder.path(), base, QStringLiteral(".xls")), base + QStringLiteral(".xls"));
    touch(base + QStringLiteral(" (1).xls"));
    EXPECT_EQ(firstFreeName(folder.path(), base, QStringLiteral(".xls")), base + QStringLiteral(".xls"));
    touch(base + QStringLiteral(".xls"));
    EXPECT_EQ(firstFreeName(folder.path(), base, QStringLiteral(".xls")), base + QStringLiteral(" (2).xls"));
    // Files of the other format do not count.
    EXPECT_EQ(firstFreeName(folder.path(), base, QStringLiteral(".ods")), base + QStringLiteral(".ods"));
}

TEST(PrintRules, Folders)
{
    testsupport::TempFolder app;
    core::state().AppPath = app.path();
    EXPECT_EQ(templatesFolder(), app.file(QStringLiteral("Шаблоны ЭЖ")));
    // No documents folder: the program's folder.
    EXPECT_EQ(documentsFolder(), app.path());
    // A file of that name is no folder either.
    QFile f(app.file(QStringLiteral("Документы")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(documentsFolder(), app.path());
    f.remove();
    QDir(app.path()).mkdir(QStringLiteral("Документы"));
    EXPECT_EQ(documentsFolder(), app.file(QStringLiteral("Документы")));
    core::state().AppPath.clear();
}

TEST(PrintRules, JobFromWindowLists)
{
    // A grades view: the grade lines are printed, the person list names the student.
    core::ReportList persons;
    core::SetupListViewColumns(&persons, {QString(), QString(), QString(), QString()}, {0, 0, 0, 0});
    core::ListItem person = addRow(&persons, {QString(), QStringLiteral(" Иванов "), QStringLiteral("Пётр"),
                                              QStringLiteral(" ")});
    person->setSelected(true);
    core::ReportList lines;
    core::SetupListViewColumns(&lines, {QString(), QString(), QString()}, {0, 0, 0});
    addRow(&lines, {QStringLiteral("k1"), QStringLiteral("Анатомия"), QStringLiteral("5")});
    addRow(&lines, {QStringLiteral("k2"), QStringLiteral("Химия")})->setSelected(true);
    QComboBox groups;
    groups.addItem(QStringLiteral("Ф-101"), 7);
    groups.addItem(QStringLiteral("Ф-102"), 8);
    groups.setCurrentIndex(1);

    const ListPrintJob job = listPrintJob(0, &lines, {QString(), QStringLiteral("Дисциплина"), QStringLiteral("Оценка")},
                                          {0, 0, 2}, {7, 28.86, 18.86}, &groups, &persons);
    EXPECT_EQ(job.pluralName, QStringLiteral("Итоговые оценки"));
    EXPECT_EQ(job.lastColumn(), 2);
    ASSERT_EQ(job.selected.size(), 2);
    EXPECT_EQ(job.rowTexts(0), (QStringList{QStringLiteral("k1"), QStringLiteral("Анатомия"), QStringLiteral("5")}));
    EXPECT_EQ(job.rowTexts(1), (QStringList{QStringLiteral("k2"), QStringLiteral("Химия"), QString()}));
    EXPECT_EQ(job.selected, (QList<bool>{false, true}));
    EXPECT_TRUE(job.hasGroupFilter);
    EXPECT_EQ(job.groupText, QStringLiteral("Ф-102"));
    EXPECT_TRUE(job.gradesView);
    EXPECT_EQ(job.studentName, QStringLiteral("Иванов Пётр"));

    // No group chosen, no person selected: neither line can be built.
    groups.setCurrentIndex(-1);
    person->setSelected(false);
    persons.selectionModel()->clearCurrentIndex();
    const ListPrintJob bare = listPrintJob(0, &lines, {QString(), QStringLiteral("Дисциплина")}, {0, 0}, {}, &groups,
                                           &persons);
    EXPECT_TRUE(bare.groupText.isNull());
    EXPECT_TRUE(bare.studentName.isNull());
    // A kind without a group filter.
    EXPECT_FALSE(listPrintJob(4, &lines, {QString()}, {0}, {}, nullptr, nullptr).hasGroupFilter);
}

} // namespace
