#include "shell/MainWindow.h"

#include "books/RegNumberDigits.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "shell/AboutWindow.h"
#include "shell/DatabaseFileCommands.h"
#include "shell/HelpAssistant.h"
#include "shell/LoginDialogs.h"
#include "shell/Placement.h"
#include "shell/ProgramIcon.h"
#include "shell/Startup.h"
#include "shell/Updater.h"
#include "shell/UserManual.h"
#include "shell/WindowArrangement.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QTextEdit>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

// Resources of a static library are linked only when something names them.
static void initShellResources()
{
    Q_INIT_RESOURCE(shell_icons);
}

namespace shell {

// ---------------------------------------------------------------------------
// Layout tables

struct MainWindow::MenuEntry {
    enum Kind { Menu, Item, Separator };
    Kind kind;
    const char* parent;    // the menu that holds it; "" for the menu bar
    const char* name;
    const char* caption;
    const char* shortcut;  // "" for none
    bool visible;          // as the window is built
    int check;             // -1 no check mark, 0 unchecked, 1 checked
    void (MainWindow::*handler)();
};

struct MainWindow::ToolEntry {
    enum Kind { Button, DropDown, Separator };
    Kind kind;
    const char* key;      // "" for a separator without a key
    const char* tooltip;
    const char* picture;  // file in :/shell/icons without ".svg"
    bool visible;         // as the window is built
};

namespace {

using ME = MainWindow;  // shortens the handler column below

// The drop-down menu of the toolbar button "keyBook": item key, text, book kind.
struct BookMenuEntry {
    const char* key;
    const char* text;
    int med;
};
constexpr BookMenuEntry kBookMenu[] = {
    {"keyBook", "Книга регистрации выдаваемых документов", core::Documents},
    {"keyBookMed", "Книга учета выданных сертификатов", core::SpecialistCertificates},
    {"keyBooksvid", "Книга регистрации выдаваемых свидетельств", core::TrainingCertificates},
    {"keyBookakad", "Книга выданных академических справок", core::AcademicTranscripts},
    {"keyBookPerep", "Книга &регистрации выдаваемых документов переподготовки", core::RetrainingDocuments},
};

// What the load changes, step by step.
const QStringList kLoadShowFirst = {QStringLiteral("mnuMED"), QStringLiteral("mnuRepBookMed")};
const QStringList kLoadHideFirst = {QStringLiteral("mnuSpravItOc"), QStringLiteral("mnuRepBook"),
                                    QStringLiteral("key1")};
const QStringList kLoadHideSecond = {QStringLiteral("mnuToolsLock"), QStringLiteral("mnuTools10"),
                                     QStringLiteral("mnuSpravohnikSep0"), QStringLiteral("mnuSprUsers")};
const QStringList kLoadHideThird = {QStringLiteral("keyBook"),      QStringLiteral("New"),
                                    QStringLiteral("NewSvid"),      QStringLiteral("keyNewSep"),
                                    QStringLiteral("SpravSpec"),    QStringLiteral("SpravPlan"),
                                    QStringLiteral("mnuSpravItOcSvid")};
struct Rename {
    const char* name;
    const char* text;
};
constexpr Rename kLoadMenuCaptions[] = {
    {"mnuSpravSpec", "Специальности/профессии"},
    {"mnuSpravStud", "Сертификаты"},
    {"mnuSpravGr", "Группы"},
};
constexpr Rename kLoadTooltips[] = {
    {"SpravGrup", "Группы"},
    {"SpravDisc", "Медицинские специальности"},
};

// Folders the load creates in the program's folder when missing.
constexpr const char* kLoadFolders[] = {"Архив", "Документы"};

const QString kSettingsSection = QString::fromLatin1(settings::kSectionSettings);
const QString kUserSection = QString::fromLatin1(settings::kSectionUser);

// Where the main window keeps the child window's interface on its widget.
// What "Печать справочника" says when the window in front holds no list.
constexpr const char* kNothingToPrint =
    "Печатать нечего: сделайте активным окно справочника или книги регистрации и затем выполните эту команду.";

constexpr const char* kDirectoryApiProperty = "kalvetaDirectoryWindow";
constexpr const char* kRegistryBookProperty = "kalvetaRegistryBook";

// The text of a control that has one (text boxes and combo boxes).
bool controlText(QWidget* w, QString* text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        *text = e->text();
    else if (auto* c = qobject_cast<QComboBox*>(w))
        *text = c->currentText();
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        *text = t->toPlainText();
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        *text = p->toPlainText();
    else
        return false;
    return true;
}

void setControlText(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (!e->isReadOnly())
            e->setText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        if (c->isEditable())
            c->setEditText(text);
        else if (const int i = c->findText(text, Qt::MatchExactly); i >= 0)
            c->setCurrentIndex(i);  // a drop-down list takes only one of its own entries
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        if (!t->isReadOnly())
            t->setPlainText(text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        if (!p->isReadOnly())
            p->setPlainText(text);
    }
}

} // namespace

const std::vector<MainWindow::MenuEntry>& MainWindow::menuTable()
{
    using K = MenuEntry;
    static const std::vector<MenuEntry> table = {
        {K::Menu, "", "mnuFile", "&Файл", "", true, -1, nullptr},
        {K::Item, "mnuFile", "mnuFileCr", "&Создать базу данных...", "Ctrl+N", true, -1, &ME::mnuFileCr_Click},
        {K::Item, "mnuFile", "mnuFileOpen", "&Открыть базу данных...", "Ctrl+O", true, -1, &ME::mnuFileOpen_Click},
        {K::Item, "mnuFile", "mnuFileClose", "&Закрыть окно", "", true, -1, &ME::mnuFileClose_Click},
        {K::Separator, "mnuFile", "mnuFileBar0", "-", "", true, -1, nullptr},
        {K::Item, "mnuFile", "mnuFileSaveAs", "Сохранить базу данных &как...", "", true, -1, &ME::mnuFileSaveAs_Click},
        {K::Separator, "mnuFile", "mnuFileBar7", "-", "", true, -1, nullptr},
        {K::Item, "mnuFile", "mnuFileSaveTo", "Скопи&ровать на съемный диск", "", true, -1, &ME::mnuFileSaveTo_Click},
        // "c" of "cо" and the final "a" are Latin letters, as the caption has always been.
        {K::Item, "mnuFile", "mnuFileOpenFrom", "Восс&тановить cо съемного дискa", "", true, -1,
         &ME::mnuFileOpenFrom_Click},
        {K::Separator, "mnuFile", "mnuFileBar1", "-", "", true, -1, nullptr},
        {K::Item, "mnuFile", "mnuFilePrint", "&Печать справочника...", "Ctrl+P", true, -1, &ME::mnuFilePrint_Click},
        {K::Item, "mnuFile", "mnuFileDip", "Печать &документов", "", true, -1, &ME::mnuFileDip_Click},
        {K::Separator, "mnuFile", "mnuFileBar3", "-", "", true, -1, nullptr},
        {K::Item, "mnuFile", "mnuFileExit", "&Выход", "", true, -1, &ME::mnuFileExit_Click},

        {K::Menu, "", "mnuEdit", "&Правка", "", false, -1, nullptr},
        {K::Item, "mnuEdit", "mnuEditCut", "&Вырезать", "Ctrl+X", true, -1, &ME::mnuEditCut_Click},
        {K::Item, "mnuEdit", "mnuEditCopy", "&Копировать", "Ctrl+C", true, -1, &ME::mnuEditCopy_Click},
        {K::Item, "mnuEdit", "mnuEditPaste", "Вст&авить", "Ctrl+V", true, -1, &ME::mnuEditPaste_Click},

        {K::Menu, "", "mnuView", "&Вид", "", true, -1, nullptr},
        {K::Item, "mnuView", "mnuViewToolbar", "&Панель инструментов", "", true, 0, &ME::mnuViewToolbar_Click},
        {K::Item, "mnuView", "mnuViewStatusBar", "&Статус строка", "", true, 1, &ME::mnuViewStatusBar_Click},
        {K::Separator, "mnuView", "mnuViewBar0", "-", "", true, -1, nullptr},
        {K::Item, "mnuView", "mnuViewRefresh", "&Обновить", "F5", true, -1, &ME::mnuViewRefresh_Click},

        {K::Menu, "", "mnuDeySpr", "&Действия", "", false, -1, nullptr},
        {K::Item, "mnuDeySpr", "mnuDS1", "&Новая строка", "", true, -1, &ME::mnuDS1_Click},
        {K::Item, "mnuDeySpr", "mnuDS2", "&Изменить (открыть)", "", true, -1, &ME::mnuDS2_Click},
        {K::Item, "mnuDeySpr", "mnuDS3", "&Копировать строку", "", true, -1, &ME::mnuDS3_Click},
        {K::Item, "mnuDeySpr", "mnuDS4", "&Удалить строку", "", true, -1, &ME::mnuDS4_Click},

        {K::Menu, "", "mnuSpravohnik", "Спр&авочники", "", true, -1, nullptr},
        {K::Item, "mnuSpravohnik", "frmSpravMe", "&Учреждение", "", true, -1, &ME::frmSpravMe_Click},
        {K::Menu, "mnuSpravohnik", "mnuSprProch", "Общие спр&авочники", "", true, -1, nullptr},
        {K::Item, "mnuSprProch", "mnuSprOU", "Образовательные &учреждения", "", true, -1, &ME::mnuSprOU_Click},
        {K::Separator, "mnuSprProch", "mnuSP35", "-", "", true, -1, nullptr},
        {K::Item, "mnuSprProch", "mnuSprForm", "&Формы получения образования", "", true, -1, &ME::mnuSprForm_Click},
        {K::Item, "mnuSprProch", "mnuSprUr", "У&ровни подготовки", "", true, -1, &ME::mnuSprUr_Click},
        {K::Item, "mnuSprProch", "mnuSprVDoc", "Виды &документов", "", true, -1, &ME::mnuSprVDoc_Click},
        {K::Item, "mnuSprProch", "mnuSpravVidOc", "Виды &оценок", "", true, -1, &ME::mnuSpravVidOc_Click},
        {K::Separator, "mnuSprProch", "mnuMEDR", "-", "", false, -1, nullptr},
        {K::Item, "mnuSprProch", "mnuMED", "Медицинские специальности", "", false, -1, &ME::mnuMed_Click},
        {K::Separator, "mnuSprProch", "mnuSP34", "-", "", true, -1, nullptr},
        {K::Item, "mnuSprProch", "mnuSprTpgr", "&Типографии", "", true, -1, &ME::mnuSprTpgr_Click},
        {K::Separator, "mnuSprProch", "mnuSpravohnikSep0", "-", "", true, -1, nullptr},
        {K::Item, "mnuSprProch", "mnuSprUsers", "&Пользователи", "", true, -1, &ME::mnuSprUsers_Click},
        {K::Separator, "mnuSpravohnik", "mnuSP33", "-", "", true, -1, nullptr},
        {K::Item, "mnuSpravohnik", "mnuSpravSpec", "&Специальности", "", true, -1, &ME::mnuSpravSpec_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravGr", "Учебные &группы", "", true, -1, &ME::mnuSpravGr_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravStud", "С&туденты", "", true, -1, &ME::mnuSpravStud_Click},
        {K::Separator, "mnuSpravohnik", "mnuSP3", "-", "", true, -1, nullptr},
        {K::Item, "mnuSpravohnik", "mnuSpravPredm", "&Дисциплины", "", true, -1, &ME::mnuSpravPredm_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravPlan", "Учебный &план", "", true, -1, &ME::mnuSpravPlan_Click},
        {K::Separator, "mnuSpravohnik", "mnuSP4", "-", "", true, -1, nullptr},
        {K::Item, "mnuSpravohnik", "mnuSpravItOc", "Итоговые &оценки документов", "", true, -1,
         &ME::mnuSpravItOc_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravItOcPer", "Итоговые &оценки переподготовки", "", true, -1,
         &ME::mnuSpravItOcPer_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravItOcSvid", "Итоговые &оценки свидетельств", "", true, -1,
         &ME::mnuSpravItOcSvid_Click},
        {K::Item, "mnuSpravohnik", "mnuSpravItOcAkadem", "Итоговые &оценки академических справок", "", false, -1,
         &ME::mnuSpravItOcAkadem_Click},

        {K::Menu, "", "mnuRep", "О&тчеты", "", true, -1, nullptr},
        {K::Item, "mnuRep", "mnuRepBook", "&Книга регистрации выдаваемых документов", "", true, -1,
         &ME::mnuRepBook_Click},
        {K::Item, "mnuRep", "mnuRepBookMed", "Книга &регистрации выданных сертификатов", "", false, -1,
         &ME::mnuRepBookMed_Click},
        {K::Item, "mnuRep", "mnuRepBookDok", "Книга &регистрации выдаваемых документов переподготовки", "", true, -1,
         &ME::mnuRepBookDok_Click},
        {K::Item, "mnuRep", "mnuRepBookSvid", "Книга &регистрации выдаваемых свидетельств", "", false, -1,
         &ME::mnuRepBookSvid_Click},
        {K::Item, "mnuRep", "mnuRepBookAkadem", "Книга регистрации выданных академических справок", "", false, -1,
         &ME::mnuRepBookAkadem_Click},
        {K::Item, "mnuRep", "mnuFRDO", "Выгрузка данных в ФРДО", "", false, -1, nullptr},

        {K::Menu, "", "mnuService", "С&ервис", "", true, -1, nullptr},
        {K::Item, "mnuService", "mnuToolsLock", "Установить &пароль...", "", true, -1, &ME::mnuToolsLock_Click},
        {K::Separator, "mnuService", "mnuTools10", "-", "", true, -1, nullptr},
        {K::Item, "mnuService", "mnuToolsAcc", "&Сжать базу данных", "", true, -1, &ME::mnuToolsAcc_Click},
        {K::Item, "mnuService", "mnuToolsArh", "&Архивировать базу данных", "", true, -1, &ME::mnuToolsArh_Click},
        {K::Item, "mnuService", "mnuToolsMail", "&Вложить в письмо базу данных", "", true, -1, &ME::mnuToolsMail_Click},
        {K::Separator, "mnuService", "mnuTools1", "-", "", true, -1, nullptr},
        {K::Item, "mnuService", "frmToolsTmp", "&Шаблоны документов", "", true, -1, &ME::frmToolsTmp_Click},
        {K::Item, "mnuService", "mnuToolsOptions", "Параметры &учреждения", "", true, -1, &ME::mnuToolsOptions_Click},
        {K::Separator, "mnuService", "mnuTools11", "-", "", true, -1, nullptr},
        {K::Item, "mnuService", "mnuObnv", "Обновить программу", "", true, -1, &ME::mnuObnv_Click},

        {K::Menu, "", "mnuWindow", "&Окно", "", true, -1, nullptr},
        {K::Item, "mnuWindow", "mnuWindowCascade", "&Каскад", "", true, -1, &ME::mnuWindowCascade_Click},
        {K::Item, "mnuWindow", "mnuWindowTileHorizontal", "Расположить &горизонтально", "", true, -1,
         &ME::mnuWindowTileHorizontal_Click},
        {K::Item, "mnuWindow", "mnuWindowTileVertical", "Расположить &вертикально", "", true, -1,
         &ME::mnuWindowTileVertical_Click},

        {K::Menu, "", "mnuHelp", "&Справка", "", true, -1, nullptr},
        {K::Item, "mnuHelp", "mnuHelpManual", "&Руководство пользователя", "F1", true, -1, &ME::mnuHelpManual_Click},
        {K::Item, "mnuHelp", "mnuBrowser", "Ваш &Помощник", "Ctrl+F1", true, -1, &ME::mnuBrowser_Click},
        {K::Separator, "mnuHelp", "mnuHelpBar0", "-", "", true, -1, nullptr},
        {K::Item, "mnuHelp", "mnuHelpAbout", "&О программе", "", true, -1, &ME::mnuHelpAbout_Click},
    };
    return table;
}

const std::vector<MainWindow::ToolEntry>& MainWindow::toolTable()
{
    using K = ToolEntry;
    static const std::vector<ToolEntry> table = {
        {K::Button, "New", "Итоговые оценки документов", "grades-documents", true},
        {K::Button, "NewPer", "Итоговые оценки переподготовки", "grades-retraining", true},
        {K::Button, "NewSvid", "Итоговые оценки свидетельств", "grades-certificates", true},
        {K::Button, "NewAkadem", "Итоговые оценки академических справок", "grades-transcripts", false},
        {K::Separator, "keyNewSep", "", "", true},
        {K::Button, "keyNew", "Создать базу данных", "database-new", true},
        {K::Button, "Open", "Открыть базу данных", "database-open", true},
        {K::Button, "Save", "Сохранить базу данных как", "database-save", true},
        {K::Separator, "", "", "", true},
        {K::Button, "Print", "Печать справочника", "print", true},
        {K::Separator, "", "", "", true},
        {K::Button, "SpravMe", "Учреждение", "institution", true},
        {K::Button, "SpravSpec", "Специальности", "specialties", true},
        {K::Button, "SpravGrup", "Учебные группы", "groups", true},
        {K::Button, "SpravStud", "Студенты", "students", true},
        {K::Separator, "", "", "", true},
        {K::Button, "SpravDisc", "Дисциплины", "medical", true},
        {K::Button, "SpravPlan", "Учебный план", "study-plan", true},
        {K::Separator, "key1", "", "", true},
        {K::DropDown, "keyBook", "Книга регистрации", "registry-book", true},
        {K::Button, "keyBookMed", "Книга учета выданных сертификатов", "registry-book-certificates", false},
        {K::Separator, "", "", "", true},
        {K::Button, "keyUpdate", "Обновить программу", "update", true},
        {K::Button, "keyHelp", "Руководство пользователя", "manual", true},
        {K::Button, "keyStart", "Ваш Помощник", "assistant", true},
    };
    return table;
}

// ---------------------------------------------------------------------------
// Building and loading

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    initShellResources();
    setObjectName(QStringLiteral("frmMain"));
    // The toolbar and status bar are switched through the View menu only.
    setContextMenuPolicy(Qt::NoContextMenu);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("mdiClient"));
    mdi_->setBackground(palette().brush(QPalette::Dark));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    fileCommands_ = std::make_unique<DatabaseFileCommands>(this, [this] { return closeChildWindows(); });
    installShellServices();
    MDIForm_Load();
}

MainWindow::~MainWindow()
{
    core::ShellServices& services = core::shellServices();
    if (services.mdiArea == mdi_) {
        // The window's own services go; those start-up gave stay.
        services.mdiArea = nullptr;
        services.setActionsMenuVisible = {};
        services.popupActionsMenu = {};
        services.showRegistryBook = {};
        services.activateMainWindow = {};
        ui::setStatusHandler({});
    }
}

MainWindow* MainWindow::find()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (auto* main = qobject_cast<MainWindow*>(w))
            return main;
    }
    return nullptr;
}

void MainWindow::buildMenus()
{
    QHash<QString, QMenu*> menus;
    for (const MenuEntry& e : menuTable()) {
        const QString name = QString::fromUtf8(e.name);
        const QString caption = QString::fromUtf8(e.caption);
        QMenu* parentMenu = menus.value(QString::fromUtf8(e.parent));
        QAction* action = nullptr;
        switch (e.kind) {
        case MenuEntry::Menu: {
            QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menus.insert(name, menu);
            action = menu->menuAction();
            break;
        }
        case MenuEntry::Separator:
            action = parentMenu->addSeparator();
            break;
        case MenuEntry::Item:
            action = parentMenu->addAction(caption);
            if (*e.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
            if (e.check >= 0) {
                action->setCheckable(true);
                action->setChecked(e.check == 1);
            }
            if (e.handler)
                connect(action, &QAction::triggered, this, e.handler);
            break;
        }
        action->setObjectName(name);
        action->setVisible(e.visible);
        menuItems_.insert(name, action);
    }

    // The open child windows are listed at the foot of the window menu.
    windowMenu_ = menus.value(QStringLiteral("mnuWindow"));
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    // The edit menu stays hidden, and so do its shortcuts: the controls keep
    // their own cut, copy and paste keys.
    QMenu* edit = menus.value(QStringLiteral("mnuEdit"));
    for (QAction* a : edit->actions())
        a->setShortcutContext(Qt::WidgetShortcut);
}

void MainWindow::buildToolBar()
{
    tbToolBar_ = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar_->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar_->setMovable(false);
    tbToolBar_->setFloatable(false);
    tbToolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);

    for (const ToolEntry& e : toolTable()) {
        const QString key = QString::fromUtf8(e.key);
        QAction* action = nullptr;
        if (e.kind == ToolEntry::Separator) {
            action = tbToolBar_->addSeparator();
        } else {
            action = tbToolBar_->addAction(QIcon(QStringLiteral(":/shell/icons/%1.svg").arg(QString::fromUtf8(e.picture))),
                                           QString::fromUtf8(e.tooltip));
            action->setToolTip(QString::fromUtf8(e.tooltip));
            connect(action, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
            if (e.kind == ToolEntry::DropDown) {
                bookMenu_ = new QMenu(this);
                bookMenu_->setObjectName(QStringLiteral("keyBookMenu"));
                for (const BookMenuEntry& b : kBookMenu) {
                    const QString itemKey = QString::fromUtf8(b.key);
                    QAction* item = bookMenu_->addAction(QString::fromUtf8(b.text));
                    item->setObjectName(itemKey);
                    connect(item, &QAction::triggered, this, [this, itemKey] { tbToolBar_ButtonMenuClick(itemKey); });
                }
                action->setMenu(bookMenu_);
                if (auto* button = qobject_cast<QToolButton*>(tbToolBar_->widgetForAction(action)))
                    button->setPopupMode(QToolButton::MenuButtonPopup);
            }
        }
        action->setVisible(e.visible);
        if (!key.isEmpty()) {
            action->setObjectName(key);
            toolItems_.insert(key, action);
        }
    }
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    const int inch = logicalDpiX();  // the date and time panels are at least one inch wide
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbStatusBarPanel%1").arg(i + 1));
        if (i == 0) {
            panel->setMinimumWidth(1);
            bar->addWidget(panel, 1);
        } else {
            panel->setMinimumWidth(inch);
            panel->setAlignment(Qt::AlignCenter);
            bar->addPermanentWidget(panel);
        }
        statusPanels_[i] = panel;
    }
    statusPanels_[0]->setObjectName(QStringLiteral("Status"));
    clock_ = new QTimer(this);
    clock_->setSingleShot(true);
    connect(clock_, &QTimer::timeout, this, &MainWindow::updateClock);
    updateClock();
}

void MainWindow::updateClock()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    statusPanels_[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    statusPanels_[2]->setText(locale.toString(now.time(), QStringLiteral("HH:mm")));
    // Next update just after the minute changes.
    clock_->start(60'000 - now.time().second() * 1000 - now.time().msec() + 50);
}

QLabel* MainWindow::statusPanel(int index) const
{
    return index >= 1 && index <= 3 ? statusPanels_[index - 1] : nullptr;
}

void MainWindow::installShellServices()
{
    ui::setMessageParent(this);
    ui::setStatusHandler([this](const QString& text) {
        statusPanels_[0]->setText(text);
        // Long work runs on this thread: show the text before it goes on.
        statusPanels_[0]->repaint();
    });

    core::ShellServices& services = core::shellServices();
    services.mdiArea = mdi_;
    QAction* actions = menuItem(QStringLiteral("mnuDeySpr"));
    services.setActionsMenuVisible = [actions](bool visible) { actions->setVisible(visible); };
    services.popupActionsMenu = [actions](const QPoint& pos) { actions->menu()->popup(pos); };
    services.showRegistryBook = [this](int med) { ShowRegistryBook(med); };
    services.activateMainWindow = [this] {
        raise();
        activateWindow();
    };
    services.openUserManual = [] { OpenUserManual(); };
}

void MainWindow::setItemsVisible(const QStringList& names, bool visible)
{
    for (const QString& name : names) {
        if (QAction* a = menuItems_.value(name))
            a->setVisible(visible);
        else if (QAction* t = toolItems_.value(name))
            t->setVisible(visible);
    }
}

void MainWindow::MDIForm_Load()
{
    core::AppState& s = core::state();

    setWindowIcon(programIcon());

    try {
        core::FillMissingDocKind();
    } catch (const jet::Error&) {
        // No database open: nothing to fill.
    }

    RefreshUpdater();
    restoreMainPlacement(this);

    setItemsVisible(kLoadShowFirst, true);
    setItemsVisible(kLoadHideFirst, false);

    // A switch that cannot be read leaves its item as the window was built.
    QAction* viewToolbar = menuItem(QStringLiteral("mnuViewToolbar"));
    QAction* viewStatus = menuItem(QStringLiteral("mnuViewStatusBar"));
    if (const auto on = settingAsBool(settings::getSetting(kSettingsSection, QStringLiteral("Tool0"), QStringLiteral("1"))))
        viewToolbar->setChecked(*on);
    if (const auto on = settingAsBool(settings::getSetting(kSettingsSection, QStringLiteral("StBar"), QStringLiteral("1"))))
        viewStatus->setChecked(*on);
    tbToolBar_->setVisible(viewToolbar->isChecked());
    statusBar()->setVisible(viewStatus->isChecked());

    books::UpdateRegNumberDigits();

    const bool manual = userManualExists();
    menuItem(QStringLiteral("mnuHelpManual"))->setEnabled(manual);
    toolbarItem(QStringLiteral("keyHelp"))->setEnabled(manual);

    setItemsVisible(kLoadHideSecond, false);

    if (!s.AppPath.isEmpty()) {
        const QDir app(s.AppPath);
        for (const char* folder : kLoadFolders) {
            const QString name = QString::fromUtf8(folder);
            if (!QFileInfo::exists(app.filePath(name)))  // a file of that name counts too
                app.mkdir(name);
        }
    }

    for (const Rename& r : kLoadMenuCaptions)
        menuItem(QString::fromUtf8(r.name))->setText(QString::fromUtf8(r.text));
    for (const Rename& r : kLoadTooltips)
        toolbarItem(QString::fromUtf8(r.name))->setToolTip(QString::fromUtf8(r.text));

    setItemsVisible(kLoadHideThird, false);

    if (!s.HelpPagePath.isEmpty() && QFileInfo(s.HelpPagePath).isFile()) {
        // Once the window is shown, so that the assistant is placed within
        // the client area it really has.
        QTimer::singleShot(0, this, [this] { ShowHelpAssistant(false, mdi_, helpCommandHandler()); });
    } else {
        setItemsVisible({QStringLiteral("mnuBrowser"), QStringLiteral("keyStart")}, false);
    }

    setWindowTitle(s.MainCaption);
    ui::setStatusText(QStringLiteral("Готово"));
}

// ---------------------------------------------------------------------------
// Closing

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closeChildWindows()) {
        event->ignore();
        return;
    }
    MDIForm_Unload();
    event->accept();
}

void MainWindow::MDIForm_Unload()
{
    saveMainPlacement(this);
    const auto switchText = [](QAction* a) { return a->isChecked() ? QStringLiteral("True") : QStringLiteral("False"); };
    settings::saveSetting(kSettingsSection, QStringLiteral("Tool0"), switchText(menuItem(QStringLiteral("mnuViewToolbar"))));
    settings::saveSetting(kSettingsSection, QStringLiteral("StBar"), switchText(menuItem(QStringLiteral("mnuViewStatusBar"))));
    settings::saveSetting(kUserSection, QStringLiteral("sTmpPath"), core::state().TemplatesFolder);
}

bool MainWindow::closeChildWindows()
{
    mdi_->closeAllSubWindows();
    const auto windows = mdi_->subWindowList();
    for (QMdiSubWindow* sub : windows) {
        if (!sub->isHidden())
            return false;  // it refused to close
    }
    // Let the closed windows go now, with whatever they hold of the database.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

// ---------------------------------------------------------------------------
// Child windows and the openers

QMdiSubWindow* MainWindow::frontWindow() const
{
    return mdi_->currentSubWindow();
}

core::DirectoryWindowApi* MainWindow::directoryWindowOf(QMdiSubWindow* sub)
{
    if (!sub || !sub->widget())
        return nullptr;
    return static_cast<core::DirectoryWindowApi*>(sub->widget()->property(kDirectoryApiProperty).value<void*>());
}

core::RegistryBookApi* MainWindow::registryBookOf(QMdiSubWindow* sub)
{
    if (!sub || !sub->widget())
        return nullptr;
    return static_cast<core::RegistryBookApi*>(sub->widget()->property(kRegistryBookProperty).value<void*>());
}

QMdiSubWindow* MainWindow::addChild(QWidget* widget)
{
    // The size the window chose for itself, else the usual share of the
    // client area.
    const QSize wanted = widget->testAttribute(Qt::WA_Resized) ? widget->size() : usualChildSize(mdi_);
    auto* sub = qobject_cast<QMdiSubWindow*>(widget->parentWidget());
    const bool framed = sub && sub->mdiArea() == mdi_;  // the window framed itself
    // A maximized window in front hands its state to the new one, which
    // must have its own size to come back to when it is restored.
    QMdiSubWindow* front = frontWindow();
    const bool maximized = front && front != sub && front->isMaximized();
    if (!framed) {
        sub = mdi_->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
    }
    widget->show();
    sub->show();
    if (!framed) {
        if (sub->isMaximized())
            sub->showNormal();
        sub->resize(sub->size() - widget->size() + wanted);  // the frame around the wanted size
        // New windows open one below the other from the top left corner, as
        // in a cascade, and start again at the corner when they would leave
        // the client area.
        int others = 0;
        for (QMdiSubWindow* w : mdi_->subWindowList())
            others += (w != sub && !w->isHidden() && !w->isMinimized()) ? 1 : 0;
        sub->move(cascadePosition(mdi_, sub, sub->size(), others));
    }
    mdi_->setActiveSubWindow(sub);
    if (maximized && !sub->isMaximized())
        sub->showMaximized();
    return sub;
}

void MainWindow::bringToFront(QMdiSubWindow* sub)
{
    if (sub->isMinimized())
        sub->showNormal();
    else
        sub->show();
    mdi_->setActiveSubWindow(sub);
    sub->setFocus();
}

void MainWindow::ShowDirectoryWindow()
{
    const int kind = core::state().CurrentKind;
    const int docKind = core::state().CurrentDocKind;
    bool found = false;
    const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* sub : windows) {
        core::DirectoryWindowApi* w = directoryWindowOf(sub);
        if (!w || sub->isHidden() || w->kind() != kind)
            continue;
        // Grades windows: one per document kind.
        if (kind == core::Grades && w->docKind() != docKind)
            continue;
        bringToFront(sub);
        found = true;
    }
    if (found)
        return;

    const auto& create = core::windowFactories().createDirectoryWindow;
    if (!create)
        return;
    core::DirectoryWindowApi* w = create(mdi_);
    if (!w || !w->widget())
        return;
    w->widget()->setProperty(kDirectoryApiProperty, QVariant::fromValue(static_cast<void*>(w)));
    addChild(w->widget());
}

void MainWindow::ShowRegistryBook(int med)
{
    bool found = false;
    const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* sub : windows) {
        core::RegistryBookApi* book = registryBookOf(sub);
        if (!book || sub->isHidden() || book->Med() != med)
            continue;
        bringToFront(sub);
        found = true;
    }
    if (found)
        return;

    const auto& create = core::windowFactories().createRegistryBook;
    if (!create)
        return;
    core::RegistryBookApi* book = create(mdi_, med);
    if (!book || !book->widget())
        return;
    book->widget()->setProperty(kRegistryBookProperty, QVariant::fromValue(static_cast<void*>(book)));
    addChild(book->widget());
}

void MainWindow::openDirectory(int kind)
{
    core::state().CurrentKind = kind;
    ShowDirectoryWindow();
}

void MainWindow::openGrades(int docKind)
{
    core::state().CurrentKind = core::Grades;
    core::state().CurrentDocKind = docKind;
    ShowDirectoryWindow();
}

bool MainWindow::runPublicCommand(const QString& name)
{
    const QByteArray signature = name.toLatin1() + "()";
    const int index = metaObject()->indexOfSlot(signature.constData());
    if (index < 0)
        return false;
    const QMetaMethod method = metaObject()->method(index);
    if (method.access() != QMetaMethod::Public)
        return false;
    return method.invoke(this, Qt::DirectConnection);
}

std::function<bool(const QString&)> MainWindow::helpCommandHandler()
{
    return [this](const QString& word) {
        for (const HelpCommand& c : helpCommands()) {
            if (word == QString::fromUtf8(c.word))
                return runPublicCommand(QString::fromLatin1(c.command));
        }
        return false;
    };
}

void MainWindow::fillWindowMenu()
{
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow* front = frontWindow();
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        if (sub->isHidden())
            continue;
        if (number == 0)
            windowListActions_ << windowMenu_->addSeparator();
        ++number;
        QAction* a = windowMenu_->addAction(QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == front);
        connect(a, &QAction::triggered, this, [this, sub = QPointer<QMdiSubWindow>(sub)] {
            if (sub)
                bringToFront(sub);
        });
        windowListActions_ << a;
    }
}

// ---------------------------------------------------------------------------
// Commands: directories and registry books

void MainWindow::mnuSpravSpec_Click() { openDirectory(core::Specialties); }
void MainWindow::mnuSpravPredm_Click() { openDirectory(core::Disciplines); }
void MainWindow::mnuSpravStud_Click() { openDirectory(core::Students); }
void MainWindow::mnuSpravGr_Click() { openDirectory(core::Groups); }
void MainWindow::mnuSpravPlan_Click() { openDirectory(core::StudyPlan); }
void MainWindow::mnuSpravVidOc_Click() { openDirectory(core::GradeKinds); }
void MainWindow::mnuSprOU_Click() { openDirectory(core::Institutions); }
void MainWindow::mnuSprForm_Click() { openDirectory(core::StudyForms); }
void MainWindow::mnuSprUr_Click() { openDirectory(core::TrainingLevels); }
void MainWindow::mnuSprVDoc_Click() { openDirectory(core::PriorDocumentKinds); }
void MainWindow::mnuSprTpgr_Click() { openDirectory(core::PrintingHouses); }
void MainWindow::mnuSprUsers_Click() { openDirectory(core::Users); }
void MainWindow::mnuMed_Click() { openDirectory(core::MedicalSpecialties); }
void MainWindow::mnuSpravItOc_Click() { openGrades(core::Documents); }
void MainWindow::mnuSpravItOcPer_Click() { openGrades(core::RetrainingDocuments); }
void MainWindow::mnuSpravItOcSvid_Click() { openGrades(core::TrainingCertificates); }
void MainWindow::mnuSpravItOcAkadem_Click() { openGrades(core::AcademicTranscripts); }

void MainWindow::mnuRepBook_Click() { ShowRegistryBook(core::Documents); }
void MainWindow::mnuRepBookMed_Click() { ShowRegistryBook(core::SpecialistCertificates); }
void MainWindow::mnuRepBookDok_Click() { ShowRegistryBook(core::RetrainingDocuments); }
void MainWindow::mnuRepBookSvid_Click() { ShowRegistryBook(core::TrainingCertificates); }
void MainWindow::mnuRepBookAkadem_Click() { ShowRegistryBook(core::AcademicTranscripts); }

void MainWindow::tbToolBar_ButtonClick(const QString& key)
{
    struct Dispatch {
        const char* key;
        void (MainWindow::*command)();
    };
    static constexpr Dispatch kDispatch[] = {
        {"New", &MainWindow::mnuSpravItOc_Click},
        {"NewPer", &MainWindow::mnuSpravItOcPer_Click},
        {"NewSvid", &MainWindow::mnuSpravItOcSvid_Click},
        {"NewAkadem", &MainWindow::mnuSpravItOcAkadem_Click},
        {"keyNew", &MainWindow::mnuFileCr_Click},
        {"Open", &MainWindow::mnuFileOpen_Click},
        {"Save", &MainWindow::mnuFileSaveAs_Click},
        {"Print", &MainWindow::mnuFilePrint_Click},
        {"SpravMe", &MainWindow::frmSpravMe_Click},
        {"SpravSpec", &MainWindow::mnuSpravSpec_Click},
        {"SpravGrup", &MainWindow::mnuSpravGr_Click},
        {"SpravStud", &MainWindow::mnuSpravStud_Click},
        {"SpravDisc", &MainWindow::mnuMed_Click},  // the medical specialties, not the disciplines
        {"SpravPlan", &MainWindow::mnuSpravPlan_Click},
        {"keyHelp", &MainWindow::mnuHelpManual_Click},
        {"keyStart", &MainWindow::mnuBrowser_Click},
        {"keyUpdate", &MainWindow::mnuObnv_Click},
    };
    for (const Dispatch& d : kDispatch) {
        if (key == QLatin1String(d.key)) {
            (this->*d.command)();
            return;
        }
    }
}

void MainWindow::tbToolBar_ButtonMenuClick(const QString& key)
{
    for (const BookMenuEntry& b : kBookMenu) {
        if (key == QLatin1String(b.key)) {
            ShowRegistryBook(b.med);
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Commands: cards, printing and the window in front

void MainWindow::frmSpravMe_Click()
{
    core::AppState& s = core::state();
    s.CurrentKind = core::Institution;
    s.CurrentRowId = static_cast<long>(jet::toLong(core::LookupFieldValue(QStringLiteral("SELECT IDLU FROM INF"),
                                                                          QStringLiteral("IDLU"))));
    s.RowIsCopy = false;
    if (const auto& card = core::windowFactories().showRecordCard)
        card();
}

void MainWindow::mnuToolsOptions_Click()
{
    frmSpravMe_Click();
}

void MainWindow::frmToolsTmp_Click()
{
    core::AppState& s = core::state();
    s.CurrentKind = core::PrintingHouses;
    s.RowIsCopy = false;
    const qlonglong chosen = jet::toLong(core::LookupFieldValue(QStringLiteral("SELECT IDT FROM INF"), QStringLiteral("IDT")));
    s.CurrentRowId = static_cast<long>(jet::toLong(
        core::LookupFieldValue(QStringLiteral("SELECT IDT FROM SPTPGR WHERE IDT = ?"), QStringLiteral("IDT"), {chosen})));
    if (s.CurrentRowId > 0) {
        if (const auto& card = core::windowFactories().showRecordCard)
            card();
        return;
    }
    ui::msgBox(QStringLiteral(
                   "Сначала добавьте наименование типографии в справочник \"Типографии\" (Справочники - Общие "
                   "справочники - Типографии), затем выберите типографию в параметрах образовательного учреждения "
                   "(Справочники - Учреждение). После этого снова выполните данную команду (Сервис - Шаблоны "
                   "документов), чтобы выбрать шаблоны документов (шаблоны документов также можно выбрать в "
                   "справочнике \"Типографии\")."),
               ui::Information);
}

void MainWindow::mnuFilePrint_Click()
{
    QMdiSubWindow* front = frontWindow();
    const bool ooo = core::state().OfficeIsOOo;
    if (core::DirectoryWindowApi* w = directoryWindowOf(front)) {
        ooo ? w->bPrintOOo() : w->bPrint_click();
        return;
    }
    if (core::RegistryBookApi* book = registryBookOf(front)) {
        ooo ? book->bPrintOOo() : book->bPrint_click();
        return;
    }
    // No list in front (none open, or the assistant): say so, in front of
    // every window, as the command that prints documents does.
    raise();
    activateWindow();
    ui::msgBox(QString::fromUtf8(kNothingToPrint), ui::Exclamation);
}

void MainWindow::mnuFileDip_Click()
{
    core::DirectoryWindowApi* w = directoryWindowOf(frontWindow());
    // The students window and the grades windows print documents for the
    // person chosen in them.
    if (w && (w->kind() == core::Students || w->kind() == core::Grades) && w->hasButton(QStringLiteral("PrintV"))) {
        w->Toolbar1_ButtonClick(QStringLiteral("PrintV"));
        return;
    }
    // The warning belongs in front of every window, the assistant's included.
    raise();
    activateWindow();
    ui::msgBox(QStringLiteral("Откройте справочник \"Итоговые оценки\" или \"Студенты\", выберите нужного студента и "
                              "затем выполните эту команду."),
               ui::Exclamation);
}

void MainWindow::frontToolbarAction(const QString& key)
{
    core::DirectoryWindowApi* w = directoryWindowOf(frontWindow());
    if (w && w->hasButton(key))
        w->Toolbar1_ButtonClick(key);
}

void MainWindow::mnuDS1_Click() { frontToolbarAction(QStringLiteral("keyAdd")); }
void MainWindow::mnuDS2_Click() { frontToolbarAction(QStringLiteral("keyEdit")); }
void MainWindow::mnuDS3_Click() { frontToolbarAction(QStringLiteral("keyCopy")); }
void MainWindow::mnuDS4_Click() { frontToolbarAction(QStringLiteral("keyDel")); }

void MainWindow::mnuViewRefresh_Click()
{
    QMdiSubWindow* front = frontWindow();
    if (core::DirectoryWindowApi* w = directoryWindowOf(front))
        w->Ref();
    else if (core::RegistryBookApi* book = registryBookOf(front))
        book->Ref();
}

void MainWindow::mnuFileClose_Click()
{
    if (QMdiSubWindow* front = frontWindow())
        front->close();
}

void MainWindow::mnuFileExit_Click()
{
    close();
}

void MainWindow::mnuHelpAbout_Click()
{
    AboutWindow::showAbout(this);
}

void MainWindow::mnuHelpManual_Click()
{
    OpenUserManual();
}

void MainWindow::mnuBrowser_Click()
{
    ShowHelpAssistant(true, mdi_, helpCommandHandler());
}

void MainWindow::mnuToolsLock_Click()
{
    setProgramPassword(this);
}

// ---------------------------------------------------------------------------
// Commands: the database file

void MainWindow::mnuFileCr_Click() { fileCommands_->create(); }
void MainWindow::mnuFileOpen_Click() { fileCommands_->open(); }
void MainWindow::mnuFileSaveAs_Click() { fileCommands_->saveAs(); }
void MainWindow::mnuFileSaveTo_Click() { fileCommands_->copyToRemovableDisk(); }
void MainWindow::mnuFileOpenFrom_Click() { fileCommands_->restoreFromRemovableDisk(); }
void MainWindow::mnuToolsAcc_Click() { fileCommands_->compact(); }
void MainWindow::mnuToolsArh_Click() { fileCommands_->archive(); }
void MainWindow::mnuToolsMail_Click() { fileCommands_->mail(); }
void MainWindow::mnuObnv_Click() { fileCommands_->updateProgram(); }

// ---------------------------------------------------------------------------
// Edit, view and window arrangement

void MainWindow::mnuEditCut_Click()
{
    QMdiSubWindow* front = frontWindow();
    QWidget* control = front ? front->focusWidget() : nullptr;
    QString text;
    if (!control || !controlText(control, &text))
        return;
    QGuiApplication::clipboard()->setText(text);
    setControlText(control, QString());
}

void MainWindow::mnuEditCopy_Click()
{
    QMdiSubWindow* front = frontWindow();
    QWidget* control = front ? front->focusWidget() : nullptr;
    QString text;
    if (control && controlText(control, &text))
        QGuiApplication::clipboard()->setText(text);
}

void MainWindow::mnuEditPaste_Click()
{
    QMdiSubWindow* front = frontWindow();
    QWidget* control = front ? front->focusWidget() : nullptr;
    QString text;
    if (control && controlText(control, &text))
        setControlText(control, QGuiApplication::clipboard()->text());
}

void MainWindow::mnuViewToolbar_Click()
{
    // The item is checkable: Qt has already inverted its mark.
    tbToolBar_->setVisible(menuItem(QStringLiteral("mnuViewToolbar"))->isChecked());
}

void MainWindow::mnuViewStatusBar_Click()
{
    statusBar()->setVisible(menuItem(QStringLiteral("mnuViewStatusBar"))->isChecked());
}

void MainWindow::mnuWindowCascade_Click()
{
    // QMdiArea's own cascade shrinks windows without a layout to their
    // title bars.
    cascade(mdi_);
}

void MainWindow::mnuWindowTileHorizontal_Click()
{
    tileHorizontally(mdi_);
}

void MainWindow::mnuWindowTileVertical_Click()
{
    tileVertically(mdi_);
}

} // namespace shell
