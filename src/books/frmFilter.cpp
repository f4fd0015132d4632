#include "books/frmFilter.h"

#include "books/BookFilter.h"
#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "core/DateEdit.h"
#include "core/TextHelpers.h"
#include "platform/ui/Messages.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>
#include <optional>

namespace books {
namespace {

// The date frame's caption per book.
QString dateFrameCaption(int med)
{
    switch (med) {
    case core::SpecialistCertificates: return QStringLiteral("Укажите границы периода выдачи сертификатов:");
    case core::RetrainingDocuments: return QStringLiteral("Укажите границы периода выдачи документов переподготовки:");
    case core::TrainingCertificates: return QStringLiteral("Укажите границы периода выдачи свидетельств:");
    default: return QStringLiteral("Укажите границы периода выдачи дипломов:");
    }
}

core::DateEdit* newDateEdit(QWidget* parent, const QString& name)
{
    auto* edit = new core::DateEdit(parent);
    edit->setObjectName(name);
    edit->setDate(QDate::currentDate());
    return edit;
}

} // namespace

NumberSpinBox::NumberSpinBox(QWidget* parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
}

void NumberSpinBox::setText(const QString& text)
{
    lineEdit()->setText(text);
}

void NumberSpinBox::stepBy(int steps)
{
    const QString digits = core::DigitsOnly(text());
    qint64 value = 0;
    if (const auto v = filterNumberValue(digits))
        value = *v;
    constexpr qint64 kMax = 999999999999999999LL;  // 18 digits
    if (steps > 0)
        value = value > kMax - steps ? kMax : value + steps;
    else
        value = value < -qint64(steps) ? 0 : value + steps;
    lineEdit()->setText(QString::number(value));
}

QAbstractSpinBox::StepEnabled NumberSpinBox::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

frmFilter::frmFilter(int med, int par, QWidget* parent) : QDialog(parent), med_(med), par_(par)
{
    setWindowTitle(QStringLiteral("Фильтр"));
    setObjectName(QStringLiteral("frmFilter"));
    const BookFilterSet set = bookFilterSet(med);

    frame1_ = new QGroupBox(QStringLiteral("Укажите границы регистрационных номеров:"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* numbers = new QGridLayout(frame1_);
    text1_ = new NumberSpinBox(frame1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text4_ = new NumberSpinBox(frame1_);
    text4_->setObjectName(QStringLiteral("Text4"));
    numbers->addWidget(new QLabel(QStringLiteral("от:"), frame1_), 0, 0);
    numbers->addWidget(text1_, 0, 1);
    numbers->addWidget(new QLabel(QStringLiteral("до:"), frame1_), 1, 0);
    numbers->addWidget(text4_, 1, 1);

    frame2_ = new QGroupBox(dateFrameCaption(med), this);
    frame2_->setObjectName(QStringLiteral("Frame2"));
    auto* dates = new QGridLayout(frame2_);
    dt1_ = newDateEdit(frame2_, QStringLiteral("DT1"));
    dt2_ = newDateEdit(frame2_, QStringLiteral("DT2"));
    dates->addWidget(new QLabel(QStringLiteral("с:"), frame2_), 0, 0);
    dates->addWidget(dt1_, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("по:"), frame2_), 1, 0);
    dates->addWidget(dt2_, 1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* without = new QPushButton(QStringLiteral("Без фильтра"), this);
    without->setObjectName(QStringLiteral("Without"));
    auto* help = new QPushButton(QStringLiteral("Помощь"), this);
    help->setObjectName(QStringLiteral("cmdApply"));
    help->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &frmFilter::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &frmFilter::cmdCancel_Click);
    connect(without, &QPushButton::clicked, this, &frmFilter::Without_Click);
    connect(help, &QPushButton::clicked, this, &frmFilter::cmdApply_Click);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(without);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame1_);
    layout->addWidget(frame2_);
    layout->addLayout(buttons);

    frame1_->hide();
    frame2_->hide();
    if (par_ == 0) {
        setWindowTitle(QStringLiteral("Фильтр по Регистрационному номеру"));
        frame1_->show();
        if (!set.numberFrom.isEmpty())
            text1_->setText(set.numberFrom);
        if (!set.numberTo.isEmpty())
            text4_->setText(set.numberTo);
        text1_->setFocus();
    } else if (par_ == 1) {
        setWindowTitle(QStringLiteral("Фильтр по Дате выдачи"));
        frame2_->show();
        if (const QDate d = filterDateValue(set.dateFrom); d.isValid())
            dt1_->setDate(d);
        if (const QDate d = filterDateValue(set.dateTo); d.isValid())
            dt2_->setDate(d);
        dt1_->setFocus();
    }
}

void frmFilter::cmdOK_Click()
{
    if (par_ == 0) {
        // The digits of a field, or nothing after the warning that fits.
        const auto digitsOf = [](NumberSpinBox* field) -> std::optional<QString> {
            const auto digits = filterNumberDigits(field->text());
            if (!digits) {
                field->setFocus();
                const bool tooLong = core::DigitsOnly(field->text()).size() > kMaxFilterDigits;
                ui::msgBox(QString::fromUtf8(tooLong ? kTooLongNumberWarning : kWholeNumberWarning),
                           ui::OkOnly | ui::Exclamation);
            }
            return digits;
        };
        const auto from = digitsOf(text1_);
        if (!from)
            return;
        const auto to = digitsOf(text4_);
        if (!to)
            return;
        storeNumberFilter(med_, *from, *to);
    } else {
        if (dt1_->date() > dt2_->date()) {
            const QDate later = dt1_->date();
            dt1_->setDate(dt2_->date());
            dt2_->setDate(later);
        }
        storeDateFilter(med_, dt1_->date(), dt2_->date());
    }
    core::state().DialogResult = -1;
    accept();
}

void frmFilter::Without_Click()
{
    ClearRegistryFilter(med_);
    core::state().DialogResult = -1;
    accept();
}

void frmFilter::cmdCancel_Click()
{
    reject();
}

void frmFilter::cmdApply_Click()
{
    if (const auto& open = core::shellServices().openUserManual)
        open();
}

} // namespace books
