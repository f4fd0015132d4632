#include "card/TemplateChoice.h"

#include "card/frmSD1.h"
#include "core/AppState.h"
#include "platform/settings/Settings.h"
#include "platform/ui/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

namespace card {

namespace {

struct TemplateKind {
    const char* extension;  // upper case, for the comparison
    const char* lowerExtension;
    const char* programName;
    const char* filter;
};
constexpr TemplateKind kWriter{"OTT", "ott", "OpenOffice Writer", "Шаблоны документов OpenOffice Writer (*.ott)"};
constexpr TemplateKind kWord{"DOT", "dot", "MS Word", "Шаблоны документов MS Word (*.dot)"};
constexpr const char* kAllFiles = "Все файлы (*.*)";
constexpr const char* kFilterSetting = "iTmpExt";

QString upperSuffix(const QString& file)
{
    return QFileInfo(file).suffix().toUpper();
}

} // namespace

QString templateLineValue(const QString& file, const QString& appPath)
{
    const QFileInfo info(file);
    const QString folder = QDir::cleanPath(info.absolutePath());
    const QString templates = QDir::cleanPath(QDir(appPath).filePath(QString::fromUtf8(core::kTemplatesFolderName)));
    if (folder.compare(templates, Qt::CaseInsensitive) == 0)
        return info.fileName();
    return file;
}

void chooseTemplateFile(frmSD1& card, int line)
{
    QLineEdit* box = card.Text1(line);
    if (!box)
        return;
    core::AppState& s = core::state();
    const TemplateKind& kind = s.OfficeIsOOo ? kWriter : kWord;
    const QString current = box->text();
    ui::setStatusText(QStringLiteral("Выберите файл шаблона..."));

    // The filter to show first: the templates when the line holds one,
    // otherwise the one last used in an accepted choice.
    const QStringList filters{QString::fromUtf8(kind.filter), QString::fromUtf8(kAllFiles)};
    int filter = 1;
    if (current.isEmpty() || upperSuffix(current) != QLatin1String(kind.extension)) {
        bool ok = false;
        filter = (QStringLiteral("0") +
                  settings::getSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(kFilterSetting),
                                       QStringLiteral("1")))
                     .toInt(&ok);
        if (!ok)
            filter = 0;  // the dialog's first filter
        if (filter > 2)
            filter = 1;
    }

    QFileDialog dialog(&card);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.at(std::max(0, filter - 1)));
    if (QFileInfo(s.TemplatesFolder).isDir())
        dialog.setDirectory(s.TemplatesFolder);
    if (!current.isEmpty())
        dialog.selectFile(current);

    const int result = ui::execDialog(&dialog);
    const QString file = result == QDialog::Accepted ? dialog.selectedFiles().value(0).trimmed() : QString();
    s.TemplatesFolder = dialog.directory().absolutePath();
    const int usedFilter = int(filters.indexOf(dialog.selectedNameFilter())) + 1;

    const QString notChosen = QStringLiteral("Файл шаблона не был выбран.");
    if (file.isEmpty()) {
        ui::setStatusText(notChosen);
        return;
    }
    if (upperSuffix(file) != QLatin1String(kind.extension)) {
        const QString question = QStringLiteral("Файл шаблона %1 должен иметь расширение \"%2\". Вы уверены, что "
                                                "хотите выбрать этот файл?")
                                     .arg(QLatin1String(kind.programName), QLatin1String(kind.lowerExtension));
        if (ui::msgBox(question, ui::YesNo | ui::Exclamation | ui::DefaultButton2) != ui::Yes) {
            ui::setStatusText(notChosen);
            return;
        }
    }

    const QString value = templateLineValue(file, s.AppPath);
    if (value.size() > box->maxLength()) {
        ui::msgBox(QStringLiteral("Полное имя файла шаблона длиннее %1 символов и не поместится в справочник. "
                                  "Поместите шаблон в папку \"%2\" программы или в папку с более коротким путем.")
                       .arg(box->maxLength())
                       .arg(QString::fromUtf8(core::kTemplatesFolderName)),
                   ui::Exclamation);
        ui::setStatusText(notChosen);
        return;
    }
    card.setLineText(line, value);
    if (usedFilter > 0)
        settings::saveSetting(QString::fromLatin1(settings::kSectionUser), QString::fromLatin1(kFilterSetting),
                              QString::number(usedFilter));
    ui::setStatusText(QStringLiteral("Выбран файл шаблона: ") + QFileInfo(file).fileName());
}

} // namespace card
