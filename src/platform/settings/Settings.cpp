#include "platform/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <QUtf8StringView>

#include <cerrno>
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

// Why a path of a settings file cannot be looked at when it names no file:
// a file, not a folder, stands where a folder of the path should be, or the
// path cannot be searched.
QString whyUnreachable(const QString& path, int error)
{
    if (error == ENOTDIR) {
        for (QString folder = QFileInfo(path).absolutePath();; folder = QFileInfo(folder).absolutePath()) {
            struct stat st {};
            if (::stat(QFile::encodeName(folder).constData(), &st) == 0 && !S_ISDIR(st.st_mode))
                return QStringLiteral("на месте папки %1 файл, а не папка").arg(QDir::toNativeSeparators(folder));
            if (QFileInfo(folder).isRoot())
                break;
        }
        return QStringLiteral("часть пути к нему не является папкой");
    }
    if (error == EACCES)
        return QStringLiteral("нет права доступа к папке, в которой он лежит");
    if (error == ELOOP)
        return QStringLiteral("слишком много символических ссылок в пути к нему");
    return QStringLiteral("файл недоступен (системная ошибка %1)").arg(error);
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
        return errno == ENOENT ? QString() : whyUnreachable(path, errno);
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

// Why the text of a settings file cannot be settings: they are text in UTF-8
// made of lines that are empty, comments (";", "#"), section names in
// brackets or "key=value" (a value may go on over lines that end in a
// backslash).
// Bytes of another kind (a file of random bytes, one padded with zero
// bytes) would be read as no settings at all, which looks like a first start.
QString whyNotSettingsText(const QByteArray& content)
{
    const QString damaged = QStringLiteral("файл поврежден: ");
    if (content.contains('\0'))
        return damaged + QStringLiteral("в нем нулевые байты");
    QByteArray text = content;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (!QUtf8StringView(text).isValidUtf8())
        return damaged + QStringLiteral("это не текст");
    bool continued = false;
    int number = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        const bool fits = continued || line.isEmpty() || line.startsWith(';') || line.startsWith('#')
            || (line.startsWith('[') && line.endsWith(']')) || line.indexOf('=') > 0;
        if (!fits)
            return damaged + QStringLiteral("строка %1 не является настройкой").arg(number);
        continued = line.endsWith('\\');
    }
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
    // Regular files all, or none: their text may be read.
    for (const QString& file : files) {
        QFile f(file);
        if (!f.exists())
            continue;
        if (!f.open(QIODevice::ReadOnly))
            return problem(file, f.error() == QFileDevice::PermissionsError ? QStringLiteral("нет права на чтение")
                                                                            : QStringLiteral("файл не открывается"));
        if (why = whyNotSettingsText(f.readAll()); !why.isEmpty())
            return problem(file, why);
    }
    // Now a QSettings may read them.
    const QSettings s = userSettings();
    if (QFileInfo::exists(s.fileName()) && s.status() != QSettings::NoError)
        return problem(s.fileName(), QStringLiteral("файл поврежден"));
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
