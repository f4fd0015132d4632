#include "printing/frmUrDial.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ListView.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace printing {

namespace {

// Layout in twips.
constexpr int kBoxWidth = 2995;
constexpr int kBoxHeight = 375;
constexpr int kRowStep = 400;
constexpr int kFirstRowTop = 240;
constexpr int kLeftColumn = 240;
constexpr int kRightColumn = 3880;
constexpr int kRowsPerColumn = 15;
constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 120;
constexpr int kFrameHeight = 6375;
constexpr int kFrameWideWidth = 7650;
constexpr int kFrameNarrowWidth = 4565;
constexpr int kDialogWideWidth = 7990;
constexpr int kDialogNarrowWidth = 4880;
constexpr int kSmallButton = 375;
constexpr int kSmallButtonTop = 6480;
constexpr int kPrevLeft = 120;
constexpr int kTickAllLeft = 600;
constexpr int kUntickAllLeft = 1065;
constexpr int kButtonTop = 6960;
constexpr int kButtonHeight = 315;
constexpr int kOkLeft = 120;
constexpr int kCancelLeft = 1440;
constexpr int kOkWidth = 1215;
constexpr int kHelpLeft = 2760;
constexpr int kHelpWidth = 1095;
constexpr int kDialogHeight = 7420;

// The rows scroll in an area that leaves the frame's border and caption
// free: its inset from the frame's sides and bottom, and the room above the
// first row within it, in pixels.
constexpr int kScrollInset = 2;
constexpr int kRowsPad = 4;
// The title bar and borders a window manager puts around a dialog, when no
// window shown tells their height.
constexpr int kDefaultDecoration = 40;
// Rows the frame keeps in view however low the screen.
constexpr int kLeastRowsInView = 3;

constexpr const char* kFirstEntry = "Номер по порядку (№ п.п)";
constexpr int kModeSavedUnderCallersKey = 3;

int px(int twips)
{
    return core::twipsToPixels(twips);
}

QRect rectOf(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The caption broken at blanks into lines of at most `width` pixels (a word
// longer than that has a line of its own).
QString wrappedCaption(const QString& caption, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

frmUrDial::frmUrDial(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Печатная форма"));
    setModal(true);
    frame_ = new QGroupBox(QStringLiteral("Выберите графы для печати"), this);
    scroll_ = new QScrollArea(frame_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setWidgetResizable(false);
    // The frame shows through: the rows look as if they stood in it.
    scroll_->viewport()->setAutoFillBackground(false);
    rows_ = new QWidget;
    rows_->setAutoFillBackground(false);
    scroll_->setWidget(rows_);

    const char* pageTexts[] = {"<", ">"};
    for (int i = 0; i < 2; ++i) {
        pageButtons_[i] = new QPushButton(QString::fromUtf8(pageTexts[i]), this);
        pageButtons_[i]->setAutoDefault(false);
        connect(pageButtons_[i], &QPushButton::clicked, this, [this, i] { Cmd1_Click(i); });
    }
    const char* markTexts[] = {"--", "+"};
    for (int i = 0; i < 2; ++i) {
        markButtons_[i] = new QPushButton(QString::fromUtf8(markTexts[i]), this);
        markButtons_[i]->setToolTip(QStringLiteral("Отметить все"));
        markButtons_[i]->setAutoDefault(false);
        connect(markButtons_[i], &QPushButton::clicked, this, [this, i] { Mark_Click(i); });
    }
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    cancel_->setAutoDefault(false);
    help_ = new QPushButton(QStringLiteral("Помощь"), this);
    help_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &frmUrDial::OKButton_Click);
    connect(cancel_, &QPushButton::clicked, this, &frmUrDial::CancelButton_Click);
    connect(help_, &QPushButton::clicked, this, &frmUrDial::cmdApply_Click);
    placeButtons();
}

void frmUrDial::univers(const QVariantList& sC, const QString& optt, int nper, const QString& naim, int minus,
                        bool rper, bool kniga)
{
    Q_UNUSED(kniga);
    captions_.clear();
    captions_ << QString::fromUtf8(kFirstEntry);
    const int last = int(sC.size()) - 1 - minus;
    for (int i = 1; i <= last; ++i) {
        if (nper > 0 && i == nper) {
            if (rper)
                captions_ << sC[i].toStringList();
            else
                captions_ << naim;
            continue;
        }
        captions_ << sC[i].toString();
    }
    maskKey_ = optt;
}

void frmUrDial::Form_Load()
{
    core::state().DialogResult = 0;
    qDeleteAll(boxes_);
    boxes_.clear();
    const int count = ChooserCount();
    const QString allTicked(count, QLatin1Char('1'));
    QString mask = settings::getSetting(QString::fromLatin1(settings::kSectionUser), maskKey_, allTicked);
    if (mask.size() < count)
        mask = allTicked;
    for (int k = 0; k < count; ++k) {
        if (captions_[k].isEmpty()) {
            boxes_ << nullptr;
            continue;
        }
        auto* box = new QCheckBox(captions_[k], rows_);
        const QChar ch = mask[k];
        box->setChecked(ch.isDigit() && ch.digitValue() != 0);
        box->setToolTip(captions_[k]);
        boxes_ << box;
    }
    fitCaptions();
    // Tab order follows the entries.
    QWidget* previous = nullptr;
    for (QCheckBox* box : boxes_) {
        if (!box)
            continue;
        if (previous)
            setTabOrder(previous, box);
        previous = box;
    }
    page_ = 0;
    layOutPage();
    const bool paging = count >= 2 * kRowsPerColumn + 1;
    pageButtons_[0]->setEnabled(paging);
    pageButtons_[1]->setEnabled(paging);
    // A dialog higher than the screen gives up height: its rows scroll,
    // and it widens by the scroll bar.
    givenUp_ = heightGivenUp();
    const bool wide = count > 14;
    const int scrollBar = givenUp_ > 0 ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_) : 0;
    resize(px(wide ? kDialogWideWidth : kDialogNarrowWidth) + (wide ? 2 : 1) * extraWidth() + scrollBar,
           px(kDialogHeight) + extraHeight() - givenUp_);
    placeButtons();
}

int frmUrDial::decorationHeight() const
{
    const QWidget* shown = parentWidget() ? parentWidget()->window() : nullptr;
    if (shown && shown->isVisible())
        return std::max(0, shown->frameGeometry().height() - shown->height());
    return kDefaultDecoration;
}

int frmUrDial::heightGivenUp() const
{
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    if (!screen)
        return 0;
    const int room = screen->availableGeometry().height() - decorationHeight();
    const int natural = px(kDialogHeight) + extraHeight();
    if (natural <= room)
        return 0;
    // However low the screen, a few rows stay in view.
    const int rowsHeight = px(kFrameHeight) + extraHeight() - px(kFirstRowTop);
    const int most = std::max(0, rowsHeight - kLeastRowsInView * rowStep_);
    return std::min(natural - room, most);
}

void frmUrDial::fitCaptions()
{
    // The columns widen to the longest caption, up to twice their width (and
    // what the screen allows); a caption longer than that is broken into
    // lines, and the rows grow as high as its lines need.
    int widest = 0;
    for (QCheckBox* box : boxes_)
        if (box)
            widest = std::max(widest, box->sizeHint().width());
    int most = px(2 * kBoxWidth);
    if (const QScreen* screen = this->screen())
        most = std::min(most, (screen->availableGeometry().width() - px(kDialogWideWidth - 2 * kBoxWidth)) / 2);
    columnWidth_ = std::clamp(widest, px(kBoxWidth), std::max(most, px(kBoxWidth)));
    int tallest = px(kBoxHeight);
    for (QCheckBox* box : boxes_) {
        if (!box)
            continue;
        if (box->sizeHint().width() > columnWidth_) {
            const int indicator = box->sizeHint().width() - box->fontMetrics().horizontalAdvance(box->text());
            box->setText(wrappedCaption(box->text(), box->fontMetrics(), columnWidth_ - indicator));
        }
        tallest = std::max(tallest, box->sizeHint().height());
    }
    rowStep_ = std::max(px(kRowStep), tallest + px(kRowStep - kBoxHeight));
    for (QCheckBox* box : boxes_)
        if (box)
            box->resize(columnWidth_, std::max(px(kBoxHeight), box->sizeHint().height()));
}

void frmUrDial::layOutPage()
{
    for (QCheckBox* box : boxes_)
        if (box)
            box->hide();
    const int first = page_ * kRowsPerColumn;
    for (int k = first; k < first + 2 * kRowsPerColumn && k < int(boxes_.size()); ++k) {
        QCheckBox* box = boxes_[k];
        if (!box)
            continue;  // an entry without a check box still takes its row
        const int slot = k - first;
        const int left = slot < kRowsPerColumn ? px(kLeftColumn) : px(kRightColumn) + extraWidth();
        const int row = slot % kRowsPerColumn;
        // Where the frame would show it: the rows' area starts a little
        // above the first row and inside the frame's border.
        box->move(left - kScrollInset, kRowsPad + row * rowStep_);
        box->show();
    }
    scroll_->verticalScrollBar()->setValue(0);
}

void frmUrDial::placeButtons()
{
    const bool wide = ChooserCount() > 14;
    const int scrollBar = givenUp_ > 0 ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll_) : 0;
    const int frameWidth = px(wide ? kFrameWideWidth : kFrameNarrowWidth) + (wide ? 2 : 1) * extraWidth() + scrollBar;
    const int down = extraHeight() - givenUp_;
    const int frameHeight = px(kFrameHeight) + down;
    frame_->setGeometry(px(kFrameLeft), px(kFrameTop), frameWidth, frameHeight);
    const int scrollTop = px(kFirstRowTop) - kRowsPad;
    scroll_->setGeometry(kScrollInset, scrollTop, frameWidth - 2 * kScrollInset,
                         std::max(0, frameHeight - scrollTop - kScrollInset));
    rows_->resize(frameWidth - 2 * kScrollInset - scrollBar,
                  kRowsPad + kRowsPerColumn * std::max(rowStep_, px(kRowStep)));
    const auto below = [down](int left, int top, int width, int height) {
        return rectOf(left, top, width, height).translated(0, down);
    };
    pageButtons_[0]->setGeometry(below(kPrevLeft, kSmallButtonTop, kSmallButton, kSmallButton));
    markButtons_[1]->setGeometry(below(kTickAllLeft, kSmallButtonTop, kSmallButton, kSmallButton));
    markButtons_[0]->setGeometry(below(kUntickAllLeft, kSmallButtonTop, kSmallButton, kSmallButton));
    // ">" ends where the frame ends.
    pageButtons_[1]->setGeometry(px(kFrameLeft) + frameWidth - px(kSmallButton), px(kSmallButtonTop) + down,
                                 px(kSmallButton), px(kSmallButton));
    ok_->setGeometry(below(kOkLeft, kButtonTop, kOkWidth, kButtonHeight));
    cancel_->setGeometry(below(kCancelLeft, kButtonTop, kOkWidth, kButtonHeight));
    help_->setGeometry(below(kHelpLeft, kButtonTop, kHelpWidth, kButtonHeight));
}

int frmUrDial::extraWidth() const
{
    return columnWidth_ > 0 ? columnWidth_ - px(kBoxWidth) : 0;
}

int frmUrDial::extraHeight() const
{
    return rowStep_ > 0 ? kRowsPerColumn * (rowStep_ - px(kRowStep)) : 0;
}

void frmUrDial::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeButtons();
}

void frmUrDial::Cmd1_Click(int index)
{
    const int lastPage = std::max(0, (ChooserCount() - 1) / kRowsPerColumn - 1);
    if (index == 0)
        page_ = std::max(0, page_ - 1);
    else if (index == 1)
        page_ = std::min(lastPage, page_ + 1);
    layOutPage();
}

void frmUrDial::Mark_Click(int index)
{
    for (QCheckBox* box : boxes_)
        if (box)
            box->setChecked(index == 1);
}

void frmUrDial::OKButton_Click()
{
    QString mask;
    for (QCheckBox* box : boxes_)
        if (box)
            mask += box->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    auto& s = core::state();
    const QString key = s.ColumnChooserMode >= kModeSavedUnderCallersKey
        ? maskKey_
        : QStringLiteral("Opt") + QString::number(s.ColumnChooserMode);
    settings::saveSetting(QString::fromLatin1(settings::kSectionUser), key, mask);
    s.PrintColumnMask = mask;
    s.DialogResult = -1;
    accept();
}

void frmUrDial::CancelButton_Click()
{
    core::state().DialogResult = 0;
    reject();
}

void frmUrDial::closeEvent(QCloseEvent* event)
{
    // Closed by its title bar: not confirmed.
    if (result() != QDialog::Accepted)
        core::state().DialogResult = 0;
    QDialog::closeEvent(event);
}

void frmUrDial::cmdApply_Click()
{
    if (core::shellServices().openUserManual)
        core::shellServices().openUserManual();
}

QCheckBox* frmUrDial::Ch1(int k) const
{
    return k >= 0 && k < boxes_.size() ? boxes_[k] : nullptr;
}

QPushButton* frmUrDial::Cmd1(int index) const
{
    return index == 0 || index == 1 ? pageButtons_[index] : nullptr;
}

QPushButton* frmUrDial::MarkButton(int index) const
{
    return index == 0 || index == 1 ? markButtons_[index] : nullptr;
}

bool showColumnChooser(const QVariantList& sC, const QString& optt, int nper, const QString& naim, int minus,
                       bool rper, bool kniga)
{
    auto& s = core::state();
    s.ColumnChooserMode = kModeSavedUnderCallersKey;
    frmUrDial dialog(QApplication::activeWindow());
    dialog.univers(sC, optt, nper, naim, minus, rper, kniga);
    dialog.Form_Load();
    ui::execDialog(&dialog);
    return s.DialogResult == -1;
}

QString listMaskKey(int kind)
{
    return QStringLiteral("Spr") + QString::number(kind);
}

} // namespace printing
