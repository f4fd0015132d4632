#include "printing/frmSelect.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "platform/office/OOo.h"
#include "platform/office/TemplateDocument.h"
#include "platform/office/TextDocument.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"
#include "printing/PrintJob.h"
#include "printing/TemplateNames.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace printing {

namespace {

constexpr const char* kKeyTemplate = "sPathTmp";
constexpr const char* kKeyOption = "bVidTmp";
constexpr const char* kKeyBackground = "bSavePict";

// Caption of each option (print code - 1).
constexpr std::array<const char*, kPrintOptionCount> kCaptions{
    "Вкладыш в диплом",
    "Приложение к диплому",
    "Академическая справка",
    "Прочее",
    "Кальвета",
    "Титул диплома ПК",
    "Приложение к диплому ПК",
    "Удостоверение",
    "Титул свидетельства",
    "Приложение к свидетельству",
    "Приложение академической справки",
    "Титул аттестата",
    "Приложение к аттестату",
    "Титул свидетельства РК",
    "Приложение к свидетельству РК",
};
constexpr int kOtherDocument = 3;         // "Прочее" / "Другой документ"
constexpr int kCertificate = 4;           // "Кальвета"
constexpr const char* kOtherDocumentInModes = "Другой документ";

// The options shown per mode, top to bottom; options 8 to 14 never show.
const std::vector<int> kFullOrder{0, 1, 2, 4, 5, 6, 7, 3};
const std::vector<int> kCertificateOrder{4, 3};
const std::vector<int> kRetrainingOrder{5, 6, 7, 3};

// The option taken in modes 0 to 4 when the wanted one is not shown.
constexpr std::array<int, 5> kFallbackOption{1, 4, 5, 8, 2};

constexpr const char* kLaserFallbackMessage =
    "В папке \"Шаблоны\" не найден шаблон для лазерного принтера. Будет выбран шаблон для струйного принтера.";
constexpr const char* kNotice =
    "Установлен флажок (галочка) \"Сохранить подложку в документе\", поэтому в документе будет оставаться "
    "подложка, т.е. отсканированный вид бланка документа, поверх которого будут видны заполненные реквизиты. Для "
    "печати документов на типографских бланках подложка не нужна, поэтому данный флажок (галочку) Вы можете снять. "
    "Сохранять подложку необходимо только на этапе настройки шаблона.";
constexpr const char* kChooseTemplate = "Выберите шаблон для печати.";

QString userSetting(const char* key, const QString& fallback)
{
    return settings::getSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(key), fallback);
}

void saveUserSetting(const char* key, const QString& value)
{
    settings::saveSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(key), value);
}

QString templateExtension()
{
    return TemplateExtension();
}

// The file a template name stands for, empty when there is none.
QString existingTemplate(const QString& name)
{
    const TemplateFile file = ResolveTemplate(name);
    return file.status == TemplateFile::Found || file.status == TemplateFile::WrongFormat ? file.path : QString();
}

} // namespace

frmSelect::frmSelect(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Параметры печати"));
    setModal(true);
    fillStep = [](const PrintRequest& r) { printing::PrintVkladish(r); };

    frame_ = new QGroupBox(QStringLiteral("Выбор шаблона"), this);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < kPrintOptionCount; ++i) {
        options_[i] = new QRadioButton(QString::fromUtf8(kCaptions[i]), frame_);
        options_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        group->addButton(options_[i], i);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { chooseOption(id); });

    adjust_ = new QPushButton(QStringLiteral("Настроить шаблон"), frame_);
    open_ = new QPushButton(QStringLiteral("Открыть шаблон"), frame_);
    combo_ = new QComboBox(frame_);
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setMinimumWidth(320);
    browse_ = new QPushButton(QStringLiteral("..."), frame_);
    browse_->setFixedWidth(32);
    label_ = new QLabel(frame_);
    label_->setMinimumHeight(label_->fontMetrics().height());

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    check_ = new QCheckBox(QStringLiteral("Сохранить подложку в документе"), this);

    connect(combo_, &QComboBox::activated, this, [this](int index) { testTemplate(combo_->itemText(index)); });
    connect(combo_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (combo_->isEnabled())
            testTemplate(combo_->currentText());
    });
    connect(check_, &QCheckBox::clicked, this, [this] { backgroundClicked(); });
    connect(ok_, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(open_, &QPushButton::clicked, this, [this] { openTemplate(); });
    connect(adjust_, &QPushButton::clicked, this, [this] { adjustTemplate(); });
    connect(browse_, &QPushButton::clicked, this, [this] { browseTemplate(); });

    load();

    auto* options = new QVBoxLayout;
    for (int i : order_) {
        options->addWidget(options_[i]);
        // "Другой документ" stands a little apart below the retraining forms.
        if (mode_ == core::RetrainingDocuments && i == 7)
            options->addSpacing(6);
    }
    for (int i = 0; i < kPrintOptionCount; ++i)
        if (std::find(order_.begin(), order_.end(), i) == order_.end())
            options_[i]->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(adjust_);
    buttons->addWidget(open_);
    auto* box = new QHBoxLayout;
    box->addWidget(combo_, 1);
    box->addWidget(browse_);
    auto* frameLayout = new QVBoxLayout(frame_);
    frameLayout->addLayout(options);
    frameLayout->addSpacing(6);
    frameLayout->addLayout(buttons);
    frameLayout->addSpacing(12);
    frameLayout->addLayout(box);
    frameLayout->addWidget(label_);

    auto* side = new QVBoxLayout;
    side->addWidget(ok_);
    side->addWidget(cancel_);
    side->addSpacing(12);
    side->addWidget(check_);
    side->addStretch(1);
    auto* main = new QHBoxLayout(this);
    main->addWidget(frame_, 1);
    main->addLayout(side);
}

bool frmSelect::visibleInMode(int index) const
{
    return std::find(order_.begin(), order_.end(), index) != order_.end();
}

std::vector<int> frmSelect::shownOptions() const
{
    return order_;
}

QString frmSelect::optionCaption(int index) const
{
    if (index < 0 || index >= kPrintOptionCount)
        return {};
    return options_[index]->text();
}

void frmSelect::load()
{
    core::AppState& s = core::state();
    mode_ = s.CurrentDocKind;

    // Layout by mode.
    if (mode_ == core::SpecialistCertificates) {
        order_ = kCertificateOrder;
        options_[kOtherDocument]->setText(QString::fromUtf8(kOtherDocumentInModes));
        if (!s.DefaultTemplateNames[5].isEmpty())
            options_[kCertificate]->setText(s.DefaultTemplateNames[5]);
    } else if (mode_ == core::RetrainingDocuments) {
        order_ = kRetrainingOrder;
        options_[kOtherDocument]->setText(QString::fromUtf8(kOtherDocumentInModes));
    } else {
        order_ = kFullOrder;
    }

    // The templates of the office in use, by name.
    QString folder = templatesFolder();
    if (!QFileInfo(folder).isDir())
        folder = s.AppPath;
    // Copies a template save of a killed run left there go first.
    office::removeLeftCopies(folder);
    QStringList names;
    const QString extension = templateExtension().toUpper();
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (file.suffix().toUpper() == extension && !file.fileName().contains(QLatin1Char('~')))
            names << file.fileName();
    combo_->addItems(names);

    // The remembered template, in its laser variant for a laser printer.
    // Activation puts the chosen option's template in the box and tests it
    // (with the laser fallback), so this first selection says nothing.
    const QString remembered = userSetting(kKeyTemplate, QString());
    const bool laser = !remembered.isEmpty() && LaserPrinterInUse();
    const QString wanted = laser ? LaserTemplateName(remembered) : remembered;
    const auto indexOf = [&](const QString& name) {
        for (int i = 0; i < int(names.size()); ++i)
            if (!name.isEmpty() && names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    int selected = indexOf(wanted);
    if (selected < 0 && laser)
        selected = indexOf(remembered);
    if (selected < 0 && !names.isEmpty())
        selected = 0;
    if (selected >= 0) {
        combo_->setCurrentIndex(selected);
        testTemplate(names[selected]);
    }

    loading_ = true;
    check_->setChecked(jet::vbVal(QStringLiteral("0") + userSetting(kKeyBackground, QString())) != 0);
    loading_ = false;
}

void frmSelect::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once per opening: a message box or a window opened from the dialog
    // must not undo the user's choice when the dialog is active again.
    if (!activated_) {
        activated_ = true;
        activate();
    }
}

void frmSelect::activate()
{
    loading_ = true;
    const core::AppState& s = core::state();
    const QString fallback = mode_ == core::SpecialistCertificates ? QStringLiteral("4") : QStringLiteral("5");
    int index = int(jet::vbVal(QStringLiteral("0") + userSetting(kKeyOption, fallback)));
    if (s.PreselectedBlankKind > 0)
        index = s.PreselectedBlankKind - 1;
    if (mode_ >= 0 && mode_ < int(kFallbackOption.size()) && !visibleInMode(index))
        index = kFallbackOption[mode_];
    chooseOption(index);
    loading_ = false;
}

void frmSelect::chooseOption(int index)
{
    chosen_ = index;
    if (fromoo)
        return;
    if (index < 0 || index >= kPrintOptionCount)
        return;
    fromoo = true;
    options_[index]->setChecked(true);
    fromoo = false;

    QString name = TemplateNameForKind(index);
    if (LaserPrinterInUse() && existingTemplate(name).isEmpty()) {
        const QString plain = TemplateNameForKind(index, false);
        if (plain != name && !existingTemplate(plain).isEmpty()) {
            name = plain;
            ui::msgBox(QString::fromUtf8(kLaserFallbackMessage), ui::Information);
        }
    }
    setTemplateName(name);
    testTemplate(name);

    // The template follows from the option and the printing house; only
    // the other document takes any template the user chooses.
    const bool free = index == kOtherDocument;
    combo_->setEnabled(free);
    browse_->setEnabled(free);
}

void frmSelect::setTemplateName(const QString& name)
{
    const int i = combo_->findText(name, Qt::MatchFixedString);
    if (i >= 0)
        combo_->setCurrentIndex(i);
    combo_->setEditText(name);
}

bool frmSelect::testTemplate(const QString& name)
{
    ui::setStatusText(QStringLiteral("Готово."));
    label_->clear();
    const TemplateFile file = ResolveTemplate(name);
    if (file.status == TemplateFile::Outside) {
        ui::setStatusText(QStringLiteral("Нет такого файла."));
        label_->setText(QStringLiteral("Шаблон вне папки \"Шаблоны ЭЖ\"."));
        return false;
    }
    if (file.status == TemplateFile::Missing) {
        ui::setStatusText(QStringLiteral("Нет такого файла."));
        label_->setText(QStringLiteral("Файл шаблона не найден."));
        return false;
    }
    if (file.status == TemplateFile::WrongFormat) {
        ui::setStatusText(QStringLiteral("Файл не является шаблоном, либо не соответствует формату."));
        label_->setText(QStringLiteral("Выберите файл с расширением *.") + templateExtension());
        return false;
    }
    return true;
}

void frmSelect::backgroundClicked()
{
    core::state().BackgroundNoticeShown = false;
    showNotice();
}

void frmSelect::showNotice()
{
    core::AppState& s = core::state();
    if (loading_ || s.BackgroundNoticeShown || !check_->isChecked())
        return;
    ui::msgBox(QString::fromUtf8(kNotice), ui::Information);
    s.BackgroundNoticeShown = true;
}

void frmSelect::okClicked()
{
    const QString name = combo_->currentText().trimmed();
    // Nothing is remembered from a choice that cannot be printed.
    if (name.isEmpty()) {
        ui::msgBox(QString::fromUtf8(kChooseTemplate), ui::Exclamation);
        return;
    }
    saveUserSetting(kKeyTemplate, name);
    int ticked = 5;
    for (int i = 0; i < 5; ++i)
        if (options_[i]->isChecked()) {
            ticked = i;
            break;
        }
    saveUserSetting(kKeyOption, QString::number(ticked));
    backgroundClicked();
    saveUserSetting(kKeyBackground, check_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    PrintVkladish(core::state().CurrentRowId);
    accept();
}

void frmSelect::PrintVkladish(long id)
{
    PrintRequest r;
    r.id = id;
    r.blankKind = chosen_ + 1;
    r.templateName = combo_->currentText().trimmed();
    r.keepBackground = check_->isChecked();
    // The grade lines of the document printed, whichever window it is
    // printed from.
    r.docKind = GradeKindOfDocument(DocumentSlot(chosen_, r.templateName), core::state().CurrentDocKind);
    r.optionCaption = optionCaption(chosen_);
    if (fillStep)
        fillStep(r);
}

QString frmSelect::chosenTemplatePath()
{
    const QString name = combo_->currentText().trimmed();
    if (name.isEmpty()) {
        ui::msgBox(QString::fromUtf8(kChooseTemplate), ui::Exclamation);
        return {};
    }
    const TemplateFile file = ResolveTemplate(name);
    if (file.status != TemplateFile::Found) {
        ui::msgBox(TemplateRefusal(file), ui::Exclamation);
        return {};
    }
    return file.path;
}

void frmSelect::openTemplate()
{
    const QString path = chosenTemplatePath();
    if (path.isEmpty())
        return;
    ui::setStatusText(QStringLiteral("Открытие шаблона..."));
    try {
        office::TemplateDocument::openForEditing(path);
        ui::setStatusText(QStringLiteral("Готово."));
    } catch (const office::Error& e) {
        ui::setStatusText(QStringLiteral("Готово."));
        if (e.kind() == office::ErrorKind::NotStarted)
            ui::msgBox(office::OOoNotStartedReport(QStringLiteral("Writer"), e), ui::Exclamation);
        else
            ui::msgBox(QStringLiteral("Не удалось открыть шаблон ") + path + QStringLiteral(". Ошибка: ")
                           + e.numberAndDescription(),
                       ui::Exclamation);
    }
}

void frmSelect::adjustTemplate()
{
    const auto& adjust = core::windowFactories().adjustTemplate;
    if (!adjust)
        return;
    const QString path = chosenTemplatePath();
    if (path.isEmpty())
        return;
    adjust(path);
    testTemplate(combo_->currentText().trimmed());
}

void frmSelect::browseTemplate()
{
    const QStringList filters{
        (core::state().OfficeIsOOo ? QStringLiteral("Шаблоны документов OpenOffice Writer (*.ott)")
                                   : QStringLiteral("Шаблоны документов MS Word (*.dot)")),
        QStringLiteral("Все файлы (*.*)")};
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    const QString folder = templatesFolder();
    dialog.setDirectory(QFileInfo(folder).isDir() ? folder : core::state().AppPath);
    if (ui::execDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QFileInfo file(dialog.selectedFiles().constFirst());
    // A template of the program's folder is named by its bare name.
    const bool own = QDir::cleanPath(file.absolutePath()).compare(QDir::cleanPath(folder), Qt::CaseInsensitive) == 0;
    const QString name = own ? file.fileName() : file.absoluteFilePath();
    setTemplateName(name);
    testTemplate(name);
}

void showPrintParameters()
{
    frmSelect dialog(QApplication::activeWindow());
    ui::execDialog(&dialog);
}

} // namespace printing
