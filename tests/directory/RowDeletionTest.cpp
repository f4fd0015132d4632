#include "DirectoryTestSupport.h"

#include "core/DirectoryMetadata.h"
#include "core/ListView.h"
#include "directory/RowDeletion.h"
#include "platform/ui/Messages.h"

#include <sqlite3.h>

using namespace dirtest;
using directory::deleteRows;
using directory::DeletionOutcome;
using directory::ListRow;

namespace {

class RowDeletionTest : public DirectoryDbTest {
protected:
    // A list of one selected row.
    static QList<ListRow> one(qlonglong key, const QString& name = QStringLiteral("Строка"))
    {
        return {{key, name, true}};
    }

    void failOn(const QString& trigger)
    {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(db().handle(), trigger.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
    }

    qlonglong gradeLinesOf(qlonglong person)
    {
        return count(QStringLiteral("SELECT count(*) FROM EXAM WHERE ID = ?"), {person});
    }
};

// A row that other rows refer to is refused, naming the directory of the
// first referencing table; the row stays.
TEST_F(RowDeletionTest, RowsInUseAreRefusedNamingTheFirstReferencingDirectory)
{
    struct Case {
        int kind;
        const char* setup;  // rows to add first ("" for none), the key to delete is `key`
        qlonglong key;
        const char* directory;
    };
    // Keys of the sample data: specialty 1, discipline 12 (in plans and grade
    // lines), group 1 (has persons), grade kind 5, institution 1 (a person's
    // admission), form 1, level 1, document kind 2, printing house 4 (in
    // use), medical specialty 9.
    const Case cases[] = {
        {1, "", 1, "Группы"},
        {2, "", 12, "Учебный план"},
        {4, "", 1, "Студенты"},
        {6, "", 5, "Итоговые оценки"},
        {7, "", 1, "Студенты"},
        {8, "", 1, "Группы"},
        {9, "", 1, "Группы"},
        {10, "", 2, "Студенты"},
        {11, "", 4, "Параметры учреждения"},
        {16, "", 9, "Группы"},
    };
    for (const Case& c : cases) {
        messages.clear();
        const QString table = core::TableNames(c.kind);
        const QString keyField = core::KeyFields(c.kind);
        const QString exists = QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, keyField);
        ASSERT_EQ(count(exists, {c.key}), 1) << c.kind;

        messages.answer(ui::Yes);
        const DeletionOutcome outcome = deleteRows(c.kind, false, one(c.key, QStringLiteral("Образец")));

        EXPECT_TRUE(outcome.confirmed) << c.kind;
        EXPECT_EQ(outcome.deleted, 0) << c.kind;
        EXPECT_EQ(count(exists, {c.key}), 1) << c.kind;
        ASSERT_EQ(messages.count(), 2) << c.kind;
        EXPECT_EQ(messages.texts().at(0), QStringLiteral("Удалить выделенную строку?"));
        EXPECT_EQ(messages.messages().at(0).style, ui::YesNo | ui::Exclamation | ui::DefaultButton2);
        EXPECT_EQ(messages.texts().at(1),
                  QStringLiteral("Невозможно удалить строку \"Образец\", так как она используется в справочнике \"%1\".")
                      .arg(QString::fromUtf8(c.directory)))
            << c.kind;
        // A single row: only OK.
        EXPECT_EQ(messages.messages().at(1).style, ui::OkOnly | ui::Exclamation) << c.kind;
        EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: 0"));
    }
}

TEST_F(RowDeletionTest, ReferencesFoundOnlyLaterInTheProbeOrderAreNamed)
{
    // A discipline used only by a grade line, an institution used only by a
    // grade line, a group that has plan lines but no persons.
    const qlonglong discipline =
        insert(QStringLiteral("INSERT INTO SPPRED (NAIM, isNotPred) VALUES ('Новая дисциплина', 0)"), {});
    insert(QStringLiteral("INSERT INTO EXAM (ID, IDD, VidDokum) VALUES (1, ?, 0)"), {discipline});
    const qlonglong institution = insert(QStringLiteral("INSERT INTO SPUCH (NAIM) VALUES ('Училище')"), {});
    insert(QStringLiteral("INSERT INTO EXAM (ID, IDZ, VidDokum) VALUES (1, ?, 0)"), {institution});
    const qlonglong group = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Пустая')"), {});
    insert(QStringLiteral("INSERT INTO SPNAGR (IDG, IDD, CH, SORT) VALUES (?, 12, '10', 1)"), {group});

    const struct {
        int kind;
        qlonglong key;
        const char* directory;
    } cases[] = {{2, discipline, "Итоговые оценки"}, {7, institution, "Итоговые оценки"}, {4, group, "Учебный план"}};
    for (const auto& c : cases) {
        messages.clear();
        messages.answer(ui::Yes);
        EXPECT_EQ(deleteRows(c.kind, false, one(c.key, QStringLiteral("X"))).deleted, 0) << c.kind;
        ASSERT_EQ(messages.count(), 2) << c.kind;
        EXPECT_TRUE(messages.texts().at(1).endsWith(
            QStringLiteral("в справочнике \"%1\".").arg(QString::fromUtf8(c.directory))))
            << messages.texts().at(1).toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPGRUP WHERE IDG = ?"), {group}), 1);
}

// Rows nothing refers to go without a further question.
TEST_F(RowDeletionTest, UnreferencedRowsAreDeletedWithoutChecksGettingInTheWay)
{
    struct Case {
        int kind;
        const char* insertSql;
    };
    const Case cases[] = {
        {1, "INSERT INTO SPOTD (NAIM) VALUES ('Новая')"},
        {2, "INSERT INTO SPPRED (NAIM, isNotPred) VALUES ('Новая', 0)"},
        {3, "INSERT INTO SPSTUD (IDG, FAM) VALUES (1, 'Новиков')"},
        {4, "INSERT INTO SPGRUP (NAIM) VALUES ('Новая')"},
        {5, "INSERT INTO SPNAGR (IDG, IDD, SORT) VALUES (1, 12, 999)"},
        {6, "INSERT INTO SPBALL (OCEN, NAIM) VALUES ('7', 'семь')"},
        {7, "INSERT INTO SPUCH (NAIM) VALUES ('Новое')"},
        {8, "INSERT INTO SPFORM (NAIM) VALUES ('Новая')"},
        {9, "INSERT INTO SPUR (NAIM) VALUES ('Новый')"},
        {10, "INSERT INTO SPVDOC (NAIM) VALUES ('Новый')"},
        {11, "INSERT INTO SPTPGR (NAIM) VALUES ('Новая')"},
        {12, "INSERT INTO USERS (NAIM, ROLE) VALUES ('Новый', 1)"},
        {16, "INSERT INTO SPMED (NAIM, LEVEL2) VALUES ('Новая', 2)"},
    };
    for (const Case& c : cases) {
        messages.clear();
        const qlonglong key = insert(QString::fromUtf8(c.insertSql), {});
        messages.answer(ui::Yes);
        const DeletionOutcome outcome = deleteRows(c.kind, false, {{1, "другая", false}, {key, "Новая", true}});
        EXPECT_EQ(outcome.deleted, 1) << c.kind;
        EXPECT_EQ(outcome.firstPosition, 2) << c.kind;
        EXPECT_EQ(messages.count(), 1) << c.kind;  // the question alone
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?")
                            .arg(core::TableNames(c.kind), core::KeyFields(c.kind)),
                        {key}),
                  0)
            << c.kind;
        EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: 1"));
    }
    // Grade lines of the grades view go by their own key, unchecked.
    const qlonglong line = count(QStringLiteral("SELECT min(IDE) FROM EXAM WHERE ID = 3"));
    messages.answer(ui::Yes);
    EXPECT_EQ(deleteRows(0, true, one(line)).deleted, 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM EXAM WHERE IDE = ?"), {line}), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = 3")), 1);
}

// A person with grade lines, from the grades view or from the students
// window: the user is asked; Yes removes the person with every grade line
// of every document kind, No keeps both.
TEST_F(RowDeletionTest, PersonWithGradeLinesIsAskedAboutInBothWindows)
{
    for (int kind : {0, 3}) {
        for (int answer : {ui::Yes, ui::No}) {
            const qlonglong person =
                insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (1, 'Иванов')"), {});
            for (int vid : {0, 1, 2})
                insert(QStringLiteral("INSERT INTO EXAM (ID, IDD, VidDokum) VALUES (?, 12, ?)"), {person, vid});
            insert(QStringLiteral("INSERT INTO EXAM (ID, IDD) VALUES (?, 13)"), {person});
            messages.clear();
            messages.answer(ui::Yes);
            messages.answer(answer);

            const DeletionOutcome outcome = deleteRows(kind, false, one(person, QStringLiteral("Иванов")));

            ASSERT_EQ(messages.count(), 2);
            EXPECT_EQ(messages.texts().at(1),
                      QStringLiteral("Cтрока \"Иванов\" используется в справочнике \"Итоговые оценки\". Все равно удалить?"));
            EXPECT_TRUE(messages.texts().at(1).startsWith(QChar(u'C')));  // Latin C, as the message always had
            EXPECT_EQ(messages.messages().at(1).style, ui::YesNo | ui::Exclamation | ui::DefaultButton2);
            const bool gone = answer == ui::Yes;
            EXPECT_EQ(outcome.deleted, gone ? 1 : 0) << kind;
            EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = ?"), {person}), gone ? 0 : 1) << kind;
            EXPECT_EQ(gradeLinesOf(person), gone ? 0 : 4) << kind;
        }
    }
}

TEST_F(RowDeletionTest, PersonWithoutGradeLinesGoesWithoutTheQuestion)
{
    const qlonglong person = insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (1, 'Петров')"), {});
    messages.answer(ui::Yes);
    EXPECT_EQ(deleteRows(3, false, one(person)).deleted, 1);
    EXPECT_EQ(messages.count(), 1);
}

TEST_F(RowDeletionTest, BaseMarksAreNeverDeleted)
{
    db().execute(QStringLiteral("DELETE FROM EXAM"));
    insert(QStringLiteral("INSERT INTO SPBALL (OCEN, NAIM) VALUES ('x', 'латинский икс')"), {});
    QList<ListRow> rows;
    auto rs = db().openRecordset(QStringLiteral("SELECT IDB, OCEN FROM SPBALL ORDER BY IDB"), jet::dbOpenSnapshot);
    for (; !rs->isEOF(); rs->moveNext())
        rows.append({jet::toLong(rs->value(0)), rs->text(QStringLiteral("OCEN")), true});
    rs->close();
    // Delete, and go on after every refusal.
    for (int i = 0; i < 20; ++i)
        messages.answer(ui::Yes);

    const DeletionOutcome outcome = deleteRows(6, false, rows);

    QStringList left;
    auto after = db().openRecordset(QStringLiteral("SELECT OCEN FROM SPBALL ORDER BY IDB"), jet::dbOpenSnapshot);
    for (; !after->isEOF(); after->moveNext())
        left << after->text(QStringLiteral("OCEN"));
    EXPECT_EQ(left, (QStringList{"3", "4", "5", "+", "\u0445", "x"}));
    EXPECT_EQ(outcome.deleted, rows.size() - 6);
    EXPECT_EQ(messages.texts().at(0), QStringLiteral("Удалить выделенные строки?"));
    EXPECT_TRUE(messages.texts().contains(QStringLiteral(
        "Невозможно удалить строку \"+\", так как она является базовой.\n\nУдалить остальные выделенные строки?")));
    // The last refusal has no rows left to go on with.
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Невозможно удалить строку \"x\", так как она является базовой."));
    EXPECT_EQ(messages.messages().back().style, ui::OkOnly | ui::Exclamation);
}

TEST_F(RowDeletionTest, RefusalOffersTheRemainingRows)
{
    // Group 1 has persons; the new group is empty.
    for (int answer : {ui::Yes, ui::No}) {
        const qlonglong empty = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Пустая')"), {});
        messages.clear();
        messages.answer(ui::Yes);
        messages.answer(answer);
        const DeletionOutcome outcome =
            deleteRows(4, false, {{1, "Б 31", true}, {2, "З 41", false}, {empty, "Пустая", true}});
        ASSERT_EQ(messages.count(), 2);
        EXPECT_EQ(messages.texts().at(0), QStringLiteral("Удалить выделенные строки?"));
        EXPECT_EQ(messages.texts().at(1),
                  QStringLiteral("Невозможно удалить строку \"Б 31\", так как она используется в справочнике "
                                 "\"Студенты\".\n\nУдалить остальные выделенные строки?"));
        EXPECT_EQ(messages.messages().at(1).style, ui::YesNo | ui::Exclamation | ui::DefaultButton2);
        EXPECT_EQ(outcome.deleted, answer == ui::Yes ? 1 : 0);
        EXPECT_EQ(outcome.firstPosition, 1);
        EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: %1").arg(outcome.deleted));
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPGRUP WHERE IDG = ?"), {empty}), answer == ui::Yes ? 0 : 1);
    }
}

TEST_F(RowDeletionTest, QuestionDeclinedOrNothingToDelete)
{
    ui::setStatusText(QStringLiteral("Готово"));
    // An empty list: no question at all.
    EXPECT_FALSE(deleteRows(12, false, {}).confirmed);
    EXPECT_EQ(messages.count(), 0);

    // No to the question: nothing changes, the status keeps its text.
    messages.answer(ui::No);
    const DeletionOutcome declined = deleteRows(12, false, one(1));
    EXPECT_FALSE(declined.confirmed);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM USERS WHERE IDU = 1")), 1);
    EXPECT_EQ(ui::statusText(), QStringLiteral("Готово"));

    // Rows listed, none selected: the singular question, then nothing deleted.
    messages.clear();
    messages.answer(ui::Yes);
    const DeletionOutcome none = deleteRows(12, false, {{1, "Оператор", false}, {2, "Пользователь", false}});
    EXPECT_TRUE(none.confirmed);
    EXPECT_EQ(none.deleted, 0);
    EXPECT_EQ(none.firstPosition, 0);
    EXPECT_EQ(messages.texts(), QStringList{"Удалить выделенную строку?"});
    EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: 0"));
}

// Only rows the database really deleted are counted; a delete it refuses is
// reported and keeps the row together with its grade lines.
TEST_F(RowDeletionTest, CountIsOfRowsReallyDeletedAndRefusedDeletesAreReported)
{
    // A row another window has already deleted.
    const qlonglong gone = insert(QStringLiteral("INSERT INTO USERS (NAIM, ROLE) VALUES ('Ушедший', 1)"), {});
    db().execute(QStringLiteral("DELETE FROM USERS WHERE IDU = ?"), {gone});
    messages.answer(ui::Yes);
    EXPECT_EQ(deleteRows(12, false, one(gone)).deleted, 0);
    EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: 0"));

    failOn(QStringLiteral("CREATE TRIGGER keep_person BEFORE DELETE ON SPSTUD WHEN OLD.ID = 3 "
                          "BEGIN SELECT RAISE(ABORT, 'запрещено'); END"));
    const qlonglong lines = gradeLinesOf(3);
    ASSERT_GT(lines, 0);
    const qlonglong other = insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (3, 'Другой')"), {});
    messages.clear();
    messages.answer(ui::Yes);  // delete the selected rows
    messages.answer(ui::Yes);  // and the grade lines of Шилов
    messages.answer(ui::Yes);  // go on after the refused delete

    const DeletionOutcome outcome = deleteRows(0, false, {{3, "Шилов", true}, {other, "Другой", true}});

    EXPECT_EQ(outcome.deleted, 1);
    EXPECT_EQ(gradeLinesOf(3), lines);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = 3")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = ?"), {other}), 0);
    ASSERT_EQ(messages.count(), 3);
    EXPECT_TRUE(messages.texts().at(2).startsWith(QStringLiteral("Не удалось удалить строку \"Шилов\". Ошибка: ")));
    EXPECT_TRUE(messages.texts().at(2).endsWith(QStringLiteral("Удалить остальные выделенные строки?")));
    EXPECT_EQ(ui::statusText(), QStringLiteral("Удалено строк: 1"));
}

// Through the window: the Delete key in the groups list, the list rebuilt
// and the row at the first deleted position selected, or the last row when
// the last row went.
TEST_F(RowDeletionTest, WindowSelectsTheRowAtTheFirstDeletedPosition)
{
    insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Я 1')"), {});
    const qlonglong b = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Я 2')"), {});
    const qlonglong c = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES ('Я 3')"), {});
    core::state().CurrentKind = core::Groups;
    directory::frmSprav w;
    w.resize(900, 600);
    w.show();
    core::ReportList* list = w.Spr();
    ASSERT_EQ(list->topLevelItemCount(), 8);

    core::selectOnlyItem(list, core::findListItem(list, core::rowItemKey(b)));
    messages.answer(ui::Yes);
    w.HandleListKey(46, 0, false);
    ASSERT_EQ(list->topLevelItemCount(), 7);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(core::listItemKey(list->selectedItems().first()), core::rowItemKey(c));
    EXPECT_EQ(w.focusWidget(), list);

    messages.answer(ui::Yes);
    w.HandleListKey(46, 0, false);
    ASSERT_EQ(list->topLevelItemCount(), 6);
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().first(), list->topLevelItem(5));
    EXPECT_EQ(messages.count(), 2);
}

} // namespace
