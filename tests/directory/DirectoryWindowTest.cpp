// The directory window on the sample database: every kind opens with its
// caption, columns, toolbar and rows; the group filter; sorting; commands.
#include "DirectoryTestSupport.h"

#include "core/DirectoryMetadata.h"
#include "directory/DirectoryColumns.h"
#include "directory/DirectoryCommands.h"
#include "platform/settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>
#include <QTime>
#include <sqlite3.h>

using namespace dirtest;
using directory::frmSprav;

namespace {

QString groupSetting(int kind)
{
    return settings::getSetting(settings::kSectionUser, QStringLiteral("DG%1").arg(kind));
}

QDate dateOf(const QString& text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("dd.MM.yyyy"));
}

} // namespace

using DirectoryWindowTest = DirectoryDbTest;

TEST_F(DirectoryWindowTest, EveryKindOpensFromTheFactoryWithCaptionColumnsToolbarAndRows)
{
    directory::registerDirectoryWindow();
    for (int kind : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16}) {
        core::state().CurrentKind = kind;
        core::state().CurrentDocKind = 2;
        std::unique_ptr<core::DirectoryWindowApi> api(core::windowFactories().createDirectoryWindow(nullptr));
        auto* w = dynamic_cast<frmSprav*>(api.get());
        ASSERT_NE(w, nullptr);
        w->show();

        EXPECT_EQ(w->windowTitle(), kind == 0 ? QStringLiteral("Итоговые оценки переподготовки") : core::PluralNames(kind));
        EXPECT_EQ(api->docKind(), kind == 3 ? -1 : 2);
        const directory::ListDefinition& def = w->definition();
        ASSERT_EQ(w->Spr()->columnCount(), def.Captions.size()) << kind;
        for (int c = 1; c < def.Captions.size(); ++c)
            EXPECT_EQ(w->Spr()->headerItem()->text(c), def.Captions.at(c)) << kind;
        EXPECT_EQ(w->Spr()->columnWidth(0), 0) << kind;
        EXPECT_FALSE(w->Spr()->isHidden()) << kind;
        EXPECT_EQ(w->Spr2()->isHidden(), kind != 0) << kind;

        for (const directory::ToolbarButtonDef& b : directory::toolbarButtons()) {
            if (QString::fromUtf8(b.key).isEmpty())
                continue;
            ASSERT_TRUE(api->hasButton(QString::fromUtf8(b.key))) << b.key;
            EXPECT_EQ(w->button(QString::fromUtf8(b.key))->isVisible(), directory::buttonVisibleIn(b, kind))
                << kind << " " << b.key;
        }

        const bool filtered = core::ParentKinds(kind) > 0;
        EXPECT_EQ(w->findChild<QFrame*>(QStringLiteral("Рамка4"))->isHidden(), !filtered) << kind;
        qlonglong rows = 0;
        if (kind == 0 || kind == 3) {
            EXPECT_EQ(w->chosenGroupIndex(), 0);
            rows = count(QStringLiteral("SELECT COUNT(*) FROM SPSTUD WHERE IDG = ?"), {qlonglong(w->chosenGroupId())});
        } else if (kind == 5) {
            rows = count(QStringLiteral("SELECT COUNT(*) FROM SPNAGR WHERE IDG = ?"), {qlonglong(w->chosenGroupId())});
        } else {
            rows = count(QStringLiteral("SELECT COUNT(*) FROM ") + core::TableNames(kind));
        }
        EXPECT_GT(rows, 0) << kind;
        EXPECT_EQ(w->Spr()->topLevelItemCount(), rows) << kind;
        // Every item is keyed by its row and one of them is selected.
        EXPECT_TRUE(core::listItemKey(w->Spr()->topLevelItem(0)).startsWith(QLatin1Char('R'))) << kind;
        EXPECT_GT(core::IdFromKey(core::listItemKey(w->Spr()->topLevelItem(0))), 0) << kind;
        EXPECT_NE(core::selectedListItem(w->Spr()), nullptr) << kind;
    }
}

TEST_F(DirectoryWindowTest, StudentsFilterByGroupAndTheChoiceSurvivesARestart)
{
    // Three persons in the third group by name.
    auto probe = open(3);
    ASSERT_GE(probe->Cm1()->count(), 3);
    const qlonglong third = probe->Cm1()->itemData(2).toLongLong();
    probe.reset();
    for (const char* name : {"Абрамов", "Яковлев"})
        insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (?, ?)"), {third, QString::fromUtf8(name)});

    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("2"));
    auto w = open(3);
    EXPECT_EQ(w->chosenGroupIndex(), 2);
    EXPECT_EQ(w->chosenGroupId(), third);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), count(QStringLiteral("SELECT COUNT(*) FROM SPSTUD WHERE IDG = ?"), {third}));
    EXPECT_EQ(w->Spr()->topLevelItem(0)->text(1), QStringLiteral("Абрамов"));  // sorted by surname

    w->Cm1()->setCurrentIndex(1);
    EXPECT_EQ(groupSetting(3), QStringLiteral("1"));
    EXPECT_EQ(w->Spr()->topLevelItemCount(),
              count(QStringLiteral("SELECT COUNT(*) FROM SPSTUD WHERE IDG = ?"), {qlonglong(w->chosenGroupId())}));
    w.reset();
    EXPECT_EQ(open(3)->chosenGroupIndex(), 1);

    // A position that is not there, or no number at all: the first group, stored.
    for (const char* stored : {"9", "-1", "abc"}) {
        settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QString::fromUtf8(stored));
        EXPECT_EQ(open(3)->chosenGroupIndex(), 0) << stored;
        EXPECT_EQ(groupSetting(3), QStringLiteral("0")) << stored;
    }
    // No choice stored at all: the first group, stored.
    settings::deleteSetting(settings::kSectionUser, QStringLiteral("DG3"));
    EXPECT_EQ(open(3)->chosenGroupIndex(), 0);
    EXPECT_EQ(groupSetting(3), QStringLiteral("0"));
}

TEST_F(DirectoryWindowTest, TypingInTheFilterChoosesTheGroupAndLeavingDropsAStrangeText)
{
    auto w = open(3);
    QComboBox* cm1 = w->Cm1();
    const int target = cm1->findText(QStringLiteral("П 31"));
    ASSERT_GE(target, 0);
    cm1->lineEdit()->clear();
    for (QChar c : QStringLiteral("п ")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(cm1, &press);
    }
    EXPECT_EQ(w->chosenGroupIndex(), target);
    EXPECT_EQ(groupSetting(3), QString::number(target));
    EXPECT_EQ(w->Spr()->topLevelItemCount(),
              count(QStringLiteral("SELECT COUNT(*) FROM SPSTUD WHERE IDG = ?"), {qlonglong(w->chosenGroupId())}));

    // Enter in the filter goes on to the list.
    w->Cm1()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(cm1, &enter);
    EXPECT_EQ(w->focusWidget(), w->Spr());

    cm1->setEditText(QStringLiteral("нет такой"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(cm1, &out);
    EXPECT_EQ(cm1->currentText(), QString());
    EXPECT_EQ(w->chosenGroupIndex(), -1);
    EXPECT_EQ(groupSetting(3), QString::number(target));  // nothing stored for a cleared filter
}

TEST_F(DirectoryWindowTest, ColumnClicksSortEachKindBothWays)
{
    auto groups = open(4);
    core::ReportList* list = groups->Spr();
    // Opened sorted by the group name, ascending.
    QStringList names = column(list, 1);
    QStringList sortedNames = names;
    std::sort(sortedNames.begin(), sortedNames.end(),
              [](const QString& a, const QString& b) { return jet::Database::compareText(a, b) < 0; });
    EXPECT_EQ(names, sortedNames);

    // "Дата выдачи документов" (column 9) as dates: ascending, then descending.
    const int datColumn = int(groups->definition().FieldNames.indexOf(QStringLiteral("Dat"))) + 1;
    groups->Spr_ColumnClick(datColumn);
    EXPECT_FALSE(groups->sortDescending());
    QList<QDate> dates;
    for (const QString& t : column(list, datColumn - 1))
        dates << dateOf(t);
    EXPECT_TRUE(std::is_sorted(dates.begin(), dates.end()));
    EXPECT_NE(dates.first(), dates.last());
    groups->Spr_ColumnClick(datColumn);
    dates.clear();
    for (const QString& t : column(list, datColumn - 1))
        dates << dateOf(t);
    EXPECT_TRUE(std::is_sorted(dates.rbegin(), dates.rend()));

    // "Дата приказа об отчислении выпускников" keeps the direction in force: descending.
    const int orderColumn = int(groups->definition().FieldNames.indexOf(QStringLiteral("PRIKAZDAT"))) + 1;
    groups->Spr_ColumnClick(orderColumn);
    EXPECT_TRUE(groups->sortDescending());
    EXPECT_EQ(dateOf(list->topLevelItem(0)->text(orderColumn - 1)), QDate(2014, 12, 17));

    // Grade kinds by their mark as numbers: marks that are no numbers after the numbers.
    auto kindsWindow = open(6);
    QStringList marks = column(kindsWindow->Spr(), 1);
    ASSERT_EQ(marks.size(), 10);
    EXPECT_EQ(marks.mid(0, 5), (QStringList{"1", "2", "3", "4", "5"}));
    QStringList others = marks.mid(5);
    others.sort();
    EXPECT_EQ(others, (QStringList{"+", "-", "а", "о", "х"}));
    kindsWindow->Spr_ColumnClick(2);  // the column it opened sorted by: now descending
    marks = column(kindsWindow->Spr(), 1);
    EXPECT_EQ(marks.mid(5), (QStringList{"5", "4", "3", "2", "1"}));
}

// The header marks the column a list is sorted by and its direction, kept
// as long as the rows keep that order: through a refresh, which sorts them
// again, until a refresh that cannot sort them (a column without a sort kind
// was chosen) shows them in the query's order.
TEST_F(DirectoryWindowTest, TheHeaderMarksTheColumnTheListIsSortedBy)
{
    const auto mark = [](const frmSprav& w) {
        const QHeaderView* header = w.Spr()->header();
        if (!header->isSortIndicatorShown())
            return QStringLiteral("none");
        return QStringLiteral("%1 %2").arg(header->sortIndicatorSection() + 1)
            .arg(header->sortIndicatorOrder() == Qt::AscendingOrder ? QStringLiteral("up") : QStringLiteral("down"));
    };

    // The grades view lists its persons in the query's order: no mark.
    auto grades = open(0, core::SpecialistCertificates);
    core::ReportList* persons = grades->Spr();
    const qlonglong group = grades->Cm1()->currentData().toLongLong();
    for (const char* surname : {"Иванова", "Абрамова", "Яковлева"})
        insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM) VALUES (?, ?, 'Анна')"), {group, QString::fromUtf8(surname)});
    grades->Ref();
    ASSERT_GT(persons->topLevelItemCount(), 2);
    EXPECT_EQ(mark(*grades), QStringLiteral("none"));
    grades->Spr_ColumnClick(2);
    EXPECT_EQ(mark(*grades), QStringLiteral("2 up"));
    grades->Spr_ColumnClick(2);
    EXPECT_EQ(mark(*grades), QStringLiteral("2 down"));
    const QStringList sorted = keys(persons);
    grades->Ref();  // F5, and what saving a card does
    EXPECT_EQ(mark(*grades), QStringLiteral("2 down"));
    EXPECT_EQ(keys(persons), sorted);

    // The students list opens sorted by surname.
    auto students = open(3);
    EXPECT_EQ(mark(*students), QStringLiteral("2 up"));

    // A column that sorts nothing leaves the rows and the mark as they were;
    // the next refresh shows the query's order, without a mark.
    // (The printing houses' template columns after the first have no sort kind.)
    auto houses = open(11);
    const int last = houses->Spr()->columnCount();
    EXPECT_EQ(houses->definition().SortKinds.value(last - 1, -1), -1);
    houses->Spr_ColumnClick(3);
    EXPECT_EQ(mark(*houses), QStringLiteral("3 up"));
    const QStringList byTemplate = keys(houses->Spr());
    houses->Spr_ColumnClick(last);
    EXPECT_EQ(mark(*houses), QStringLiteral("3 up"));
    EXPECT_EQ(keys(houses->Spr()), byTemplate);
    houses->Ref();
    EXPECT_EQ(mark(*houses), QStringLiteral("none"));
}

TEST_F(DirectoryWindowTest, StudyPlanAndFirstColumnHeadersDoNotSort)
{
    auto plan = open(5);
    const QStringList before = keys(plan->Spr());
    ASSERT_GT(before.size(), 3);
    plan->Spr_ColumnClick(2);
    plan->Spr_ColumnClick(4);
    EXPECT_EQ(keys(plan->Spr()), before);
    EXPECT_EQ(plan->sortColumn(), 1);

    auto groups = open(4);
    const QStringList groupKeys = keys(groups->Spr());
    groups->Spr_ColumnClick(1);
    EXPECT_EQ(keys(groups->Spr()), groupKeys);
    EXPECT_EQ(groups->sortColumn(), 2);
}

TEST_F(DirectoryWindowTest, CellsShowLineBreaksAsBlanksAndEmptyValuesAsOneBlank)
{
    db().execute(QStringLiteral("UPDATE SPOTD SET MEMO = ?, KVAL = NULL WHERE IDO = 1"),
                 {QStringLiteral("Первая\r\nвторая\nтретья")});
    auto w = open(1);
    core::ListItem item = core::findListItem(w->Spr(), QStringLiteral("R1"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(2), QStringLiteral("Первая вторая\nтретья"));
    EXPECT_EQ(item->text(3), QStringLiteral(" "));
}

TEST_F(DirectoryWindowTest, StatusLineCountsRowsAndSelection)
{
    auto groups = open(4);
    core::ReportList* list = groups->Spr();
    core::selectOnlyItem(list, list->topLevelItem(2));
    groups->ShowRowStatus(groups->Spr());
    EXPECT_EQ(ui::statusText(), QStringLiteral("Строка: 3. Всего строк: %1. Выделено строк: 1.").arg(list->topLevelItemCount()));
    list->topLevelItem(4)->setSelected(true);
    groups->ShowRowStatus(groups->Spr());
    EXPECT_TRUE(ui::statusText().endsWith(QStringLiteral("Выделено строк: 2.")));

    // The persons list of the grades view allows one selected row: no count of selected rows.
    auto grades = open(0, 2);
    grades->ShowRowStatus(grades->Spr());
    EXPECT_EQ(ui::statusText(), QStringLiteral("Строка: 1. Всего строк: 1. "));

    // A key that moves the selection writes the status line too.
    ui::setStatusText(QString());
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(groups->Spr(), &release);
    EXPECT_TRUE(ui::statusText().startsWith(QStringLiteral("Строка: ")));
}

TEST_F(DirectoryWindowTest, SetIdsReportsEmptyListAndMissingSelection)
{
    auto students = open(3);
    const qlonglong first = qlonglong(core::IdFromKey(core::listItemKey(students->Spr()->topLevelItem(0))));
    students->SetIds();
    EXPECT_EQ(core::state().CurrentRowId, first);
    students->Spr()->clearSelection();
    students->SetIds();
    EXPECT_EQ(core::state().CurrentRowId, 0);
    students->Spr()->clear();
    students->SetIds();
    EXPECT_EQ(core::state().CurrentRowId, -1);

    auto groups = open(4);
    groups->Spr()->clear();
    core::state().CurrentRowId = 7;
    groups->SetIds();
    EXPECT_EQ(core::state().CurrentRowId, 7);  // only the person lists report an empty list
}

TEST_F(DirectoryWindowTest, ActionsMenuFollowsActivationAndPopsUpOnTheRightButton)
{
    QList<bool> shown;
    int popups = 0;
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    core::shellServices().mdiArea = &area;
    core::shellServices().setActionsMenuVisible = [&](bool visible) { shown << visible; };
    core::shellServices().popupActionsMenu = [&](const QPoint&) { ++popups; };

    core::state().CurrentKind = 4;
    auto* groups = new RecordingWindow(&log);
    QMdiSubWindow* groupsSub = area.addSubWindow(groups);
    groupsSub->show();
    core::state().CurrentKind = 6;
    auto* kinds = new RecordingWindow(&log);
    QMdiSubWindow* kindsSub = area.addSubWindow(kinds);
    kindsSub->show();

    area.setActiveSubWindow(groupsSub);
    shown.clear();
    area.setActiveSubWindow(kindsSub);
    // One directory window replacing another in front: the menu never hides.
    EXPECT_EQ(shown, (QList<bool>{true}));

    shown.clear();
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(20, 20), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(kinds->Spr()->viewport(), &right);
    QMouseEvent left(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(20, 20), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(kinds->Spr()->viewport(), &left);
    EXPECT_EQ(popups, 1);

    kindsSub->close();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_FALSE(shown.first());
    core::shellServices().mdiArea = nullptr;
}

TEST_F(DirectoryWindowTest, ActivationRebuildsTheListOncePerSecond)
{
    // The window's clock is the test's: an activation within the second of
    // the last rebuild keeps the list, the next second's rebuilds it.
    QTime now(10, 0, 0, 100);
    auto w = open(4);
    w->setClock([&now] { return now; });
    w->Form_Activate();
    const int rows = w->Spr()->topLevelItemCount();
    insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("Я 1")});
    now = QTime(10, 0, 0, 999);
    w->Form_Activate();
    EXPECT_EQ(w->Spr()->topLevelItemCount(), rows);
    now = QTime(10, 0, 1, 0);
    w->Form_Activate();
    EXPECT_EQ(w->Spr()->topLevelItemCount(), rows + 1);
    EXPECT_EQ(w->focusWidget(), w->Spr());
}

namespace {

// Counts the runs of one statement on a connection while it lives.
class StatementCounter {
public:
    StatementCounter(jet::Database& db, const QString& sql) : db_(db), sql_(sql.toUtf8())
    {
        sqlite3_trace_v2(db_.handle(), SQLITE_TRACE_STMT, &StatementCounter::traced, this);
    }
    ~StatementCounter() { sqlite3_trace_v2(db_.handle(), 0, nullptr, nullptr); }
    int runs() const { return runs_; }

private:
    static int traced(unsigned, void* self, void* stmt, void*)
    {
        auto* counter = static_cast<StatementCounter*>(self);
        if (counter->sql_ == sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)))
            ++counter->runs_;
        return 0;
    }
    jet::Database& db_;
    QByteArray sql_;
    int runs_ = 0;
};

} // namespace

TEST_F(DirectoryWindowTest, OpeningAWindowFillsItsListOnce)
{
    for (int kind : {0, 3, 4, 5}) {
        SCOPED_TRACE(kind);
        const directory::ListDefinition def = directory::DefineColumns(kind, false);
        StatementCounter counter(db(), def.ListSql);
        auto w = open(kind, 2);
        EXPECT_EQ(counter.runs(), 1);
        EXPECT_GT(w->Spr()->topLevelItemCount(), 0);
    }
}

// The students list is long: a return to the window when nothing changed
// keeps it, however much time passed; a change of the data builds it again.
TEST_F(DirectoryWindowTest, TheStudentsWindowIsRebuiltOnlyWhenSomethingChanged)
{
    const directory::ListDefinition def = directory::DefineColumns(core::Students, false);
    StatementCounter counter(db(), def.ListSql);
    auto w = open(core::Students);
    ASSERT_EQ(counter.runs(), 1);
    const int rows = w->Spr()->topLevelItemCount();

    w->Form_Deactivate();
    w->Form_Activate();
    w->Form_Activate();
    EXPECT_EQ(counter.runs(), 1);

    insert(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM) VALUES (?, ?)"),
           {qlonglong(w->chosenGroupId()), QStringLiteral("Яковлева")});
    w->Form_Activate();
    EXPECT_EQ(counter.runs(), 2);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), rows + 1);
    EXPECT_EQ(w->focusWidget(), w->Spr());
    w->Form_Activate();
    EXPECT_EQ(counter.runs(), 2);
}

// Groups added or imported while the window is open join its filter at the
// next activation that finds the data changed, and at a refresh (F5); the
// chosen group stays chosen wherever it now stands, and its new position is
// what is remembered.
TEST_F(DirectoryWindowTest, TheGroupFilterTakesGroupsAddedAfterTheWindowOpened)
{
    struct Case {
        const char* name;
        std::function<void(frmSprav&)> refresh;
    };
    const Case cases[] = {
        {"activation", [](frmSprav& w) { w.Form_Activate(); }},
        {"refresh", [](frmSprav& w) { w.Ref(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::clearSettings();
        settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("1"));
        auto w = open(core::Students);
        const int groups = w->Cm1()->count();
        ASSERT_GE(groups, 2);
        ASSERT_EQ(w->chosenGroupIndex(), 1);
        const long chosen = w->chosenGroupId();
        const QString chosenName = w->Cm1()->itemText(1);

        // Sorted before every other group, which moves the chosen one down.
        const qlonglong added = insert(QStringLiteral("INSERT INTO SPGRUP (NAIM) VALUES (?)"), {QStringLiteral("0 новая")});
        c.refresh(*w);
        ASSERT_EQ(w->Cm1()->count(), groups + 1);
        EXPECT_EQ(w->Cm1()->itemData(0).toLongLong(), added);
        EXPECT_EQ(w->chosenGroupId(), chosen);
        EXPECT_EQ(w->Cm1()->currentText(), chosenName);
        EXPECT_EQ(groupSetting(core::Students), QStringLiteral("2"));
        EXPECT_EQ(w->Spr()->topLevelItemCount(),
                  count(QStringLiteral("SELECT COUNT(*) FROM SPSTUD WHERE IDG = ?"), {qlonglong(chosen)}));

        // The chosen group deleted meanwhile: the first entry, as for a
        // remembered position out of range.
        db().execute(QStringLiteral("DELETE FROM SPSTUD WHERE IDG = ?"), {qlonglong(chosen)});
        db().execute(QStringLiteral("DELETE FROM SPGRUP WHERE IDG = ?"), {qlonglong(chosen)});
        c.refresh(*w);
        EXPECT_EQ(w->Cm1()->count(), groups);
        EXPECT_EQ(w->chosenGroupIndex(), 0);
        EXPECT_EQ(w->chosenGroupId(), added);
        EXPECT_EQ(groupSetting(core::Students), QStringLiteral("0"));
        db().execute(QStringLiteral("DELETE FROM SPGRUP WHERE IDG = ?"), {added});
    }
}

// The wait cursor is up while the list is read.
TEST_F(DirectoryWindowTest, TheListIsBuiltUnderTheWaitCursor)
{
    struct Probe {
        QByteArray sql;
        std::vector<int> shapes;
        static int traced(unsigned, void* self, void* stmt, void*)
        {
            auto* probe = static_cast<Probe*>(self);
            if (probe->sql == sqlite3_sql(static_cast<sqlite3_stmt*>(stmt)))
                probe->shapes.push_back(QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -1);
            return 0;
        }
    } probe{directory::DefineColumns(core::Students, false).ListSql.toUtf8(), {}};
    sqlite3_trace_v2(db().handle(), SQLITE_TRACE_STMT, &Probe::traced, &probe);
    auto w = open(core::Students);
    w->Ref();
    sqlite3_trace_v2(db().handle(), 0, nullptr, nullptr);
    EXPECT_EQ(probe.shapes, (std::vector<int>{int(Qt::WaitCursor), int(Qt::WaitCursor)}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
