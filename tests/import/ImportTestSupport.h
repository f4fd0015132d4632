#pragma once
// Shared pieces of the import tests: a database with reference rows and two
// groups, workbooks written through the office, and the file dialog answered
// with a chosen path.
#include "core/AppState.h"
#include "platform/office/WorkbookReader.h"
#include "support/OfficeDocuments.h"
#include "support/TestSupport.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

class QDialog;

namespace importtest {

struct SheetSpec {
    QString name;
    QList<QStringList> rows;  // row 1 first; a text starting with "=" is a formula ("=5" a number)
};

// Writes a workbook (.xls or .ods by the extension) with the given sheets
// (made in a window of the headless office, so that the view is saved);
// `activeSheet` (0-based) is the sheet active when it is saved.
void writeWorkbook(const QString& path, const QList<SheetSpec>& sheets, int activeSheet = 0);

using testsupport::openDocumentCount;

// Rows of one sheet from a compact text: rows separated by "\n", cells by "|".
QList<QStringList> rowsOf(const char* text);

// The cell texts of a sheet as a reader gives them: every row padded with
// empty cells to the widest.
office::SheetTexts sheetOf(const QList<QStringList>& rows);

// Answers the next file dialogs with `path` (a null path cancels, an empty
// one accepts the dialog with no file named); records
// the dialogs' titles and name filters. Any other dialog goes to `other`
// (cancelled when there is none).
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(const QString& path, std::function<int(QDialog*)> other = {});
    ~FileDialogAnswer();
    QStringList titles;
    QStringList filters;
    QStringList folders;

private:
    QString path_;
    std::function<int(QDialog*)> other_;
};

// A database copied per test from one made per test program: the reference
// rows, the groups "Б 31" and "З 41", open as MainDatabase.
class ImportDbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    qlonglong groupId(const QString& name) const;
    long count(const QString& table) const;
    // Values of one column of the rows a query returns, Null read as "".
    QStringList column(const QString& sql, const QVariantList& params = {}) const;

    testsupport::TempFolder folder_;
    static testsupport::TempFolder* sample_;
};

} // namespace importtest
