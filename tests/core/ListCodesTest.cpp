#include "core/ListCodes.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/ListView.h"
#include "newdb/NewDatabase.h"

#include "support/TestSupport.h"

#include <QComboBox>
#include <QDate>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <utility>
#include <vector>

// Readable failure output.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using Items = std::vector<std::pair<QString, int>>;

Items itemsOf(const QComboBox& combo)
{
    Items out;
    for (int i = 0; i < combo.count(); ++i)
        out.emplace_back(combo.itemText(i), combo.itemData(i).toInt());
    return out;
}

Items filled(int listCode, long parentId = 0)
{
    QComboBox combo;
    core::FillCombo(&combo, listCode, false, parentId);
    return itemsOf(combo);
}

// Every test works on the sample database inside a transaction that is
// rolled back afterwards.
class ListCodesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<testsupport::TempFolder>();
        testsupport::MessageRecorder messages;
        core::resetState();
        ASSERT_TRUE(newdb::CreateNewDatabase(databasePath(), false)) << messages.texts().join('\n').toStdString();
        core::CloseDatabase();
    }
    static void TearDownTestSuite() { folder.reset(); }
    static QString databasePath() { return folder->file(QStringLiteral("sample.db")); }

    void SetUp() override
    {
        core::resetState();
        core::state().MainDatabase = jet::Database::open(databasePath());
        core::db().beginTrans();
    }
    void TearDown() override
    {
        core::db().rollback();
        core::CloseDatabase();
    }

    void addPerson(const QVariant& group, const QVariant& fam, const QVariant& im, const QVariant& otch)
    {
        core::db().execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, OTCH) VALUES (?, ?, ?, ?)"),
                           {group, fam, im, otch});
    }

    static inline std::unique_ptr<testsupport::TempFolder> folder;
};

struct QueryParts {
    int code;
    const char* keyField;
    const char* displayField;
};

TEST_F(ListCodesTest, EveryDirectoryCodeNamesItsKeyAndDisplayField)
{
    const QueryParts cases[] = {
        {1, "IDO", "NAIM"},  {2, "IDD", "NAIM"},  {3, "ID", "FAMIO"},  {4, "IDG", "NAIM"},
        {6, "IDB", "NAIM"},  {8, "IDF", "NAIM"},  {9, "IDX", "NAIM"},  {10, "IDV", "NAIM"},
        {11, "IDT", "NAIM"}, {17, "IDM", "NAIM"}, {18, "IDG", "NAIM"}, {20, "IDG", "NAIM"},
    };
    for (const QueryParts& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(core::DirectoryQuery(c.code, 1, 0), QString(c.keyField));
        EXPECT_EQ(core::DirectoryQuery(c.code, 2, 0), QString(c.displayField));
        EXPECT_EQ(core::DirectoryQuery(c.code, 3, 0), QString());
        // Every query runs and yields its key and display fields.
        const QString sql = core::DirectoryQuery(c.code, 0, 0);
        ASSERT_FALSE(sql.isEmpty());
        auto rs = core::db().openRecordset(sql, jet::dbOpenSnapshot);
        EXPECT_TRUE(rs->hasField(c.keyField));
        EXPECT_TRUE(rs->hasField(c.displayField));
    }
    // Fixed lists and unknown codes have no query.
    for (int code : {0, 5, 7, 14, 15, 19, 100, 150}) {
        EXPECT_EQ(core::DirectoryQuery(code, 0, 0), QString()) << code;
        EXPECT_EQ(core::DirectoryQuery(code, 1, 0), QString()) << code;
        EXPECT_FALSE(core::directoryListQuery(code, 0).isValid()) << code;
    }
}

TEST_F(ListCodesTest, PersonsAreListedByNameAndFilteredByGroup)
{
    EXPECT_EQ(filled(3), (Items{{"Веснина Ольга Андреевна", 1},
                                {"Крылова Марина Викторовна", 4},
                                {"Сухарева Дарья Игоревна", 2},
                                {"Тихонова Елена Павловна", 5},
                                {"Шилов Артём Сергеевич", 3}}));
    EXPECT_EQ(filled(3, 3), (Items{{"Шилов Артём Сергеевич", 3}}));
    EXPECT_EQ(filled(3, 99), Items{});

    // The group's key travels as a bound value, never inside the SQL text.
    const core::ListQuery q = core::directoryListQuery(3, 12345);
    EXPECT_FALSE(q.sql.contains(QStringLiteral("12345")));
    EXPECT_EQ(q.params, QVariantList({qlonglong(12345)}));
    EXPECT_TRUE(core::directoryListQuery(3, 0).params.isEmpty());
}

TEST_F(ListCodesTest, PersonWithoutFirstNameShowsTwoBlanks)
{
    addPerson(1, QStringLiteral("Бобров "), QVariant(), QStringLiteral(" Ильич "));
    addPerson(1, QStringLiteral("абрамова"), QStringLiteral("Нина"), QVariant());
    addPerson(2, QStringLiteral("Яшин"), QStringLiteral("Олег"), QStringLiteral("Петрович"));

    // Names sort in Russian order without regard to case.
    EXPECT_EQ(filled(3, 1), (Items{{"абрамова Нина", 7}, {"Бобров  Ильич", 6}, {"Веснина Ольга Андреевна", 1}}));
}

TEST_F(ListCodesTest, GradeKindsAreOrderedByTheirMark)
{
    const Items grades = filled(6);
    ASSERT_EQ(grades.size(), 10u);
    std::vector<int> keys;
    for (const auto& item : grades)
        keys.push_back(item.second);
    // The marks 1 to 5 in ascending order, after the signs and before the letters.
    EXPECT_EQ(keys, (std::vector<int>{7, 6, 1, 2, 3, 4, 5, 9, 8, 10}));
    EXPECT_EQ(grades[2].first, QStringLiteral("не аттестован"));
    EXPECT_EQ(grades[6].first, QStringLiteral("отлично"));
}

TEST_F(ListCodesTest, PrintingHousesAreListedByKey)
{
    const Items houses = filled(11);
    ASSERT_EQ(houses.size(), 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(houses[size_t(i)].second, i + 1);
    EXPECT_EQ(houses[0].first, QStringLiteral("Гознак Москва"));
}

TEST_F(ListCodesTest, FixedListsGiveTheirTextsAndNumbers)
{
    const std::pair<int, Items> cases[] = {
        {14, {{"Администратор", 0}, {"Оператор", 1}, {"Пользователь", 2}}},
        {15, {{"неделя", 1}, {"недели", 2}, {"недель", 3}}},
        {16, {{"Дисциплина", 0}, {"Заголовок раздела", -1}}},
        {100, {{"Microsoft Office", 1}, {"OpenOffice.org", 2}}},
        {122, {{"ВПО", 1}, {"СПО", 2}}},
        {150, {{"Струйный/матричный", 0}, {"Лазерный", 1}}},
    };
    for (const auto& [code, items] : cases) {
        QComboBox combo;
        combo.addItem(QStringLiteral("прежний"), 42);
        core::FillCombo(&combo, code);
        EXPECT_EQ(itemsOf(combo), items) << code;
    }
}

TEST_F(ListCodesTest, BookGroupFiltersKeepTheirFirstItem)
{
    auto bookFilter = [](int code) {
        QComboBox combo;
        combo.addItem(QStringLiteral("Все группы"), 0);
        core::FillCombo(&combo, code, true);
        return itemsOf(combo);
    };
    EXPECT_EQ(bookFilter(4),
              (Items{{"Все группы", 0}, {"Б 31", 1}, {"З 31", 4}, {"З 41", 2}, {"П 31", 5}, {"Пр 41", 3}}));
    // Only the group with a medical specialty; only the group with a whole retraining period.
    EXPECT_EQ(bookFilter(18), (Items{{"Все группы", 0}, {"Б 31", 1}}));
    EXPECT_EQ(bookFilter(20), (Items{{"Все группы", 0}, {"П 31", 5}}));
}

TEST_F(ListCodesTest, RetrainingListLeavesOutHalfPeriods)
{
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET date_S = ? WHERE IDG = 1"), {QDate(2014, 3, 1)});
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET date_Po = ? WHERE IDG = 2"), {QDate(2014, 3, 1)});
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET date_S = ?, date_Po = ? WHERE IDG = 3"),
                       {QDate(2014, 3, 1), QDate(2014, 4, 1)});
    EXPECT_EQ(filled(20), (Items{{"П 31", 5}, {"Пр 41", 3}}));

    // A medical specialty key that names no row does not count.
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET IDM = 9999 WHERE IDG = 2"));
    core::db().execute(QStringLiteral("UPDATE SPGRUP SET IDM = 12 WHERE IDG = 4"));
    EXPECT_EQ(filled(18), (Items{{"Б 31", 1}, {"З 31", 4}}));
}

TEST_F(ListCodesTest, UnknownCodeLeavesTheComboEmpty)
{
    QComboBox combo;
    combo.addItem(QStringLiteral("прежний"), 1);
    core::FillCombo(&combo, 7);
    EXPECT_EQ(combo.count(), 0);

    combo.addItem(QStringLiteral("прежний"), 1);
    core::FillCombo(&combo, 7, true);
    EXPECT_EQ(itemsOf(combo), (Items{{"прежний", 1}}));
}

TEST_F(ListCodesTest, ListViewReceivesNamesAndKeysWithoutBeingCleared)
{
    core::ReportList list;
    core::SetupListViewColumns(&list, {QString(), QString()}, {0, 0});
    core::ListItem earlier = core::addListItem(&list, QString());
    earlier.setText(0, QStringLiteral("прежний"));
    earlier.setText(1, QStringLiteral("0"));
    core::FillListViewFromDirectory(&list, 4);

    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows.emplace_back(list.topLevelItem(i)->text(0), list.topLevelItem(i)->text(1));
    EXPECT_EQ(rows, (std::vector<std::pair<QString, QString>>{
                        {"прежний", "0"}, {"Б 31", "1"}, {"З 31", "4"}, {"З 41", "2"}, {"П 31", "5"}, {"Пр 41", "3"}}));

    core::ReportList unknown;
    core::FillListViewFromDirectory(&unknown, 15);
    EXPECT_EQ(unknown.topLevelItemCount(), 0);
}

TEST_F(ListCodesTest, EmptyNamesGiveEmptyTexts)
{
    core::db().execute(QStringLiteral("INSERT INTO SPUR (NAIM) VALUES (NULL)"));
    const Items levels = filled(9);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0], (std::pair<QString, int>{QString(), 3}));  // Null sorts first
}

TEST_F(ListCodesTest, FilledComboShowsItsFirstEntryAndKeepsItsLimit)
{
    // An empty combo, editable or not, shows the first entry once filled.
    for (const bool editable : {false, true}) {
        QComboBox combo;
        combo.setEditable(editable);
        core::FillCombo(&combo, 4);
        EXPECT_EQ(combo.currentIndex(), 0) << editable;
        EXPECT_EQ(combo.currentText(), QStringLiteral("Б 31")) << editable;
    }

    // Added entries leave the choice alone; a combo's item limit holds.
    QComboBox combo;
    combo.addItem(QStringLiteral("Все группы"), 0);
    combo.addItem(QStringLiteral("прежний"), 9);
    combo.setCurrentIndex(1);
    combo.setMaxCount(4);
    core::FillCombo(&combo, 4, true);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(itemsOf(combo), (Items{{"Все группы", 0}, {"прежний", 9}, {"Б 31", 1}, {"З 31", 4}}));
}

TEST(ListCodesWithoutDatabase, DirectoryCodesAddNothing)
{
    core::resetState();
    QComboBox combo;
    core::FillCombo(&combo, 4);
    EXPECT_EQ(combo.count(), 0);
    core::FillCombo(&combo, 15);
    EXPECT_EQ(combo.count(), 3);  // fixed lists need no database
}

} // namespace
