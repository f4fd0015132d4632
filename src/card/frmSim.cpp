#include "card/frmSim.h"

#include "core/AppState.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace card {

namespace {
// «, », „, “
constexpr char16_t kMarks[] = {u'\u00AB', u'\u00BB', u'\u201E', u'\u201C'};
} // namespace

frmSim::frmSim(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSim"));
    setWindowTitle(QStringLiteral("Вставка кавычек"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("List1"));
    QFont big = list_->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    list_->setFont(big);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("OKButton"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(260, 170);

    connect(ok_, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        list_->setCurrentItem(item);
        OKButton_Click();
    });
    // Esc and the close box cancel (DialogResult stays 0 from the opening).
    connect(this, &QDialog::rejected, this, [] { core::state().DialogResult = 0; });

    Form_Load();
}

void frmSim::Form_Load()
{
    core::AppState& s = core::state();
    s.DialogResult = 0;
    s.ChosenSymbol.clear();
    for (char16_t mark : kMarks)
        list_->addItem(QString(QChar(mark)));
    if (s.ChosenSymbolIndex >= 0 && s.ChosenSymbolIndex < list_->count())
        list_->setCurrentRow(int(s.ChosenSymbolIndex));
}

void frmSim::OKButton_Click()
{
    core::AppState& s = core::state();
    s.ChosenSymbol.clear();
    const int row = list_->currentRow();
    if (row >= 0 && list_->currentItem() && list_->currentItem()->isSelected()) {
        s.ChosenSymbol = list_->item(row)->text();
        s.ChosenSymbolIndex = row;
        s.DialogResult = -1;
    }
    accept();
}

void frmSim::CancelButton_Click()
{
    core::state().DialogResult = 0;
    reject();
}

} // namespace card
