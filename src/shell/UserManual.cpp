#include "shell/UserManual.h"

#include "core/AppState.h"
#include "platform/ui/Messages.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace shell {
namespace {

DocumentOpener& documentOpener()
{
    static DocumentOpener opener;
    return opener;
}

QString howToOpenText()
{
    return QStringLiteral("Для открытия Руководства пользователя выполните: Пуск - Программы - ") + ui::applicationTitle()
         + QStringLiteral(" - Руководство пользователя, либо найдите файл руководства самостоятельно с помощью Проводника.");
}

} // namespace

QString userManualPath()
{
    return QDir(core::state().AppPath).filePath(QString::fromUtf8(kUserManualFileName));
}

bool userManualExists()
{
    return !core::state().AppPath.isEmpty() && QFileInfo(userManualPath()).isFile();
}

void OpenUserManual()
{
    const QString folder = QDir::toNativeSeparators(core::state().AppPath);
    if (!userManualExists()) {
        ui::msgBox(QStringLiteral("Руководство пользователя не найдено. Оно должно находиться в папке программы: ") + folder
                       + QStringLiteral(" в файле: \"") + QString::fromUtf8(kUserManualFileName) + QStringLiteral("\". ")
                       + howToOpenText(),
                   ui::Exclamation);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(QFileInfo(userManualPath()).absoluteFilePath());
    const bool started = documentOpener() ? documentOpener()(url) : QDesktopServices::openUrl(url);
    if (!started)
        ui::msgBox(QStringLiteral("Не удается открыть Руководство пользователя. ") + howToOpenText(), ui::OkOnly);
}

void setDocumentOpener(DocumentOpener opener)
{
    documentOpener() = std::move(opener);
}

} // namespace shell
