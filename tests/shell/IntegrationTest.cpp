// The main window with the real directory windows and the real record card,
// registered as start-up registers them, over a sample database: the road of
// adding a student, every directory opener, editing, copying and deleting
// through the windows, a grade line, the institution and printing-house
// cards, a new database under open windows, and the help assistant's command
// links.
#include "card/RecordCard.h"
#include "card/frmSD1.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "core/ListView.h"
#include "directory/frmSprav.h"
#include "newdb/NewDatabase.h"
#include "shell/HelpAssistant.h"
#include "shell/MainWindow.h"
#include "shell/Startup.h"
#include "support/SampleDatabase.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Keys and names of the sample data.
constexpr long kGroupB31 = 1;
constexpr long kGroupP31 = 5;
constexpr long kVesnina = 1;  // the only person of "Б 31"

// What the test saw of one record card.
struct CardSeen {
    int kind;
    long rowId;
    bool copy;
    QString caption;
};

void typeText(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Replaces the text of a text box as a user does: select all, type.
void retype(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

// The visible toolbar items of a directory window, left to right; a
// separator without a key is "-".
QStringList visibleToolbar(const directory::frmSprav& w)
{
    QStringList out;
    for (QAction* a : w.Toolbar1()->actions())
        if (a->isVisible())
            out << (a->objectName().isEmpty() ? QStringLiteral("-") : a->objectName());
    return out;
}

QStringList headerCaptions(const core::ReportList* list)
{
    QStringList out;
    for (int c = 0; c < list->columnCount(); ++c)
        if (!list->isColumnHidden(c) && list->header()->sectionSize(c) > 0)
            out << list->headerItem()->text(c);
    return out;
}

class IntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        core::AppState& s = core::state();
        s.AppPath = home.path();
        s.MainCaption = QStringLiteral("Кальвета");
        s.TemplatesFolder = home.file(QStringLiteral("Шаблоны ЭЖ"));
        s.ComboTypeAhead = true;
        const QString file = home.file(QStringLiteral("qv.db"));
        ASSERT_TRUE(testsupport::copySampleDatabase(file));
        shell::useAsWorkingDatabase(jet::Database::open(file));

        shell::registerChildWindows();
        messages.emplace();
        ui::setDialogHandler([this](QDialog* d) { return answerDialog(d); });
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ui::setDialogHandler({});
        core::windowFactories() = core::WindowFactories{};
        core::shellServices() = core::ShellServices{};
        messages.reset();
        core::CloseDatabase();
        core::resetState();
        EXPECT_TRUE(cardSteps.empty()) << "a card the test expected was not opened";
    }

    // The record card (any other dialog is cancelled): shown as exec shows
    // it, then handled by the next step; a card the step left open is
    // cancelled so that a failing test cannot hang.
    int answerDialog(QDialog* d)
    {
        dialogs << QString::fromLatin1(d->metaObject()->className());
        if (auto* files = qobject_cast<QFileDialog*>(d)) {
            if (chosenFile.isEmpty())
                return int(QDialog::Rejected);
            files->selectFile(chosenFile);
            return int(QDialog::Accepted);
        }
        auto* cardWindow = qobject_cast<card::frmSD1*>(d);
        if (!cardWindow)
            return int(QDialog::Rejected);
        const core::AppState& s = core::state();
        cards.push_back({s.CurrentKind, s.CurrentRowId, s.RowIsCopy, cardWindow->windowTitle()});
        cardWindow->show();
        QApplication::setActiveWindow(cardWindow);
        QApplication::processEvents();
        if (!cardSteps.empty()) {
            const auto step = std::move(cardSteps.front());
            cardSteps.pop_front();
            step(*cardWindow);
        }
        if (cardWindow->isVisible()) {
            ADD_FAILURE() << "the card stayed open: " << messages->texts().join('\n').toStdString();
            cardWindow->hide();
            return int(QDialog::Rejected);
        }
        return cardWindow->result();
    }

    shell::MainWindow& open()
    {
        window = std::make_unique<shell::MainWindow>();
        window->resize(1200, 800);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    void fireMenu(const char* name)
    {
        QAction* a = window->menuItem(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    }

    directory::frmSprav* front() const
    {
        QMdiSubWindow* sub = window->frontWindow();
        return sub ? qobject_cast<directory::frmSprav*>(sub->widget()) : nullptr;
    }

    QList<directory::frmSprav*> directoryWindows() const
    {
        QList<directory::frmSprav*> out;
        for (QMdiSubWindow* sub : window->mdiArea()->subWindowList(QMdiArea::CreationOrder))
            if (auto* w = qobject_cast<directory::frmSprav*>(sub->widget()); w && !sub->isHidden())
                out << w;
        return out;
    }

    QVariant value(const QString& sql, const QVariantList& params = {}) { return core::db().scalar(sql, params); }
    long number(const QString& sql, const QVariantList& params = {}) { return long(jet::toLong(value(sql, params))); }

    // The items of a list whose column `column` (1-based, as the window counts) reads `text`.
    static QStringList keysWithText(const core::ReportList* list, int column, const QString& text)
    {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(column - 1) == text)
                out << core::listItemKey(list->topLevelItem(i));
        return out;
    }
    static QStringList selectedKeys(const core::ReportList* list)
    {
        QStringList out;
        for (core::ListItem item : list->selectedItems())
            out << core::listItemKey(item);
        return out;
    }

    testsupport::TempFolder home;
    std::optional<testsupport::MessageRecorder> messages;
    std::unique_ptr<shell::MainWindow> window;
    std::deque<std::function<void(card::frmSD1&)>> cardSteps;
    std::vector<CardSeen> cards;
    QStringList dialogs;
    QString chosenFile;  // the answer of a file dialog
};

// ---------------------------------------------------------------------------
// Adding a student

TEST_F(IntegrationTest, AddingAStudentFromTheMainWindowToTheSavedSelectedRow)
{
    open();
    fireMenu("mnuSpravStud");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(window->frontWindow()->windowTitle(), QStringLiteral("Студенты"));
    EXPECT_EQ(w->kind(), core::Students);
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());

    // The filter starts at the first group by name and lists its persons only.
    EXPECT_EQ(w->Cm1()->currentText(), QStringLiteral("Б 31"));
    EXPECT_EQ(w->chosenGroupId(), kGroupB31);
    ASSERT_EQ(w->Spr()->topLevelItemCount(), 1);
    EXPECT_EQ(core::listItemKey(w->Spr()->topLevelItem(0)), core::rowItemKey(kVesnina));

    // The user chooses "П 31": the list shows that group.
    const int p31 = w->Cm1()->findText(QStringLiteral("П 31"));
    ASSERT_GE(p31, 0);
    w->Cm1()->setCurrentIndex(p31);
    EXPECT_EQ(w->chosenGroupId(), kGroupP31);
    const int before = w->Spr()->topLevelItemCount();
    EXPECT_EQ(before, number(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE IDG = ?"), {qlonglong(kGroupP31)}));

    QString proposedNumber;
    cardSteps.push_back([&](card::frmSD1& c) {
        EXPECT_EQ(c.CardKind(), core::Students);
        EXPECT_FALSE(c.isRetrainingLayout());
        EXPECT_EQ(c.Cm1(0)->currentText(), QStringLiteral("П 31"));  // the filter's group
        EXPECT_EQ(c.focusedLine(), 2);                               // the surname
        typeText(c.Text1(2), QStringLiteral("Орлова"));
        typeText(c.Text1(3), QStringLiteral("Анна"));
        typeText(c.Text1(4), QStringLiteral("Сергеевна"));
        const int number = c.lineOf(QStringLiteral("Регистрационный номер сертификата"));
        ASSERT_GE(number, 0);
        if (c.lineText(number).trimmed().isEmpty())
            typeText(c.Text1(number), QStringLiteral("20001"));
        proposedNumber = c.lineText(number);
        EXPECT_TRUE(c.windowTitle().endsWith(QStringLiteral(" *")));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    w->button(QStringLiteral("keyAdd"))->trigger();

    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].kind, core::Students);
    EXPECT_EQ(cards[0].rowId, 0);
    EXPECT_FALSE(cards[0].copy);
    EXPECT_EQ(cards[0].caption, QStringLiteral("Студент: Новый"));
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();
    EXPECT_EQ(core::state().DialogResult, -1);

    const long id = core::state().CurrentRowId;
    ASSERT_GT(id, 0);
    const auto row = core::db().openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = ?"), jet::dbOpenSnapshot,
                                              {qlonglong(id)});
    ASSERT_FALSE(row->isEOF());
    EXPECT_EQ(row->text(QStringLiteral("FAM")), QStringLiteral("Орлова"));
    EXPECT_EQ(row->text(QStringLiteral("IM")), QStringLiteral("Анна"));
    EXPECT_EQ(row->text(QStringLiteral("OTCH")), QStringLiteral("Сергеевна"));
    EXPECT_EQ(jet::toLong(row->value(QStringLiteral("IDG"))), kGroupP31);
    EXPECT_EQ(row->text(QStringLiteral("REGNOMMED")), proposedNumber);

    // The window was rebuilt, still shows the group and selects the new row alone.
    EXPECT_EQ(window->frontWindow()->widget(), w);
    EXPECT_EQ(w->chosenGroupId(), kGroupP31);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), before + 1);
    EXPECT_EQ(selectedKeys(w->Spr()), QStringList{core::rowItemKey(id)});
    EXPECT_EQ(keysWithText(w->Spr(), 2, QStringLiteral("Орлова")), QStringList{core::rowItemKey(id)});
}

TEST_F(IntegrationTest, CancelledCardChangesNothing)
{
    open();
    fireMenu("mnuSpravStud");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    const long persons = number(QStringLiteral("SELECT count(*) FROM SPSTUD"));
    messages->answer(ui::No);  // "Сохранить изменения?"
    cardSteps.push_back([](card::frmSD1& c) {
        typeText(c.Text1(2), QStringLiteral("Орлова"));
        QTest::mouseClick(c.Cancel(), Qt::LeftButton);
    });
    w->button(QStringLiteral("keyAdd"))->trigger();
    EXPECT_EQ(messages->texts(), QStringList{QStringLiteral("Сохранить изменения?")});
    EXPECT_EQ(core::state().DialogResult, 0);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM SPSTUD")), persons);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), 1);
}

// ---------------------------------------------------------------------------
// Every directory from its menu command

struct DirectoryCase {
    const char* menu;
    int kind;
    int docKind;
    const char* caption;
    const char* firstColumn;  // the first visible column's caption
};

constexpr DirectoryCase kDirectories[] = {
    {"mnuSpravSpec", core::Specialties, 0, "Специальности", "Краткое наименование"},
    {"mnuSpravPredm", core::Disciplines, 0, "Дисциплины", "Наименование"},
    {"mnuSpravStud", core::Students, -1, "Студенты", "Фамилия"},
    {"mnuSpravGr", core::Groups, 0, "Группы", "Учебная группа"},
    {"mnuSpravPlan", core::StudyPlan, 0, "Учебный план", "Дисциплина"},
    {"mnuSpravVidOc", core::GradeKinds, 0, "Виды оценок", "Балл"},
    {"mnuSprOU", core::Institutions, 0, "Образовательные учреждения", "Краткое наименование"},
    {"mnuSprForm", core::StudyForms, 0, "Формы обучения", "Наименование"},
    {"mnuSprUr", core::TrainingLevels, 0, "Уровни подготовки", "Наименование"},
    {"mnuSprVDoc", core::PriorDocumentKinds, 0, "Виды документов", "Наименование"},
    {"mnuSprTpgr", core::PrintingHouses, 0, "Типографии", "Наименование"},
    {"mnuSprUsers", core::Users, 0, "Пользователи", "Пользователь"},
    {"mnuMED", core::MedicalSpecialties, 0, "Медицинские специальности", "Наименование"},
    {"mnuSpravItOc", core::Grades, core::Documents, "Итоговые оценки документов", "Фамилия"},
    {"mnuSpravItOcPer", core::Grades, core::RetrainingDocuments, "Итоговые оценки переподготовки", "Фамилия"},
    {"mnuSpravItOcSvid", core::Grades, core::TrainingCertificates, "Итоговые оценки свидетельств", "Фамилия"},
    {"mnuSpravItOcAkadem", core::Grades, core::AcademicTranscripts, "Итоговые оценки академических справок", "Фамилия"},
};

QStringList expectedToolbar(int kind)
{
    const QStringList rowButtons{"keyAdd", "keyEdit", "keyCopy", "keyDel", "-"};
    switch (kind) {
    case core::Grades:
        return rowButtons + QStringList{"keyImpVed", "-", "keyCopyTo", "PrintV", "keySep", "keyli", "keySepUD", "keyUp",
                                        "keyDown", "keySepKA", "keyBall5", "keyBall4", "keyBall3", "keyBallZ",
                                        "keySepKB", "keyBook"};
    case core::Students:
        return rowButtons + QStringList{"keyImp", "-", "PrintV2", "keySep", "keyli", "keySepKA"};
    case core::StudyPlan:
        return rowButtons + QStringList{"keyUp", "keyDown", "keySepKB", "keyTotal"};
    case core::Groups:
    case core::PrintingHouses:
    case core::Users:
    case core::MedicalSpecialties:
        return rowButtons + QStringList{"keyImp", "-", "keyli"};
    default:
        return rowButtons + QStringList{"keyli"};
    }
}

TEST_F(IntegrationTest, EveryDirectoryOpensFromItsMenuCommandWithItsCaptionColumnsAndToolbar)
{
    open();
    for (const DirectoryCase& c : kDirectories) {
        SCOPED_TRACE(c.menu);
        fireMenu(c.menu);
        directory::frmSprav* w = front();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(window->frontWindow()->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(w->kind(), c.kind);
        EXPECT_EQ(w->docKind(), c.docKind);

        const QStringList columns = headerCaptions(w->Spr());
        ASSERT_FALSE(columns.isEmpty());
        EXPECT_EQ(columns.size(), w->definition().Captions.size() - 1);
        EXPECT_EQ(columns.first(), QString::fromUtf8(c.firstColumn));
        // The sample database has rows for every directory (and persons in the first group).
        EXPECT_GT(w->Spr()->topLevelItemCount(), 0);
        EXPECT_EQ(w->Spr2()->isVisible(), c.kind == core::Grades);
        if (c.kind == core::Grades) {
            EXPECT_EQ(headerCaptions(w->Spr2()).value(0), QStringLiteral("Дисциплина"));
        }

        EXPECT_EQ(visibleToolbar(*w), expectedToolbar(c.kind));
        const bool filtered = c.kind == core::Grades || c.kind == core::Students || c.kind == core::StudyPlan;
        EXPECT_EQ(w->Cm1()->isVisible(), filtered);
        if (filtered) {
            EXPECT_EQ(w->Cm1()->currentText(), QStringLiteral("Б 31"));
        }
    }
    EXPECT_EQ(directoryWindows().size(), int(std::size(kDirectories)));
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();
}

TEST_F(IntegrationTest, OneWindowPerDirectoryAndPerGradesDocumentKind)
{
    open();
    fireMenu("mnuSpravItOc");
    fireMenu("mnuSpravItOcPer");
    fireMenu("mnuSpravItOcSvid");
    fireMenu("mnuSpravItOcAkadem");
    fireMenu("mnuSpravGr");
    fireMenu("mnuSpravStud");
    ASSERT_EQ(directoryWindows().size(), 6);
    QStringList captions;
    for (directory::frmSprav* w : directoryWindows())
        captions << w->windowTitle();
    EXPECT_EQ(captions, (QStringList{"Итоговые оценки документов", "Итоговые оценки переподготовки",
                                     "Итоговые оценки свидетельств", "Итоговые оценки академических справок", "Группы",
                                     "Студенты"}));

    // The same command again brings its own window forward; the toolbar's
    // buttons reach the same windows.
    const QList<directory::frmSprav*> windows = directoryWindows();
    const std::pair<const char*, int> again[] = {{"mnuSpravItOcSvid", 2}, {"mnuSpravGr", 4}, {"mnuSpravItOc", 0},
                                                 {"mnuSpravItOcAkadem", 3}, {"mnuSpravStud", 5}, {"mnuSpravItOcPer", 1}};
    for (const auto& [menu, index] : again) {
        SCOPED_TRACE(menu);
        fireMenu(menu);
        EXPECT_EQ(front(), windows.at(index));
    }
    window->toolbarItem(QStringLiteral("NewPer"))->trigger();
    EXPECT_EQ(front(), windows.at(1));
    window->toolbarItem(QStringLiteral("SpravGrup"))->trigger();
    EXPECT_EQ(front(), windows.at(4));
    EXPECT_EQ(directoryWindows(), windows);
}

TEST_F(IntegrationTest, ClosingTheLastDirectoryWindowHidesTheActionsMenu)
{
    open();
    fireMenu("mnuSpravGr");
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
    fireMenu("mnuFileClose");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(directoryWindows().isEmpty());
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
}

// ---------------------------------------------------------------------------
// Arranging the child windows

// Why a directory window is not usable, or "" when it is: its frame has room
// for a list, the list shows its header and first column, the toolbar shows.
QString unusable(const directory::frmSprav* w)
{
    const auto* sub = qobject_cast<const QMdiSubWindow*>(w->parentWidget());
    if (!sub || !sub->isVisible())
        return QStringLiteral("no visible frame");
    if (sub->width() < 300 || sub->height() < 200)
        return QStringLiteral("frame %1x%2").arg(sub->width()).arg(sub->height());
    if (!w->Toolbar1()->isVisible() || w->Toolbar1()->height() < 16 || w->Toolbar1()->width() < 200)
        return QStringLiteral("toolbar %1x%2").arg(w->Toolbar1()->width()).arg(w->Toolbar1()->height());
    const core::ReportList* list = w->Spr();
    if (!list->isVisible() || list->height() < 80 || list->width() < 200)
        return QStringLiteral("list %1x%2").arg(list->width()).arg(list->height());
    if (!list->updatesEnabled())
        return QStringLiteral("the list does not paint");
    if (list->isHeaderHidden() || list->header()->height() < 10)
        return QStringLiteral("no list header");
    if (headerCaptions(list).isEmpty())
        return QStringLiteral("no visible column");
    return {};
}

TEST_F(IntegrationTest, MaximizedRestoredCascadedAndTiledWindowsStayUsable)
{
    open();
    QAction* actions = window->menuItem(QStringLiteral("mnuDeySpr"));
    const auto checkAll = [&](const char* step) {
        SCOPED_TRACE(step);
        QApplication::processEvents();
        const QList<directory::frmSprav*> windows = directoryWindows();
        ASSERT_FALSE(windows.isEmpty());
        for (const directory::frmSprav* w : windows) {
            const auto* sub = qobject_cast<const QMdiSubWindow*>(w->parentWidget());
            if (sub && sub->isMaximized() && sub != window->frontWindow())
                continue;  // behind the maximized window in front
            EXPECT_EQ(unusable(w).toStdString(), std::string()) << w->windowTitle().toStdString();
        }
        EXPECT_NE(front(), nullptr);
        EXPECT_TRUE(actions->isVisible());
    };

    fireMenu("mnuSpravGr");
    window->frontWindow()->showMaximized();
    checkAll("maximized");
    fireMenu("mnuSpravPredm");
    EXPECT_EQ(front()->kind(), core::Disciplines);
    checkAll("opened under a maximized window");
    window->frontWindow()->showNormal();
    checkAll("restored");
    for (QMdiSubWindow* sub : window->mdiArea()->subWindowList())
        EXPECT_FALSE(sub->isMaximized()) << sub->windowTitle().toStdString();

    fireMenu("mnuWindowCascade");
    checkAll("cascaded");
    // The window in front stays in front, and the cascade leaves the title
    // bars of the others visible.
    EXPECT_EQ(front()->kind(), core::Disciplines);
    const QList<QMdiSubWindow*> subs = window->mdiArea()->subWindowList(QMdiArea::CreationOrder);
    EXPECT_NE(subs.at(0)->pos(), subs.at(1)->pos());

    fireMenu("mnuWindowTileHorizontal");
    checkAll("tiled horizontally");
    fireMenu("mnuWindowTileVertical");
    checkAll("tiled vertically");

    // Maximized again, a window opened from the menu comes to the front
    // maximized as well, and every window is usable once restored.
    window->frontWindow()->showMaximized();
    fireMenu("mnuSpravGr");
    EXPECT_EQ(front()->kind(), core::Groups);
    checkAll("brought forward under a maximized window");
    window->frontWindow()->showNormal();
    checkAll("restored again");
}

// The actions menu shows while a directory window is in front, whichever
// window it replaces and in whatever order the windows were opened.
TEST_F(IntegrationTest, TheActionsMenuFollowsTheWindowInFront)
{
    open();
    QAction* actions = window->menuItem(QStringLiteral("mnuDeySpr"));
    fireMenu("mnuSpravGr");
    fireMenu("mnuSpravStud");
    EXPECT_TRUE(actions->isVisible());
    fireMenu("mnuSpravGr");  // the earlier window comes forward
    EXPECT_EQ(front()->kind(), core::Groups);
    EXPECT_TRUE(actions->isVisible());
    fireMenu("mnuSpravStud");
    EXPECT_TRUE(actions->isVisible());
    fireMenu("mnuSpravItOcPer");
    EXPECT_EQ(front()->kind(), core::Grades);
    EXPECT_TRUE(actions->isVisible());
    fireMenu("mnuSpravGr");
    fireMenu("mnuSpravItOcPer");
    EXPECT_TRUE(actions->isVisible());

    // A record card opened from the grades window and closed again.
    messages->answer(ui::No);  // "Сохранить изменения?"
    cardSteps.push_back([](card::frmSD1& c) { QTest::mouseClick(c.Cancel(), Qt::LeftButton); });
    window->frontWindow()->activateWindow();
    ASSERT_GT(front()->Spr()->topLevelItemCount(), 0);
    core::selectOnlyItem(front()->Spr(), front()->Spr()->topLevelItem(0));
    front()->Spr2()->setFocus();
    front()->Toolbar1_ButtonClick(QStringLiteral("keyAdd"));
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
    EXPECT_EQ(front()->kind(), core::Grades);
    EXPECT_TRUE(actions->isVisible());

    // Closing the window in front hands the menu to the directory behind it.
    fireMenu("mnuFileClose");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    ASSERT_NE(front(), nullptr);
    EXPECT_TRUE(actions->isVisible());
}

// ---------------------------------------------------------------------------
// Edit, copy and delete

TEST_F(IntegrationTest, EditCopyAndDeleteAStudentThroughTheWindowAndTheActionsMenu)
{
    open();
    fireMenu("mnuSpravStud");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(selectedKeys(w->Spr()), QStringList{core::rowItemKey(kVesnina)});

    // Edit: the card shows the row; the changed surname is saved.
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.lineText(2), QStringLiteral("Веснина"));
        EXPECT_EQ(c.Cm1(0)->currentText(), QStringLiteral("Б 31"));
        EXPECT_FALSE(c.IsChanged());
        retype(c.Text1(2), QStringLiteral("Веснина-Орлова"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("mnuDS2");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].rowId, kVesnina);
    EXPECT_FALSE(cards[0].copy);
    EXPECT_EQ(cards[0].caption, QStringLiteral("Студент: Веснина"));
    EXPECT_EQ(value(QStringLiteral("SELECT FAM FROM SPSTUD WHERE ID = ?"), {qlonglong(kVesnina)}).toString(),
              QStringLiteral("Веснина-Орлова"));
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM SPSTUD")), 5);
    EXPECT_EQ(keysWithText(w->Spr(), 2, QStringLiteral("Веснина-Орлова")), QStringList{core::rowItemKey(kVesnina)});
    EXPECT_EQ(selectedKeys(w->Spr()), QStringList{core::rowItemKey(kVesnina)});

    // Copy: a new row with the copied values; the grade lines are not copied.
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.lineText(2), QStringLiteral("Веснина-Орлова"));
        EXPECT_TRUE(c.IsChanged());
        retype(c.Text1(2), QStringLiteral("Веснина-Копия"));
        const int number = c.lineOf(QStringLiteral("Регистрационный номер сертификата"));
        retype(c.Text1(number), QStringLiteral("20002"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("mnuDS3");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[1].rowId, kVesnina);
    EXPECT_TRUE(cards[1].copy);
    EXPECT_EQ(cards[1].caption, QStringLiteral("Студент: Новый"));
    const long copy = core::state().CurrentRowId;
    ASSERT_GT(copy, 5);
    EXPECT_EQ(core::state().DialogResult, -1);
    const auto row = core::db().openRecordset(QStringLiteral("SELECT * FROM SPSTUD WHERE ID = ?"), jet::dbOpenSnapshot,
                                              {qlonglong(copy)});
    ASSERT_FALSE(row->isEOF());
    EXPECT_EQ(row->text(QStringLiteral("FAM")), QStringLiteral("Веснина-Копия"));
    EXPECT_EQ(row->text(QStringLiteral("IM")), QStringLiteral("Ольга"));
    EXPECT_EQ(jet::toLong(row->value(QStringLiteral("IDG"))), kGroupB31);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), 2);
    EXPECT_EQ(selectedKeys(w->Spr()), QStringList{core::rowItemKey(copy)});

    // Delete the copy through the actions menu, answering the question.
    messages->clear();
    messages->answer(ui::Yes);
    fireMenu("mnuDS4");
    ASSERT_GE(messages->count(), 1);
    EXPECT_EQ(messages->messages().front().buttons(), ui::YesNo);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = ?"), {qlonglong(copy)}), 0);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM SPSTUD")), 5);
    ASSERT_EQ(w->Spr()->topLevelItemCount(), 1);
    EXPECT_EQ(core::listItemKey(w->Spr()->topLevelItem(0)), core::rowItemKey(kVesnina));
    EXPECT_EQ(cards.size(), 2u);
}

TEST_F(IntegrationTest, DeletionRefusedAtTheQuestionKeepsTheRow)
{
    open();
    fireMenu("mnuSpravStud");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    messages->answer(ui::No);
    w->button(QStringLiteral("keyDel"))->trigger();
    EXPECT_EQ(messages->count(), 1);
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM SPSTUD WHERE ID = ?"), {qlonglong(kVesnina)}), 1);
    EXPECT_EQ(w->Spr()->topLevelItemCount(), 1);
}

TEST_F(IntegrationTest, EditingAGroupFromItsWindowRefreshesTheRow)
{
    open();
    fireMenu("mnuSpravGr");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    const QStringList z41 = keysWithText(w->Spr(), 2, QStringLiteral("З 41"));
    ASSERT_EQ(z41.size(), 1);
    core::selectOnlyItem(w->Spr(), core::findListItem(w->Spr(), z41.first()));
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.windowTitle(), QStringLiteral("Группа: З 41"));
        EXPECT_EQ(c.CardKind(), core::Groups);
        EXPECT_EQ(c.lineText(0), QStringLiteral("З 41"));
        retype(c.Text1(0), QStringLiteral("З 42"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    w->button(QStringLiteral("keyEdit"))->trigger();
    EXPECT_EQ(keysWithText(w->Spr(), 2, QStringLiteral("З 42")), z41);
    EXPECT_EQ(selectedKeys(w->Spr()), z41);
}

// The grades window lists its persons by surname, first name and
// patronymic: a person whose card changed the surname moves to its place,
// and the refresh keeps that order.
TEST_F(IntegrationTest, GradesWindowKeepsItsPersonsInSurnameOrderAfterCardEdits)
{
    int number = 70001;
    for (const char* surname : {"Яковлева", "Смирнова", "Борисова", "Ёлкина"})
        core::db().execute(QStringLiteral("INSERT INTO SPSTUD (IDG, FAM, IM, REGNOMMED) VALUES (?, ?, ?, ?)"),
                           {qlonglong(kGroupB31), QString::fromUtf8(surname), QStringLiteral("Анна"),
                            QString::number(number++)});
    open();
    fireMenu("mnuSpravItOc");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->chosenGroupId(), kGroupB31);
    auto surnames = [w] {
        QStringList out;
        for (int i = 0; i < w->Spr()->topLevelItemCount(); ++i)
            out << w->Spr()->topLevelItem(i)->text(1);
        return out;
    };
    EXPECT_EQ(surnames(), (QStringList{"Борисова", "Веснина", "Ёлкина", "Смирнова", "Яковлева"}));

    // Смирнова becomes Иванова; Яковлева's first name changes.
    const struct {
        const char* surname;
        int line;
        const char* text;
    } edits[] = {{"Смирнова", 2, "Иванова"}, {"Яковлева", 3, "Мария"}, {"Иванова", 3, "Ольга"}};
    for (const auto& e : edits) {
        SCOPED_TRACE(e.surname);
        const QStringList key = keysWithText(w->Spr(), 2, QString::fromUtf8(e.surname));
        ASSERT_EQ(key.size(), 1);
        core::selectOnlyItem(w->Spr(), core::findListItem(w->Spr(), key.first()));
        cardSteps.push_back([&e](card::frmSD1& c) {
            retype(c.Text1(e.line), QString::fromUtf8(e.text));
            QTest::mouseClick(c.Ok(), Qt::LeftButton);
        });
        w->Spr()->setFocus();
        fireMenu("mnuDS2");
        EXPECT_EQ(core::state().DialogResult, -1);
        EXPECT_EQ(selectedKeys(w->Spr()), key);
        EXPECT_EQ(surnames(), (QStringList{"Борисова", "Веснина", "Ёлкина", "Иванова", "Яковлева"}));
    }
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();
    fireMenu("mnuViewRefresh");
    EXPECT_EQ(surnames(), (QStringList{"Борисова", "Веснина", "Ёлкина", "Иванова", "Яковлева"}));
}

TEST_F(IntegrationTest, AddingAGradeLineInTheRetrainingGradesWindow)
{
    open();
    fireMenu("mnuSpravItOcPer");
    directory::frmSprav* w = front();
    ASSERT_NE(w, nullptr);
    w->Cm1()->setCurrentIndex(w->Cm1()->findText(QStringLiteral("П 31")));
    ASSERT_EQ(w->Spr()->topLevelItemCount(), 1);
    const QString person = core::listItemKey(w->Spr()->topLevelItem(0));
    const long personId = long(core::IdFromKey(person));
    const int lines = w->Spr2()->topLevelItemCount();
    ASSERT_GT(lines, 0);  // the person's retraining grade lines

    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.CardKind(), core::Grades);
        EXPECT_EQ(c.Cm1(0)->currentText(), QStringLiteral("Крылова Марина Викторовна"));
        typeText(c.Cm1(1), QStringLiteral("Математика"));
        typeText(c.Cm2(3), QStringLiteral("72"));
        typeText(c.Cm1(4), QStringLiteral("отлично"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    w->Spr2()->setFocus();
    fireMenu("mnuDS1");  // "Новая строка" acts on the grade lines, which have the focus

    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].kind, core::Grades);
    EXPECT_EQ(core::state().CurrentStudentId, personId);
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();
    const long line = core::state().CurrentRowId;
    const auto row = core::db().openRecordset(QStringLiteral("SELECT * FROM EXAM WHERE IDE = ?"), jet::dbOpenSnapshot,
                                              {qlonglong(line)});
    ASSERT_FALSE(row->isEOF());
    EXPECT_EQ(jet::toLong(row->value(QStringLiteral("ID"))), personId);
    EXPECT_EQ(jet::toLong(row->value(QStringLiteral("VidDokum"))), core::vidDokumOf(core::RetrainingDocuments));
    EXPECT_EQ(row->text(QStringLiteral("CH")), QStringLiteral("72"));
    EXPECT_EQ(value(QStringLiteral("SELECT NAIM FROM SPPRED WHERE IDD = ?"), {row->value(QStringLiteral("IDD"))}).toString(),
              QStringLiteral("Математика"));
    EXPECT_EQ(value(QStringLiteral("SELECT NAIM FROM SPBALL WHERE IDB = ?"), {row->value(QStringLiteral("IDB"))}).toString(),
              QStringLiteral("отлично"));

    // The person stays chosen; the new line is listed and selected alone.
    EXPECT_EQ(selectedKeys(w->Spr()), QStringList{person});
    EXPECT_EQ(w->Spr2()->topLevelItemCount(), lines + 1);
    EXPECT_EQ(selectedKeys(w->Spr2()), QStringList{core::rowItemKey(line)});
}

// ---------------------------------------------------------------------------
// The main window's own cards

TEST_F(IntegrationTest, InstitutionCardOpensTheSingleInfRowAndSavesIt)
{
    open();
    const long idlu = number(QStringLiteral("SELECT IDLU FROM INF"));
    ASSERT_GT(idlu, 0);
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.CardKind(), core::Institution);
        const int director = c.lineOf(QStringLiteral("Директор (Фамилия И.О.)"));
        ASSERT_GE(director, 0);
        retype(c.Text1(director), QStringLiteral("Смирнова А.В."));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("frmSpravMe");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].kind, core::Institution);
    EXPECT_EQ(cards[0].rowId, idlu);
    EXPECT_FALSE(cards[0].copy);
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(value(QStringLiteral("SELECT FIORUK FROM INF")).toString(), QStringLiteral("Смирнова А.В."));
    EXPECT_EQ(number(QStringLiteral("SELECT count(*) FROM INF")), 1);
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();

    // The service menu's "Параметры учреждения" and the toolbar open the same card.
    cardSteps.push_back([](card::frmSD1& c) { QTest::mouseClick(c.Ok(), Qt::LeftButton); });
    fireMenu("mnuToolsOptions");
    messages->answer(ui::No);  // "Сохранить изменения?"
    cardSteps.push_back([](card::frmSD1& c) { QTest::mouseClick(c.Cancel(), Qt::LeftButton); });
    window->toolbarItem(QStringLiteral("SpravMe"))->trigger();
    ASSERT_EQ(cards.size(), 3u);
    EXPECT_EQ(cards[1].kind, core::Institution);
    EXPECT_EQ(cards[2].rowId, idlu);
}

TEST_F(IntegrationTest, PrintingHouseCardOpensTheHouseInUseAndSavesIt)
{
    open();
    const long idt = number(QStringLiteral("SELECT IDT FROM INF"));
    ASSERT_GT(idt, 0);
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.CardKind(), core::PrintingHouses);
        EXPECT_FALSE(c.lineText(0).isEmpty());
        retype(c.Text1(0), QStringLiteral("Типография на Садовой"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("frmToolsTmp");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].kind, core::PrintingHouses);
    EXPECT_EQ(cards[0].rowId, idt);
    EXPECT_EQ(core::state().DialogResult, -1);
    EXPECT_EQ(value(QStringLiteral("SELECT NAIM FROM SPTPGR WHERE IDT = ?"), {qlonglong(idt)}).toString(),
              QStringLiteral("Типография на Садовой"));
    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();

    // An open printing-house directory shows the new name after a refresh.
    fireMenu("mnuSprTpgr");
    ASSERT_NE(front(), nullptr);
    EXPECT_EQ(keysWithText(front()->Spr(), 2, QStringLiteral("Типография на Садовой")),
              QStringList{core::rowItemKey(idt)});
}

// ---------------------------------------------------------------------------
// Another database

TEST_F(IntegrationTest, ANewDatabaseClosesTheWindowsAndTheyReopenOnIt)
{
    open();
    fireMenu("mnuSpravStud");
    fireMenu("mnuSpravGr");
    ASSERT_EQ(directoryWindows().size(), 2);

    chosenFile = home.file(QStringLiteral("новая.db"));
    fireMenu("mnuFileCr");
    EXPECT_EQ(core::db().path(), chosenFile);
    EXPECT_TRUE(directoryWindows().isEmpty());
    EXPECT_EQ(window->frontWindow(), nullptr);
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().startsWith(QStringLiteral("Создана новая база данных")));

    // The new file has the reference directories only: no groups, no persons.
    fireMenu("mnuSpravStud");
    directory::frmSprav* students = front();
    ASSERT_NE(students, nullptr);
    EXPECT_EQ(students->Cm1()->count(), 0);
    EXPECT_EQ(students->Spr()->topLevelItemCount(), 0);
    fireMenu("mnuFileClose");  // its filter would keep what it was filled with
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fireMenu("mnuSpravVidOc");
    ASSERT_NE(front(), nullptr);
    EXPECT_GT(front()->Spr()->topLevelItemCount(), 0);

    // A specialty, then a group of it, added through their windows; the
    // group shows in a students window opened afterwards.
    cardSteps.push_back([](card::frmSD1& c) {
        typeText(c.Text1(0), QStringLiteral("Фармация"));
        typeText(c.Text2(1), QStringLiteral("33.02.01 Фармация"));
        typeText(c.Text2(2), QStringLiteral("Фармацевт"));
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("mnuSpravSpec");
    front()->button(QStringLiteral("keyAdd"))->trigger();
    EXPECT_EQ(front()->Spr()->topLevelItemCount(), 1);
    cardSteps.push_back([](card::frmSD1& c) {
        typeText(c.Text1(0), QStringLiteral("Ф 11"));
        typeText(c.Cm1(1), QStringLiteral("Фарм"));
        EXPECT_EQ(c.Cm1(1)->currentText(), QStringLiteral("Фармация"));
        EXPECT_EQ(c.lineText(3), QStringLiteral("Фармацевт"));  // taken from the specialty
        QTest::mouseClick(c.Ok(), Qt::LeftButton);
    });
    fireMenu("mnuSpravGr");
    front()->button(QStringLiteral("keyAdd"))->trigger();
    EXPECT_EQ(front()->Spr()->topLevelItemCount(), 1);
    ASSERT_EQ(messages->count(), 2) << messages->texts().join('\n').toStdString();
    EXPECT_TRUE(messages->texts().at(1).startsWith(QStringLiteral("Вписать полное наименование")));  // answered Yes
    fireMenu("mnuSpravStud");
    ASSERT_NE(front(), nullptr);
    EXPECT_EQ(front()->Cm1()->currentText(), QStringLiteral("Ф 11"));
}

// ---------------------------------------------------------------------------
// The help assistant's command links

TEST_F(IntegrationTest, AssistantLinksOpenTheRealWindowsAndCards)
{
    const QString pages = home.file(QStringLiteral("Помощник ЭЖ"));
    QDir().mkpath(pages);
    const QDir shipped(QDir(testsupport::sourceDataFolder()).filePath(QStringLiteral("Помощник ЭЖ")));
    for (const QFileInfo& fi : shipped.entryInfoList(QDir::Files))
        QFile::copy(fi.filePath(), QDir(pages).filePath(fi.fileName()));
    core::state().HelpPagePath = QDir(pages).filePath(QStringLiteral("index.htm"));
    ASSERT_TRUE(QFileInfo(core::state().HelpPagePath).isFile());

    open();
    fireMenu("mnuBrowser");
    shell::HelpAssistant* assistant = shell::findHelpAssistant(window->mdiArea());
    ASSERT_NE(assistant, nullptr);
    auto* assistantFrame = qobject_cast<QMdiSubWindow*>(assistant->parentWidget());
    ASSERT_NE(assistantFrame, nullptr);
    // A click on a link brings the assistant to the front first.
    const auto follow = [&](const QString& word) {
        window->mdiArea()->setActiveSubWindow(assistantFrame);
        ASSERT_EQ(window->frontWindow(), assistantFrame);
        assistant->browser()->setSource(QUrl::fromLocalFile(QDir(pages).filePath(word)));
    };

    const std::pair<const char*, const char*> links[] = {
        {"СправочникСтудентыУчащиеся", "Студенты"},
        {"СправочникУчебныеГруппы", "Группы"},
        {"СправочникУчебныйПлан", "Учебный план"},
        {"СправочникДисциплины", "Дисциплины"},
        {"СправочникСпециальностиПрофессии", "Специальности"},
        {"СправочникМедСпециальности", "Медицинские специальности"},
        {"СправочникОбразовательныеУчреждения", "Образовательные учреждения"},
        {"СправочникВидыОценок", "Виды оценок"},
        {"СправочникВидыДокументов", "Виды документов"},
        {"СправочникФормыПолученияОбразования", "Формы обучения"},
        {"СправочникУровниПодготовки", "Уровни подготовки"},
        {"СправочникТипографии", "Типографии"},
        {"СправочникИтоговыеОценки", "Итоговые оценки документов"},
        {"ИтоговыеОценкиПереподготовки", "Итоговые оценки переподготовки"},
        {"ИтоговыеОценкиСвидетельств", "Итоговые оценки свидетельств"},
    };
    for (const auto& [word, caption] : links) {
        SCOPED_TRACE(word);
        follow(QString::fromUtf8(word));
        ASSERT_NE(front(), nullptr);
        EXPECT_EQ(front()->windowTitle(), QString::fromUtf8(caption));
        EXPECT_GT(front()->Spr()->topLevelItemCount(), 0);
    }
    EXPECT_EQ(directoryWindows().size(), int(std::size(links)));
    // Following a link again brings its window forward.
    follow(QStringLiteral("СправочникУчебныеГруппы"));
    EXPECT_EQ(front()->windowTitle(), QStringLiteral("Группы"));
    EXPECT_EQ(directoryWindows().size(), int(std::size(links)));

    EXPECT_EQ(messages->count(), 0) << messages->texts().join('\n').toStdString();

    // The institution's link opens its card.
    cardSteps.push_back([](card::frmSD1& c) {
        EXPECT_EQ(c.CardKind(), core::Institution);
        QTest::mouseClick(c.Cancel(), Qt::LeftButton);
    });
    follow(QStringLiteral("СправочникУчреждение"));
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].kind, core::Institution);

    // "ПечатьДокументов" runs from the assistant in front: it says where the
    // command is to be run from.
    follow(QStringLiteral("ПечатьДокументов"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().startsWith(QStringLiteral("Откройте справочник \"Итоговые оценки\"")));
    EXPECT_NE(shell::findHelpAssistant(window->mdiArea()), nullptr);
}

} // namespace

namespace {

// List and book printing, the print-parameters dialog and import are not
// part of this version: their commands say so instead of doing nothing.
TEST_F(IntegrationTest, EveryWindowACommandOpensIsThere)
{
    const core::WindowFactories& f = core::windowFactories();
    EXPECT_TRUE(f.createDirectoryWindow);
    EXPECT_TRUE(f.createRegistryBook);
    EXPECT_TRUE(f.showRecordCard);
    EXPECT_TRUE(f.showPrintParameters);
    EXPECT_TRUE(f.showImport);
    EXPECT_TRUE(f.adjustTemplate);

    open();
    fireMenu("mnuRepBookMed");  // the book opens without a word
    EXPECT_EQ(messages->count(), 0);
    ASSERT_NE(window->frontWindow(), nullptr);
    EXPECT_EQ(window->frontWindow()->widget()->windowTitle(),
              QStringLiteral("Книга регистрации выданных сертификатов"));
}

} // namespace
