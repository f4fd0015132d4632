#include "directory/frmSprav.h"

#include "directory/GradeSetting.h"
#include "directory/PlanToGrades.h"
#include "directory/PlanTotals.h"
#include "directory/RowDeletion.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ComboTypeAhead.h"
#include "core/DataAccess.h"
#include "core/DirectoryMetadata.h"
#include "core/ListCodes.h"
#include "core/ListView.h"
#include "core/ChildWindowParts.h"
#include "directory/GradeLines.h"
#include "directory/ListFill.h"
#include "directory/RowOrder.h"
#include "platform/jet/Jet.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "printing/ListPrinting.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QScopeGuard>
#include <QResizeEvent>
#include <QToolBar>
#include <QToolButton>

#include <array>

namespace directory {
namespace {

// Share of the usable height that the main list takes, and that the second
// list takes, per directory kind.
constexpr std::array<int, 19> kHeightShares{40, 100, 100, 100, 100, 100, 100, 100, 100, 100,
                                            100, 100, 100, 100, 100, 100, 100, 100, 100};
constexpr std::array<int, 19> kSecondListShares{60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

constexpr double kPlaceholderWidth = 2980;  // twips
constexpr double kFilterOffset = 20;
constexpr double kPlanFilterLeft = 2800;
constexpr double kMargin = 50;


QString groupSettingKey(int kind)
{
    return QStringLiteral("DG") + QString::number(kind);
}

int share(const std::array<int, 19>& shares, int kind)
{
    return kind >= 0 && kind < int(shares.size()) ? shares[size_t(kind)] : 0;
}

// A small picture for a toolbar button: a glyph, over a little table for the
// row commands.
QPixmap drawButtonPicture(Picture picture)
{
    struct Glyph {
        Picture picture;
        const char* text;
        QColor color;
        bool table;
    };
    static const Glyph glyphs[] = {
        {Picture::TableNew, "✶", QColor(200, 140, 0), true},  {Picture::TableEdit, "✎", QColor(30, 30, 160), true},
        {Picture::TableCopy, "+", QColor(0, 130, 0), true},    {Picture::TableDelete, "✕", QColor(200, 0, 0), true},
        {Picture::Import, "⇲", QColor(0, 90, 160), false},     {Picture::ImportSheet, "⇊", QColor(0, 90, 160), false},
        {Picture::TablePlus, "++", QColor(0, 130, 0), true},   {Picture::Printer, "", QColor(40, 40, 40), false},
        {Picture::ArrowUp, "↑", QColor(0, 0, 0), false},       {Picture::ArrowDown, "↓", QColor(0, 0, 0), false},
        {Picture::Digit5, "5", QColor(0, 0, 0), false},        {Picture::Digit4, "4", QColor(0, 0, 0), false},
        {Picture::Digit3, "3", QColor(0, 0, 0), false},        {Picture::Check, "✓", QColor(0, 130, 0), false},
        {Picture::Sum, "Σ", QColor(0, 0, 0), false},           {Picture::Book, "▤", QColor(120, 60, 0), false},
    };
    for (const Glyph& g : glyphs) {
        if (g.picture != picture)
            continue;
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        if (g.table) {
            p.setPen(QColor(90, 90, 90));
            p.drawRect(1, 3, 11, 10);
            p.drawLine(1, 6, 12, 6);
            p.drawLine(6, 3, 6, 13);
        }
        if (picture == Picture::Printer) {
            // Paper, body and tray.
            p.setPen(QColor(60, 60, 60));
            p.setBrush(Qt::white);
            p.drawRect(4, 1, 8, 5);
            p.setBrush(QColor(150, 150, 150));
            p.drawRect(1, 6, 14, 6);
            p.setBrush(Qt::white);
            p.drawRect(4, 10, 8, 5);
            return pixmap;
        }
        QFont f = p.font();
        f.setPixelSize(g.table ? 10 : 13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(g.color);
        p.drawText(g.table ? QRect(6, 0, 10, 10) : QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(g.text));
        return pixmap;
    }
    return {};
}

// The pictures are drawn once and kept in the application's pixmap cache:
// every directory window shows the same ones.
QIcon buttonIcon(Picture picture)
{
    if (picture == Picture::None)
        return {};
    const QString key = QStringLiteral("kalveta/toolbar/%1/16").arg(static_cast<int>(picture));
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = drawButtonPicture(picture);
        if (pixmap.isNull())
            return {};
        QPixmapCache::insert(key, pixmap);
    }
    return QIcon(pixmap);
}

} // namespace

frmSprav::frmSprav(QWidget* parent) : QWidget(parent)
{
    core::AppState& s = core::state();
    firstActivation_ = true;
    windowKind_ = s.CurrentKind;
    windowDocKind_ = windowKind_ == core::Students ? core::StudentsWindow : s.CurrentDocKind;
    sortColumn_ = 2;

    // Each grades window is captioned by its own document kind, the rule by
    // which the main window finds it again.
    setWindowTitle(windowKind_ >= 0 && windowKind_ < core::kKindCount ? core::DirectoryWindowCaption(windowKind_, windowDocKind_)
                                                                       : QString());

    toolbar_ = core::makeWindowToolbar(this);

    spr_ = new core::ReportList(this);
    spr_->setObjectName(QStringLiteral("Спр"));
    spr2_ = new core::ReportList(this);
    spr2_->setObjectName(QStringLiteral("Спр2"));
    spr2_->hide();
    spr_->setTag(QString::number(windowKind_));
    spr2_->setTag(QString::number(windowKind_));

    // The list definition of the kind, and what it sets of the window.
    def_ = DefineColumns(windowKind_, s.OfficeIsOOo);
    sortColumn_ = initialSortColumn(windowKind_);
    if (windowKind_ == core::Grades) {
        spr_->setTag(QString::number(core::Students));
        spr_->setMultiSelect(false);
    }

    core::SetupListViewColumns(spr_, def_.Captions, def_.Alignments);
    if (windowKind_ == core::Grades)
        core::SetupListViewColumns(spr2_, def_.Captions2, def_.Alignments2);

    buildToolbar();

    // The group filter, laid over the toolbar.
    frame4_ = new QFrame(toolbar_);
    frame4_->setObjectName(QStringLiteral("Рамка4"));
    frame4_->setFrameShape(QFrame::NoFrame);
    auto* frameLayout = new QHBoxLayout(frame4_);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    cm1_ = new QComboBox(frame4_);
    cm1_->setObjectName(QStringLiteral("Cm1"));
    core::setControlArrayIndex(cm1_, 0);
    core::installComboTypeAhead(cm1_);
    cm1_->setMaxVisibleItems(20);
    // The frame gives the filter its width, so its size need not follow the
    // names of the groups: measuring them all would cost every opening. The
    // entries have no pictures, and the size keeps no room for one.
    cm1_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cm1_->setIconSize(QSize(0, 0));
    frameLayout->addWidget(cm1_);
    frame4_->setFixedWidth(core::twipsToPixels(kPlaceholderWidth - 2 * kFilterOffset, this));
    frame4_->hide();
    cm1_->installEventFilter(this);
    connect(cm1_, &QComboBox::currentIndexChanged, this, &frmSprav::Cm1_Click);

    // The lists' events.
    for (core::ReportList* list : {spr_, spr2_}) {
        const bool second = list == spr2_;
        connect(list, &core::ReportList::keyDown, this,
                [this, second](int code, int shift) { HandleListKey(code, shift, second); });
        connect(list, &core::ReportList::keyUp, this, [this, list](int code, int) {
            if (code == 33 || code == 34 || code == 35 || code == 36 || code == 38 || code == 40)
                ShowRowStatus(list);
        });
        connect(list, &core::ReportList::listClicked, this, [this, list] { ShowRowStatus(list); });
        connect(list, &core::ReportList::listDoubleClicked, this, [this, second] { ListDblClick(second); });
        connect(list, &core::ReportList::mouseDown, this, &frmSprav::ShowActionsMenu);
    }
    connect(spr_, &core::ReportList::itemClick, this, &frmSprav::Spr_ItemClick);
    connect(spr_, &core::ReportList::columnClicked, this, &frmSprav::Spr_ColumnClick);
    connect(spr2_, &core::ReportList::columnClicked, this, &frmSprav::Spr2_ColumnClick);

    core::trackMdiActivation(this, [this] { Form_Activate(); }, [this] { Form_Deactivate(); });

    resize(core::twipsToPixels(12000, this), core::twipsToPixels(6000, this));
    Form_Activate();
}

frmSprav::~frmSprav() = default;

void frmSprav::buildToolbar()
{
    for (const ToolbarButtonDef& def : toolbarButtons()) {
        const QString key = QString::fromUtf8(def.key);
        // A button this kind never shows stays a hidden action of the window:
        // its key still runs its command, and the toolbar makes no widget for it.
        const bool visible = buttonVisibleIn(def, windowKind_);
        QAction* action = nullptr;
        switch (def.style) {
        case ButtonStyle::Separator:
            action = new QAction(this);
            action->setSeparator(true);
            break;
        case ButtonStyle::Placeholder:
            if (visible) {
                auto* spacer = new QWidget(toolbar_);
                spacer->setFixedWidth(core::twipsToPixels(kPlaceholderWidth, this));
                action = toolbar_->addWidget(spacer);
            } else {
                action = new QAction(this);
            }
            break;
        case ButtonStyle::Button:
        case ButtonStyle::DropDown:
            action = new QAction(buttonIcon(def.picture), QString(), this);
            action->setToolTip(QString::fromUtf8(def.tip));
            connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
            break;
        }
        action->setObjectName(key);
        action->setVisible(visible);
        if (visible && def.style != ButtonStyle::Placeholder)
            toolbar_->addAction(action);
        if (!key.isEmpty())
            buttons_.insert(key, action);
    }
    menus_.insert(QStringLiteral("PrintV"), buildMenu(printMenuEntries(), QStringLiteral("PrintV")));
    menus_.insert(QStringLiteral("keyBook"), buildMenu(bookMenuEntries(), QStringLiteral("keyBook")));
}

QMenu* frmSprav::buildMenu(std::span<const MenuEntryDef> entries, const QString& buttonKey)
{
    auto* menu = new QMenu(this);
    for (const MenuEntryDef& e : entries) {
        const QString key = QString::fromUtf8(e.key);
        if (key.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* entry = menu->addAction(QString::fromUtf8(e.text));
        entry->setObjectName(key);
        connect(entry, &QAction::triggered, this, [this, key] { Toolbar1_ButtonMenuClick(key); });
    }
    if (QAction* action = buttons_.value(buttonKey)) {
        action->setMenu(menu);
        if (auto* tool = qobject_cast<QToolButton*>(toolbar_->widgetForAction(action)))
            tool->setPopupMode(QToolButton::MenuButtonPopup);
    }
    return menu;
}

QAction* frmSprav::menuEntry(const QString& menuKey, const QString& entryKey) const
{
    QMenu* menu = menus_.value(menuKey);
    if (!menu)
        return nullptr;
    for (QAction* a : menu->actions())
        if (a->objectName() == entryKey)
            return a;
    return nullptr;
}

int frmSprav::parentKind() const
{
    return windowKind_ >= 0 && windowKind_ < core::kKindCount ? core::ParentKinds(windowKind_) : 0;
}

int frmSprav::secondListShare() const
{
    return share(kSecondListShares, windowKind_);
}

bool frmSprav::hasButton(const QString& key) const
{
    return buttons_.contains(key);
}

// ---------------------------------------------------------------------------
// Activation, geometry, closing

void frmSprav::Form_Activate()
{
    if (core::shellServices().setActionsMenuVisible)
        core::shellServices().setActionsMenuVisible(true);
    const QTime now = QTime::fromMSecsSinceStartOfDay(clock_().msecsSinceStartOfDay() / 1000 * 1000);
    if (windowKind_ == core::Students) {
        // A return to the window when nothing changed keeps its list.
        if (!firstActivation_ && listBuiltFrom_ && *listBuiltFrom_ == std::pair(currentData(), chosenGroupId()))
            return;
    } else if (lastActivationTime_.isValid() && now == lastActivationTime_) {
        return;
    }
    if (firstActivation_) {
        firstActivation_ = false;
        if (parentKind() > 0) {
            fillGroupFilter();
            frame4_->show();
            cm1_->show();
        } else {
            frame4_->hide();
        }
    }
    Ref();
    spr_->setFocus();
    lastActivationTime_ = now;
}

void frmSprav::Form_Deactivate()
{
    // The windows hear of a change of the window in front one after another:
    // when another directory window is in front already, the menu it showed
    // stays.
    if (QMdiArea* area = core::shellServices().mdiArea) {
        QMdiSubWindow* inFront = area->currentSubWindow();
        if (inFront && inFront->widget() != this && qobject_cast<frmSprav*>(inFront->widget()))
            return;
    }
    if (core::shellServices().setActionsMenuVisible)
        core::shellServices().setActionsMenuVisible(false);
}

void frmSprav::closeEvent(QCloseEvent* event)
{
    Form_Deactivate();
    QWidget::closeEvent(event);
}

void frmSprav::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutLists();
}

void frmSprav::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    layoutLists();
}

void frmSprav::layoutLists()
{
    const int w = width();
    const int h = height();
    toolbar_->setGeometry(0, 0, w, toolbar_->sizeHint().height());
    const int t = toolbar_->height();
    const int margin = core::twipsToPixels(kMargin, this);
    const int s = share(kHeightShares, windowKind_);
    const int usable = h - t - core::twipsToPixels(100, this) - (s == 100 ? 0 : margin);
    if (usable > 0 && w > 2 * margin) {
        spr_->setGeometry(margin, t + margin, w - 2 * margin, s * usable / 100);
        core::FitListViewColumns(spr_, def_.WidthDivisors, def_.MinWidths);
        if (windowKind_ == core::Grades) {
            const int top = spr_->y() + spr_->height() + margin;
            spr2_->setGeometry(margin, top, w - 2 * margin, h - top);
            core::FitListViewColumns(spr2_, def_.WidthDivisors2, def_.MinWidths2);
        }
    } else {
        spr_->show();
        if (windowKind_ == core::Grades)
            spr2_->show();
    }
    placeFilterFrame();
}

void frmSprav::placeFilterFrame()
{
    if (!frame4_)
        return;
    if (toolbar_->layout())
        toolbar_->layout()->activate();
    int x = 0;
    if (windowKind_ == core::StudyPlan) {
        // Beside the plan's buttons, never over them.
        x = core::twipsToPixels(kPlanFilterLeft, this);
        for (QAction* a : toolbar_->actions()) {
            QWidget* w = a->isVisible() ? toolbar_->widgetForAction(a) : nullptr;
            if (w && w != frame4_)
                x = qMax(x, w->geometry().right() + core::twipsToPixels(kFilterOffset, this));
        }
    } else if (QWidget* sep = toolbar_->widgetForAction(buttons_.value(QStringLiteral("keySep")))) {
        x = sep->geometry().right() + core::twipsToPixels(kFilterOffset, this);
    }
    const int h = frame4_->sizeHint().height();
    frame4_->setGeometry(x, qMax(0, (toolbar_->height() - h) / 2), frame4_->width(), h);
    frame4_->raise();
}

// ---------------------------------------------------------------------------
// The group filter

void frmSprav::fillGroupFilter()
{
    // Only the choice is restored here: the activation that fills the filter
    // refreshes the list once, right after it.
    const QSignalBlocker block(cm1_);
    core::FillCombo(cm1_, parentKind(), false, 0);
    filterFilledFrom_ = currentData();
    cm1_->setCurrentIndex(-1);
    const QString key = groupSettingKey(windowKind_);
    const QString stored = settings::getSetting(settings::kSectionUser, key, QString());
    int position = static_cast<int>(jet::vbVal(stored));
    if (position < 0 || position >= cm1_->count())
        position = 0;
    if (cm1_->count() > 0) {
        cm1_->setCurrentIndex(position);
        // The settings file is written (and flushed to disk) only when the
        // stored choice was missing or differs: rewriting it unchanged would
        // cost more than the whole opening.
        if (stored != QString::number(position))
            settings::saveSetting(settings::kSectionUser, key, QString::number(position));
    }
}

void frmSprav::refreshGroupFilter()
{
    if (!filterFilledFrom_ || *filterFilledFrom_ == currentData())
        return;
    const QSignalBlocker block(cm1_);
    const bool chosen = chosenGroupIndex() >= 0;
    const long group = chosenGroupId();
    core::FillCombo(cm1_, parentKind(), false, 0);
    filterFilledFrom_ = currentData();
    cm1_->setCurrentIndex(-1);
    if (cm1_->count() == 0)
        return;
    // The same group stays chosen, wherever it now stands; a group deleted
    // meanwhile gives way to the first entry, as a stored position that is
    // out of range does.
    int position = 0;
    for (int i = 0; i < cm1_->count(); ++i) {
        if (chosen && cm1_->itemData(i).toLongLong() == group) {
            position = i;
            break;
        }
    }
    cm1_->setCurrentIndex(position);
    const QString key = groupSettingKey(windowKind_);
    if (settings::getSetting(settings::kSectionUser, key, QString()) != QString::number(position))
        settings::saveSetting(settings::kSectionUser, key, QString::number(position));
}

frmSprav::DataState frmSprav::currentData()
{
    DataState state;
    if (const auto& db = core::state().MainDatabase) {
        state.database = db.get();
        state.path = db->path();
        state.changes = db->totalChanges();
    }
    return state;
}

void frmSprav::Cm1_Click(int index)
{
    if (index < 0)
        return;
    settings::saveSetting(settings::kSectionUser, groupSettingKey(windowKind_), QString::number(index));
    Ref();
}

int frmSprav::chosenGroupIndex() const
{
    return core::comboListIndex(cm1_);
}

long frmSprav::chosenGroupId() const
{
    const int index = chosenGroupIndex();
    return index >= 0 ? cm1_->itemData(index).toLongLong() : 0;
}

bool frmSprav::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cm1_ && core::isPlainEnter(event)) {
        spr_->setFocus();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Filling and sorting

void frmSprav::Ref()
{
    // The wait cursor for the whole build: a list of every person takes a while.
    const bool cursorSet = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursorSet)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const auto restoreCursor = qScopeGuard([cursorSet] {
        if (cursorSet)
            QApplication::restoreOverrideCursor();
    });
    refreshGroupFilter();
    QVariantList params;
    if (parentKind() > 0)
        params << static_cast<qlonglong>(chosenGroupId());
    spr_->clear();
    if (!def_.ListSql.isEmpty()) {
        try {
            auto rs = core::db().openRecordset(def_.ListSql, jet::dbOpenSnapshot, params);
            // The first row of the query is the selected one, as the list control had it.
            if (addRowsFromRecordset(spr_, *rs, core::KeyFields(windowKind_), def_.FieldNames, true) > 0)
                spr_->setCurrentItem(spr_->topLevelItem(0));
        } catch (const jet::Error&) {
            // A query that cannot be run leaves the list empty.
            spr_->clear();
        }
    }
    sortMainList();
    if (windowKind_ == core::Grades)
        ShowGrades();
    listBuiltFrom_ = std::pair(currentData(), chosenGroupId());
}

void frmSprav::sortMainList()
{
    const int index = sortColumn_ - 1;
    if (index >= 0 && index < def_.SortKinds.size())
        core::SortListViewByColumn(spr_, sortColumn_, sortDescending_, def_.SortKinds.at(index), 0);
}

void frmSprav::Spr_ColumnClick(int column)
{
    if (windowKind_ == core::StudyPlan || column < 2)
        return;
    if (column == sortColumn_)
        sortDescending_ = !sortDescending_;
    sortColumn_ = column;
    sortMainList();
}

void frmSprav::Spr2_ColumnClick(int)
{
    // The grade lines keep their own order.
}

void frmSprav::ShowGrades()
{
    if (windowKind_ != core::Grades)
        return;
    spr2_->clear();
    if (spr_->topLevelItemCount() == 0)
        return;
    const auto person = static_cast<qlonglong>(core::IdFromKey(core::listItemKey(core::selectedListItem(spr_))));
    if (person == 0)
        return;
    const GradeLinesQuery query = gradeLinesQuery(person, windowDocKind_);
    try {
        auto rs = core::db().openRecordset(query.sql, jet::dbOpenSnapshot, query.params);
        addRowsFromRecordset(spr2_, *rs, QStringLiteral("IDE"), def_.FieldNames2, false);
    } catch (const jet::Error&) {
        spr2_->clear();
    }
    const int index = sortColumn2_ - 1;
    if (index >= 0 && index < def_.SortKinds2.size())
        core::SortListViewByColumn(spr2_, sortColumn2_, sortDescending2_, def_.SortKinds2.at(index), 0);
}

void frmSprav::Spr_ItemClick(const core::ListItem&)
{
    if (windowKind_ == core::Grades)
        ShowGrades();
}

// ---------------------------------------------------------------------------
// Status line, actions menu, SetIds

void frmSprav::ShowRowStatus(core::ReportList* list)
{
    if (!list || list->topLevelItemCount() == 0)
        return;
    const core::ListItem item = core::selectedListItem(list);
    if (!item)
        return;
    QString text = QStringLiteral("Строка: %1. Всего строк: %2. ")
                       .arg(core::listItemPosition(list, item))
                       .arg(list->topLevelItemCount());
    if (list->multiSelect())
        text += QStringLiteral("Выделено строк: %1.").arg(list->selectedItems().size());
    ui::setStatusText(text);
}

void frmSprav::ShowActionsMenu(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button == Qt::RightButton && core::shellServices().popupActionsMenu)
        core::shellServices().popupActionsMenu(globalPos);
}

void frmSprav::SetIds()
{
    core::AppState& s = core::state();
    const bool reportsEmpty = windowKind_ == core::Grades || windowKind_ == core::Students;
    if (spr_->topLevelItemCount() == 0) {
        if (reportsEmpty)
            s.CurrentRowId = -1;
        return;
    }
    const core::ListItem item = core::selectedListItem(spr_);
    s.CurrentRowId = item ? static_cast<long>(core::IdFromKey(core::listItemKey(item))) : 0;
}

// ---------------------------------------------------------------------------
// Commands

core::ReportList* frmSprav::activeList() const
{
    return focusWidget() == spr2_ ? spr2_ : spr_;
}

void frmSprav::Toolbar1_ButtonClick(const QString& key)
{
    runCommand(buttonCommand(key), activeList());
}

void frmSprav::Toolbar1_ButtonMenuClick(const QString& key)
{
    const MenuEntryDef* entry = findMenuEntry(key);
    if (!entry)
        return;
    if (entry->command == Command::PrintBlank)
        printDocuments(Command::PrintBlank, entry->blankKind);
    else if (entry->command == Command::RegistryBook)
        OpenRegBook(windowDocKind_);
}

void frmSprav::runCommand(Command command, core::ReportList* list)
{
    if (isGradeCommand(command)) {
        // Grades belong to the persons of the grades view only.
        if (windowKind_ == core::Grades)
            SetGrade(gradeOf(command));
        return;
    }
    switch (command) {
    case Command::AddRow: AddRow(list); break;
    case Command::EditRow: EditRow(list); break;
    case Command::CopyRow: CopyRow(list); break;
    case Command::DeleteRows: DeleteRows(list); break;
    case Command::Import: startImport(false); break;
    case Command::ImportGradeSheet: startImport(true); break;
    case Command::PrintDocuments:
    case Command::PrintCertificate: printDocuments(command, core::NoBlank); break;
    case Command::CopyFromPlan: CopyFromPlan(); break;
    case Command::MoveUp: MoveRow(0); break;
    case Command::MoveDown: MoveRow(1); break;
    case Command::RegistryBook: OpenRegBook(windowDocKind_); break;
    case Command::TotalHours: TotalPlanHours(); break;
    case Command::FocusSecondList: spr2_->setFocus(); break;
    case Command::FocusMainList: spr_->setFocus(); break;
    case Command::FocusFilter:
        if (parentKind() > 0)
            cm1_->setFocus();
        break;
    default: break;
    }
}

void frmSprav::HandleListKey(int keyCode, int shift, bool isSecondList)
{
    runCommand(listKeyCommand(keyCode, shift, isSecondList, windowKind_), isSecondList ? spr2_ : spr_);
}

void frmSprav::ListDblClick(bool isSecondList)
{
    core::ReportList* list = isSecondList ? spr2_ : spr_;
    if (list->topLevelItemCount() > 0)
        EditRow(list);
    else
        AddRow(list);
}

void frmSprav::startImport(bool gradeSheet)
{
    core::AppState& s = core::state();
    s.ImportGroupId = 0;
    if (parentKind() > 0) {
        if (chosenGroupIndex() < 0) {
            ui::warn(QStringLiteral("Сначала выберите группу, в которую нужно импортировать данные."));
            return;
        }
        s.ImportGroupId = chosenGroupId();
    }
    s.CurrentKind = gradeSheet ? windowKind_ + core::GradeSheetImport : windowKind_;
    s.ImportDocKind = windowDocKind_;
    ShowImportDialog();
    Ref();
}

void frmSprav::printDocuments(Command command, int blankKind)
{
    core::AppState& s = core::state();
    s.PreselectedBlankKind = blankKind;
    SetIds();
    const bool certificate = command == Command::PrintCertificate;
    if (s.CurrentRowId < 0) {
        if (certificate)
            ui::warn(QStringLiteral("Список сертификатов пуст. Сначала заполните список сертификатов, после чего можно "
                                    "будет распечатать документы."));
        else if (command == Command::PrintBlank)
            ui::warn(QStringLiteral("Список студентов пуст. Сначала заполните список студентов и введите итоговые "
                                    "оценки, после чего можно будет распечатать документы."));
        else
            ui::warn(QStringLiteral("Список студентов пуст. Сначала заполните список студентов и введите оценки, после "
                                    "чего можно будет распечатать документы."));
        return;
    }
    if (s.CurrentRowId == 0) {
        if (certificate)
            ui::warn(QStringLiteral("Сначала выберите сертификат, который необходимо распечатать."));
        else
            ui::warn(QStringLiteral("Сначала выберите студента, для которого необходимо печатать документы."));
        return;
    }
    s.CurrentDocKind = certificate ? core::SpecialistCertificates : windowDocKind_;
    // In the students window a document form of the print menu names the
    // document kind whose grade lines it prints.
    if (windowKind_ == core::Students && command == Command::PrintBlank) {
        if (blankKind <= core::SpecialistCertificate)
            s.CurrentDocKind = core::Documents;
        else if (blankKind <= core::CompletionCertificate)
            s.CurrentDocKind = core::RetrainingDocuments;
        else if (blankKind <= core::TrainingCertificateSupplement)
            s.CurrentDocKind = core::TrainingCertificates;
    }
    if (core::windowFactories().showPrintParameters)
        core::windowFactories().showPrintParameters();
}

void frmSprav::OpenRegBook(int bookKind)
{
    core::AppState& s = core::state();
    s.BookGroupId = 0;
    if (parentKind() > 0 && chosenGroupIndex() >= 0)
        s.BookGroupId = chosenGroupId();
    if (core::shellServices().showRegistryBook)
        core::shellServices().showRegistryBook(bookKind);
    // A book that was already open ignores the group; no later book may take it.
    s.BookGroupId = 0;
}

// ---------------------------------------------------------------------------
// The record card

void frmSprav::AddRow(core::ReportList* list)
{
    core::AppState& s = core::state();
    s.CurrentRowId = 0;
    s.RowIsCopy = false;
    s.CurrentStudentId = 0;
    if (windowKind_ == core::Grades && list == spr2_) {
        s.CurrentStudentId = static_cast<long>(core::IdFromKey(core::listItemKey(core::selectedListItem(spr_))));
        if (s.CurrentStudentId == 0) {
            if (spr_->topLevelItemCount() == 0)
                ui::warn(QStringLiteral("Список студентов пуст. Сначала заполните список студентов, после чего можно "
                                        "будет вводить итоговые оценки."));
            else
                ui::warn(QStringLiteral("Сначала выберите студента, для которого необходимо ввести отметки."));
            return;
        }
    }
    OpenRecordCard(list);
}

void frmSprav::EditRow(core::ReportList* list)
{
    openSelectedRow(list, false);
}

void frmSprav::CopyRow(core::ReportList* list)
{
    openSelectedRow(list, true);
}

// The card on the selected row, or on a copy of it.
void frmSprav::openSelectedRow(core::ReportList* list, bool copy)
{
    core::AppState& s = core::state();
    s.CurrentGroupId = 0;
    s.CurrentStudentId = 0;
    if (list->topLevelItemCount() == 0)
        return;
    const core::ListItem item = core::selectedListItem(list);
    if (!item)
        return;
    s.CurrentRowId = static_cast<long>(core::IdFromKey(core::listItemKey(item)));
    if (s.CurrentRowId <= 0)
        return;
    s.RowIsCopy = copy;
    OpenRecordCard(list);
}

void frmSprav::OpenRecordCard(core::ReportList* list)
{
    core::AppState& s = core::state();
    const int groupIndex = chosenGroupIndex();
    s.CurrentGroupIndex = groupIndex;
    // A card opened without a chosen group gets none, never an earlier window's.
    s.CurrentGroupId = groupIndex >= 0 ? chosenGroupId() : 0;
    s.CurrentKind = static_cast<int>(jet::vbVal(QStringLiteral("0") + list->tag()));
    if (windowKind_ == core::Grades)
        s.CurrentDocKind = windowDocKind_;
    else if (windowKind_ == core::Students)
        s.CurrentDocKind = core::StudentsWindow;

    s.DialogResult = 0;
    if (core::windowFactories().showRecordCard)
        core::windowFactories().showRecordCard();
    if (s.DialogResult != -1) {
        list->setFocus();
        return;
    }

    if (list == spr2_)
        ShowGrades();
    else
        Ref();

    // Move the filter to the group of the saved row.
    if (parentKind() > 0) {
        const qlonglong row = s.CurrentRowId;
        const QString groupField = QStringLiteral("IDG");
        qlonglong group = 0;
        if (windowKind_ == core::Grades) {
            const QString id = QStringLiteral("ID");
            const qlonglong person = jet::toLong(
                list == spr2_ ? core::LookupFieldValue(QStringLiteral("SELECT ID FROM EXAM WHERE IDE = ? AND VidDokum = ?"),
                                                       id, {row, core::vidDokumOf(windowDocKind_)})
                              : core::LookupFieldValue(QStringLiteral("SELECT ID FROM SPSTUD WHERE ID = ?"), id, {row}));
            if (person > 0)
                group = jet::toLong(
                    core::LookupFieldValue(QStringLiteral("SELECT IDG FROM SPSTUD WHERE ID = ?"), groupField, {person}));
        } else if (windowKind_ == core::Students) {
            group = jet::toLong(
                core::LookupFieldValue(QStringLiteral("SELECT IDG FROM SPSTUD WHERE ID = ?"), groupField, {row}));
        } else if (windowKind_ == core::StudyPlan) {
            group = jet::toLong(
                core::LookupFieldValue(QStringLiteral("SELECT IDG FROM SPNAGR WHERE IDN = ?"), groupField, {row}));
        }
        if (cm1_->count() > 0 && group > 0) {
            for (int i = 0; i < cm1_->count(); ++i) {
                if (cm1_->itemData(i).toLongLong() != group)
                    continue;
                if (i != chosenGroupIndex())
                    cm1_->setCurrentIndex(i);
                break;
            }
        }
    }

    if (const core::ListItem saved = core::findListItem(list, core::rowItemKey(s.CurrentRowId)))
        core::selectOnlyItem(list, saved);
}

// ---------------------------------------------------------------------------
// Moving rows

void frmSprav::MoveRow(int direction)
{
    if (windowKind_ != core::Grades && windowKind_ != core::StudyPlan)
        return;
    core::ReportList* list = windowKind_ == core::Grades ? spr2_ : spr_;
    if (focusWidget() != list)
        return;
    const core::ListItem item = core::selectedListItem(list);
    if (!item) {
        ui::warn(QStringLiteral("Не выделена строка. Сначала выделите строку, которую нужно переместить."));
        return;
    }
    const int position = core::listItemPosition(list, item);
    const int count = list->topLevelItemCount();
    if ((direction == 0 && position == 1) || (direction == 1 && position == count))
        return;
    const int neighbour = direction == 0 ? position - 1 : position + 1;

    QList<qlonglong> keys;
    keys.reserve(count);
    for (int i = 0; i < count; ++i)
        keys << static_cast<qlonglong>(core::IdFromKey(core::listItemKey(list->topLevelItem(i))));
    const bool grades = windowKind_ == core::Grades;
    try {
        exchangeSortOrder(core::db(), grades ? QStringLiteral("EXAM") : QStringLiteral("SPNAGR"),
                          grades ? QStringLiteral("IDE") : QStringLiteral("IDN"), keys, position - 1, neighbour - 1);
    } catch (const jet::Error& e) {
        ui::msgBox(QStringLiteral("Не удалось переместить строку. Ошибка: ") + e.numberAndDescription(),
                   ui::OkOnly | ui::Exclamation);
        return;
    }

    if (grades) {
        sortColumn2_ = 1;
        ShowGrades();
    } else {
        sortColumn_ = 1;
        Ref();
    }
    if (const core::ListItem moved = list->topLevelItem(neighbour - 1))
        core::selectOnlyItem(list, moved);
}

// ---------------------------------------------------------------------------
// Operations built separately: deleting, plan copy, grading, plan totals,
// import and list printing. The commands already reach them.

void frmSprav::DeleteRows(core::ReportList* list)
{
    const DeletionOutcome outcome = deleteRows(windowKind_, list == spr2_, listRows(list));
    list->setFocus();
    if (outcome.deleted == 0)
        return;
    if (list == spr2_)
        ShowGrades();
    else
        Ref();
    selectAfterDeletion(list, outcome.firstPosition);
}

void frmSprav::CopyFromPlan()
{
    if (windowKind_ != core::Grades)
        return;
    const auto person = static_cast<qlonglong>(core::IdFromKey(core::listItemKey(core::selectedListItem(spr_))));
    if (copyPlanToGrades(person, windowDocKind_).way != PlanFill::None)
        ShowGrades();
}

void frmSprav::SetGrade(int grade)
{
    const GradeOutcome outcome = setGrade(gradeRequest(grade, windowDocKind_, spr_, spr2_, focusWidget()));
    if (!outcome.written)
        return;
    ShowGrades();
    if (outcome.restoreSelection) {
        applyLineSelection(spr2_, outcome.selectPositions);
        spr2_->setFocus();
    }
}

void frmSprav::TotalPlanHours()
{
    const int index = chosenGroupIndex();
    const qlonglong row = totalPlanHours(cm1_->count(), index >= 0 ? chosenGroupId() : 0,
                                         static_cast<qlonglong>(core::IdFromKey(core::listItemKey(core::selectedListItem(spr_)))));
    if (row == 0)
        return;
    Ref();
    if (const core::ListItem item = core::findListItem(spr_, core::rowItemKey(row)))
        core::selectOnlyItem(spr_, item);
    spr_->setFocus();
}
// The import window, modal; startImport refreshes the list afterwards,
// whatever happened.
void frmSprav::ShowImportDialog()
{
    if (core::windowFactories().showImport)
        core::windowFactories().showImport(this);
}

void frmSprav::bPrint_click()
{
    printList(printing::OfficePath::Excel);
}

void frmSprav::bPrintOOo()
{
    printList(printing::OfficePath::Calc);
}

void frmSprav::printList(printing::OfficePath path)
{
    const bool grades = secondListShare() != 0;
    printing::printDirectoryList(printing::listPrintJob(windowKind_, grades ? spr2_ : spr_,
                                                        grades ? def_.Captions2 : def_.Captions,
                                                        grades ? def_.Alignments2 : def_.Alignments, def_.PrintWidths,
                                                        parentKind() > 0 ? cm1_ : nullptr, grades ? spr_ : nullptr),
                                 path);
}

void registerDirectoryWindow()
{
    core::windowFactories().createDirectoryWindow = [](QWidget* parent) -> core::DirectoryWindowApi* {
        return new frmSprav(parent);
    };
}

} // namespace directory
