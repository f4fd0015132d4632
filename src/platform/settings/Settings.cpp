#include "platform/settings/Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace settings {
namespace {

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalveta"), QStringLiteral("kalveta"));
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

QString unreadableSettingsFile()
{
    const QSettings s = userSettings();
    const QString path = s.fileName();
    const QFileInfo fi(path);
    if (!fi.exists())
        return {};
    if (!fi.isFile() || !fi.isReadable() || s.status() != QSettings::NoError)
        return path;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return path;
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
