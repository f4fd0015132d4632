#include "import/frmImport.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DataAccess.h"
#include "core/DirectoryMetadata.h"
#include "core/ListView.h"
#include "import/GradeRows.h"
#include "import/GradeSheet.h"
#include "import/ImportTexts.h"
#include "import/frmImportOzen.h"
#include "import/SheetRows.h"
#include "platform/aside/Aside.h"
#include "platform/office/OOo.h"
#include "platform/office/WorkbookReader.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "platform/ui/WorkAside.h"

#include <QDir>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace importer {
namespace {

constexpr int kMaxNamedProblems = 20;

// Layout of the window, twips.
constexpr int kClientWidth = 9270, kClientHeight = 5760;
constexpr int kListWidth = 9255, kListHeight = 5055;
constexpr int kLabelTop = 5100, kLabelWidth = 9135, kLabelHeight = 255;
constexpr int kButtonTop = 5400, kButtonWidth = 1215, kButtonHeight = 315, kButtonStep = 1320;

QString txt(const char* text) { return QString::fromUtf8(text); }

// The rows of a list named one a line, at most kMaxNamedProblems of them.
QString namedRows(const char* intro, const QStringList& problems)
{
    QStringList lines{txt(intro)};
    lines << problems.mid(0, kMaxNamedProblems);
    if (problems.size() > kMaxNamedProblems)
        lines << txt(text::kMoreProblems).arg(problems.size() - kMaxNamedProblems);
    return lines.join(QLatin1Char('\n'));
}

// Loops over many rows on the window thread take its events every tenth
// of a second (as work run aside takes them), so that the windows are
// painted meanwhile and never held still for long.
class Painting {
public:
    Painting() { since_.start(); }
    void now()
    {
        if (since_.elapsed() < kPaintMs)
            return;
        aside::takeEvents();
        since_.start();
    }

private:
    static constexpr int kPaintMs = 100;
    QElapsedTimer since_;
};

// The pass's progress in the status bar, with the wait cursor meanwhile.
// The windows are painted more often than the text changes, so that a
// pass over many rows never holds them still for long.
class PassProgress {
public:
    explicit PassProgress(bool checkPass) : work_(txt(checkPass ? text::kCheckProgress : text::kImportProgress)) {}
    RowProgress callback()
    {
        return [this](long long done, long long total) {
            work_.step(done, total);
            painting_.now();
        };
    }

private:
    ui::LongWork work_;
    Painting painting_;
};

int px(int twips, const QWidget* w) { return core::twipsToPixels(twips, w); }

void status(const char* text) { ui::setStatusText(txt(text)); }

QString userSetting(const char* key, const QString& defaultValue)
{
    return settings::getSetting(QString::fromUtf8(settings::kSectionUser), QString::fromUtf8(key), defaultValue);
}

void saveUserSetting(const char* key, const QString& value)
{
    settings::saveSetting(QString::fromUtf8(settings::kSectionUser), QString::fromUtf8(key), value);
}

// The messages of an office failure while a workbook is opened or read.
void reportOfficeError(const office::Error& e, bool calc)
{
    if (e.kind() == office::ErrorKind::NotStarted)
        ui::msgBox(txt(text::kUnexpectedError) + e.numberAndDescription() + QLatin1Char(' ') + QString::number(e.number()),
                   ui::Critical);
    else if (calc)
        ui::msgBox(office::OOoNotStartedReport(QStringLiteral("Calc"), e), ui::Information);
    else
        ui::msgBox(txt(text::kUnexpectedError) + e.numberAndDescription(), ui::Exclamation);
}

// The workbook opened by the office, how far it has loaded it shown in per
// cent after the opening's text.
office::WorkbookReader openWorkbook(ui::LongWork& work, const QString& path)
{
    ui::WorkAside aside(work, txt(text::kOpening), ui::WorkAside::Count::Percent);
    return aside.run([&](const ui::WorkAside::Report& report) { return office::WorkbookReader::open(path, report); });
}

QString groupName(long groupId)
{
    if (groupId <= 0)
        return {};
    return core::LookupFieldValue(QStringLiteral("SELECT NAIM FROM SPGRUP WHERE IDG=?"), QStringLiteral("NAIM"),
                                  {qlonglong(groupId)})
        .toString();
}

} // namespace

frmImport::frmImport(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(txt(text::kWindowCaption));
    setObjectName(QStringLiteral("frmImport"));
    setFixedSize(px(kClientWidth, this), px(kClientHeight, this));

    list_ = new core::ReportList(this);
    list_->setObjectName(QStringLiteral("Спр"));
    list_->setMultiSelect(true);
    list_->setGeometry(0, 0, px(kListWidth, this), px(kListHeight, this));
    connect(list_, &core::ReportList::columnClicked, this, [this](int c) { Spr_ColumnClick(c); });

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    label_->setGeometry(0, px(kLabelTop, this), px(kLabelWidth, this), px(kLabelHeight, this));

    const struct {
        QPushButton** button;
        const char* name;
        const char* caption;
    } buttons[] = {{&ok_, "OKButton", "OK"},
                   {&check_, "CheckIt", "Проверка"},
                   {&cancel_, "CancelButton", "Отмена"},
                   {&help_, "Комманда2", "Помощь"}};
    int left = 0;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(txt(b.caption), this);
        button->setObjectName(txt(b.name));
        button->setAutoDefault(false);
        button->setGeometry(px(left, this), px(kButtonTop, this), px(kButtonWidth, this), px(kButtonHeight, this));
        *b.button = button;
        left += kButtonStep;
    }
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(check_, &QPushButton::clicked, this, [this] { CheckIt_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(help_, &QPushButton::clicked, this, [this] { Komm2_Click(); });
}

frmImport::~frmImport() = default;

bool frmImport::gradeMode() const
{
    return kind_ == core::GradeSheetImport;
}

QPushButton* frmImport::button(const QString& name) const
{
    return findChild<QPushButton*>(name);
}

// The rows of the list carry their sheet row as their key.
int frmImport::sheetRowOf(const core::ListItem& item)
{
    return item ? item.key().toInt() : 0;
}

bool frmImport::load()
{
    core::AppState& s = core::state();
    kind_ = s.CurrentKind & 0xFF;
    layout_ = importLayout(kind_);
    if (layout_.isEmpty()) {
        ui::msgBox(txt(text::kNoLayout), ui::Exclamation);
        return false;
    }
    // A grade sheet goes into the group chosen in the grades window; without
    // one it is refused, never sent into the group of an earlier import.
    if (gradeMode() && groupName(s.ImportGroupId).isEmpty()) {
        ui::msgBox(txt(text::kNoGroup), ui::Exclamation);
        return false;
    }
    const QString path = chooseFile();
    if (path.isNull())
        return false;
    return gradeMode() ? readGradeWorkbook(path) : readDirectoryWorkbook(path);
}

QString frmImport::chooseFile()
{
    const bool calc = core::state().OfficeIsOOo;
    const QString folder = userSetting(text::kKeyFolder, core::state().AppPath);
    QFileDialog dialog(this, txt(text::kFileDialogTitle), folder, txt(calc ? text::kCalcFilter : text::kExcelFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    status(text::kChooseFile);
    if (ui::execDialog(&dialog) != QDialog::Accepted)
        return {};
    const QString path = dialog.selectedFiles().value(0);
    if (path.trimmed().isEmpty()) {
        ui::msgBox(txt(text::kNoFileName), ui::Exclamation);
        return {};
    }
    saveUserSetting(text::kKeyFolder, QFileInfo(path).absolutePath());
    saveUserSetting(text::kKeyFilter, QStringLiteral("1"));  // the dialog offers one filter
    return path;
}

void frmImport::buildListColumns()
{
    QStringList captions{QStringLiteral("Сортировка")};
    QList<int> alignments{core::AlignLeft};
    QList<double> divisors{0};
    for (const ImportColumn& c : layout_) {
        captions << c.caption;
        alignments << c.alignment;
        divisors << c.divisor;
    }
    core::SetupListViewColumns(list_, captions, alignments);
    core::FitListViewColumns(list_, divisors, {});
    list_->hide();
}

void frmImport::addRows(const QList<int>& sheetRows, const QList<QStringList>& rows)
{
    Painting painting;
    core::ListAppender appender(list_);
    for (int i = 0; i < rows.size(); ++i) {
        appender.addRow(QString::number(sheetRows.value(i)));
        for (int k = 0; k < rows.at(i).size(); ++k)
            appender.setText(k + 1, rows.at(i).at(k));
        painting.now();
    }
    appender.commit();
}

bool frmImport::readDirectoryWorkbook(const QString& path)
{
    const bool calc = core::state().OfficeIsOOo;
    targets_ = targetFields(core::TableNames(kind_), layout_);
    buildListColumns();

    if (calc) {
        status(text::kOpening);
        if (!QFileInfo(path).isFile()) {
            ui::msgBox(txt(text::kFileNotFound) + path, ui::Exclamation);
            list_->show();
            return true;
        }
    }
    // The office opens and reads the workbook, and its rows are taken, on a
    // thread of their own: the windows keep painting, with the wait cursor,
    // how far the office has loaded the workbook and then the rows read so
    // far in the status bar; the wait cursor stays until the list is filled.
    SheetRead read;
    std::optional<ui::LongWork> work(std::in_place, txt(text::kOpening));
    try {
        office::WorkbookReader reader = openWorkbook(*work, path);
        ui::WorkAside aside(*work, txt(text::kReadProgress));
        const QStringList captions = captionsOf(layout_);
        const QList<int> sizes = cutSizes(layout_, targets_);
        read = aside.run([&](const ui::WorkAside::Report& report) {
            office::SheetTexts sheet;
            try {
                sheet = calc ? reader.read(0, office::WorkbookReader::Reading::CalcText, report)
                             : reader.read(reader.activeSheet(), office::WorkbookReader::Reading::ExcelValues, report);
            } catch (const office::Error& e) {
                if (!calc || e.kind() == office::ErrorKind::ConnectionLost)
                    throw;
                // Calc: a sheet that cannot be read counts as an empty one.
            }
            reader.close();
            return readImportSheet(sheet, captions, sizes, calc ? ReadingPath::Calc : ReadingPath::Excel);
        });
    } catch (const office::Error& e) {
        work.reset();
        reportOfficeError(e, calc);
        return false;
    }

    if (calc)
        status(text::kSearchingHeader);
    if (!read.headerFound()) {
        work.reset();
        ui::msgBox(txt(text::kNoHeader), ui::Exclamation);
        status(text::kNotImported);
        return false;
    }
    if (calc)
        status(text::kReading);
    QList<int> sheetRows;
    QList<QStringList> rows;
    for (const SheetRow& row : read.rows) {
        sheetRows << row.sheetRow;
        rows << row.cells;
    }
    addRows(sheetRows, rows);
    list_->show();

    // Persons without a group go into the group chosen in the window that
    // started the import.
    if (core::ParentKinds(kind_) > 0) {
        const QString group = groupName(core::state().ImportGroupId);
        if (!group.isEmpty())
            for (core::ListItem item : allItems())
                if (item->text(1).trimmed().isEmpty())
                    item->setText(1, group);
    }
    work.reset();
    showLoadedCount();
    return true;
}

bool frmImport::readGradeWorkbook(const QString& path)
{
    core::AppState& s = core::state();
    const bool calc = s.OfficeIsOOo;
    s.SheetNameList.clear();
    if (calc && !QFileInfo(path).isFile()) {
        ui::msgBox(txt(text::kFileNotFound) + path, ui::Exclamation);
        buildListColumns();
        list_->show();
        return true;
    }
    office::WorkbookReader reader;
    try {
        ui::LongWork work(txt(text::kOpening));
        reader = openWorkbook(work, path);
        for (const QString& name : reader.sheetNames())
            s.SheetNameList += QStringLiteral("//") + name;
    } catch (const office::Error& e) {
        reportOfficeError(e, calc);
        return false;
    }
    // The workbook stays open for the reading of the chosen sheet.
    s.DialogResult = 0;
    frmImportOzen settingsDialog(this);
    ui::execDialog(&settingsDialog);
    if (s.DialogResult != 0) {
        reader.close();
        status(text::kCancelled);
        return false;
    }
    return LoadGradeSheet(reader);
}

// The sheet named in the settings, read into the list: one column per
// discipline after the person columns, one item per person row.
bool frmImport::LoadGradeSheet(office::WorkbookReader& reader)
{
    const bool calc = core::state().OfficeIsOOo;
    const GradeSheetSettings settings = loadGradeSheetSettings();
    office::SheetTexts sheet;
    // The wait cursor until the list is filled.
    std::optional<ui::LongWork> work(std::in_place, txt(text::kReading));
    try {
        ui::WorkAside aside(*work, txt(text::kReadProgress));
        sheet = aside.run([&](const ui::WorkAside::Report& report) {
            office::SheetTexts texts = reader.read(settings.sheetName,
                                                   calc ? office::WorkbookReader::Reading::CalcText
                                                        : office::WorkbookReader::Reading::ExcelValues,
                                                   report);
            reader.close();
            return texts;
        });
    } catch (const office::Error& e) {
        if (!calc || e.kind() == office::ErrorKind::ConnectionLost) {
            reader.close();
            work.reset();
            reportOfficeError(e, calc);
            return false;
        }
        // Calc: a sheet that cannot be read counts as an empty one.
    }
    reader.close();

    const GradeSheetRead read = readGradeSheet(sheet, settings, groupName(core::state().ImportGroupId),
                                               calc ? ReadingPath::Calc : ReadingPath::Excel);
    layout_ = importLayout(kind_) + read.disciplines;
    buildListColumns();
    addRows(read.sheetRows, read.rows);
    list_->show();
    work.reset();
    showLoadedCount();
    return true;
}

// Removing an item renumbers the items after it: many are removed by
// filling the list anew with the items that stay, in their order and with
// their selection.
void frmImport::removeItems(const QList<core::ListItem>& items, const QList<int>& removed)
{
    constexpr int kOneByOne = 256;
    if (removed.size() <= kOneByOne) {
        for (auto it = removed.crbegin(); it != removed.crend(); ++it)
            list_->removeItem(items.at(*it));
        return;
    }
    QList<bool> gone(items.size(), false);
    for (int i : removed)
        gone[i] = true;
    QList<int> sheetRows;
    QList<QStringList> rows;
    QList<int> selected;
    Painting painting;
    for (int i = 0; i < items.size(); ++i) {
        painting.now();
        if (gone.at(i))
            continue;
        if (items.at(i)->isSelected())
            selected << int(rows.size());
        sheetRows << sheetRowOf(items.at(i));
        QStringList cells;
        for (int k = 0; k < layout_.size(); ++k)
            cells << items.at(i)->text(k + 1);
        rows << cells;
    }
    list_->clear();
    addRows(sheetRows, rows);
    for (int position : selected)
        list_->topLevelItem(position).setSelected(true);
}

void frmImport::showLoadedCount()
{
    label_->setText(txt(text::kRowsLoaded).arg(list_->topLevelItemCount()));
    status(text::kLoaded);
}

QList<core::ListItem> frmImport::allItems() const
{
    QList<core::ListItem> out;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        out << list_->topLevelItem(i);
    return out;
}

// No or one selected row takes the whole list; two or more only those.
QList<core::ListItem> frmImport::takenItems() const
{
    const QList<core::ListItem> all = allItems();
    int selected = 0;
    for (const core::ListItem& item : all)
        if (item->isSelected() && ++selected == 2)
            break;
    if (selected < 2)
        return all;
    QList<core::ListItem> out;
    for (const core::ListItem& item : all)
        if (item->isSelected())
            out << item;
    return out;
}

QList<QStringList> frmImport::rowsOf(const QList<core::ListItem>& items) const
{
    QList<QStringList> out;
    out.reserve(items.size());
    Painting painting;
    for (const core::ListItem& item : items) {
        painting.now();
        QStringList cells;
        for (int k = 0; k < layout_.size(); ++k)
            cells << item->text(k + 1);
        out << cells;
    }
    return out;
}

QList<int> frmImport::rowNumbersOf(const QList<core::ListItem>& items) const
{
    QList<int> out;
    for (const core::ListItem& item : items)
        out << sheetRowOf(item);
    return out;
}

void frmImport::CheckIt_Click()
{
    if (gradeMode())
        ImportGradeRows(true);
    else
        ImportDirectoryRows(true);
}

void frmImport::OKButton_Click()
{
    if (gradeMode())
        ImportGradeRows(false);
    else
        ImportDirectoryRows(false);
}

void frmImport::CancelButton_Click()
{
    reject();
}

void frmImport::Komm2_Click()
{
    if (core::shellServices().openUserManual)
        core::shellServices().openUserManual();
}

void frmImport::Spr_ColumnClick(int column)
{
    if (column < 2 || column - 2 >= layout_.size())
        return;
    if (column == sortColumn_)
        descending_ = !descending_;
    sortColumn_ = column;
    core::SortListViewByColumn(list_, column, descending_, layout_.at(column - 2).sortKind);
}

void frmImport::showPassProblems(const QStringList& problems)
{
    if (problems.isEmpty())
        return;
    ui::msgBox(namedRows(text::kProblemsIntro, problems), ui::Exclamation);
}

void frmImport::finishImportPass(bool ok, long count, const QString& error, const QStringList& problems)
{
    rowsWritten_ = ok && count > 0;
    accept();
    if (!ok) {
        ui::msgBox(error, ui::Critical);
        status(text::kNotImported);
        return;
    }
    status(text::kImportDone);
    QString message = txt(text::kRowsImported).arg(count);
    if (!problems.isEmpty())
        message += QStringLiteral("\n\n") + namedRows(text::kNotImportedIntro, problems);
    ui::msgBox(message, problems.isEmpty() ? ui::Information : ui::Exclamation);
}

void frmImport::ImportDirectoryRows(bool checkPass)
{
    status(checkPass ? text::kCheckRunning : text::kImportRunning);
    DirectoryImport import{kind_, layout_, targets_};
    if (checkPass) {
        const QList<core::ListItem> items = allItems();
        CheckOutcome outcome;
        {
            PassProgress progress(true);
            outcome = checkDirectoryRows(import, rowsOf(items), rowNumbersOf(items), progress.callback());
            removeItems(items, outcome.removed);
        }
        label_->setText(txt(text::kRowsToAdd).arg(outcome.count));
        status(text::kCheckDone);
        showPassProblems(outcome.problems);
        list_->setFocus();
        return;
    }
    const QList<core::ListItem> items = takenItems();
    ImportOutcome outcome;
    {
        PassProgress progress(false);
        outcome = importDirectoryRows(import, rowsOf(items), rowNumbersOf(items), progress.callback());
    }
    finishImportPass(outcome.ok, outcome.count, outcome.error, outcome.problems);
}

void frmImport::ImportGradeRows(bool checkPass)
{
    status(checkPass ? text::kCheckRunning : text::kImportRunning);
    const GradeImport import = gradeImportFromSettings(layout_, core::state().ImportDocKind);
    const QList<core::ListItem> items = checkPass ? allItems() : takenItems();
    GradeOutcome outcome;
    {
        PassProgress progress(checkPass);
        outcome = checkPass ? checkGradeRows(import, rowsOf(items), rowNumbersOf(items), progress.callback())
                            : importGradeRows(import, rowsOf(items), rowNumbersOf(items), progress.callback());
    }
    if (checkPass) {
        for (const auto& [row, column] : outcome.missingDiscipline) {
            core::ListItem item = items.at(row);
            item.setText(column + 1, noDisciplineMark());
        }
        label_->setText(txt(text::kRowsToAdd).arg(outcome.count));
        status(text::kCheckDone);
        showPassProblems(outcome.problems);
        list_->setFocus();
        return;
    }
    finishImportPass(outcome.ok, outcome.count, outcome.error, outcome.problems);
}

bool showImportWindow(QWidget* parent)
{
    bool written = false;
    {
        frmImport window(parent);
        if (window.load()) {
            ui::execDialog(&window);
            written = window.rowsWritten();
        }
    }
    // The rows read, listed and checked are gone with the window; so is
    // the list the opener refreshes once this returns.
    ui::LongWork::giveBackFreedMemory();
    QTimer::singleShot(0, [] { ui::LongWork::giveBackFreedMemory(); });
    return written;
}

void registerImportWindow()
{
    core::windowFactories().showImport = [](QWidget* parent) { return showImportWindow(parent); };
}

} // namespace importer
