#pragma once
// Shared by the document-printing tests: a database with one group and its
// people, and the shipped document templates in the data folder's
// "Шаблоны ЭЖ".
#include "support/TestSupport.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace printtest {

// The sample database a new user gets, in a data folder of its own, with the
// default template names, printed on the office path of the parameter
// (true: "OpenOffice.org").
class SampleDatabaseTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The key of the sample person with this surname (0 when none).
    long personId(const char* surname) const;

    testsupport::TempFolder home;
};

// Makes a reference-only database at `path`, opens it as MainDatabase and
// adds the group "Ф-21" with its specialty, medical specialty and two people.
struct SamplePeople {
    long certificateHolder = 0;  // Смирнова Анна Петровна
    long retrainee = 0;          // Кузнецов Иван Сергеевич, with grade lines
};
SamplePeople makeDatabase(const QString& path);

// Puts the shipped templates `names` (base names) with the extension into
// `folder`: copies of the built ones when the build made them, otherwise
// converted from their sources by the office.
void provideTemplates(const QString& folder, const QStringList& names, const QString& extension);

// What a fresh load of a copy of a stored document shows: its text (body,
// tables, frames; one piece per line), the names of its pictures and its
// number of pages as the office lays it out.
struct PrintedDocument {
    QString text;
    QStringList pictures;
    int pages = 0;
};
PrintedDocument readBack(const QString& path);

// The table rows of a document file that the office's layout divides
// between pages or between the columns of a page (read from a copy of the
// file): the text of each such row's first cell.
QStringList dividedTableRows(const QString& path);

// Closes the office's document of that file; false when none is open.
bool closeOfficeDocument(const QString& path);

// The texts of the table cells of a document file that are in bold (read
// from a copy of the file).
QStringList boldTableCells(const QString& path);

// The character heights (points) of the non-empty table cells of a
// document file, each once, smallest first (read from a copy of the file).
QList<double> tableCharHeights(const QString& path);
// The number of rows of the first table of a document file.
int firstTableRows(const QString& path);

// A small disk of its own (a memory file system mounted for the test),
// filled up but for `freeBytes`. Mounting needs the right to mount (root):
// without it mounted() is false and the test is skipped.
class SmallDisk {
public:
    explicit SmallDisk(long long freeBytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    QString path() const { return path_; }
    // Fills what room is left but for `leave` bytes (another program
    // filling the disk).
    void fillUp(long long leave = 0) const;

private:
    QString path_;
    bool mounted_ = false;
};

// An existing folder that cannot be written while the object lives: its
// mode says so and, for a user the mode does not hold back (root), it is
// mounted read-only over itself. readOnly() tells whether writing into it
// fails now.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool readOnly() const;

private:
    QString path_;
    bool mounted_ = false;
};

// Texts in square brackets left in a text.
QStringList bracketedTexts(const QString& text);

} // namespace printtest
