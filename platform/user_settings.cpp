// The settings reader: QSettings' INI reading over an ordered list of files, the first
// that holds a key winning, as QSettings' own fallbacks do for the desktop's places.
#include "platform/user_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char kOrganisation[] = "dazozizizavuv";
const char kApplication[] = "dazozizizavuv";

QString keyPath(const QString &group, const QString &key) { return group + QLatin1Char('/') + key; }

} // namespace

UserSettings::UserSettings()
{
    // QSettings knows the XDG places; asking it for the user's file and the machine's
    // keeps that knowledge in one place. Nothing is read or created here.
    const QString app = QString::fromLatin1(kApplication), org = QString::fromLatin1(kOrganisation);
    m_files << QSettings(QSettings::NativeFormat, QSettings::UserScope, org, app).fileName()
            << QSettings(QSettings::NativeFormat, QSettings::SystemScope, org, app).fileName();
}

UserSettings::UserSettings(const QStringList &files) : m_files(files) {}

QString UserSettings::fileOf(const QString &group, const QString &key) const
{
    for (const QString &file : m_files) {
        if (!QFileInfo::exists(file))
            continue;
        if (QSettings(file, QSettings::IniFormat).contains(keyPath(group, key)))
            return file;
    }
    return QString();
}

QString UserSettings::text(const QString &group, const QString &key, const QString &fallback) const
{
    const QString file = fileOf(group, key);
    if (file.isEmpty())
        return fallback;
    const QVariant value = QSettings(file, QSettings::IniFormat).value(keyPath(group, key));
    // An unquoted list ("a, b") comes back as a string list; the setting is the text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).trimmed();
    return value.toString().trimmed();
}

void UserSettings::reject(const QString &group, const QString &key, const QString &what) const
{
    const QString file = fileOf(group, key);
    const QString message =
        QStringLiteral("%1: [%2] %3=%4: %5")
            .arg(file.isEmpty() ? QStringLiteral("settings") : file, group, key, text(group, key), what);
    throw SettingsError(message.toStdString());
}
