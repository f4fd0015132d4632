#pragma once
// The import window "Импорт данных": asks for a workbook, reads it into its
// list under the layout of the directory that opened it (or, for a grade
// sheet, under the person columns and one column per discipline), and runs
// the check pass ("Проверка") and the import pass ("OK").
//
// The opener sets CurrentKind (the directory kind, or 100 for a grade
// sheet), ImportGroupId and ImportDocKind, constructs the window and calls
// load(); when load() returns true the window is shown modally.
#include "import/DirectoryRows.h"
#include "import/ImportLayouts.h"

#include "core/ListView.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;

namespace office {
class WorkbookReader;
}

namespace importer {

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(QWidget* parent = nullptr);
    ~frmImport() override;

    // The load sequence: the file choice and the reading. False when the
    // window closes before it is shown (cancelled, refused, failed).
    bool load();

    // Whether the import pass wrote rows.
    bool rowsWritten() const { return rowsWritten_; }

    bool gradeMode() const;
    const ImportLayout& layout() const { return layout_; }
    core::ReportList* Spr() const { return list_; }
    QLabel* Label1() const { return label_; }
    QPushButton* button(const QString& name) const;

    // Event procedures of the buttons and the list.
    void CheckIt_Click();
    void OKButton_Click();
    void CancelButton_Click();
    void Komm2_Click();
    void Spr_ColumnClick(int column);

    // The sheet row a list row was read from.
    static int sheetRowOf(const core::ListItem& item);

private:
    QString chooseFile();
    bool readDirectoryWorkbook(const QString& path);
    bool readGradeWorkbook(const QString& path);
    bool LoadGradeSheet(office::WorkbookReader& reader);
    void buildListColumns();
    void addRows(const QList<int>& sheetRows, const QList<QStringList>& rows);
    QList<QStringList> rowsOf(const QList<core::ListItem>& items) const;
    QList<int> rowNumbersOf(const QList<core::ListItem>& items) const;
    QList<core::ListItem> allItems() const;
    QList<core::ListItem> takenItems() const;
    void removeItems(const QList<core::ListItem>& items, const QList<int>& removed);
    void showLoadedCount();
    void ImportDirectoryRows(bool checkPass);
    void ImportGradeRows(bool checkPass);
    void showPassProblems(const QStringList& problems);
    void finishImportPass(bool ok, long count, const QString& error, const QStringList& problems);

    int kind_ = 0;
    ImportLayout layout_;
    QList<TargetField> targets_;
    core::ReportList* list_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
    int sortColumn_ = 0;
    bool descending_ = false;
    bool rowsWritten_ = false;
};

// Shows the import window for the request in core::state(); true when rows
// were written.
bool showImportWindow(QWidget* parent);

// Registers showImportWindow as the program's import window.
void registerImportWindow();

} // namespace importer
