#include "platform/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

namespace settings {
namespace {

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalveta"), QStringLiteral("kalveta"));
}

// The INI files QSettings reads for the program: the user's own file first,
// then those it falls back on (the user's "kalveta.ini", the machine-wide
// two). They are asked of Qt through a format of its own whose files never
// exist: a QSettings on the real files reads them at once, and opening a
// FIFO in a file's place would wait for ever.
QStringList settingsFiles()
{
    static const QSettings::Format probe = QSettings::registerFormat(
        QStringLiteral("kalveta-where"), [](QIODevice&, QSettings::SettingsMap&) { return false; },
        [](QIODevice&, const QSettings::SettingsMap&) { return false; });
    QStringList files;
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
        // <folder>/kalveta/kalveta.kalveta-where
        const QFileInfo where(QSettings(probe, scope, QStringLiteral("kalveta"), QStringLiteral("kalveta")).fileName());
        const QString own = where.absolutePath();
        files << QDir(own).filePath(QStringLiteral("kalveta.ini"))
              << QDir(QFileInfo(own).absolutePath()).filePath(QStringLiteral("kalveta.ini"));
    }
    return files;
}

// Why a settings file that is there cannot serve as one; empty when it is a
// readable regular file or not there at all. `own` is the user's own file,
// which also must not be a link to nothing: it would be taken for a first
// start, and the next save would put a new file in the link's place.
QString whyNotASettingsFile(const QString& path, bool own)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(native.constData(), &link) != 0)
        return {};
    struct stat target {};
    if (::stat(native.constData(), &target) != 0) {
        if (!own)
            return {};
        return QStringLiteral("это ссылка на несуществующий файл %1")
            .arg(QDir::toNativeSeparators(QFileInfo(path).symLinkTarget()));
    }
    if (S_ISDIR(target.st_mode))
        return QStringLiteral("на его месте папка");
    if (S_ISFIFO(target.st_mode))
        return QStringLiteral("на его месте именованный канал, а не файл");
    if (!S_ISREG(target.st_mode))
        return QStringLiteral("на его месте не обычный файл, а файл устройства или сокет");
    return {};
}

QString fullKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QString getSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    const QSettings s = userSettings();
    const QVariant v = s.value(fullKey(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void saveSetting(const QString& section, const QString& key, const QString& value)
{
    QSettings s = userSettings();
    s.setValue(fullKey(section, key), value);
    s.sync();
}

void deleteSetting(const QString& section, const QString& key)
{
    QSettings s = userSettings();
    s.remove(fullKey(section, key));
    s.sync();
}

QString boolText(bool value)
{
    return value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString unreadableSettingsFile(QString* cause)
{
    QString why;
    const auto problem = [&](const QString& path, const QString& text) {
        if (cause)
            *cause = text;
        return path;
    };
    const QStringList files = settingsFiles();
    for (int i = 0; i < files.size(); ++i)
        if (why = whyNotASettingsFile(files[i], i == 0); !why.isEmpty())
            return problem(files[i], why);
    // Now a QSettings may read them.
    const QSettings s = userSettings();
    const QString path = s.fileName();
    const QFileInfo fi(path);
    if (!fi.exists())
        return {};
    if (!fi.isReadable())
        return problem(path, QStringLiteral("нет права на чтение"));
    if (s.status() != QSettings::NoError)
        return problem(path, QStringLiteral("файл поврежден"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return problem(path, f.error() == QFileDevice::PermissionsError ? QStringLiteral("нет права на чтение")
                                                                        : QStringLiteral("файл не открывается"));
    return {};
}

QString getSystemSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    const QSettings s(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("kalveta"), QStringLiteral("kalveta"));
    const QVariant v = s.value(fullKey(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void useSettingsFolder(const QString& folder)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, folder + QStringLiteral("/system"));
}

} // namespace settings
