#pragma once
// The main window (frmMain): the multiple-document frame with the menus, the
// toolbar and the status bar, the parent of every directory window, registry
// book and the help assistant, and the dispatch of every command.
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace core {
class DirectoryWindowApi;
class RegistryBookApi;
}

namespace shell {

class DatabaseFileCommands;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its load; start-up shows it afterwards.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The main window of the program, or null when none is open.
    static MainWindow* find();

    QMdiArea* mdiArea() const { return mdi_; }
    // A menu item (or a whole menu, or a separator) by its name: "mnuFileCr".
    QAction* menuItem(const QString& name) const { return menuItems_.value(name); }
    // A toolbar item by its key: "keyNew"; also the named separators.
    QAction* toolbarItem(const QString& key) const { return toolItems_.value(key); }
    // The drop-down menu of the toolbar button "keyBook".
    QMenu* bookMenu() const { return bookMenu_; }
    QToolBar* toolBar() const { return tbToolBar_; }
    // The three status-bar panels: 1 text, 2 date, 3 time.
    QLabel* statusPanel(int index) const;

    // The child window in front (the active MDI child), or null.
    QMdiSubWindow* frontWindow() const;
    // Closes every child window; false when one of them stayed open.
    bool closeChildWindows();

    // Runs a public command by its name ("mnuSpravGr_Click"); false when
    // there is no public command of that name.
    bool runPublicCommand(const QString& name);

    // Opens (or brings to the front) the directory window of CurrentKind;
    // for final grades, of CurrentDocKind too.
    void ShowDirectoryWindow();
    // Opens (or brings to the front) the registry book of kind `med`.
    void ShowRegistryBook(int med);

    // Toolbar dispatch by key; the drop-down menu of "keyBook" by item key.
    void tbToolBar_ButtonClick(const QString& key);
    void tbToolBar_ButtonMenuClick(const QString& key);

public Q_SLOTS:
    // The public commands: other windows (and the help assistant's links)
    // run them by name.
    void mnuFileDip_Click();
    void frmSpravMe_Click();
    void mnuRepBook_Click();
    void mnuRepBookAkadem_Click();
    void mnuRepBookDok_Click();
    void mnuRepBookSvid_Click();
    void mnuRepBookMed_Click();
    void mnuSprForm_Click();
    void mnuSprOU_Click();
    void mnuMed_Click();
    void mnuSprTpgr_Click();
    void mnuSprUr_Click();
    void mnuSprVDoc_Click();
    void mnuHelpManual_Click();
    void mnuSpravGr_Click();
    void mnuSpravItOc_Click();
    void mnuSpravItOcPer_Click();
    void mnuSpravItOcSvid_Click();
    void mnuSpravItOcAkadem_Click();
    void mnuSpravPlan_Click();
    void mnuSpravPredm_Click();
    void mnuSpravSpec_Click();
    void mnuSpravStud_Click();
    void mnuSpravVidOc_Click();
    void mnuFileCr_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct MenuEntry;
    struct ToolEntry;
    static const std::vector<MenuEntry>& menuTable();
    static const std::vector<ToolEntry>& toolTable();

    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void installShellServices();
    void MDIForm_Load();
    void MDIForm_Unload();
    void setItemsVisible(const QStringList& names, bool visible);
    void updateClock();
    void fillWindowMenu();
    // Runs the command of a help-assistant link word.
    std::function<bool(const QString&)> helpCommandHandler();

    // The directory window or registry book shown in a child window.
    static core::DirectoryWindowApi* directoryWindowOf(QMdiSubWindow* sub);
    static core::RegistryBookApi* registryBookOf(QMdiSubWindow* sub);
    QMdiSubWindow* addChild(QWidget* widget);
    void bringToFront(QMdiSubWindow* sub);
    void frontToolbarAction(const QString& key);
    void openDirectory(int kind);
    void openGrades(int docKind);

    // Private commands.
    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFileSaveAs_Click();
    void mnuFileSaveTo_Click();
    void mnuFileOpenFrom_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuViewRefresh_Click();
    void mnuDS1_Click();
    void mnuDS2_Click();
    void mnuDS3_Click();
    void mnuDS4_Click();
    void mnuSprUsers_Click();
    void mnuToolsLock_Click();
    void mnuToolsAcc_Click();
    void mnuToolsArh_Click();
    void mnuToolsMail_Click();
    void frmToolsTmp_Click();
    void mnuToolsOptions_Click();
    void mnuObnv_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void mnuBrowser_Click();
    void mnuHelpAbout_Click();

    QMdiArea* mdi_ = nullptr;
    QToolBar* tbToolBar_ = nullptr;
    QMenu* bookMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowListActions_;
    QLabel* statusPanels_[3] = {nullptr, nullptr, nullptr};
    QTimer* clock_ = nullptr;
    QHash<QString, QAction*> menuItems_;
    QHash<QString, QAction*> toolItems_;
    std::unique_ptr<DatabaseFileCommands> fileCommands_;
};

} // namespace shell
