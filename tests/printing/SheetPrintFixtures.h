#pragma once
// Shared by the list and book printing tests: the printed workbook opened
// again, the office's open documents and the column chooser's answer.
#include "platform/office/Excel.h"
#include "support/OfficeDocuments.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace printtest {

using testsupport::openDocumentCount;

// The shipped spreadsheet template `name` with `extension` (".xlt" or
// ".ots") copied to `folder`: the one the build made, or converted by the
// office from its source when the build has not made it.
void provideSheetTemplate(const QString& folder, const QString& name, const QString& extension);

// The printed file opened again.
struct Reopened {
    office::Application app = office::Application::attach();
    office::Workbook book;
    office::Worksheet sheet;
    explicit Reopened(const QString& path);
    ~Reopened();
    QString text(int row, int column) const;
    QStringList rowTexts(int row, int columns) const;
    office::Range block(int top, int left, int bottom, int right) const;
};

// Runs `print` and expects one new file in `folder`: its path, or an empty
// text.
QString printedFile(const QDir& folder, const std::function<void()>& print);

// Rows top..bottom, columns 1..last have a medium outline and thin lines
// inside.
void expectBorders(const Reopened& r, int top, int bottom, int last);

// `reported` is the message of an office that could not be started on the
// Calc path (`calc`) or the Excel path.
void expectOfficeNotStarted(const QString& reported, bool calc);

// Answers the column chooser: ticks by `mask` ("0" unticks; entries past
// its end are ticked) and OK, or cancels without a mask. Keeps what the
// chooser offered: its entries and their ticks.
struct ChooserAnswer {
    QStringList entries;
    QString offered;

    void set(std::optional<QString> mask);
};

// The same for a test that does not look at what was offered; a null mask cancels.
void answerChooser(const char* mask);

} // namespace printtest
