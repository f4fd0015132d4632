// The main window: what its load shows, every command it dispatches, the
// openers that keep one window per kind, the commands on the window in front,
// the edit, view and arrangement commands, and what its closing stores.
#include "ShellStandIns.h"

#include "core/AppState.h"
#include "core/DataAccess.h"
#include "core/DirectoryMetadata.h"
#include "newdb/NewDatabase.h"
#include "platform/settings/Settings.h"
#include "shell/HelpAssistant.h"
#include "shell/MainWindow.h"
#include "shell/UserManual.h"
#include "shell/WindowArrangement.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <optional>

namespace {

using shelltest::calls;
using shelltest::StandInDirectoryWindow;

const QString kSettings = QString::fromLatin1(settings::kSectionSettings);
const QString kUser = QString::fromLatin1(settings::kSectionUser);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::clearSettings();
        core::resetState();
        core::state().AppPath = app.path();
        core::state().MainCaption = QStringLiteral("Кальвета");
        core::state().TemplatesFolder = app.file(QStringLiteral("Шаблоны ЭЖ"));
        messages.emplace();
        ui::setDialogHandler([](QDialog* d) {
            calls() << QStringLiteral("dialog:%1:%2").arg(QString::fromLatin1(d->metaObject()->className()),
                                                          d->windowTitle());
            return int(QDialog::Rejected);
        });
        shell::setDocumentOpener([](const QUrl& url) {
            calls() << QStringLiteral("manual:") + url.toLocalFile();
            return true;
        });
    }
    void TearDown() override
    {
        window.reset();
        ui::setDialogHandler({});
        shell::setDocumentOpener({});
        core::CloseDatabase();
        core::resetState();
    }

    shell::MainWindow& open()
    {
        window = std::make_unique<shell::MainWindow>();
        window->resize(1000, 700);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    void fireMenu(const QString& name) { window->menuItem(name)->trigger(); }
    void fireTool(const QString& key) { window->toolbarItem(key)->trigger(); }
    void fireDropDown(const QString& key)
    {
        for (QAction* a : window->bookMenu()->actions())
            if (a->objectName() == key)
                a->trigger();
    }
    StandInDirectoryWindow* front() const
    {
        QMdiSubWindow* sub = window->frontWindow();
        return sub ? dynamic_cast<StandInDirectoryWindow*>(sub->widget()) : nullptr;
    }
    int openWindows() const
    {
        int n = 0;
        for (QMdiSubWindow* sub : window->mdiArea()->subWindowList())
            n += sub->isHidden() ? 0 : 1;
        return n;
    }
    QStringList visibleItems(const QString& menuName) const
    {
        QStringList out;
        for (QAction* a : window->menuItem(menuName)->menu()->actions())
            if (a->isVisible())
                out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }

    testsupport::TempFolder app;
    shelltest::StandInWindows standIns;
    std::optional<testsupport::MessageRecorder> messages;
    std::unique_ptr<shell::MainWindow> window;
};

// ---------------------------------------------------------------------------
// The load

TEST_F(MainWindowTest, LoadShowsTheMenusAndToolbarOfTheProgram)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Кальвета"));
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral("Готово"));
    EXPECT_FALSE(window->statusPanel(2)->text().isEmpty());
    EXPECT_FALSE(window->statusPanel(3)->text().isEmpty());

    QStringList bar;
    for (QAction* a : window->menuBar()->actions())
        if (a->isVisible())
            bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&Файл", "&Вид", "Спр&авочники", "О&тчеты", "С&ервис", "&Окно", "&Справка"}));

    EXPECT_EQ(visibleItems(QStringLiteral("mnuSpravohnik")),
              (QStringList{"&Учреждение", "Общие спр&авочники", "-", "Специальности/профессии", "Группы",
                           "Сертификаты", "-", "&Дисциплины", "Учебный &план", "-", "Итоговые &оценки переподготовки"}));
    EXPECT_EQ(visibleItems(QStringLiteral("mnuSprProch")),
              (QStringList{"Образовательные &учреждения", "-", "&Формы получения образования", "У&ровни подготовки",
                           "Виды &документов", "Виды &оценок", "Медицинские специальности", "-", "&Типографии"}));
    EXPECT_EQ(visibleItems(QStringLiteral("mnuRep")),
              (QStringList{"Книга &регистрации выданных сертификатов",
                           "Книга &регистрации выдаваемых документов переподготовки"}));
    EXPECT_EQ(visibleItems(QStringLiteral("mnuService")),
              (QStringList{"&Сжать базу данных", "&Архивировать базу данных", "&Вложить в письмо базу данных", "-",
                           "&Шаблоны документов", "Параметры &учреждения", "-", "Обновить программу"}));
    EXPECT_EQ(visibleItems(QStringLiteral("mnuFile")),
              (QStringList{"&Создать базу данных...", "&Открыть базу данных...", "&Закрыть окно", "-",
                           "Сохранить базу данных &как...", "-", "Скопи&ровать на съемный диск",
                           "Восс&тановить cо съемного дискa", "-", "&Печать справочника...", "Печать &документов", "-",
                           "&Выход"}));

    QStringList tools;
    for (QAction* a : window->toolBar()->actions())
        if (a->isVisible())
            tools << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    // The assistant's button is hidden: this data folder has no start page.
    EXPECT_EQ(tools, (QStringList{"NewPer", "keyNew", "Open", "Save", "-", "Print", "-", "SpravMe", "SpravGrup",
                                  "SpravStud", "-", "SpravDisc", "-", "keyUpdate", "keyHelp"}));
    EXPECT_EQ(window->toolbarItem(QStringLiteral("SpravDisc"))->toolTip(), QStringLiteral("Медицинские специальности"));
    EXPECT_EQ(window->toolbarItem(QStringLiteral("SpravGrup"))->toolTip(), QStringLiteral("Группы"));
    for (QAction* a : window->toolBar()->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().pixmap(24, 24).isNull()) << a->objectName().toStdString();
        }
    }

    EXPECT_EQ(window->menuItem(QStringLiteral("mnuFileCr"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(window->menuItem(QStringLiteral("mnuViewRefresh"))->shortcut(), QKeySequence(QStringLiteral("F5")));
    EXPECT_EQ(window->menuItem(QStringLiteral("mnuBrowser"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+F1")));
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuEdit"))->isVisible());
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuBrowser"))->isVisible());

    // The folders of printed documents and archive copies.
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Архив"))).isDir());
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Документы"))).isDir());
}

TEST_F(MainWindowTest, AFileNamedLikeAFolderIsLeftAlone)
{
    QFile file(app.file(QStringLiteral("Документы")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    open();
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Документы"))).isFile());
    EXPECT_TRUE(QFileInfo(app.file(QStringLiteral("Архив"))).isDir());
}

TEST_F(MainWindowTest, ManualCommandsAreEnabledOnlyWhenTheManualExists)
{
    open();
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuHelpManual"))->isEnabled());
    EXPECT_FALSE(window->toolbarItem(QStringLiteral("keyHelp"))->isEnabled());
    window.reset();

    QFile manual(shell::userManualPath());
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.close();
    open();
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuHelpManual"))->isEnabled());
    EXPECT_TRUE(window->toolbarItem(QStringLiteral("keyHelp"))->isEnabled());
}

TEST_F(MainWindowTest, BarSwitchesFromTheSettings)
{
    struct Case {
        const char* tool0;
        const char* stbar;
        bool toolbar;
        bool statusBar;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, true},  // first run: both shown
        {"False", "0", false, false},
        {"0", "True", false, true},
        {"True", "-1", true, true},
        {"1", "False", true, false},
        {"abc", "xyz", false, true},  // unreadable: as the window was built
    };
    for (const Case& c : cases) {
        testsupport::clearSettings();
        if (c.tool0)
            settings::saveSetting(kSettings, QStringLiteral("Tool0"), QString::fromLatin1(c.tool0));
        if (c.stbar)
            settings::saveSetting(kSettings, QStringLiteral("StBar"), QString::fromLatin1(c.stbar));
        open();
        const std::string label = std::string(c.tool0 ? c.tool0 : "-") + "/" + (c.stbar ? c.stbar : "-");
        EXPECT_EQ(!window->toolBar()->isHidden(), c.toolbar) << label;
        EXPECT_EQ(window->menuItem(QStringLiteral("mnuViewToolbar"))->isChecked(), c.toolbar) << label;
        EXPECT_EQ(!window->statusBar()->isHidden(), c.statusBar) << label;
        EXPECT_EQ(window->menuItem(QStringLiteral("mnuViewStatusBar"))->isChecked(), c.statusBar) << label;
        window.reset();
    }
}

TEST_F(MainWindowTest, StatusTextsOfOtherWindowsGoToTheFirstPanel)
{
    open();
    ui::setStatusText(QStringLiteral("Идет импорт данных."));
    EXPECT_EQ(window->statusPanel(1)->text(), QStringLiteral("Идет импорт данных."));
}

TEST_F(MainWindowTest, ActionsMenuIsShownAndHiddenByTheDirectoryWindows)
{
    open();
    core::shellServices().setActionsMenuVisible(true);
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
    core::shellServices().setActionsMenuVisible(false);
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuDeySpr"))->isVisible());
    EXPECT_EQ(core::shellServices().mdiArea, window->mdiArea());
}

TEST_F(MainWindowTest, LoadBringsTheDerivedColumnsInLine)
{
    const QString path = app.file(QStringLiteral("qv.db"));
    ASSERT_TRUE(newdb::CreateNewDatabase(path, true));
    jet::Database& db = core::db();
    db.execute(QStringLiteral("INSERT INTO SPSTUD (FAM, REGNOMMED) VALUES (?, ?)"),
               {QStringLiteral("Иванова"), QStringLiteral("№ 12-7")});
    const qlonglong person = db.lastInsertKey();
    db.execute(QStringLiteral("INSERT INTO EXAM (ID, VidDokum) VALUES (?, NULL)"), {person});
    open();
    EXPECT_EQ(jet::toText(db.scalar(QStringLiteral("SELECT regnommedf FROM SPSTUD WHERE ID = ?"), {person})),
              QStringLiteral("127"));
    EXPECT_EQ(jet::toLong(db.scalar(QStringLiteral("SELECT COUNT(*) FROM EXAM WHERE VidDokum IS NULL"))), 0);
}

TEST_F(MainWindowTest, HelpAssistantOpensInsideAndItsLinksRunTheCommands)
{
    const QString pages = app.file(QStringLiteral("Помощник ЭЖ"));
    QDir().mkpath(pages);
    QFile page(QDir(pages).filePath(QStringLiteral("index.htm")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><a href=\"СправочникУчебныеГруппы\">Группы</a></body></html>");
    page.close();
    core::state().HelpPagePath = page.fileName();

    open();
    EXPECT_TRUE(window->menuItem(QStringLiteral("mnuBrowser"))->isVisible());
    EXPECT_TRUE(window->toolbarItem(QStringLiteral("keyStart"))->isVisible());
    QTest::qWait(10);  // the assistant opens once the window is shown
    shell::HelpAssistant* assistant = shell::findHelpAssistant(window->mdiArea());
    ASSERT_NE(assistant, nullptr);

    assistant->browser()->setSource(QUrl::fromLocalFile(QDir(pages).filePath(QStringLiteral("СправочникУчебныеГруппы"))));
    ASSERT_NE(front(), nullptr);
    EXPECT_EQ(front()->kind(), core::Groups);
}

TEST_F(MainWindowTest, PublicCommandsRunByName)
{
    open();
    EXPECT_TRUE(window->runPublicCommand(QStringLiteral("mnuSpravGr_Click")));
    EXPECT_EQ(calls(), QStringList{QStringLiteral("open:4:0")});
    EXPECT_TRUE(window->runPublicCommand(QStringLiteral("mnuRepBookMed_Click")));
    EXPECT_EQ(calls().last(), QStringLiteral("book:1"));
    // Only the public commands; the others stay with the menus.
    EXPECT_FALSE(window->runPublicCommand(QStringLiteral("mnuFileExit_Click")));
    EXPECT_FALSE(window->runPublicCommand(QStringLiteral("Нет такой команды")));
    EXPECT_TRUE(window->isVisible());

    // Every command word of the help pages names a public command.
    for (const shell::HelpCommand& c : shell::helpCommands()) {
        const QByteArray signature = QByteArray(c.command) + "()";
        const int index = window->metaObject()->indexOfSlot(signature.constData());
        ASSERT_GE(index, 0) << c.command;
        EXPECT_EQ(window->metaObject()->method(index).access(), QMetaMethod::Public) << c.command;
    }
}

// ---------------------------------------------------------------------------
// Every menu item, toolbar key and drop-down key

struct DispatchCase {
    const char* source;  // "menu", "tool" or "drop"
    const char* name;
    const char* before;  // a menu item fired first, "sql:" a statement run on the database first; "" for none
    const char* reached;  // a call of a stand-in, "msg:" a message, "status:" the status text; "" nothing
    int frontKind = -100;  // the kind of the directory window in front afterwards; -100 not checked
    int frontDocKind = -100;
};

void PrintTo(const DispatchCase& c, std::ostream* os)
{
    *os << c.source << ' ' << c.name << (*c.before ? std::string(" after ") + c.before : std::string());
}

const DispatchCase kDispatch[] = {
    // Directories.
    {"menu", "mnuSpravSpec", "", "open:1:0", 1, 0},
    {"menu", "mnuSpravPredm", "", "open:2:0", 2, 0},
    {"menu", "mnuSpravStud", "", "open:3:-1", 3, -1},
    {"menu", "mnuSpravGr", "", "open:4:0", 4, 0},
    {"menu", "mnuSpravPlan", "", "open:5:0", 5, 0},
    {"menu", "mnuSpravVidOc", "", "open:6:0", 6, 0},
    {"menu", "mnuSprOU", "", "open:7:0", 7, 0},
    {"menu", "mnuSprForm", "", "open:8:0", 8, 0},
    {"menu", "mnuSprUr", "", "open:9:0", 9, 0},
    {"menu", "mnuSprVDoc", "", "open:10:0", 10, 0},
    {"menu", "mnuSprTpgr", "", "open:11:0", 11, 0},
    {"menu", "mnuSprUsers", "", "open:12:0", 12, 0},
    {"menu", "mnuMED", "", "open:16:0", 16, 0},
    {"menu", "mnuSpravItOc", "", "open:0:0", 0, 0},
    {"menu", "mnuSpravItOcPer", "", "open:0:2", 0, 2},
    {"menu", "mnuSpravItOcSvid", "", "open:0:3", 0, 3},
    {"menu", "mnuSpravItOcAkadem", "", "open:0:4", 0, 4},
    {"tool", "New", "", "open:0:0", 0, 0},
    {"tool", "NewPer", "", "open:0:2", 0, 2},
    {"tool", "NewSvid", "", "open:0:3", 0, 3},
    {"tool", "NewAkadem", "", "open:0:4", 0, 4},
    {"tool", "SpravSpec", "", "open:1:0", 1, 0},
    {"tool", "SpravGrup", "", "open:4:0", 4, 0},
    {"tool", "SpravStud", "", "open:3:-1", 3, -1},
    {"tool", "SpravDisc", "", "open:16:0", 16, 0},  // the medical specialties
    {"tool", "SpravPlan", "", "open:5:0", 5, 0},
    // Registry books.
    {"menu", "mnuRepBook", "", "book:0"},
    {"menu", "mnuRepBookMed", "", "book:1"},
    {"menu", "mnuRepBookDok", "", "book:2"},
    {"menu", "mnuRepBookSvid", "", "book:3"},
    {"menu", "mnuRepBookAkadem", "", "book:4"},
    {"drop", "keyBook", "", "book:0"},
    {"drop", "keyBookMed", "", "book:1"},
    {"drop", "keyBookPerep", "", "book:2"},
    {"drop", "keyBooksvid", "", "book:3"},
    {"drop", "keyBookakad", "", "book:4"},
    {"tool", "keyBook", "", ""},     // the face of the drop-down button
    {"tool", "keyBookMed", "", ""},  // no command of its own
    // Cards.
    {"menu", "frmSpravMe", "", "card:15:1:0"},
    {"menu", "mnuToolsOptions", "", "card:15:1:0"},
    {"tool", "SpravMe", "", "card:15:1:0"},
    {"menu", "frmToolsTmp", "", "card:11:6:0"},
    // No printing house chosen, or the chosen one no longer in its directory.
    {"menu", "frmToolsTmp", "sql:UPDATE INF SET IDT = NULL", "msg:Сначала добавьте наименование типографии"},
    {"menu", "frmToolsTmp", "sql:DELETE FROM SPTPGR", "msg:Сначала добавьте наименование типографии"},
    // The window in front.
    {"menu", "mnuDS1", "mnuSpravStud", "button:keyAdd@3:-1", 3, -1},
    {"menu", "mnuDS2", "mnuSpravGr", "button:keyEdit@4:0", 4, 0},
    {"menu", "mnuDS3", "mnuSpravStud", "button:keyCopy@3:-1", 3, -1},
    {"menu", "mnuDS4", "mnuSpravStud", "button:keyDel@3:-1", 3, -1},
    {"menu", "mnuDS1", "", ""},
    {"menu", "mnuDS1", "mnuRepBookMed", ""},
    {"menu", "mnuFilePrint", "mnuSpravGr", "bPrint_click@4:0", 4, 0},
    {"tool", "Print", "mnuRepBookMed", "bPrint_click@book1"},
    {"menu", "mnuFilePrint", "", "msg:Печатать нечего: сделайте активным окно справочника или книги регистрации"},
    {"menu", "mnuFileDip", "mnuSpravStud", "button:PrintV@3:-1", 3, -1},
    {"menu", "mnuFileDip", "mnuSpravItOcPer", "button:PrintV@0:2", 0, 2},
    {"menu", "mnuFileDip", "mnuSpravGr", "msg:Откройте справочник \"Итоговые оценки\" или \"Студенты\""},
    {"menu", "mnuFileDip", "mnuRepBookMed", "msg:Откройте справочник \"Итоговые оценки\" или \"Студенты\""},
    {"menu", "mnuFileDip", "", "msg:Откройте справочник \"Итоговые оценки\" или \"Студенты\""},
    {"menu", "mnuViewRefresh", "mnuSpravStud", "Ref@3:-1", 3, -1},
    {"menu", "mnuViewRefresh", "mnuRepBookDok", "Ref@book2"},
    {"menu", "mnuViewRefresh", "", ""},
    {"menu", "mnuFileClose", "mnuSpravStud", "closed@3:-1"},
    {"menu", "mnuFileClose", "", ""},
    // Help, about, password.
    {"menu", "mnuHelpManual", "", "manual:"},
    {"tool", "keyHelp", "", "manual:"},
    {"menu", "mnuBrowser", "", "msg:Файл страницы Помощника не найден"},
    {"tool", "keyStart", "", "msg:Файл страницы Помощника не найден"},
    {"menu", "mnuHelpAbout", "", "dialog:shell::AboutWindow"},
    {"menu", "mnuToolsLock", "", "dialog:shell::LoginDialog"},
    // The database file.
    {"menu", "mnuFileCr", "", "dialog:QFileDialog:Создать базу данных"},
    {"tool", "keyNew", "", "dialog:QFileDialog:Создать базу данных"},
    {"menu", "mnuFileOpen", "", "dialog:QFileDialog:Открыть базу данных"},
    {"tool", "Open", "", "dialog:QFileDialog:Открыть базу данных"},
    {"menu", "mnuFileSaveAs", "", "dialog:QFileDialog:Сохранить базу данных как"},
    {"tool", "Save", "", "dialog:QFileDialog:Сохранить базу данных как"},
    {"menu", "mnuFileSaveTo", "", "dialog:QFileDialog:Скопировать базу данных в папку"},
    {"menu", "mnuFileOpenFrom", "", "dialog:QFileDialog:Восстановить базу данных из копии"},
    {"menu", "mnuToolsAcc", "", "msg:База данных сжата"},
    {"menu", "mnuToolsArh", "", "msg:Архивная копия базы данных сохранена"},
    {"menu", "mnuToolsMail", "", "status:Создано письмо с копией базы данных."},
    {"menu", "mnuObnv", "", "msg:Программа обновляется"},
    {"tool", "keyUpdate", "", "msg:Программа обновляется"},
};

class DispatchTest : public MainWindowTest, public ::testing::WithParamInterface<DispatchCase> {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // A working database, the manual and a mail program stand-in, so that
        // every command has something to act on.
        ASSERT_TRUE(newdb::CreateNewDatabase(app.file(QStringLiteral("qv.db")), true));
        QFile manual(shell::userManualPath());
        ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
        manual.close();
        const QString bin = app.file(QStringLiteral("bin"));
        QDir().mkpath(bin);
        QFile mailer(QDir(bin).filePath(QStringLiteral("xdg-email")));
        ASSERT_TRUE(mailer.open(QIODevice::WriteOnly));
        mailer.write("#!/bin/sh\nexit 0\n");
        mailer.close();
        mailer.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        path_ = qgetenv("PATH");
        qputenv("PATH", bin.toLocal8Bit() + ':' + path_);
        open();
    }
    void TearDown() override
    {
        qputenv("PATH", path_);
        MainWindowTest::TearDown();
    }
    QByteArray path_;
};

TEST_P(DispatchTest, ReachesItsCommand)
{
    const DispatchCase& c = GetParam();
    const QString before = QString::fromUtf8(c.before);
    if (before.startsWith(QLatin1String("sql:")))
        core::db().execute(before.mid(4));
    else if (!before.isEmpty())
        fireMenu(before);
    calls().clear();
    messages->clear();

    const QString name = QString::fromLatin1(c.name);
    if (QLatin1String(c.source) == QLatin1String("menu"))
        fireMenu(name);
    else if (QLatin1String(c.source) == QLatin1String("tool"))
        fireTool(name);
    else
        fireDropDown(name);

    const QString reached = QString::fromUtf8(c.reached);
    if (reached.isEmpty()) {
        EXPECT_TRUE(calls().isEmpty()) << calls().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(messages->count(), 0);
    } else if (reached.startsWith(QLatin1String("msg:"))) {
        ASSERT_EQ(messages->count(), 1) << messages->texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(messages->texts().first().startsWith(reached.mid(4))) << messages->texts().first().toStdString();
    } else if (reached.startsWith(QLatin1String("status:"))) {
        EXPECT_EQ(ui::statusText(), reached.mid(7));
    } else {
        ASSERT_FALSE(calls().isEmpty());
        EXPECT_TRUE(calls().first().startsWith(reached)) << calls().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(messages->count(), 0) << messages->texts().join(QLatin1Char('\n')).toStdString();
    }
    if (c.frontKind != -100) {
        ASSERT_NE(front(), nullptr);
        EXPECT_EQ(front()->kind(), c.frontKind);
        EXPECT_EQ(front()->docKind(), c.frontDocKind);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, DispatchTest, ::testing::ValuesIn(kDispatch),
                         [](const ::testing::TestParamInfo<DispatchCase>& info) {
                             return std::string(info.param.source) + "_" + info.param.name + "_"
                                 + std::to_string(info.index);
                         });

// ---------------------------------------------------------------------------
// The openers and the window in front

TEST_F(MainWindowTest, OneWindowPerDirectoryKindAndPerBookKind)
{
    open();
    fireMenu(QStringLiteral("mnuSpravGr"));
    fireMenu(QStringLiteral("mnuSpravStud"));
    fireTool(QStringLiteral("SpravGrup"));
    EXPECT_EQ(openWindows(), 2);
    EXPECT_EQ(front()->kind(), core::Groups);

    fireMenu(QStringLiteral("mnuRepBookMed"));
    fireDropDown(QStringLiteral("keyBookMed"));
    fireMenu(QStringLiteral("mnuRepBookDok"));
    EXPECT_EQ(calls().filter(QStringLiteral("book:")), (QStringList{"book:1", "book:2"}));
    EXPECT_EQ(openWindows(), 4);

    // A minimised window comes back when its command is chosen again.
    QMdiSubWindow* students = nullptr;
    for (QMdiSubWindow* sub : window->mdiArea()->subWindowList())
        if (auto* w = dynamic_cast<StandInDirectoryWindow*>(sub->widget()); w && w->kind() == core::Students)
            students = sub;
    ASSERT_NE(students, nullptr);
    students->showMinimized();
    fireMenu(QStringLiteral("mnuSpravStud"));
    EXPECT_FALSE(students->isMinimized());
    EXPECT_EQ(window->frontWindow(), students);
    EXPECT_EQ(calls().filter(QStringLiteral("open:")).size(), 2);
}

TEST_F(MainWindowTest, NewWindowsGetTheirOwnSizeOrAShareOfTheClientArea)
{
    open();
    core::windowFactories().createDirectoryWindow = [](QWidget* parent) {
        auto* w = new StandInDirectoryWindow(parent);
        if (core::state().CurrentKind == core::Groups)
            w->resize(640, 320);  // a window that sizes itself
        return w;
    };
    fireMenu(QStringLiteral("mnuSpravGr"));
    EXPECT_EQ(front()->size(), QSize(640, 320));
    QMdiSubWindow* first = window->frontWindow();
    fireMenu(QStringLiteral("mnuSpravStud"));
    const QSize client = window->mdiArea()->viewport()->size();
    EXPECT_EQ(front()->size(), QSize(client.width() * 3 / 4, client.height() * 3 / 4));

    // One below the other from the top left corner, inside the client area.
    QMdiSubWindow* second = window->frontWindow();
    EXPECT_EQ(first->pos(), QPoint(0, 0));
    EXPECT_GT(second->pos().y(), 0);
    EXPECT_EQ(second->pos().x(), second->pos().y());
    EXPECT_TRUE(QRect(QPoint(0, 0), client).contains(second->geometry()));
}

TEST_F(MainWindowTest, GradesWindowsOnePerDocumentKind)
{
    open();
    fireTool(QStringLiteral("NewPer"));
    fireMenu(QStringLiteral("mnuSpravItOc"));
    fireMenu(QStringLiteral("mnuSpravItOcSvid"));
    EXPECT_EQ(openWindows(), 3);

    // Each command brings forward its own window, never one of another kind.
    fireMenu(QStringLiteral("mnuSpravItOcPer"));
    EXPECT_EQ(front()->docKind(), core::RetrainingDocuments);
    fireTool(QStringLiteral("New"));
    EXPECT_EQ(front()->docKind(), core::Documents);
    EXPECT_EQ(openWindows(), 3);
    EXPECT_EQ(calls().filter(QStringLiteral("open:")), (QStringList{"open:0:2", "open:0:0", "open:0:3"}));
}

TEST(DirectoryWindowCaption, GradesWindowsNameTheirDocumentKind)
{
    struct Case {
        int kind;
        int docKind;
        const char* caption;
    };
    const Case cases[] = {
        {core::Grades, core::Documents, "Итоговые оценки документов"},
        {core::Grades, core::RetrainingDocuments, "Итоговые оценки переподготовки"},
        {core::Grades, core::TrainingCertificates, "Итоговые оценки свидетельств"},
        {core::Grades, core::AcademicTranscripts, "Итоговые оценки академических справок"},
        {core::Students, core::StudentsWindow, "Студенты"},
        {core::MedicalSpecialties, core::Documents, "Медицинские специальности"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(core::DirectoryWindowCaption(c.kind, c.docKind), QString::fromUtf8(c.caption)) << c.caption;
}

TEST_F(MainWindowTest, ActionsAndPrintActOnTheWindowInFront)
{
    open();
    fireMenu(QStringLiteral("mnuSpravGr"));
    fireMenu(QStringLiteral("mnuSpravStud"));
    QMdiSubWindow* groups = window->mdiArea()->subWindowList(QMdiArea::CreationOrder).first();
    window->mdiArea()->setActiveSubWindow(groups);
    calls().clear();

    fireMenu(QStringLiteral("mnuDS4"));
    fireMenu(QStringLiteral("mnuFilePrint"));
    core::state().OfficeIsOOo = true;
    fireMenu(QStringLiteral("mnuFilePrint"));
    EXPECT_EQ(calls(), (QStringList{"button:keyDel@4:0", "bPrint_click@4:0", "bPrintOOo@4:0"}));

    // The popup of a directory window runs the same commands.
    core::shellServices().popupActionsMenu(window->mapToGlobal(QPoint(50, 50)));
    QMenu* popup = window->menuItem(QStringLiteral("mnuDeySpr"))->menu();
    EXPECT_TRUE(popup->isVisible());
    popup->actions().first()->trigger();
    popup->close();
    EXPECT_EQ(calls().last(), QStringLiteral("button:keyAdd@4:0"));
}

TEST_F(MainWindowTest, PrintDocumentsWarningIsInFrontOfEveryWindow)
{
    open();
    fireMenu(QStringLiteral("mnuRepBookMed"));
    messages.reset();  // the real message box this time
    QString seenText;
    QWidget* seenParent = nullptr;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seenText = box->text();
        seenParent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    QTimer guard;  // never leave a box open
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    guard.start(3000);
    fireMenu(QStringLiteral("mnuFileDip"));
    EXPECT_TRUE(seenText.startsWith(QStringLiteral("Откройте справочник")));
    EXPECT_EQ(seenParent, window.get());
}

// Ctrl+P with the assistant in front of a directory prints nothing behind
// its back: it says there is no list in front, as with no window at all.
TEST_F(MainWindowTest, PrintWithTheAssistantInFrontSaysThereIsNothingToPrint)
{
    open();
    fireMenu(QStringLiteral("mnuSpravGr"));
    auto* assistant = new shell::HelpAssistant;
    QMdiSubWindow* frame = window->mdiArea()->addSubWindow(assistant);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    window->mdiArea()->setActiveSubWindow(frame);
    calls().clear();
    messages->clear();

    QTest::keyClick(assistant->browser(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(calls().isEmpty()) << calls().join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->texts().first(),
              QStringLiteral("Печатать нечего: сделайте активным окно справочника или книги регистрации и затем "
                             "выполните эту команду."));
    EXPECT_EQ(messages->messages().front().style, int(ui::Exclamation));

    // The directory in front again: Ctrl+P prints it.
    frame->close();
    messages->clear();
    fireMenu(QStringLiteral("mnuFilePrint"));
    EXPECT_EQ(calls(), QStringList{QStringLiteral("bPrint_click@4:0")});
    EXPECT_EQ(messages->count(), 0);
}

// ---------------------------------------------------------------------------
// Edit, view and arrangement

TEST_F(MainWindowTest, EditCommandsTakeTheWholeTextOfTheFocusedControl)
{
    open();
    fireMenu(QStringLiteral("mnuSpravStud"));
    StandInDirectoryWindow* w = front();
    ASSERT_NE(w, nullptr);
    QClipboard* clipboard = QGuiApplication::clipboard();

    w->text->setText(QStringLiteral("Иванов"));
    w->text->setFocus();
    w->text->setSelection(0, 2);
    fireMenu(QStringLiteral("mnuEditCopy"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Иванов"));  // the whole text, not the selection

    fireMenu(QStringLiteral("mnuEditCut"));
    EXPECT_EQ(clipboard->text(), QStringLiteral("Иванов"));
    EXPECT_EQ(w->text->text(), QString());

    w->text->setText(QStringLiteral("Петров"));
    clipboard->setText(QStringLiteral("Сидоров"));
    fireMenu(QStringLiteral("mnuEditPaste"));
    EXPECT_EQ(w->text->text(), QStringLiteral("Сидоров"));  // replaced, not inserted

    clipboard->clear();
    fireMenu(QStringLiteral("mnuEditPaste"));
    EXPECT_EQ(w->text->text(), QString());

    // An editable combo box, empty: copying leaves an empty clipboard text.
    w->filter->setEditable(true);
    w->filter->setFocus();
    clipboard->setText(QStringLiteral("прежний текст"));
    fireMenu(QStringLiteral("mnuEditCopy"));
    EXPECT_EQ(clipboard->text(), QString());
    clipboard->setText(QStringLiteral("Группа 1"));
    w->filter->setEditText(QStringLiteral("Группа 2"));
    fireMenu(QStringLiteral("mnuEditPaste"));
    EXPECT_EQ(w->filter->currentText(), QStringLiteral("Группа 1"));
}

TEST_F(MainWindowTest, EditCommandsWithoutAWindowDoNothing)
{
    open();
    QGuiApplication::clipboard()->setText(QStringLiteral("текст"));
    fireMenu(QStringLiteral("mnuEditCut"));
    fireMenu(QStringLiteral("mnuEditPaste"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("текст"));
}

TEST_F(MainWindowTest, ViewSwitchesAndClosingStoresThem)
{
    open();
    fireMenu(QStringLiteral("mnuViewToolbar"));
    EXPECT_TRUE(window->toolBar()->isHidden());
    EXPECT_FALSE(window->menuItem(QStringLiteral("mnuViewToolbar"))->isChecked());
    fireMenu(QStringLiteral("mnuViewStatusBar"));
    fireMenu(QStringLiteral("mnuViewStatusBar"));
    EXPECT_FALSE(window->statusBar()->isHidden());

    fireMenu(QStringLiteral("mnuSpravStud"));
    core::state().TemplatesFolder = QStringLiteral("/шаблоны/мои");
    fireMenu(QStringLiteral("mnuFileExit"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(calls().contains(QStringLiteral("closed@3:-1")));  // the children close first
    EXPECT_EQ(settings::getSetting(kSettings, QStringLiteral("Tool0")), QStringLiteral("False"));
    EXPECT_EQ(settings::getSetting(kSettings, QStringLiteral("StBar")), QStringLiteral("True"));
    EXPECT_EQ(settings::getSetting(kUser, QStringLiteral("sTmpPath")), QStringLiteral("/шаблоны/мои"));
    EXPECT_EQ(settings::getSetting(kSettings, QStringLiteral("MainState")), QStringLiteral("0"));
    EXPECT_FALSE(settings::getSetting(kSettings, QStringLiteral("MainWidth")).isEmpty());

    // The next start shows the toolbar hidden.
    open();
    EXPECT_TRUE(window->toolBar()->isHidden());
}

TEST_F(MainWindowTest, TilingsFillTheClientArea)
{
    open();
    fireMenu(QStringLiteral("mnuSpravGr"));
    fireMenu(QStringLiteral("mnuSpravStud"));
    fireMenu(QStringLiteral("mnuSpravPredm"));
    QMdiArea* area = window->mdiArea();
    const QRect client = area->viewport()->rect();
    const auto windows = area->subWindowList(QMdiArea::CreationOrder);
    windows.at(1)->showMaximized();

    fireMenu(QStringLiteral("mnuWindowTileHorizontal"));
    int top = client.top();
    for (QMdiSubWindow* sub : windows) {
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_EQ(sub->geometry().left(), client.left());
        EXPECT_EQ(sub->geometry().width(), client.width());
        EXPECT_EQ(sub->geometry().top(), top);
        top += sub->geometry().height();
    }
    EXPECT_EQ(top, client.bottom() + 1);

    fireMenu(QStringLiteral("mnuWindowTileVertical"));
    int left = client.left();
    for (QMdiSubWindow* sub : windows) {
        EXPECT_EQ(sub->geometry().top(), client.top());
        EXPECT_EQ(sub->geometry().height(), client.height());
        EXPECT_EQ(sub->geometry().left(), left);
        left += sub->geometry().width();
    }
    EXPECT_EQ(left, client.right() + 1);

    // A minimised window keeps its place; the others share the area.
    windows.at(0)->showMinimized();
    const QRect minimised = windows.at(0)->geometry();
    fireMenu(QStringLiteral("mnuWindowTileVertical"));
    EXPECT_EQ(windows.at(0)->geometry(), minimised);
    EXPECT_EQ(windows.at(1)->geometry().width() + windows.at(2)->geometry().width(), client.width());

    // The cascade lays the windows that are not minimised one a title bar
    // below the other, the uppermost last, every window at its usual size;
    // the minimised one keeps its place.
    fireMenu(QStringLiteral("mnuWindowCascade"));
    EXPECT_NE(windows.at(1)->geometry().top(), windows.at(2)->geometry().top());
    const QList<QMdiSubWindow*> stack = area->subWindowList(QMdiArea::StackingOrder);
    EXPECT_LT(stack.indexOf(windows.at(1)) < stack.indexOf(windows.at(2)) ? windows.at(1)->geometry().top()
                                                                          : windows.at(2)->geometry().top(),
              stack.indexOf(windows.at(1)) < stack.indexOf(windows.at(2)) ? windows.at(2)->geometry().top()
                                                                          : windows.at(1)->geometry().top());
    EXPECT_TRUE(windows.at(0)->isMinimized());
    for (QMdiSubWindow* sub : {windows.at(1), windows.at(2)}) {
        EXPECT_FALSE(sub->isMaximized());
        EXPECT_EQ(sub->size(), QSize(client.width() * 3 / 4, client.height() * 3 / 4));
    }
}

TEST_F(MainWindowTest, WindowMenuListsTheOpenWindows)
{
    open();
    fireMenu(QStringLiteral("mnuSpravGr"));
    fireMenu(QStringLiteral("mnuSpravStud"));
    QMenu* menu = window->menuItem(QStringLiteral("mnuWindow"))->menu();
    Q_EMIT menu->aboutToShow();
    QStringList listed;
    for (QAction* a : menu->actions())
        if (a->text().startsWith(QLatin1Char('&')) && a->text().at(1).isDigit())
            listed << a->text();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.at(1).startsWith(QStringLiteral("&2 ")));
    menu->actions().at(menu->actions().size() - 2)->trigger();  // the first window
    EXPECT_EQ(front()->kind(), core::Groups);
}

} // namespace
