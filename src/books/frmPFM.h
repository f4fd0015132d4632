#pragma once
// The registry-book window: a child of the main window that lists the
// persons of one group, or of all groups, with the documents issued to them.
// One window per book kind (`Med`): 1 the certificates, 2 the retraining
// documents, 0, 3 and 4 further books.
#include "books/BookColumns.h"
#include "books/BookFilter.h"
#include "core/ChildWindows.h"

#include <QHash>
#include <QWidget>

#include <optional>

class QAction;
class QComboBox;
class QMenu;
class QToolBar;

namespace core {
class ReportList;
}

namespace printing {
enum class OfficePath;
}

namespace books {

class frmPFM : public QWidget, public core::RegistryBookApi {
    Q_OBJECT
public:
    // Loads the window of book `med`: caption, toolbar, the group combo with
    // the handed-over (BookGroupId) or remembered group, and the book itself.
    explicit frmPFM(int med, QWidget* parent = nullptr);
    ~frmPFM() override;

    // What the main window calls.
    QWidget* widget() override { return this; }
    int Med() const override { return med_; }
    // Rebuilds the whole book for the chosen group and the book's filter.
    void Ref() override;
    // True when the rows shown are what Ref would build now: the same group
    // and filter, nothing written to the database since, and the rows still
    // in the book's order.
    bool showsCurrentBook() const;
    // Printing the book through Excel or Calc (built with printing).
    void bPrint_click() override;
    void bPrintOOo() override;

    // CurrentRowId := -1 for an empty book, else the selected person (0 for none).
    void SetIds();
    // Caption and the Print button's tooltip by book kind, with the active filter.
    void ShowBookCaption();
    // The registration-number (0) or issue-date (1) filter.
    void SetBookFilter(int par);

    // Commands and events, callable for the main window and for tests.
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);
    void Form_Activate();
    void Form_Deactivate();
    void ListColumnClick(int header);
    void ListKeyDown(int keyCode, int shift);
    void PrintSelectedRecord();

    // What printing and tests read.
    core::ReportList* List() const { return list_; }
    QComboBox* Cm1() const { return cm1_; }
    QToolBar* Toolbar1() const { return toolbar_; }
    QAction* button(const QString& key) const { return buttons_.value(key); }
    QAction* menuEntry(const QString& key) const;
    // The book's columns: per list column, and in the definition's form with
    // the grade block at position nper() holding gradeCount() columns.
    const BookColumnModel& columnModel() const { return model_; }
    int nper() const { return model_.nper; }
    int gradeCount() const { return model_.gradeCount; }
    QStringList bookCaptions() const { return model_.elementCaptions(); }
    QStringList gradeCaptions() const { return model_.gradeCaptions(); }
    // Per list column, the sum of the number-sorted columns of the last fill.
    const QList<double>& bookColumnSums() const { return sums_; }
    int bookSortColumn() const { return sortColumn_; }
    bool bookSortDescending() const { return sortDescending_; }
    // The chosen entry of the group combo (-1 none, 0 "Все группы") and its group (0 for all).
    int chosenGroupIndex() const;
    long chosenGroupId() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void fillGroupCombo();
    void Cm1_Click(int index);
    void layoutList();
    void saveGroup();
    // Document printing for the selected person with the given warnings.
    void printDocuments(int blankKind, const char* emptyWarning, const char* noSelectionWarning);
    // The book through the office program of the settings, or through the one named.
    void printBook();
    void printBookThrough(printing::OfficePath path);

    // What the rows shown were built from.
    struct BuiltFrom {
        const void* database = nullptr;
        qlonglong changes = -1;
        int groupIndex = -1;
        long groupId = 0;
        BookFilterSet filter;
    };
    BuiltFrom currentSource() const;

    int med_ = 0;
    bool bookLoaded_ = false;
    bool refreshing_ = false;
    std::optional<BuiltFrom> builtFrom_;
    bool refreshedByLoad_ = false;
    int sortColumn_ = 2;
    bool sortDescending_ = false;
    BookColumnModel model_;
    QList<double> sums_;

    QToolBar* toolbar_ = nullptr;
    QComboBox* cm1_ = nullptr;
    core::ReportList* list_ = nullptr;
    QMenu* printMenu_ = nullptr;
    QHash<QString, QAction*> buttons_;
};

// Registers the factory through which the main window opens registry books.
void registerRegistryBook();

} // namespace books
