#pragma once
// The directory window: a child of the main window that lists one reference
// directory (one window per directory kind) with its toolbar, the group
// filter of the kinds whose rows belong to a group, the main list and, in the
// grades view, the grade lines of the selected person.
#include "core/ChildWindows.h"
#include "directory/DirectoryColumns.h"
#include "directory/DirectoryCommands.h"

#include <QHash>
#include <QTime>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QToolBar;

namespace core {
class ListItem;
class ReportList;
}

namespace jet {
class Database;
}

namespace printing {
enum class OfficePath;
}

namespace directory {

class frmSprav : public QWidget, public core::DirectoryWindowApi {
    Q_OBJECT
public:
    // Loads the window for core::state().CurrentKind (and CurrentDocKind):
    // caption, columns, toolbar; then runs the activation once.
    explicit frmSprav(QWidget* parent = nullptr);
    ~frmSprav() override;

    // What the main window calls.
    QWidget* widget() override { return this; }
    int kind() const override { return windowKind_; }
    int docKind() const override { return windowDocKind_; }
    bool hasButton(const QString& key) const override;
    // Runs the command of a toolbar button on the list that has the focus.
    void Toolbar1_ButtonClick(const QString& key) override;
    // Rebuilds the main list for the chosen group and sorts it again; the
    // grades view also shows the grade lines of the selected person.
    void Ref() override;
    // Printing the list through Excel or Calc (filled in by printing).
    void bPrint_click() override;
    void bPrintOOo() override;

    // CurrentRowId := the person or row selected in the main list: -1 for an
    // empty list (grades view and students), 0 when none is selected.
    void SetIds();
    // A drop-down menu entry of the toolbar.
    void Toolbar1_ButtonMenuClick(const QString& key);
    // An item of the main list was clicked or selected.
    void Spr_ItemClick(const core::ListItem& item);

    // Events of the window and its lists, callable for the main window's
    // activation tracking and for tests.
    void Form_Activate();
    void Form_Deactivate();
    // The clock whose time of day the activation reads (the system's unless
    // set).
    void setClock(std::function<QTime()> clock) { clock_ = std::move(clock); }
    void HandleListKey(int keyCode, int shift, bool isSecondList);
    void ListDblClick(bool isSecondList);
    void Spr_ColumnClick(int column);
    void Spr2_ColumnClick(int column);
    void ShowRowStatus(core::ReportList* list);

    // The grade lines of the person selected in the main list (grades view).
    void ShowGrades();
    // Moves the selected plan line or grade line one place: 0 up, 1 down.
    virtual void MoveRow(int direction);

    // Controls and state.
    core::ReportList* Spr() const { return spr_; }
    core::ReportList* Spr2() const { return spr2_; }
    QComboBox* Cm1() const { return cm1_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QAction* button(const QString& key) const { return buttons_.value(key); }
    QAction* menuEntry(const QString& menuKey, const QString& entryKey) const;
    const ListDefinition& definition() const { return def_; }
    // Not 0 when the window prints its second list (the grades view).
    int secondListShare() const;
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    // The chosen entry of the group filter (-1 for none) and its group key (0).
    int chosenGroupIndex() const;
    long chosenGroupId() const;
    // The list the toolbar's commands act on: Спр2 when it has the focus.
    core::ReportList* activeList() const;

protected:
    // Adding, editing and copying through the record card.
    virtual void AddRow(core::ReportList* list);
    virtual void EditRow(core::ReportList* list);
    virtual void CopyRow(core::ReportList* list);
    void OpenRecordCard(core::ReportList* list);
    void openSelectedRow(core::ReportList* list, bool copy);

    // Operations built separately (empty until then); the commands already reach them.
    virtual void DeleteRows(core::ReportList* list);  // deleting with reference checks
    virtual void CopyFromPlan();                      // grade lines from the group's plan
    virtual void SetGrade(int grade);                 // 5, 4, 3 or 6 (зачтено) on the focused list
    virtual void TotalPlanHours();                    // the plan's hours total
    virtual void ShowImportDialog();                  // the import dialog, modal

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The kind of the filter directory: 4 (groups) for kinds 0, 3 and 5, else 0.
    int parentKind() const;
    void buildToolbar();
    QMenu* buildMenu(std::span<const MenuEntryDef> entries, const QString& buttonKey);
    void placeFilterFrame();
    void layoutLists();
    void fillGroupFilter();
    // Fills the filter again when the database changed since it was filled
    // (groups added or imported meanwhile), keeping the chosen group.
    void refreshGroupFilter();
    void Cm1_Click(int index);
    void runCommand(Command command, core::ReportList* list);
    void startImport(bool gradeSheet);
    void printDocuments(Command command, int blankKind);
    // Prints the list the window shows (the grade lines in the grades view).
    void printList(printing::OfficePath path);
    void OpenRegBook(int bookKind);
    void ShowActionsMenu(Qt::MouseButton button, const QPoint& globalPos);
    void sortMainList();

    // The database and its change count: what a list or the filter was read from.
    struct DataState {
        const jet::Database* database = nullptr;
        QString path;
        qlonglong changes = 0;
        bool operator==(const DataState&) const = default;
    };
    static DataState currentData();

    int windowKind_ = 0;
    int windowDocKind_ = 0;
    bool firstActivation_ = true;
    QTime lastActivationTime_;
    std::function<QTime()> clock_ = [] { return QTime::currentTime(); };
    // What the main list was last built from: the students window's
    // activation builds it again only when the data or the chosen group
    // differ (the list of every person is long).
    std::optional<std::pair<DataState, long>> listBuiltFrom_;
    std::optional<DataState> filterFilledFrom_;
    ListDefinition def_;
    int sortColumn_ = 2;
    bool sortDescending_ = false;
    int sortColumn2_ = 0;
    bool sortDescending2_ = false;

    QToolBar* toolbar_ = nullptr;
    QFrame* frame4_ = nullptr;  // holds the group filter over the toolbar
    QComboBox* cm1_ = nullptr;
    core::ReportList* spr_ = nullptr;
    core::ReportList* spr2_ = nullptr;
    QHash<QString, QAction*> buttons_;
    QHash<QString, QMenu*> menus_;
};

// Registers the factory through which the main window opens directory windows.
void registerDirectoryWindow();

} // namespace directory
