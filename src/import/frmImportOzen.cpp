#include "import/frmImportOzen.h"

#include "core/AppState.h"
#include "core/ChildWindows.h"
#include "import/GradeSettings.h"
#include "platform/ui/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace importer {
namespace {

QString txt(const char* text) { return QString::fromUtf8(text); }

// The number boxes by label index, with the setting each one holds.
struct BoxDef {
    const char* caption;
    GradeSetting setting;
    const char* name;
};
constexpr BoxDef kBoxes[6] = {
    {"№ первой строки с ФИО", FirstPersonRow, "nom_str_fio"},
    {"№ столбца с ФИО", NameColumn, "nom_st_fio"},
    {"№ строки с наименованием дисциплин", DisciplineRow, "Text3"},
    {"№ столбца с первым наименованием дисциплины", FirstDisciplineColumn, "Text4"},
    {"№ столбца с последним наименованием дисциплины", LastDisciplineColumn, "Text5"},
    {"№ последней строки с ФИО", LastPersonRow, "Text1"},
};

struct CheckDef {
    const char* caption;
    GradeSetting setting;
};
constexpr CheckDef kChecks[5] = {
    {"ФИО в 3 столбца", NamesInThreeColumns},
    {"Добавлять студентов", AddPersons},
    {"Наименование дисциплин в 2 столбца", DisciplinesEverySecondColumn},
    {"Добавлять наименования дисциплин", AddDisciplines},
    {"Очищать столбец \"Оценки\" и импортировать их из файла", RefillGrades},
};

// The boxes are tested in this order; -1 stands for the sheet combo.
constexpr int kCheckOrder[] = {0, 5, -1, 1, 2, 3, 4};

constexpr const char* kSeparator = "//";
constexpr const char* kChooseSheet = "Выберите наименование листа для импорта.";
constexpr const char* kWholeNumber = "Введите целое число в поле \"%1\".";

} // namespace

frmImportOzen::frmImportOzen(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportOzen"));
    setWindowTitle(txt("Импорт"));

    auto* persons = new QGroupBox(txt("Информация о студентах:"), this);
    auto* personForm = new QFormLayout(persons);
    auto* disciplines = new QGroupBox(txt("Информация о дисциплинах"), this);
    auto* disciplineForm = new QFormLayout(disciplines);
    for (int i = 0; i < 6; ++i) {
        labels_[i] = new QLabel(txt(kBoxes[i].caption), this);
        boxes_[i] = new QLineEdit(this);
        boxes_[i]->setObjectName(txt(kBoxes[i].name));
        labels_[i]->setBuddy(boxes_[i]);
    }
    for (int i = 0; i < 5; ++i) {
        checks_[i] = new QCheckBox(txt(kChecks[i].caption), this);
        checks_[i]->setObjectName(QStringLiteral("Check%1").arg(i + 1));
    }
    for (int i : {0, 5, 1})
        personForm->addRow(labels_[i], boxes_[i]);
    personForm->addRow(checks_[0]);
    personForm->addRow(checks_[1]);
    for (int i : {2, 3, 4})
        disciplineForm->addRow(labels_[i], boxes_[i]);
    for (int i : {2, 3, 4})
        disciplineForm->addRow(checks_[i]);

    auto* sheetBox = new QGroupBox(txt("Выберите лист для импорта"), this);
    auto* sheetLayout = new QVBoxLayout(sheetBox);
    sheets_ = new QComboBox(this);
    sheets_->setObjectName(QStringLiteral("Cm1"));
    sheetLayout->addWidget(sheets_);

    auto* ok = new QPushButton(txt("OK"), this);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(txt("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    auto* help = new QPushButton(txt("Помощь"), this);
    help->setObjectName(QStringLiteral("Комманда2"));
    connect(ok, &QPushButton::clicked, this, [this] { Ok_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Cancel_Click(); });
    connect(help, &QPushButton::clicked, this, [this] { Komm2_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(persons);
    layout->addWidget(disciplines);
    layout->addWidget(sheetBox);
    layout->addLayout(buttons);

    Form_Load();
}

void frmImportOzen::Form_Load()
{
    for (int i = 0; i < 6; ++i)
        boxes_[i]->setText(gradeSettingText(kBoxes[i].setting));
    for (int i = 0; i < 5; ++i) {
        bool number = false;
        const double v = settingNumber(gradeSettingText(kChecks[i].setting), &number);
        if (number)
            checks_[i]->setChecked(std::trunc(v) != 0);
    }
    const QStringList names = core::state().SheetNameList.split(txt(kSeparator));
    for (int i = 1; i < names.size(); ++i)
        sheets_->addItem(names.at(i));
    const QString saved = gradeSettingText(SheetName);
    const int index = saved.isEmpty() ? -1 : sheets_->findText(saved, Qt::MatchExactly | Qt::MatchCaseSensitive);
    sheets_->setCurrentIndex(sheets_->count() > 0 ? std::max(index, 0) : -1);
}

void frmImportOzen::Ok_Click()
{
    for (int i : kCheckOrder) {
        if (i < 0) {
            if (sheets_->currentText().isEmpty()) {
                ui::msgBox(txt(kChooseSheet), ui::Exclamation);
                sheets_->setFocus();
                return;
            }
            continue;
        }
        bool number = false;
        const double v = settingNumber(boxes_[i]->text(), &number);
        if (!number || std::floor(v) == 0) {
            ui::msgBox(txt(kWholeNumber).arg(labels_[i]->text()), ui::Exclamation);
            boxes_[i]->setFocus();
            return;
        }
    }
    saveGradeSetting(SheetName, sheets_->currentText());
    for (int s = FirstPersonRow; s < GradeSettingCount; ++s) {
        const auto setting = GradeSetting(s);
        for (int i = 0; i < 6; ++i)
            if (kBoxes[i].setting == setting)
                saveGradeSetting(setting, boxes_[i]->text());
        for (int i = 0; i < 5; ++i)
            if (kChecks[i].setting == setting)
                saveGradeSetting(setting, checks_[i]->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    }
    accept();
}

void frmImportOzen::Cancel_Click()
{
    reject();
}

void frmImportOzen::reject()
{
    core::state().DialogResult = -1;
    QDialog::reject();
}

void frmImportOzen::Komm2_Click()
{
    if (core::shellServices().openUserManual)
        core::shellServices().openUserManual();
}

} // namespace importer
