#include "books/frmPFM.h"

#include "books/BookFilter.h"
#include "books/BookQuery.h"
#include "books/FillRegistryBook.h"
#include "books/GradePivot.h"
#include "books/frmFilter.h"

#include "core/AppState.h"
#include "core/ComboTypeAhead.h"
#include "core/ListCodes.h"
#include "core/ListView.h"
#include "core/ChildWindowParts.h"
#include "platform/jet/Jet.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "printing/BookPrinting.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScopeGuard>
#include <QToolBar>
#include <QToolButton>

#include <optional>
#include <span>

namespace books {
namespace {

// Per book kind: caption, the Print button's tooltip, the groups offered
// (list code), and the setting that remembers the group ("" none written).
struct BookKind {
    int med;
    const char* caption;
    const char* printTip;
    int listCode;
    const char* groupRead;
    const char* groupWrite;
};
constexpr BookKind kBookKinds[] = {
    {core::Documents, "Книга регистрации выдаваемых документов", "Печать книги регистрации выдаваемых документов", 4,
     "ListIndexPFM", "ListIndexPFM"},
    {core::SpecialistCertificates, "Книга регистрации выданных сертификатов",
     "Печать книги регистрации выданных сертификатов", 18, "ListIndexPFMMed", "ListIndexPFMMed"},
    {core::RetrainingDocuments, "Книга регистрации выдаваемых документов переподготовки",
     "Печать книги регистрации документов переподготовки", 20, "ListIndexPFMPer", "ListIndexPFMPer"},
    {core::TrainingCertificates, "Книга регистрации выдаваемых свидетельств", "Печать книги регистрации свидетельств", 4,
     "ListIndexPFMSvid", ""},
    {core::AcademicTranscripts, "Книга регистрации выданных академических справок",
     "Печать книги регистрации академических справок", 4, "ListIndexPFM", ""},
};

const BookKind& bookKind(int med)
{
    for (const BookKind& k : kBookKinds)
        if (k.med == med)
            return k;
    return kBookKinds[0];
}

// The toolbar: buttons in order and the books that show each.
enum class Style { Button, DropDown, Separator };
struct ToolbarButton {
    const char* key;
    Style style;
    const char* tip;
    const char* glyph;
    bool certificateBook;  // shown in book 1
    bool otherBooks;       // shown in books 0, 2, 3, 4
};
constexpr ToolbarButton kToolbar[] = {
    {"PrintV", Style::DropDown, "Печать документов", "▤", false, true},
    {"PrintV2", Style::Button, "Печать документов", "▤", true, false},
    {"Print", Style::Button, "Печать", "", true, true},  // a printer
    {"keySep", Style::Separator, "", "", true, true},
    {"keyFREGNOM", Style::Button, "Фильтр по Регистрационному номеру", "№", true, true},
    {"keyFDate", Style::Button, "Фильтр по Дате Выдачи", "▦", true, true},
    {"keySep2", Style::Separator, "", "", true, true},
};

// The drop-down menu of PrintV: its entries in order, which are shown, and
// the document form each preselects (0: none; -1: prints the book).
struct MenuEntry {
    const char* key;  // "" for a separator
    const char* text;
    bool shown;
    int blankKind;
};
constexpr MenuEntry kPrintMenu[] = {
    {"keyDp", "Титул диплома", false, core::DiplomaTitle},
    {"keyPr", "Приложение к диплому", false, core::DiplomaSupplement},
    {"keyAk", "Академическая справка", false, core::AcademicTranscript},
    {"keyMed", "Кальвета", false, core::SpecialistCertificate},
    {"keyDokPer", "Титул диплома ПК", true, core::RetrainingDiplomaTitle},
    {"keyPrilPK", "Приложение диплома ПК", true, core::RetrainingDiplomaSupplement},
    {"keyUdov", "Удостоверение", true, core::CompletionCertificate},
    {"keySvidetel", "Титул свидетельства", false, core::TrainingCertificateTitle},
    {"keySvidetelPril", "Приложение к свидетельству", false, core::NoBlank},
    {"keyTitAt", "Титул аттестата", false, core::SchoolCertificateTitle},
    {"keyPrilAt", "Приложение к аттестату", false, core::SchoolCertificateSupplement},
    {"keyTitSvi", "Титул свидетельства РК", false, core::RkTrainingCertificateTitle},
    {"keyPrilSvi", "Приложение к свидетельству РК", false, core::RkTrainingCertificateSupplement},
    {"", "", true, core::NoBlank},
    {"keyDr", "Другой документ", true, core::OtherDocument},
    {"", "", true, core::NoBlank},
    {"keyBook", "Книга регистрации выданных документов переподготовки", true, -1},
    {"keyBookMed", "Книга учета выданных сертификатов", false, core::NoBlank},
    {"keyBookAkad", "Книга выданных академических справок", false, core::NoBlank},
};

// Warnings of the document-printing commands.
constexpr const char* kCertificatesEmpty =
    "Список сертификатов пуст. Сначала заполните список сертификатов, после чего можно будет распечатать документы.";
constexpr const char* kStudentsEmpty =
    "Список студентов пуст. Сначала заполните список студентов, после чего можно будет распечатать документы.";
constexpr const char* kRetrainingEmpty =
    "Список документов переподготовки пуст. Сначала заполните список документов переподготовки, после чего можно "
    "будет распечатать документы.";
constexpr const char* kChooseCertificateButton = "Сначала выберите сертификат, для который необходимо распечатать.";
constexpr const char* kChooseStudent = "Сначала выберите студента, для которого необходимо печатать документы.";
constexpr const char* kChooseCertificate = "Сначала выберите сертификат, который необходимо распечатать.";
constexpr const char* kChooseRetraining = "Сначала выберите документов переподготовки, который необходимо распечатать.";

constexpr double kGroupFrameWidth = 3000;  // twips
constexpr double kListLeft = 50;
constexpr double kListMargin = 100;

// A button's picture: its glyph, or a small printer where it has none.
QIcon glyphIcon(const char* glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    if (!*glyph) {
        p.setPen(QColor(50, 50, 50));
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);    // paper in
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(1, 6, 13, 6);   // body
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 5);   // paper out
        return QIcon(pixmap);
    }
    QFont f = p.font();
    f.setPixelSize(14);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(40, 40, 90));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(glyph));
    return QIcon(pixmap);
}

// The progress of a refresh: the wait cursor at once, the count in the
// status bar (with the windows repainted) once the refresh has lasted the
// interval of ui::LongWork, so that a small book is read without a repaint
// in between.
class RefreshProgress {
public:
    explicit RefreshProgress(QString caption) : caption_(std::move(caption))
    {
        started_.start();
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            cursorSet_ = true;
        }
        ui::setStatusText(caption_);
    }
    ~RefreshProgress()
    {
        work_.reset();
        if (cursorSet_)
            QApplication::restoreOverrideCursor();
    }
    RefreshProgress(const RefreshProgress&) = delete;
    RefreshProgress& operator=(const RefreshProgress&) = delete;

    void step(long long done, long long total = 0)
    {
        if (!work_) {
            if (started_.elapsed() < ui::LongWork::intervalMs)
                return;
            work_.emplace(caption_);
        }
        work_->step(done, total);
    }

private:
    QString caption_;
    QElapsedTimer started_;
    std::optional<ui::LongWork> work_;
    bool cursorSet_ = false;
};

void warn(const char* text)
{
    ui::msgBox(QString::fromUtf8(text), ui::OkOnly | ui::Exclamation);
}

} // namespace

frmPFM::frmPFM(int med, QWidget* parent) : QWidget(parent), med_(med)
{
    core::AppState& s = core::state();
    bookLoaded_ = false;

    toolbar_ = core::makeWindowToolbar(this);

    list_ = new core::ReportList(this);
    list_->setObjectName(QStringLiteral("Лист"));
    list_->setMultiSelect(true);

    buildToolbar();
    ShowBookCaption();
    sortColumn_ = med_ == core::SpecialistCertificates ? 4 : 2;
    sortDescending_ = false;

    // The group combo, to the right of the shown buttons.
    auto* frame = new QFrame(toolbar_);
    frame->setObjectName(QStringLiteral("Рамка4"));
    auto* frameLayout = new QHBoxLayout(frame);
    frameLayout->setContentsMargins(4, 0, 0, 0);
    cm1_ = new QComboBox(frame);
    cm1_->setObjectName(QStringLiteral("Cm1"));
    core::setControlArrayIndex(cm1_, 0);
    core::installComboTypeAhead(cm1_);
    cm1_->setMaxVisibleItems(20);
    frameLayout->addWidget(cm1_);
    frame->setFixedWidth(core::twipsToPixels(kGroupFrameWidth, this));
    toolbar_->addWidget(frame);
    cm1_->installEventFilter(this);
    connect(cm1_, &QComboBox::currentIndexChanged, this, &frmPFM::Cm1_Click);

    fillGroupCombo();
    s.BookGroupId = 0;

    connect(list_, &core::ReportList::columnClicked, this, &frmPFM::ListColumnClick);
    connect(list_, &core::ReportList::keyDown, this, &frmPFM::ListKeyDown);
    connect(list_, &core::ReportList::listDoubleClicked, this, &frmPFM::PrintSelectedRecord);
    core::trackMdiActivation(this, [this] { Form_Activate(); }, [this] { Form_Deactivate(); });

    resize(core::twipsToPixels(12000, this), core::twipsToPixels(6000, this));
    Ref();
    refreshedByLoad_ = true;
    bookLoaded_ = true;
}

frmPFM::~frmPFM() = default;

void frmPFM::buildToolbar()
{
    const bool certificates = med_ == core::SpecialistCertificates;
    for (const ToolbarButton& def : kToolbar) {
        const QString key = QString::fromUtf8(def.key);
        QAction* action = nullptr;
        if (def.style == Style::Separator) {
            action = toolbar_->addSeparator();
        } else {
            action = toolbar_->addAction(glyphIcon(def.glyph), QString());
            action->setToolTip(QString::fromUtf8(def.tip));
            connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        }
        action->setObjectName(key);
        action->setVisible(certificates ? def.certificateBook : def.otherBooks);
        buttons_.insert(key, action);
    }

    printMenu_ = new QMenu(this);
    for (const MenuEntry& e : kPrintMenu) {
        const QString key = QString::fromUtf8(e.key);
        if (key.isEmpty()) {
            printMenu_->addSeparator();
            continue;
        }
        QAction* entry = printMenu_->addAction(QString::fromUtf8(e.text));
        entry->setObjectName(key);
        entry->setVisible(e.shown);
        connect(entry, &QAction::triggered, this, [this, key] { Toolbar1_ButtonMenuClick(key); });
    }
    QAction* printV = buttons_.value(QStringLiteral("PrintV"));
    printV->setMenu(printMenu_);
    if (auto* tool = qobject_cast<QToolButton*>(toolbar_->widgetForAction(printV)))
        tool->setPopupMode(QToolButton::MenuButtonPopup);
}

QAction* frmPFM::menuEntry(const QString& key) const
{
    for (QAction* a : printMenu_->actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

// ---------------------------------------------------------------------------
// The group combo

void frmPFM::fillGroupCombo()
{
    core::AppState& s = core::state();
    const BookKind& kind = bookKind(med_);
    const QSignalBlocker block(cm1_);
    cm1_->clear();
    cm1_->addItem(QStringLiteral("Все группы"), 0);
    core::FillCombo(cm1_, kind.listCode, true, 0);
    cm1_->setCurrentIndex(-1);

    if (s.BookGroupId == 0)
        s.BookGroupId = static_cast<long>(jet::vbVal(
            settings::getSetting(QString::fromLatin1(settings::kSectionUser), QString::fromUtf8(kind.groupRead),
                                 QStringLiteral("0"))));
    if (s.BookGroupId > 0) {
        for (int i = 0; i < cm1_->count(); ++i) {
            if (jet::vbVal(QStringLiteral("0") + cm1_->itemData(i).toString()) == s.BookGroupId) {
                cm1_->setCurrentIndex(i);
                break;
            }
        }
    }
    if (cm1_->currentIndex() < 0)
        cm1_->setCurrentIndex(cm1_->count() >= 2 ? 1 : 0);
}

void frmPFM::Cm1_Click(int index)
{
    if (index < 0 || !bookLoaded_)
        return;
    Ref();
}

int frmPFM::chosenGroupIndex() const
{
    return core::comboListIndex(cm1_);
}

long frmPFM::chosenGroupId() const
{
    const int index = chosenGroupIndex();
    return index >= 1 ? static_cast<long>(cm1_->itemData(index).toLongLong()) : 0;
}

void frmPFM::saveGroup()
{
    const QString key = QString::fromUtf8(bookKind(med_).groupWrite);
    const int index = chosenGroupIndex();
    if (key.isEmpty() || index < 0)
        return;
    settings::saveSetting(QString::fromLatin1(settings::kSectionUser), key,
                          QString::number(cm1_->itemData(index).toLongLong()));
}

bool frmPFM::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cm1_ && core::isPlainEnter(event)) {
        list_->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Activation, geometry, closing

void frmPFM::Form_Activate()
{
    // The load has just read the book: its first activation need not again;
    // nor does a return to it when the database has not changed since.
    if (refreshedByLoad_)
        refreshedByLoad_ = false;
    else if (!showsCurrentBook())
        Ref();
    list_->setFocus();
}

void frmPFM::Form_Deactivate()
{
    saveGroup();
}

void frmPFM::closeEvent(QCloseEvent* event)
{
    // Closing deactivates the window: its group is kept as on leaving it.
    saveGroup();
    QWidget::closeEvent(event);
}

void frmPFM::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutList();
}

void frmPFM::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    layoutList();
}

void frmPFM::layoutList()
{
    toolbar_->setGeometry(0, 0, width(), toolbar_->sizeHint().height());
    const int top = toolbar_->height();
    const int left = core::twipsToPixels(kListLeft, this);
    const int margin = core::twipsToPixels(kListMargin, this);
    const int w = width() - margin;
    const int h = height() - top - margin;
    if (w <= 0 || h <= 0)
        return;
    list_->setGeometry(left, top, w, h);
    if (model_.columnCount() > 0)
        core::FitListViewColumns(list_, model_.divisors(), model_.minWidths());
}

// ---------------------------------------------------------------------------
// The book

frmPFM::BuiltFrom frmPFM::currentSource() const
{
    BuiltFrom source;
    if (core::state().MainDatabase) {
        const jet::Database& db = core::db();
        source.database = &db;
        source.changes = db.totalChanges();
    }
    source.groupIndex = chosenGroupIndex();
    source.groupId = chosenGroupId();
    source.filter = bookFilterSet(med_);
    return source;
}

bool frmPFM::showsCurrentBook() const
{
    if (!builtFrom_)
        return false;
    const BuiltFrom now = currentSource();
    const BuiltFrom& then = *builtFrom_;
    return now.database && now.database == then.database && now.changes == then.changes &&
           now.groupIndex == then.groupIndex && now.groupId == then.groupId &&
           now.filter.numberFrom == then.filter.numberFrom && now.filter.numberTo == then.filter.numberTo &&
           now.filter.dateFrom == then.filter.dateFrom && now.filter.dateTo == then.filter.dateTo;
}

void frmPFM::Ref()
{
    // The progress shown repaints the windows; a refresh asked meanwhile has
    // nothing to add to the one running.
    if (refreshing_)
        return;
    const int index = chosenGroupIndex();
    if (index < 0) {
        ui::setStatusText(QStringLiteral("Не выбрана группа."));
        return;
    }
    refreshing_ = true;
    const auto finished = qScopeGuard([this] { refreshing_ = false; });
    builtFrom_.reset();
    const BuiltFrom source = currentSource();
    {
        RefreshProgress work(QStringLiteral("Идет заполнение отчета..."));
        const BookSelection selection = bookSelection(med_, chosenGroupId(), source.filter);
        // The persons' keys first, which the grades are read against; their
        // rows are then read straight into the list.
        BookPersons persons = readBookPersonKeys(personListQuery(selection));
        work.step(persons.count());
        const int count = persons.count();
        // One count of the persons for the whole build: where the grades are
        // read first, that reading takes the first three quarters of it (it
        // takes about three times as long as filling the rows), the rows the
        // last quarter.
        const bool withGrades = persons.ok && hasGradeColumns(med_);
        const long long gradesShare = withGrades ? count * 3LL / 4 : 0;
        const auto gradesRead = [&work, count, gradesShare](int done) {
            work.step(count > 0 ? done * gradesShare / count : 0, count);
        };
        const auto progress = [&work, count, gradesShare](int done) {
            work.step(gradesShare + (count > 0 ? done * (count - gradesShare) / count : 0), count);
        };
        GradePivot pivot;
        if (withGrades)
            pivot = readGradePivot(gradeLinesQuery(med_, selection), persons.positionOf, count, gradesRead);
        BookColumnModel model = bookColumnModel(med_, pivot.ok && !pivot.tooWide() ? pivot.headings : QStringList());
        // The columns are set up anew only when they change; either way they
        // are fitted to the list's width again.
        const QStringList captions = model.captions();
        const QList<int> alignments = model.alignments();
        if (list_->columnCount() != model.columnCount() || captions != model_.captions() ||
            alignments != model_.alignments())
            core::SetupListViewColumns(list_, captions, alignments);
        model_ = std::move(model);
        core::FitListViewColumns(list_, model_.divisors(), model_.minWidths());
        if (!persons.ok)
            pivot.ok = false;
        const BookFillResult filled =
            FillRegistryBook(list_, bookRowsQuery(med_, selection), count, persons.positionOf, pivot, model_, progress);
        sums_ = filled.sums;
        // A book that asked about its grades asks again when read anew.
        if (!filled.asked)
            builtFrom_ = source;
    }
    // The first row is the selected one, as the list control had it.
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    ui::setStatusText(QStringLiteral("Готово."));
    ShowBookCaption();
}

void frmPFM::ShowBookCaption()
{
    const BookKind& kind = bookKind(med_);
    setWindowTitle(QString::fromUtf8(kind.caption) + filterCaptionSuffix(bookFilterSet(med_)));
    if (QAction* print = buttons_.value(QStringLiteral("Print")))
        print->setToolTip(QString::fromUtf8(kind.printTip));
}

void frmPFM::ListColumnClick(int header)
{
    if (header < 2)
        return;
    if (header == sortColumn_)
        sortDescending_ = !sortDescending_;
    // A rebuild would show the book's order again.
    builtFrom_.reset();
    sortColumn_ = header;
    core::SortListViewByColumn(list_, header, sortDescending_, model_.sortKindOfHeader(header), 2);
}

void frmPFM::ListKeyDown(int keyCode, int shift)
{
    if (shift != 0)
        return;
    if (keyCode == 13)
        PrintSelectedRecord();
    else if (keyCode == 27)
        cm1_->setFocus();
}

// ---------------------------------------------------------------------------
// Commands

void frmPFM::SetIds()
{
    core::AppState& s = core::state();
    if (list_->topLevelItemCount() == 0) {
        s.CurrentRowId = -1;
        return;
    }
    const core::ListItem item = core::selectedListItem(list_);
    s.CurrentRowId = item ? static_cast<long>(core::IdFromKey(core::listItemKey(item))) : 0;
}

void frmPFM::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("keyFREGNOM"))
        SetBookFilter(0);
    else if (key == QLatin1String("keyFDate"))
        SetBookFilter(1);
    else if (key == QLatin1String("Print"))
        printBook();
    else if (key == QLatin1String("PrintV2"))
        printDocuments(core::NoBlank, kCertificatesEmpty, kChooseCertificateButton);
    else if (key == QLatin1String("PrintV"))
        printDocuments(core::NoBlank, kStudentsEmpty, kChooseStudent);
}

void frmPFM::Toolbar1_ButtonMenuClick(const QString& key)
{
    for (const MenuEntry& e : kPrintMenu) {
        if (key != QLatin1String(e.key) || key.isEmpty())
            continue;
        if (e.blankKind < 0)
            printBook();
        else if (e.blankKind > 0)
            printDocuments(e.blankKind, kStudentsEmpty, kChooseStudent);
        return;
    }
}

void frmPFM::PrintSelectedRecord()
{
    const bool retraining = med_ == core::RetrainingDocuments;
    printDocuments(core::NoBlank, retraining ? kRetrainingEmpty : kCertificatesEmpty,
                   retraining ? kChooseRetraining : kChooseCertificate);
}

void frmPFM::printDocuments(int blankKind, const char* emptyWarning, const char* noSelectionWarning)
{
    core::AppState& s = core::state();
    s.PreselectedBlankKind = blankKind;
    SetIds();
    if (s.CurrentRowId < 0) {
        warn(emptyWarning);
        return;
    }
    if (s.CurrentRowId == 0) {
        warn(noSelectionWarning);
        return;
    }
    s.CurrentDocKind = med_;
    if (core::windowFactories().showPrintParameters)
        core::windowFactories().showPrintParameters();
}

void frmPFM::printBook()
{
    if (core::state().OfficeIsOOo)
        bPrintOOo();
    else
        bPrint_click();
}

void frmPFM::bPrint_click()
{
    printBookThrough(printing::OfficePath::Excel);
}

void frmPFM::bPrintOOo()
{
    printBookThrough(printing::OfficePath::Calc);
}

void frmPFM::printBookThrough(printing::OfficePath path)
{
    printing::printRegistryBook(printing::bookPrintJob(med_, windowTitle(), list_, model_.captions(),
                                                       model_.alignments(), model_.nper, model_.gradeCount),
                                path);
}

// ---------------------------------------------------------------------------
// The filter

void frmPFM::SetBookFilter(int par)
{
    core::AppState& s = core::state();
    for (;;) {
        s.DialogResult = 0;
        frmFilter dialog(med_, par, this);
        ui::execDialog(&dialog);
        if (s.DialogResult == 0)
            return;
        const BookFilterSet set = bookFilterSet(med_);
        if (set.isEmpty()) {
            Ref();
            return;
        }
        const long group = chosenGroupId();
        if (selectionHasPersons(bookSelection(med_, group, set))) {
            Ref();
            return;
        }
        if (group > 0 && selectionHasPersons(bookSelection(med_, 0, set))) {
            const int answer = ui::msgBox(noMatchInGroupQuestion(par, med_, cm1_->currentText()),
                                          ui::YesNoCancel | ui::Question);
            if (answer == ui::Yes) {
                cm1_->setCurrentIndex(0);  // "Все группы": the book is read anew
                return;
            }
            if (answer == ui::No)
                continue;  // other bounds
            Ref();
            return;
        }
        const int answer = ui::msgBox(noMatchQuestion(par, med_), ui::YesNoCancel | ui::Question);
        if (answer == ui::Yes)
            continue;
        if (answer == ui::No)
            ClearRegistryFilter(med_);
        Ref();
        return;
    }
}

void registerRegistryBook()
{
    core::windowFactories().createRegistryBook = [](QWidget* parent, int med) -> core::RegistryBookApi* {
        return new frmPFM(med, parent);
    };
}

} // namespace books
