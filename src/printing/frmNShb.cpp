#include "printing/frmNShb.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/office/OOo.h"
#include "platform/aside/Aside.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Progress.h"
#include "platform/ui/WorkAside.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace printing {

namespace {

constexpr double kStepMm = 0.25;
constexpr double kPointsPerMm = 72.0 / 25.4;

const char* const kOpening = "Идет открытие шаблона...";
const char* const kShowing = "Идет показ шаблона в офисной программе...";
const char* const kNotFound = "Файл шаблона не найден. Настройка шаблона не может быть произведена.";
const char* const kCannotOpen = "Шаблон не удается открыть, настройка шаблона не может быть произведена: ";
const char* const kQuestion = "Вы действительно хотите применить изменения и сохранить шаблон? Текстовые рамки будут "
                              "сдвинуты на выбранное Вами количество милиметров.";
const char* const kExportChanges = "При сохранении в формате шаблона изменится и то, что Вы не сдвигали:";
const char* const kSaved = "Шаблон успешно сохранен.";
const char* const kClosedAfterFailure =
    "Офисная программа закрыла шаблон; он остался прежним. Окно настройки шаблона закрыто.";
const char* const kSaveFailed = "Произошла ошибка при сохранении шаблона, возможно он не сохранен, ошибка: ";
const char* const kRefused = "Шаблон не сохранен, файл оставлен без изменений: ";
const char* const kRefusedAdvice = "Шаблон можно настроить в самой офисной программе: откройте его там, сдвиньте "
                                   "рамки и сохраните шаблон в его формате.";
const char* const kEveryPage = "Рамка в колонтитуле: сдвиг действует на всех страницах.";
const char* const kNotMovable = "Рамка вставлена в текст как символ и не сдвигается.";
const char* const kAtEdge = "Дальше рамку не сдвинуть: она дойдет до края страницы.";

// Suffixes of list entries that cannot be moved alone or at all.
const char* const kEntryNotMovable = " (в строке текста, не сдвигается)";
const char* const kEntryEveryPage = " (колонтитул)";

struct Arrow {
    Qt::ArrowType arrow;
    const char* tip;
    double dx;
    double dy;
};
constexpr Arrow kArrows[4] = {
    {Qt::LeftArrow, "Влево", -kStepMm, 0},
    {Qt::UpArrow, "Вверх", 0, -kStepMm},
    {Qt::RightArrow, "Вправо", kStepMm, 0},
    {Qt::DownArrow, "Вниз", 0, kStepMm},
};

// A message ending with one full stop, whether or not its last part (the
// office's own words) brought one.
QString sentence(const QString& text)
{
    if (text.endsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('!')) || text.endsWith(QLatin1Char('?')))
        return text;
    return text + QLatin1Char('.');
}

QString number(double mm)
{
    return QLocale(QLocale::Russian, QLocale::Russia).toString(float(mm));
}

} // namespace

frmNShb::frmNShb(const QString& templatePath, QWidget* parent) : QDialog(parent), sFile(templatePath)
{
    setObjectName(QStringLiteral("frmNShb"));
    setWindowTitle(QStringLiteral("Настройка шаблона"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Above the office's window, which shows every step.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(true);

    auto* framesBox = new QGroupBox(QStringLiteral("Рамки:"), this);
    const char* const captions[3] = {"Все", "Выбрать рамку", "Таблицы"};
    for (int i = 0; i < 3; ++i) {
        options_[i] = new QRadioButton(QString::fromUtf8(captions[i]), framesBox);
        options_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(options_[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    options_[2]->setEnabled(false);
    frameList_ = new QListWidget(framesBox);
    frameList_->setObjectName(QStringLiteral("Cm1_0"));
    tableList_ = new QListWidget(framesBox);
    tableList_->setObjectName(QStringLiteral("Cm1_1"));
    tableList_->setEnabled(false);
    for (QListWidget* list : {frameList_, tableList_}) {
        list->setMinimumWidth(260);
        connect(list, &QListWidget::currentRowChanged, this, [this] { shiftX_ = shiftY_ = 0; });
    }
    auto* framesLayout = new QGridLayout(framesBox);
    framesLayout->addWidget(options_[0], 0, 0);
    framesLayout->addWidget(options_[1], 1, 0);
    framesLayout->addWidget(frameList_, 2, 0);
    framesLayout->addWidget(options_[2], 3, 0);
    framesLayout->addWidget(tableList_, 4, 0);

    auto* moveBox = new QGroupBox(QStringLiteral("Передвинуть (мм)"), this);
    auto* moveLayout = new QGridLayout(moveBox);
    // Arrows in a cross, each label beyond its arrow.
    const int arrowCell[4][2] = {{1, 1}, {0, 2}, {1, 3}, {2, 2}};
    const int labelCell[4][2] = {{1, 0}, {0, 3}, {1, 4}, {2, 3}};
    for (int i = 0; i < 4; ++i) {
        arrows_[i] = new QToolButton(moveBox);
        arrows_[i]->setObjectName(QStringLiteral("Cmd1_%1").arg(i));
        arrows_[i]->setArrowType(kArrows[i].arrow);
        arrows_[i]->setToolTip(QString::fromUtf8(kArrows[i].tip));
        arrows_[i]->setMinimumSize(32, 32);
        connect(arrows_[i], &QToolButton::clicked, this, [this, i] { Cmd1_Click(i); });
        labels_[i] = new QLabel(moveBox);
        labels_[i]->setObjectName(QStringLiteral("Lb_%1").arg(i));
        labels_[i]->setMinimumWidth(60);
        moveLayout->addWidget(arrows_[i], arrowCell[i][0], arrowCell[i][1]);
        moveLayout->addWidget(labels_[i], labelCell[i][0], labelCell[i][1]);
    }
    note_ = new QLabel(moveBox);
    note_->setObjectName(QStringLiteral("Note"));
    note_->setWordWrap(true);
    moveLayout->addWidget(note_, 3, 0, 1, 5);
    moveLayout->setRowStretch(4, 1);

    save_ = new QPushButton(QStringLiteral("Применить и сохранить"), this);
    save_->setObjectName(QStringLiteral("Command1"));
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    cancel_->setObjectName(QStringLiteral("Command2"));
    connect(save_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Command2_Click(); });

    auto* right = new QVBoxLayout;
    right->addWidget(moveBox, 1);
    right->addWidget(save_);
    right->addWidget(cancel_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(framesBox, 1);
    layout->addLayout(right);
}

frmNShb::~frmNShb()
{
    closeDocument();
}

bool frmNShb::Form_Load()
{
    core::AppState& s = core::state();
    s.DialogResult = 0;
    shiftX_ = shiftY_ = 0;
    for (QLabel* l : labels_)
        l->clear();
    if (!QFileInfo(sFile).isFile()) {
        ui::msgBox(QString::fromUtf8(kNotFound), ui::Exclamation);
        return false;
    }
    // The template is opened hidden and read aside, with the wait cursor and
    // the seconds counted; the office shows it only once this window is
    // ready (showTemplate()).
    std::optional<ui::LongWork> work(std::in_place, QString::fromUtf8(kOpening));
    try {
        QStringList tables;
        ui::WorkAside aside(*work, QString::fromUtf8(kOpening));
        aside.run([&](const ui::WorkAside::Report&) {
            doc_ = office::TextDocument::open(sFile, true);
            frames_ = doc_.frames();
            tables = doc_.tableFirstCells();
        });
        work.reset();
        ui::setStatusText(QStringLiteral("Готово"));
        for (int i = 0; i < frames_.size(); ++i) {
            QString text = frames_[i].text;
            // A group or a frame without a text of its own goes by its name.
            if (text.trimmed().isEmpty())
                text = (frames_[i].group ? QStringLiteral("[группа ") : QStringLiteral("[рамка "))
                    + frames_[i].name + QLatin1Char(']');
            if (!frames_[i].movable)
                text += QString::fromUtf8(kEntryNotMovable);
            else if (frames_[i].everyPage)
                text += QString::fromUtf8(kEntryEveryPage);
            auto* item = new QListWidgetItem(text, frameList_);
            item->setData(Qt::UserRole, i + 1);
        }
        for (int i = 0; i < tables.size(); ++i) {
            auto* item = new QListWidgetItem(tables[i], tableList_);
            item->setData(Qt::UserRole, i + 1);
        }
    } catch (const office::Error& e) {
        work.reset();
        ui::setStatusText(QStringLiteral("Готово"));
        closeDocument();
        if (e.kind() == office::ErrorKind::NotStarted)
            ui::msgBox(office::OOoNotStartedReport(QStringLiteral("Writer"), e), ui::Information);
        else if (e.diskFull())  // the office could not copy or lock the template
            ui::msgBox(QString::fromUtf8(kCannotOpen) + QDir::toNativeSeparators(sFile) + QStringLiteral(". ")
                           + e.detail(),
                       ui::Exclamation);
        else if (e.kind() == office::ErrorKind::CannotLoad)
            ui::msgBox(QString::fromUtf8(kCannotOpen) + QDir::toNativeSeparators(sFile) + QStringLiteral(". Ошибка: ")
                           + e.numberAndDescription(),
                       ui::Exclamation);
        else
            ui::msgBox(e.numberAndDescription(), ui::Information);
        return false;
    }
    movedX_.assign(frames_.size(), 0);
    movedY_.assign(frames_.size(), 0);
    options_[0]->setChecked(true);
    Option1_Click(0);
    if (frameList_->count() > 0 && frameList_->currentRow() < 0)
        frameList_->setCurrentRow(0);
    if (tableList_->count() > 0 && tableList_->currentRow() < 0)
        tableList_->setCurrentRow(0);
    shiftX_ = shiftY_ = 0;
    return true;
}

void frmNShb::showTemplate()
{
    if (!doc_.isOpen())
        return;
    ui::LongWork work(QString::fromUtf8(kShowing));
    try {
        aside::run([&] {
            doc_.setVisible(true);
            doc_.activate();
        });
    } catch (const office::Error&) {
        // Left hidden: the frames still move and the template still saves.
    }
    // This window stays in front of the office's.
    raise();
    activateWindow();
    ui::setStatusText(QStringLiteral("Готово"));
}

int frmNShb::adjust(const QString& templatePath, QWidget* parent)
{
    frmNShb window(templatePath, parent);
    if (!window.Form_Load())
        return core::state().DialogResult;
    // This window first, then the template in the office's window.
    window.show();
    window.showTemplate();
    ui::execDialog(&window);
    return core::state().DialogResult;
}

void frmNShb::Option1_Click(int index)
{
    shiftX_ = shiftY_ = 0;
    note_->clear();
    if (!options_[index]->isChecked())
        return;
    for (int i = 0; i < 3; ++i)
        if (i != index)
            options_[i]->setChecked(false);
    frameList_->setEnabled(index == 1);
    tableList_->setEnabled(index == 2);
    arrows_[0]->setEnabled(index != 2);
    arrows_[2]->setEnabled(index != 2);
}

std::vector<int> frmNShb::framesToMove() const
{
    std::vector<int> out;
    if (options_[0]->isChecked()) {
        for (int i = 0; i < frames_.size(); ++i)
            if (frames_[i].movable)
                out.push_back(i);
    } else if (options_[1]->isChecked() && frameList_->currentItem()) {
        out.push_back(frameList_->currentItem()->data(Qt::UserRole).toInt() - 1);
    }
    return out;
}

void frmNShb::Cmd1_Click(int index)
{
    if (!doc_.isOpen() || index < 0 || index > 3)
        return;
    note_->clear();
    const std::vector<int> targets = framesToMove();
    if (targets.empty())
        return;
    if (options_[1]->isChecked() && !frames_[targets.front()].movable) {
        note_->setText(QString::fromUtf8(kNotMovable));
        return;
    }
    shiftX_ += kArrows[index].dx;
    shiftY_ += kArrows[index].dy;
    // A step to the left or up is refused when it would take a frame, with
    // every step made since loading, to the page's edge.
    for (int i : targets) {
        if ((shiftX_ < 0 && -(movedX_[i] + shiftX_) * kPointsPerMm >= frames_[i].left)
            || (shiftY_ < 0 && -(movedY_[i] + shiftY_) * kPointsPerMm >= frames_[i].top)) {
            shiftX_ = shiftY_ = 0;
            ОбновитьСдвиг();
            note_->setText(QString::fromUtf8(kAtEdge));
            return;
        }
    }
    ОбновитьСдвиг();
    applyShift();
}

void frmNShb::ОбновитьСдвиг()
{
    for (QLabel* l : labels_)
        l->clear();
    if (shiftX_ < 0)
        labels_[0]->setText(QStringLiteral("< ") + number(shiftX_));
    if (shiftY_ < 0)
        labels_[1]->setText(QStringLiteral("^ ") + number(shiftY_));
    if (shiftX_ > 0)
        labels_[2]->setText(number(shiftX_) + QStringLiteral(" >"));
    if (shiftY_ > 0)
        labels_[3]->setText(QStringLiteral("v ") + number(shiftY_));
}

void frmNShb::applyShift()
{
    bool everyPage = false;
    bool atEdge = false;
    for (int i : framesToMove()) {
        try {
            doc_.moveFrame(i, shiftX_ * kPointsPerMm, shiftY_ * kPointsPerMm);
            movedX_[i] += shiftX_;
            movedY_[i] += shiftY_;
            everyPage = everyPage || frames_[i].everyPage;
        } catch (const office::Error& e) {
            // The frame stays where it is; the others move.
            if (e.kind() == office::ErrorKind::ConnectionLost)
                break;
            atEdge = true;
        }
    }
    if (atEdge)
        note_->setText(QString::fromUtf8(kAtEdge));
    else if (everyPage)
        note_->setText(QString::fromUtf8(kEveryPage));
    shiftX_ = shiftY_ = 0;
}

void frmNShb::Command1_Click()
{
    if (!doc_.isOpen())
        return;
    QString question = QString::fromUtf8(kQuestion);
    try {
        const QStringList changes = doc_.saveWarnings();
        if (!changes.isEmpty())
            question += QStringLiteral("\n\n") + QString::fromUtf8(kExportChanges) + QStringLiteral("\n")
                + changes.join(QLatin1Char('\n'));
    } catch (const office::Error& e) {
        ui::msgBox(sentence(e.causeFirst(QString::fromUtf8(kSaveFailed))), ui::Exclamation);
        return;
    }
    if (ui::msgBox(question, ui::YesNo | ui::Question | ui::DefaultButton2) != ui::Yes)
        return;
    try {
        ui::setStatusText(QStringLiteral("Идет сохранение шаблона..."));
        doc_.save();
        ui::setStatusText(QStringLiteral("Готово"));
    } catch (const office::SaveRefused& e) {
        ui::setStatusText(QStringLiteral("Готово"));
        ui::msgBox(sentence(QString::fromUtf8(kRefused) + e.detail()) + QLatin1Char(' ') + QString::fromUtf8(kRefusedAdvice),
                   ui::Exclamation);
        return;
    } catch (const office::Error& e) {
        ui::setStatusText(QStringLiteral("Готово"));
        // A store cut off may end the office with the document: nothing is
        // left to adjust, and the template stays as it was.
        const bool lost = !doc_.isOpen();
        ui::msgBox(sentence(e.causeFirst(QString::fromUtf8(kSaveFailed)))
                       + (lost ? QStringLiteral(" ") + QString::fromUtf8(kClosedAfterFailure) : QString()),
                   ui::Exclamation);
        if (lost)
            Command2_Click();
        return;
    }
    ui::msgBox(QString::fromUtf8(kSaved), ui::Information);
    core::state().DialogResult = -1;
    accept();
}

void frmNShb::Command2_Click()
{
    core::state().DialogResult = 0;
    reject();
}

void frmNShb::done(int result)
{
    closeDocument();
    QDialog::done(result);
    // Back from the office to the program: the main window, and above it the
    // dialog that opened this one, which still waits for its answer.
    if (core::shellServices().activateMainWindow)
        core::shellServices().activateMainWindow();
    if (QWidget* opener = QApplication::activeModalWidget(); opener && opener != this) {
        opener->raise();
        opener->activateWindow();
    }
}

void frmNShb::closeDocument()
{
    if (!doc_.isOpen())
        return;
    // Moves not saved are dropped; an office this window started ends
    // unless it shows other documents.
    doc_.close();
    doc_.quitOfficeIfStarted();
}

} // namespace printing
