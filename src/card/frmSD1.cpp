#include "card/frmSD1.h"

#include "card/CardClipboard.h"
#include "card/CardInputs.h"
#include "card/CardSaving.h"
#include "card/NameForms.h"
#include "card/Numbering.h"
#include "card/SpecialtyDetails.h"
#include "card/TemplateChoice.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/ComboTypeAhead.h"
#include "core/DataAccess.h"
#include "core/DateEdit.h"
#include "core/DirectoryMetadata.h"
#include "core/ListCodes.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <utility>

static void initCardResources()
{
    Q_INIT_RESOURCE(card_icons);
}

namespace card {

namespace {

// Fixed lists whose value 0 (or a negative value) is a real choice: their
// stored value is shown whatever it is, a Null counting as 0.
bool listShowsEveryValue(int listCode)
{
    return listCode == 14 || listCode == 16 || listCode == 150;
}

// Marks that grade kinds are built on; their card locks the mark.
bool isBaseMark(const QString& mark)
{
    static const QStringList marks{QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("3"),
                                   QStringLiteral("+"), QStringLiteral("x"), QStringLiteral("х")};
    return marks.contains(mark);
}


constexpr const char* kDocumentHint = " (нажмите кнопку Документ ПК):";

// Twips to pixels across: a little wider than the classic 15 twips a pixel,
// because the labels' font runs wider than the one the grid was drawn for.
constexpr double kTwipsPerPixel = 13.0;
constexpr double kNarrowestTwipsPerPixel = 15.0;

} // namespace

frmSD1::frmSD1(QWidget* parent) : QDialog(parent)
{
    initCardResources();
    setObjectName(QStringLiteral("frmSD1"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Form_Load();
}

frmSD1::~frmSD1()
{
    core::CloseRecordset(rowRecordset_);
}

// ---------------------------------------------------------------------------
// Loading

void frmSD1::Form_Load()
{
    core::AppState& s = core::state();
    isLoading_ = true;
    s.DialogResult = 0;
    cardKind_ = s.CurrentKind;
    isChanged_ = s.CurrentRowId <= 0 || s.RowIsCopy;
    fields_ = fieldTable(cardKind_, s.CurrentDocKind, s.OfficeIsOOo);
    grid_ = cardGrid(cardKind_);
    retraining_ = cardKind_ == core::Students && s.CurrentDocKind == core::RetrainingDocuments;
    if (fields_.empty()) {
        loaded_ = false;
        isLoading_ = false;
        return;
    }

    // The row.
    rowSql_ = QStringLiteral("SELECT * FROM %1 WHERE %1.%2 = ?").arg(tableName(), keyField());
    if (s.CurrentRowId > 0) {
        try {
            rowRecordset_ = core::db().openRecordset(rowSql_, jet::dbOpenDynaset, {qlonglong(s.CurrentRowId)});
        } catch (const jet::Error&) {
            rowRecordset_.reset();
        }
        if (!rowRecordset_ || rowRecordset_->isEOF()) {
            ui::msgBox(QStringLiteral("Не найдена ") +
                           (s.RowIsCopy ? QStringLiteral("копируемая") : QStringLiteral("редактируемая")) +
                           QStringLiteral(" запись. Обновите окно (F5), выделите другую строку."),
                       ui::Exclamation);
            core::CloseRecordset(rowRecordset_);
            loaded_ = false;
            isLoading_ = false;
            return;
        }
        rowLoaded_ = true;
    }

    buildToolbar();
    buildLines();
    layoutCard();
    kindSpecificSteps();
    // A chosen entry longer than its list box shows its beginning, not its end.
    for (const Line& L : lines_) {
        for (QComboBox* combo : {L.cm1, L.cm2})
            if (combo && combo->lineEdit())
                combo->lineEdit()->setCursorPosition(0);
    }
    setCaption();
    isLoading_ = false;
}

QString frmSD1::tableName() const
{
    return core::TableNames(cardKind_);
}

QString frmSD1::keyField() const
{
    return cardKind_ == core::Grades ? core::OwnKeyFields(core::Grades) : core::KeyFields(cardKind_);
}

long frmSD1::excludedKey() const
{
    const core::AppState& s = core::state();
    return (s.CurrentRowId <= 0 || s.RowIsCopy) ? 0 : s.CurrentRowId;
}

void frmSD1::buildToolbar()
{
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setIconSize(QSize(20, 20));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    struct Button {
        const char* key;
        const char* tip;
        const char* icon;
    };
    static const Button buttons[] = {
        {"Copy", "Копировать (Ctrl+C)", "copy"},
        {"Paste", "Вставить (Ctrl+V)", "paste"},
        {"Undo", "Отменить (Ctrl+Z)", "undo"},
        {nullptr, nullptr, nullptr},
        {"keySim", "Вставить кавычки", "quotes"},
        {nullptr, nullptr, nullptr},
        {"Help", "Руководство пользователя (F1)", "manual"},
        {nullptr, nullptr, nullptr},
        {"Save", "Сохранить и закрыть (Ctrl+S)", "save"},
    };
    for (const Button& b : buttons) {
        if (b.key == nullptr) {
            toolbar_->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction* action = toolbar_->addAction(QIcon(QStringLiteral(":/card/icons/%1.svg").arg(QLatin1String(b.icon))),
                                              QString::fromUtf8(b.tip));
        action->setObjectName(key);
        action->setToolTip(QString::fromUtf8(b.tip));
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
    // The toolbar's buttons never take the focus from the line they act on.
    for (QWidget* w : toolbar_->findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
}

QAction* frmSD1::toolbarAction(const QString& key) const
{
    for (QAction* a : toolbar_->actions())
        if (a->objectName() == key)
            return a;
    return nullptr;
}

void frmSD1::buildLines()
{
    frame_ = new QFrame(this);
    frame_->setObjectName(QStringLiteral("lineFrame"));
    lines_.assign(fields_.size(), Line{});
    for (int i = 0; i < lineCount(); ++i) {
        createInput(i);
        connectInput(i);
    }
    // Values after every control exists: a value's change events may look
    // at other lines.
    for (int i = 0; i < lineCount(); ++i) {
        loadValue(i);
        if (cardKind_ == core::Institution)
            loadInstitutionSpecials(i);
        if (i == core::NameFieldIndexes(cardKind_)) {
            const Line& L = lines_[size_t(i)];
            nameText_ = L.cm1 ? L.cm1->currentText() : lineText(i);
        }
    }

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("Ok"));
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    help_ = new QPushButton(QStringLiteral("Помощь"), this);
    help_->setObjectName(QStringLiteral("Комманда2"));
    fill_ = new QPushButton(QStringLiteral("Заполнить"), this);
    fill_->setObjectName(QStringLiteral("Command1"));
    fill_->hide();
    docPk_ = new QPushButton(QStringLiteral("Документ ПК"), this);
    docPk_->setObjectName(QStringLiteral("dokPK"));
    docPk_->hide();
    for (QPushButton* b : {ok_, cancel_, help_, fill_, docPk_}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    connect(ok_, &QPushButton::clicked, this, [this] { Ok_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { Cancel_Click(); });
    connect(help_, &QPushButton::clicked, this, [this] { Комманда2_Click(); });
    connect(fill_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(docPk_, &QPushButton::clicked, this, [this] { dokPK_Click(); });

    // Tab order: the lines' inputs in table order, then the four buttons.
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* w) {
        if (!w)
            return;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    };
    for (const Line& L : lines_) {
        if (L.dt1) {
            chain(L.dt1->box());
            chain(L.dt1->editor());
        } else if (L.label != L.input) {
            chain(L.input);
        }
    }
    for (QPushButton* b : {ok_, cancel_, help_, fill_, docPk_})
        chain(b);
}

void frmSD1::createInput(int i)
{
    const CardField& f = field(i);
    Line& L = lines_[size_t(i)];
    switch (f.controlKind) {
    case Text:
    case TemplateFile: {
        L.text1 = new QLineEdit(frame_);
        L.text1->setObjectName(QStringLiteral("Text1"));
        if (f.lengthOrList > 0)
            L.text1->setMaxLength(f.lengthOrList);
        L.input = L.text1;
        if (f.controlKind == TemplateFile) {
            L.cmd = new QPushButton(QStringLiteral("Обзор..."), frame_);
            L.cmd->setObjectName(QStringLiteral("Cmd"));
            L.cmd->setFocusPolicy(Qt::NoFocus);
            L.cmd->setAutoDefault(false);
            core::setControlArrayIndex(L.cmd, i);
            connect(L.cmd, &QPushButton::clicked, this, [this, i] { Cmd_Click(i); });
        }
        break;
    }
    case List: {
        L.cm1 = new QComboBox(frame_);
        L.cm1->setObjectName(QStringLiteral("Cm1"));
        core::prepareTypeAheadCombo(L.cm1);
        core::FillCombo(L.cm1, f.lengthOrList, false, cardKind_ == core::Grades ? core::state().CurrentGroupId : 0);
        L.cm1->setCurrentIndex(-1);
        L.input = L.cm1;
        break;
    }
    case Hours: {
        L.cm2 = new QComboBox(frame_);
        L.cm2->setObjectName(QStringLiteral("Cm2"));
        L.cm2->setEditable(true);
        L.cm2->setInsertPolicy(QComboBox::NoInsert);
        L.cm2->setCompleter(nullptr);
        core::FillCombo(L.cm2, f.lengthOrList, false, 0);
        L.cm2->setCurrentIndex(-1);
        L.cm2->setEditText(QString());
        L.input = L.cm2;
        break;
    }
    case Check: {
        L.ch1 = new QCheckBox(frame_);
        L.ch1->setObjectName(QStringLiteral("Ch1"));
        L.tag = QStringLiteral("0");
        L.input = L.ch1;
        break;
    }
    case Date: {
        L.dt1 = new DateLine(frame_);
        L.dt1->setObjectName(QStringLiteral("DT1"));
        L.input = L.dt1;
        break;
    }
    case Memo: {
        L.text2 = new QPlainTextEdit(frame_);
        L.text2->setObjectName(QStringLiteral("Text2"));
        L.text2->setTabChangesFocus(true);
        L.input = L.text2;
        break;
    }
    case Year: {
        L.text3 = new QLineEdit(frame_);
        L.text3->setObjectName(QStringLiteral("Text3"));
        if (f.lengthOrList > 0)
            L.text3->setMaxLength(f.lengthOrList);
        L.upDown = new UpDown(L.text3, 1950, 2100, 2000, frame_);
        L.upDown->setObjectName(QStringLiteral("UpDn1"));
        L.input = L.text3;
        break;
    }
    default:
        break;
    }

    L.label = new QLabel(f.Caption(), frame_);
    L.label->setObjectName(QStringLiteral("Label1"));
    L.label->setWordWrap(true);
    if (f.controlKind == Header) {
        QFont bold = L.label->font();
        bold.setBold(true);
        L.label->setFont(bold);
        L.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        L.input = L.label;
    } else if (f.controlKind == Memo) {
        L.label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    } else {
        L.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    core::setControlArrayIndex(L.label, i);
    if (L.input && L.input != L.label) {
        core::setControlArrayIndex(L.input, i);
        L.label->setBuddy(L.dt1 ? static_cast<QWidget*>(L.dt1->editor()) : L.input);
    }
}

void frmSD1::connectInput(int i)
{
    Line& L = lines_[size_t(i)];
    if (L.text1) {
        connect(L.text1, &QLineEdit::textChanged, this, [this, i] { Text1_Change(i); });
        L.text1->installEventFilter(this);
    }
    if (L.text2) {
        connect(L.text2, &QPlainTextEdit::textChanged, this, [this, i] { TextOther_Change(i); });
        L.text2->installEventFilter(this);
    }
    if (L.text3) {
        connect(L.text3, &QLineEdit::textChanged, this, [this, i] { TextOther_Change(i); });
        L.text3->installEventFilter(this);
    }
    if (L.cm1) {
        connect(L.cm1->lineEdit(), &QLineEdit::textEdited, this, [this, i] { Cm1_Change(i); });
        connect(L.cm1, &QComboBox::currentIndexChanged, this, [this, i](int index) { Cm1_Click(i, index); });
        L.cm1->installEventFilter(this);
    }
    if (L.cm2) {
        connect(L.cm2->lineEdit(), &QLineEdit::textEdited, this, [this] {
            if (!isLoading_)
                MarkChanged();
        });
        connect(L.cm2, &QComboBox::editTextChanged, this, [this, i] { Cm2_Change(i); });
        L.cm2->installEventFilter(this);
    }
    if (L.ch1) {
        connect(L.ch1, &QCheckBox::stateChanged, this, [this, i] { Ch1_Click(i); });
        L.ch1->installEventFilter(this);
    }
    if (L.dt1) {
        connect(L.dt1, &DateLine::changed, this, [this, i] { DT1_Change(i); });
        core::setControlArrayIndex(L.dt1->box(), i);
        core::setControlArrayIndex(L.dt1->editor(), i);
        L.dt1->box()->installEventFilter(this);
        L.dt1->editor()->installEventFilter(this);
    }
}

bool frmSD1::selectListValue(int i, qlonglong value)
{
    QComboBox* combo = lines_[size_t(i)].cm1;
    if (!combo)
        return false;
    for (int k = 0; k < combo->count(); ++k) {
        if (combo->itemData(k).toLongLong() == value) {
            combo->setCurrentIndex(k);
            lines_[size_t(i)].tag = QString::number(k);
            return true;
        }
    }
    return false;
}

void frmSD1::loadValue(int i)
{
    const CardField& f = field(i);
    Line& L = lines_[size_t(i)];
    const core::AppState& s = core::state();

    // A new plan line (and a copy, until its own row replaces the choice)
    // starts in the group of the directory window.
    if (cardKind_ == core::StudyPlan && i == 0 && (s.CurrentRowId <= 0 || s.RowIsCopy))
        selectListValue(i, s.CurrentGroupId);

    if (!rowLoaded_)
        return;
    QVariant v;
    if (f.hasField()) {
        try {
            v = rowRecordset_->value(f.FieldName());
        } catch (const jet::Error&) {
            return;  // a column the row lacks shows nothing
        }
    }

    switch (f.controlKind) {
    case Text:
    case TemplateFile:
        if (!f.hasField())
            break;
        if (jet::toText(v).size() > L.text1->maxLength())
            L.text1->setMaxLength(int(jet::toText(v).size()));  // never cut a stored value
        L.text1->setText(jet::toText(v));
        L.tag = L.text1->text();
        break;
    case Memo:
        L.text2->setPlainText(jet::toText(v));
        L.tag = L.text2->toPlainText();
        break;
    case Year:
        L.text3->setText(jet::toText(v));
        L.tag = L.text3->text();
        break;
    case Hours:
        L.tag = jet::toText(v);
        L.cm2->setEditText(L.tag);
        break;
    case List: {
        L.tag = QStringLiteral("-1");
        const qlonglong n = jet::toLong(v);
        if (n > 0 || listShowsEveryValue(f.lengthOrList)) {
            if (!selectListValue(i, n))
                L.cm1->setCurrentIndex(-1);
        } else {
            L.cm1->setCurrentIndex(-1);
        }
        break;
    }
    case Check: {
        bool on = jet::toLong(v) != 0;
        if (cardKind_ == core::Groups && !f.hasField())
            on = !jet::isNull(rowRecordset_->value(QStringLiteral("date_S")));
        L.ch1->setChecked(on);
        L.tag = on ? QStringLiteral("1") : QStringLiteral("0");
        break;
    }
    case Date:
        L.dt1->setValue(v);
        L.tag = L.dt1->text();
        break;
    default:
        break;
    }
}

void frmSD1::loadInstitutionSpecials(int i)
{
    Line& L = lines_[size_t(i)];
    if (!L.text1)
        return;
    const QString caption = field(i).Caption();
    if (caption == QString::fromUtf8(captions::kServer)) {
        L.text1->setMaxLength(32767);
        L.text1->setText(QString::fromLatin1(kUpdateServiceAddress));
        L.tag = L.text1->text();
        L.text1->setReadOnly(true);
    } else if (caption == QString::fromUtf8(captions::kLogin)) {
        L.text1->setText(settings::getSetting(QString::fromLatin1(settings::kSectionSettings), caption));
        L.tag = L.text1->text();
    } else if (caption == QString::fromUtf8(captions::kPassword)) {
        const QString stored = settings::getSetting(QString::fromLatin1(settings::kSectionSettings), caption);
        const auto& decrypt = core::shellServices().decryptString;
        L.text1->setText(stored.isEmpty() || !decrypt ? QString() : decrypt(stored));
        L.tag = L.text1->text();
        L.text1->setEchoMode(QLineEdit::Password);
    } else if (caption == QString::fromUtf8(captions::kTimeout)) {
        QString text = QStringLiteral("150");
        if (rowLoaded_) {
            try {
                const QVariant v = rowRecordset_->value(field(i).FieldName());
                if (!jet::isNull(v))
                    text = jet::toText(v);
            } catch (const jet::Error&) {
                // keeps 150
            }
        }
        L.text1->setText(text);
        L.tag = text;
    }
}

void frmSD1::layoutCard()
{
    const int n = lineCount();

    // The grid: line i sits in column col[i], rows row[i] .. row[i] + span[i] - 1.
    std::vector<int> col(static_cast<size_t>(n)), row(static_cast<size_t>(n)), span(static_cast<size_t>(n));
    int r = -1, c = 0, lastRow = 0;
    for (int i = 0; i < n; ++i) {
        const CardField& f = field(i);
        if (r > grid_.rowLimit) {
            lastRow = r;
            r = -1;
            ++c;
        }
        ++r;
        col[size_t(i)] = c;
        row[size_t(i)] = r;
        span[size_t(i)] = f.controlKind == Memo ? std::max(1, f.widthUnits) : 1;
        if (f.controlKind == Memo)
            r += std::max(1, f.widthUnits) - 1;
    }
    if (lastRow == 0)
        lastRow = r;
    int rowCount = lastRow + 1;
    for (int i = 0; i < n; ++i)
        rowCount = std::max(rowCount, row[size_t(i)] + span[size_t(i)]);

    // Scale: twips to pixels across; rows as high as the inputs need.
    const int columns = c + 1;
    const double cardTwips = 2.0 * grid_.widthUnit + grid_.labelColumnWidth + 240 + grid_.columnStep * (columns - 1);
    double twipsPerPixel = kTwipsPerPixel;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double available = screen->availableGeometry().width() - 40;
        if (available > 0 && cardTwips / twipsPerPixel > available)
            twipsPerPixel = std::min(kNarrowestTwipsPerPixel, cardTwips / available);
    }
    const auto px = [twipsPerPixel](double twips) { return int(std::lround(twips / twipsPerPixel)); };

    int inputHeight = 0;
    {
        QLineEdit e;
        QComboBox cb;
        cb.setEditable(true);
        QDateEdit d;
        inputHeight = std::max({e.sizeHint().height(), cb.sizeHint().height(), d.sizeHint().height()});
    }
    const int pitch = std::max(int(std::lround(grid_.rowPitch / 15.0)), inputHeight + 4);
    const int inset = (pitch - inputHeight) / 2;
    const int labelWidth = px(grid_.labelColumnWidth - 225);
    // A heading runs across its line, short of the next column.
    const int headerWidth = px(std::min(2 * grid_.widthUnit + grid_.labelColumnWidth, grid_.columnStep - 240));

    // Rows grow where a caption needs more lines than its row (or its memo)
    // offers, so that no caption is cut.
    std::vector<int> extra(size_t(rowCount), 0);
    for (int i = 0; i < n; ++i) {
        const CardField& f = field(i);
        QLabel* label = lines_[size_t(i)].label;
        const int width = f.controlKind == Header ? headerWidth : labelWidth;
        const int needed =
            QFontMetrics(label->font()).boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, f.Caption()).height() +
            2;
        const int s = span[size_t(i)];
        const int available = f.controlKind == Memo ? (s - 1) * pitch + inputHeight : pitch;
        if (needed > available) {
            int& e = extra[size_t(row[size_t(i)] + s - 1)];
            e = std::max(e, needed - available);
        }
    }
    const int topPad = int(std::lround(pitch * double(grid_.firstRowTop) / grid_.rowPitch)) - inset;
    std::vector<int> rowTop(size_t(rowCount) + 1);
    rowTop[0] = topPad;
    for (int k = 0; k < rowCount; ++k)
        rowTop[size_t(k) + 1] = rowTop[size_t(k)] + pitch + extra[size_t(k)];
    const auto rowHeight = [&](int k) { return pitch + extra[size_t(k)]; };

    for (int i = 0; i < n; ++i) {
        const CardField& f = field(i);
        Line& L = lines_[size_t(i)];
        const int ci = col[size_t(i)], ri = row[size_t(i)];
        const int x = px(double(ci) * grid_.columnStep + grid_.labelColumnWidth);
        const int top = rowTop[size_t(ri)];
        const int height = rowHeight(ri);
        const int w = px(double(f.widthUnits) * grid_.widthUnit);
        const int inputTop = top + (height - inputHeight) / 2;
        switch (f.controlKind) {
        case Text:
            L.text1->setGeometry(x, inputTop, w, inputHeight);
            break;
        case TemplateFile: {
            const int bw = std::max(px(975), L.cmd->sizeHint().width());
            L.text1->setGeometry(x, inputTop, std::max(20, w - bw), inputHeight);
            L.cmd->setGeometry(x + std::max(20, w - bw), inputTop, bw, inputHeight);
            break;
        }
        case List:
            L.cm1->setGeometry(x, inputTop, w, inputHeight);
            break;
        case Hours:
            L.cm2->setGeometry(x, inputTop, w, inputHeight);
            break;
        case Check: {
            const QSize hint = L.ch1->sizeHint();
            L.ch1->setGeometry(x, top + (height - hint.height()) / 2, hint.width(), hint.height());
            break;
        }
        case Date:
            L.dt1->setGeometry(x, inputTop, w, inputHeight);
            break;
        case Memo: {
            const int last = ri + span[size_t(i)] - 1;
            const int memoTop = top + inset;
            const int memoBottom = rowTop[size_t(last)] + rowHeight(last) - inset;
            L.text2->setGeometry(x, memoTop, px(2.0 * grid_.widthUnit), memoBottom - memoTop);
            break;
        }
        case Year: {
            const int uw = std::max(px(255), 16);
            L.text3->setGeometry(x, inputTop, std::max(20, w - uw), inputHeight);
            L.upDown->setGeometry(x + std::max(20, w - uw), inputTop, uw, inputHeight);
            break;
        }
        default:
            break;
        }

        const int labelLeft = px(double(ci) * grid_.columnStep + 120);
        if (f.controlKind == Memo) {
            const QRect memo = L.text2->geometry();
            L.label->setGeometry(labelLeft, memo.top() + 2, labelWidth, memo.height() - 2);
        } else if (f.controlKind == Header) {
            L.label->setGeometry(labelLeft, top, headerWidth, height);
        } else {
            L.label->setGeometry(labelLeft, top, labelWidth, height);
        }
    }

    // The frame, the buttons below it and the window around both.
    const int frameWidth = px(cardTwips);
    const int frameHeight = rowTop[size_t(rowCount)] + px(100);
    const int toolbarHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, 0, frameWidth + 6, toolbarHeight);
    frame_->setGeometry(0, toolbarHeight, frameWidth + 6, frameHeight);

    const int buttonTop = toolbarHeight + frameHeight + 6;
    int buttonHeight = 0;
    const int lefts[] = {50, 1370, 2690, 3960};
    QPushButton* row1[] = {ok_, cancel_, help_, fill_};
    for (int k = 0; k < 4; ++k) {
        const QSize hint = row1[k]->sizeHint();
        buttonHeight = std::max(buttonHeight, hint.height());
        row1[k]->setGeometry(px(lefts[k]), buttonTop, std::max(px(1215), hint.width()), hint.height());
    }
    // "Документ ПК" stands in the button row, right of the last line's input.
    if (n > 0) {
        const int x = px(double(col[size_t(n - 1)]) * grid_.columnStep + grid_.labelColumnWidth) + px(1265);
        const QSize hint = docPk_->sizeHint();
        docPk_->setGeometry(x, buttonTop, std::max(px(1215), hint.width()), hint.height());
    }
    const int windowWidth = retraining_ ? std::max(frameWidth + 6, docPk_->geometry().right() + 10) : frameWidth + 6;
    setFixedSize(windowWidth, buttonTop + buttonHeight + 10);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void frmSD1::kindSpecificSteps()
{
    const core::AppState& s = core::state();
    const bool isNew = s.CurrentRowId <= 0;

    fill_->setVisible(cardKind_ == core::Students);

    if (cardKind_ == core::Grades && isNew && lineCount() > 0)
        selectListValue(0, s.CurrentStudentId);

    if (cardKind_ == core::GradeKinds && !isNew && !s.RowIsCopy && lines_[0].text1) {
        const QString mark = jet::toText(core::LookupFieldValue(QStringLiteral("SELECT OCEN FROM SPBALL WHERE IDB = ?"),
                                                                QStringLiteral("OCEN"), {qlonglong(s.CurrentRowId)}));
        if (isBaseMark(mark))
            lines_[0].text1->setReadOnly(true);
    }

    if (cardKind_ == core::Students && isNew) {
        // The group chosen in the directory window's filter, found by its key
        // (its position there may differ from the one in this list).
        if (s.CurrentGroupIndex >= 0 && s.CurrentGroupId > 0)
            selectListValue(0, s.CurrentGroupId);
        Med_Click();
    }

    // The period's dates are open only while the period is ticked.
    if (cardKind_ == core::Groups) {
        for (int k : {21, 22})
            if (DateLine* d = DT1(k))
                d->setEnabled(isChecked(20));
    }

    if (cardKind_ == core::Students && retraining_) {
        docPk_->show();
        const int line = lineOf(QString::fromUtf8(captions::kDocumentNumber));
        if (line >= 0)
            documentNumberRule(line);
    }
}

void frmSD1::setCaption()
{
    const core::AppState& s = core::state();
    QString caption = core::SingularNames(cardKind_) + QStringLiteral(": ");
    if (s.CurrentRowId <= 0 || s.RowIsCopy) {
        caption += QStringLiteral("Новый");
    } else {
        QString name = nameText_;
        name.replace(QLatin1String("\r\n"), QLatin1String(" "));
        name.replace(QLatin1Char('\n'), QLatin1Char(' '));
        name.replace(QLatin1Char('\r'), QLatin1Char(' '));
        caption += name.size() > 40 ? name.left(40) + QStringLiteral("...") : name;
    }
    setWindowTitle(caption);
}

// ---------------------------------------------------------------------------
// Lines

QWidget* frmSD1::Элемент(int i) const
{
    if (i < 0 || i >= lineCount())
        return nullptr;
    const Line& L = lines_[size_t(i)];
    switch (field(i).controlKind) {
    case Text:
    case TemplateFile: return L.text1;
    case List: return L.cm1;
    case Check: return L.ch1;
    case Date:
    case 6: return L.dt1;
    case Memo: return L.text2;
    case Hours: return L.cm2;
    case Year: return L.text3;
    case Header: return L.label;
    default: return nullptr;
    }
}

int frmSD1::lineOf(const QString& caption) const
{
    const QString wanted = caption.toUpper();
    for (int i = 0; i < lineCount(); ++i)
        if (field(i).Caption().toUpper() == wanted)
            return i;
    return -1;
}

QLineEdit* frmSD1::Text1(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].text1 : nullptr; }
QComboBox* frmSD1::Cm1(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].cm1 : nullptr; }
QComboBox* frmSD1::Cm2(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].cm2 : nullptr; }
QCheckBox* frmSD1::Ch1(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].ch1 : nullptr; }
DateLine* frmSD1::DT1(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].dt1 : nullptr; }
QPlainTextEdit* frmSD1::Text2(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].text2 : nullptr; }
QLineEdit* frmSD1::Text3(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].text3 : nullptr; }
QPushButton* frmSD1::Cmd(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].cmd : nullptr; }
QLabel* frmSD1::Label1(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].label : nullptr; }
QString frmSD1::Tag(int i) const { return i >= 0 && i < lineCount() ? lines_[size_t(i)].tag : QString(); }

QString frmSD1::lineText(int i) const
{
    if (i < 0 || i >= lineCount())
        return {};
    const Line& L = lines_[size_t(i)];
    if (L.text1)
        return L.text1->text();
    if (L.text2)
        return L.text2->toPlainText();
    if (L.text3)
        return L.text3->text();
    if (L.cm1)
        return L.cm1->currentText();
    if (L.cm2)
        return L.cm2->currentText();
    return {};
}

void frmSD1::setLineText(int i, const QString& text)
{
    if (i < 0 || i >= lineCount())
        return;
    Line& L = lines_[size_t(i)];
    if (L.text1)
        L.text1->setText(text);
    else if (L.text2)
        L.text2->setPlainText(text);
    else if (L.text3)
        L.text3->setText(text);
    else if (L.cm2)
        L.cm2->setEditText(text);
    else if (L.cm1) {
        L.cm1->setEditText(text);
        Cm1_Change(i);
    }
}

int frmSD1::listIndex(int i) const
{
    const QComboBox* combo = Cm1(i);
    return combo ? core::comboListIndex(combo) : -1;
}

qlonglong frmSD1::listValue(int i) const
{
    const int index = listIndex(i);
    return index >= 0 ? Cm1(i)->itemData(index).toLongLong() : 0;
}

bool frmSD1::isChecked(int i) const
{
    const QCheckBox* box = Ch1(i);
    return box && box->checkState() != Qt::Unchecked;
}

bool frmSD1::lineEnabled(int i) const
{
    const QWidget* w = Элемент(i);
    return w && w->isEnabled();
}

void frmSD1::focusLine(int i)
{
    QWidget* w = Элемент(i);
    if (!w || w == Label1(i) || !w->isEnabled())
        return;
    w->setFocus(Qt::OtherFocusReason);
}

int frmSD1::lineOfWidget(const QObject* object) const
{
    for (const QObject* o = object; o && o != this; o = o->parent()) {
        if (const auto* w = qobject_cast<const QWidget*>(o)) {
            const int index = core::controlArrayIndex(w);
            if (index >= 0 && index < lineCount() && w != lines_[size_t(index)].label && w != lines_[size_t(index)].cmd)
                return index;
        }
    }
    return -1;
}

int frmSD1::focusedLine() const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != this)
        return -1;
    return lineOfWidget(focus);
}

// ---------------------------------------------------------------------------
// Editing

void frmSD1::MarkChanged()
{
    if (!windowTitle().contains(QLatin1Char('*')) || !isChanged_) {
        setWindowTitle(windowTitle() + QStringLiteral(" *"));
        isChanged_ = true;
    }
}

void frmSD1::FocusNextField(int i)
{
    const int n = lineCount();
    int j = i + 1;
    if (j < n && (field(j).controlKind == Header || Элемент(j) == nullptr))
        ++j;
    if (j > n - 1) {
        ok_->setFocus(Qt::TabFocusReason);
        return;
    }
    QWidget* w = Элемент(j);
    if (!w || field(j).controlKind == Header || !w->isEnabled())
        return;
    w->setFocus(Qt::TabFocusReason);
}

void frmSD1::Text1_Change(int i)
{
    if (cardKind_ == core::Students && field(i).Caption() == QString::fromUtf8(captions::kDocumentNumber))
        documentNumberRule(i);
    if (isLoading_)
        return;
    if (lines_[size_t(i)].text1->text() != lines_[size_t(i)].tag)
        MarkChanged();
}

void frmSD1::documentNumberRule(int i)
{
    QLineEdit* box = lines_[size_t(i)].text1;
    if (!box)
        return;
    if (trimBlanks(box->text()).isEmpty()) {
        // The heading above says where the number comes from, once.
        if (i > 0 && !documentHintShown_) {
            QLabel* heading = lines_[size_t(i - 1)].label;
            heading->setText(heading->text() + QString::fromUtf8(kDocumentHint));
            documentHintShown_ = true;
        }
        box->setEnabled(false);
    } else {
        box->setEnabled(true);
    }
}

void frmSD1::TextOther_Change(int i)
{
    if (isLoading_)
        return;
    if (lineText(i) != lines_[size_t(i)].tag)
        MarkChanged();
}

void frmSD1::Cm1_Change(int i)
{
    if (isLoading_)
        return;
    MarkChanged();
    core::ComboTypeAheadChange(lines_[size_t(i)].cm1);
}

void frmSD1::Cm1_Click(int i, int index)
{
    if (isLoading_)
        return;
    if (index != lines_[size_t(i)].tag.toInt())
        MarkChanged();
    if (cardKind_ == core::Groups && index >= 0 && i == lineOf(QString::fromUtf8(captions::kSpecialty)))
        FillSpecialtyDetails(*this);
}

void frmSD1::Cm2_Change(int i)
{
    if (isLoading_)
        return;
    if (lines_[size_t(i)].cm2->currentText() != lines_[size_t(i)].tag)
        MarkChanged();
}

void frmSD1::Ch1_Click(int i)
{
    if (isLoading_)
        return;
    const int state = isChecked(i) ? 1 : 0;
    if (state != lines_[size_t(i)].tag.toInt())
        MarkChanged();
    if (cardKind_ == core::Groups && i == 20) {
        for (int k : {21, 22})
            if (DateLine* d = DT1(k))
                d->setEnabled(state != 0);
    }
}

void frmSD1::DT1_Change(int i)
{
    if (isLoading_)
        return;
    if (lines_[size_t(i)].dt1->text() != lines_[size_t(i)].tag)
        MarkChanged();
}

void frmSD1::Text1_GotFocus(int i)
{
    fillDativeOnFocus(*this, i);
    if (QLineEdit* box = Text1(i))
        box->selectAll();
}

bool frmSD1::commitTypeAhead(int i, bool later)
{
    QComboBox* combo = Cm1(i);
    if (!combo)
        return true;
    const QString typed = combo->currentText();
    core::ComboTypeAheadLostFocus(combo);
    // The type-ahead lets only an entry of the list stand: a text typed
    // that is none has just been cleared.
    if (typed.trimmed().isEmpty() || !combo->currentText().isEmpty())
        return true;
    if (!later) {
        sayNotInList(i, typed);
        return false;
    }
    notInListLine_ = i;
    notInListText_ = typed;
    QPointer<frmSD1> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self && self->isVisible())
            self->sayWaitingNotInList();
    });
    return false;
}

bool frmSD1::sayWaitingNotInList()
{
    if (notInListLine_ < 0)
        return false;
    const int i = std::exchange(notInListLine_, -1);
    sayNotInList(i, std::exchange(notInListText_, QString()));
    return true;
}

void frmSD1::sayNotInList(int i, const QString& typed)
{
    QString caption = field(i).Caption().trimmed();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    ui::warn(QStringLiteral("В списке \"%1\" нет значения \"%2\". Выберите значение из списка.")
                 .arg(caption, typed.trimmed()));
    focusLine(i);
}

bool frmSD1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::FocusIn && type != QEvent::FocusOut)
        return QDialog::eventFilter(watched, event);

    const int i = lineOfWidget(watched);
    const int kind = i >= 0 ? field(i).controlKind : -1;

    if (type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && mods == Qt::ControlModifier) {
            // A text typed that is no entry of its list is said, not saved
            // as an empty line.
            if (kind == List && !commitTypeAhead(i))
                return true;
            Ok_Click();
            return true;
        }
        if (enter && mods == Qt::NoModifier && i >= 0 && kind != Memo) {
            FocusNextField(i);
            return true;
        }
        if (kind == List && key->key() == Qt::Key_Backspace && mods == Qt::NoModifier)
            core::ComboTypeAheadKeyDown(lines_[size_t(i)].cm1);
        if ((kind == Text || kind == TemplateFile) &&
            (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete))
            Text1_Change(i);
        if (kind == Memo && (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete))
            TextOther_Change(i);
        return false;
    }

    if (type == QEvent::FocusIn) {
        if (kind == Text || kind == TemplateFile)
            Text1_GotFocus(i);
        else if (kind == Memo)
            lines_[size_t(i)].text2->selectAll();
        else if (kind == Year)
            lines_[size_t(i)].text3->selectAll();
        return false;
    }

    // Focus out.
    const auto* focus = static_cast<QFocusEvent*>(event);
    if (kind == List && focus->reason() != Qt::PopupFocusReason && watched == lines_[size_t(i)].cm1)
        commitTypeAhead(i, true);
    return false;
}

void frmSD1::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!firstFocusDone_) {
        firstFocusDone_ = true;
        applyFirstFocus();
    }
}

void frmSD1::applyFirstFocus()
{
    switch (cardKind_) {
    case core::Students:
        focusLine(2);
        return;
    case core::StudyPlan:
        focusLine(1);
        return;
    case core::Grades:
        if (listIndex(1) >= 0 && !core::state().RowIsCopy)
            focusLine(4);
        else
            focusLine(1);
        return;
    default:
        for (int i = 0; i < lineCount(); ++i) {
            QWidget* w = Элемент(i);
            if (w && w != Label1(i) && w->isEnabled()) {
                focusLine(i);
                return;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Commands

bool frmSD1::Ok_Click()
{
    // A list's text refused as the OK button took the focus is said before
    // anything is saved.
    if (sayWaitingNotInList())
        return false;
    // So is a text typed into the list that has the focus (the toolbar's
    // save button leaves it there).
    if (const int i = lineOfWidget(focusWidget()); i >= 0 && field(i).controlKind == List && !commitTypeAhead(i))
        return false;
    // A date still being typed (Ctrl+Enter, the toolbar's save button) is
    // taken as typed; one that does not exist stops the save.
    for (QWidget* w = focusWidget(); w && w != this; w = w->parentWidget())
        if (auto* edit = qobject_cast<core::DateEdit*>(w); edit && !edit->commitTyping())
            return false;
    return saveCard(*this);
}

void frmSD1::closeSaved()
{
    isChanged_ = false;
    QDialog::accept();
}

void frmSD1::reject()
{
    Cancel_Click();
}

void frmSD1::Cancel_Click()
{
    if (sayWaitingNotInList())
        return;
    if (!isChanged_) {
        QDialog::reject();
        return;
    }
    switch (ui::msgBox(QStringLiteral("Сохранить изменения?"), ui::YesNoCancel | ui::Exclamation)) {
    case ui::Yes:
        // Saves and closes, or stays open with the message of the check
        // that stopped the save.
        Ok_Click();
        break;
    case ui::No:
        isChanged_ = false;
        QDialog::reject();
        break;
    default:
        break;
    }
}

void frmSD1::Med_Click()
{
    if (cardKind_ != core::Students)
        return;
    const long excluded = excludedKey();
    const int number = lineOf(QString::fromUtf8(captions::kCertificateNumber));
    if (number >= 0 && trimBlanks(lineText(number)).isEmpty())
        setLineText(number, NextNumber(NumberKind::CertificateRegistration, excluded));
    const int blank = lineOf(QString::fromUtf8(captions::kCertificateBlank));
    if (blank >= 0 && trimBlanks(lineText(blank)).isEmpty()) {
        const QString proposal = NextNumber(NumberKind::CertificateBlank, excluded);
        if (!proposal.isEmpty() && proposal.size() <= std::max(1, field(blank).lengthOrList))
            setLineText(blank, proposal);
    }
    if (core::state().CurrentDocKind == core::RetrainingDocuments)
        fillDativeLines(*this);
}

void frmSD1::dokPK_Click()
{
    if (cardKind_ != core::Students)
        return;
    const int document = lineOf(QString::fromUtf8(captions::kDocumentNumber));
    if (document < 0 || !trimBlanks(lineText(document)).isEmpty())
        return;
    if (listIndex(0) < 0) {
        ui::msgBox(QStringLiteral("Сначала выберите группу в списке \"%1\".").arg(field(0).Caption()), ui::Exclamation);
        return;
    }
    const long periods = core::CountRecords(
        QStringLiteral("SELECT IDG FROM SPGRUP WHERE IDG = ? AND date_S IS NOT NULL AND date_Po IS NOT NULL"),
        {listValue(0)});
    if (periods <= 0) {
        ui::msgBox(QStringLiteral("Сначала укажите период переподготовки у группы \"%1\".").arg(Cm1(0)->currentText()),
                   ui::Exclamation);
        return;
    }
    const QString number = NextNumber(NumberKind::RetrainingDocument, excludedKey());
    setLineText(document, number);
    const int certificate = lineOf(QString::fromUtf8(captions::kCertificateOfTraining));
    if (certificate >= 0 && trimBlanks(lineText(certificate)).isEmpty())
        setLineText(certificate, number);
}

void frmSD1::Cmd_Click(int i)
{
    chooseTemplateFile(*this, i);
}

void frmSD1::Toolbar1_ButtonClick(const QString& key)
{
    if (key == QLatin1String("Undo"))
        core::UndoActiveControl(this);
    else if (key == QLatin1String("Paste"))
        PasteIntoField();
    else if (key == QLatin1String("Copy"))
        CopyFromField();
    else if (key == QLatin1String("Help")) {
        if (const auto& manual = core::shellServices().openUserManual)
            manual();
    } else if (key == QLatin1String("Save"))
        Ok_Click();
    else if (key == QLatin1String("keySim"))
        InsertSymbol();
}

void frmSD1::Комманда2_Click()
{
    if (const auto& manual = core::shellServices().openUserManual)
        manual();
}

void frmSD1::PasteIntoField()
{
    pasteIntoLine(*this);
}

void frmSD1::CopyFromField()
{
    copyFromLine(*this);
}

void frmSD1::InsertSymbol()
{
    insertQuotationMark(*this);
}

} // namespace card
