// Opening the students window on one group of 100 persons (of 20,000 in
// 200 groups) and on a group of all 20,000, against the bare statements that
// return the same rows (the groups of the filter and the persons shown), each
// pair measured in the same run; a window counts once it is painted, its
// events processed and the whole of it drawn. Prints "students open/query
// ratio: <x>" for each. For the group, also a plain Qt window of the same
// widgets (toolbar buttons, filter with the groups, two lists over the same
// texts, no database), shown and painted the same way: the floor any window
// of these widgets costs here.
#include "ScaleDatabase.h"

#include "core/ListCodes.h"
#include "core/ListView.h"
#include "directory/DirectoryColumns.h"
#include "directory/frmSprav.h"
#include "platform/settings/Settings.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// A shown window as the user gets it: its pending events (layout, expose)
// processed, then every widget of it painted.
void paint(QWidget& window)
{
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

struct Case {
    std::unique_ptr<jet::Database> db;
    qlonglong group = 0;
    int persons = 0;
};
Case g_cases[2];

// Makes `c` the working database for one benchmark.
void use(Case& c)
{
    std::swap(core::state().MainDatabase, c.db);
}

void bare(benchmark::State& state, Case& c)
{
    use(c);
    sqlite3* h = core::db().handle();
    const core::ListQuery groups = core::directoryListQuery(core::Groups, 0);
    const QByteArray groupsSql = groups.sql.toUtf8();
    const QByteArray persons = directory::DefineColumns(core::Students, false).ListSql.toUtf8();
    for (auto _ : state) {
        long rows = scale::readAll(h, groupsSql, {});
        rows += scale::readAll(h, persons, {c.group});
        benchmark::DoNotOptimize(rows);
    }
    use(c);
}

void open(benchmark::State& state, Case& c)
{
    use(c);
    core::state().CurrentKind = core::Students;
    for (auto _ : state) {
        auto window = std::make_unique<directory::frmSprav>();
        window->resize(1000, 700);
        window->show();
        paint(*window);
        if (window->Spr()->topLevelItemCount() != c.persons)
            state.SkipWithError("the window does not show the group");
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    use(c);
}

// What the plain window is made of, taken from one real students window.
struct Widgets {
    int buttons = 0;
    QStringList groups;
    std::vector<QStringList> rows;
    int columns = 0;
};
Widgets g_widgets;

class TextTable : public QAbstractTableModel {
public:
    TextTable(const std::vector<QStringList>& rows, int columns, QObject* parent)
        : QAbstractTableModel(parent), rows_(rows), columns_(columns)
    {
    }
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : columns_; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(rows_[size_t(i.row())].value(i.column())) : QVariant();
    }

private:
    std::vector<QStringList> rows_;
    int columns_;
};

void widgetsAlone(benchmark::State& state)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::darkBlue);
    const QIcon icon(picture);
    for (auto _ : state) {
        auto window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        auto* toolbar = new QToolBar(window.get());
        toolbar->setIconSize(QSize(16, 16));
        layout->addWidget(toolbar);
        for (int i = 0; i < g_widgets.buttons; ++i) {
            auto* action = new QAction(icon, QString(), window.get());
            action->setToolTip(QStringLiteral("Кнопка"));
            QObject::connect(action, &QAction::triggered, window.get(), [] {});
            toolbar->addAction(action);
        }
        auto* filter = new QComboBox(toolbar);
        filter->addItems(g_widgets.groups);
        toolbar->addWidget(filter);
        for (int list = 0; list < 2; ++list) {
            auto* view = new QTreeView(window.get());
            view->setRootIsDecorated(false);
            view->setUniformRowHeights(true);
            view->setModel(new TextTable(list == 0 ? g_widgets.rows : std::vector<QStringList>{}, g_widgets.columns, view));
            layout->addWidget(view);
            view->setVisible(list == 0);
        }
        window->resize(1000, 700);
        window->show();
        paint(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

void BM_BareGroup(benchmark::State& state) { bare(state, g_cases[0]); }
void BM_OpenGroup(benchmark::State& state) { open(state, g_cases[0]); }
void BM_WidgetsGroup(benchmark::State& state) { widgetsAlone(state); }
void BM_BareAll(benchmark::State& state) { bare(state, g_cases[1]); }
void BM_OpenAll(benchmark::State& state) { open(state, g_cases[1]); }

} // namespace

int main(int argc, char** argv)
{
    scale::Environment home(argc, argv);
    core::state().ComboTypeAhead = true;
    settings::saveSetting(settings::kSectionUser, QStringLiteral("DG3"), QStringLiteral("0"));

    const struct {
        const char* file;
        int groups;
        int perGroup;
    } layouts[] = {{"groups.db", scale::kGroups, scale::kPersonsPerGroup},
                   {"all.db", 1, scale::kGroups * scale::kPersonsPerGroup}};
    for (int i = 0; i < 2; ++i) {
        if (!scale::make(home.filePath(QString::fromLatin1(layouts[i].file)), layouts[i].groups, layouts[i].perGroup, false))
            return 1;
        g_cases[i].group = jet::toLong(core::db().scalar(QStringLiteral("SELECT min(IDG) FROM SPGRUP")));
        g_cases[i].persons = layouts[i].perGroup;
        g_cases[i].db = std::move(core::state().MainDatabase);
    }

    benchmark::RegisterBenchmark("BareGroup", BM_BareGroup)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("OpenGroup", BM_OpenGroup)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    {
        // The plain window's parts, from a real window on the group.
        use(g_cases[0]);
        core::state().CurrentKind = core::Students;
        directory::frmSprav window;
        for (QAction* a : window.findChild<QToolBar*>()->actions())
            g_widgets.buttons += a->isVisible() && !a->isSeparator() ? 1 : 0;
        QComboBox* filter = window.findChild<QComboBox*>(QStringLiteral("Cm1"));
        for (int i = 0; i < filter->count(); ++i)
            g_widgets.groups << filter->itemText(i);
        QTreeView* list = window.Spr();
        g_widgets.columns = list->model()->columnCount();
        for (int r = 0; r < list->model()->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < g_widgets.columns; ++c)
                row << list->model()->index(r, c).data().toString();
            g_widgets.rows.push_back(row);
        }
        use(g_cases[0]);
    }
    benchmark::RegisterBenchmark("WidgetsGroup", BM_WidgetsGroup)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("BareAll", BM_BareAll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    benchmark::RegisterBenchmark("OpenAll", BM_OpenAll)->Unit(benchmark::kMillisecond)->MinTime(1.0);
    scale::RecordingReporter reporter;
    scale::runBenchmarks(argc, argv, &reporter);
    std::printf("students open/query ratio: %.2f (a group of %d)\n", reporter.ratio("OpenGroup", "BareGroup"),
                scale::kPersonsPerGroup);
    std::printf("widgets alone/query ratio: %.2f (a plain window of the same widgets on the group)\n",
                reporter.ratio("WidgetsGroup", "BareGroup"));
    std::printf("students open/query ratio: %.2f (a group of %d)\n", reporter.ratio("OpenAll", "BareAll"),
                scale::kGroups * scale::kPersonsPerGroup);
    for (Case& c : g_cases)
        c.db.reset();
    return 0;
}
