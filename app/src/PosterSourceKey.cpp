#include "vantrelle/app/PosterSourceKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrelle::app {

namespace {

constexpr auto kKeyName = "posterSource/tmdbKey";

// $XDG_CONFIG_HOME/vantrelle/vantrelle.conf, an INI file (Qt's native format on Unix).
QSettings userSettings()
{
    return QSettings(QStringLiteral("vantrelle"), QStringLiteral("vantrelle"));
}

// The key is the user's own: the folder the program makes for it is private, and the file is made private
// before the key goes in (Qt keeps an existing file's permissions when it rewrites it).
bool makePrivateFile(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)
        && (!QDir().mkpath(folder)
            || !QFile::setPermissions(
                folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)))
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool madePrivate = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return madePrivate;
}

} // namespace

QString savedPosterSourceKey()
{
    return userSettings().value(QLatin1String(kKeyName)).toString();
}

bool savePosterSourceKey(const QString& key)
{
    QSettings settings = userSettings();
    if (!makePrivateFile(settings.fileName()))
        return false;
    const QString trimmed = key.trimmed();
    if (trimmed.isEmpty())
        settings.remove(QLatin1String(kKeyName));
    else
        settings.setValue(QLatin1String(kKeyName), trimmed);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

postersource::TmdbSettings posterSourceSettings()
{
    return postersource::tmdbSettingsFromEnvironment(savedPosterSourceKey().toStdString(), kPosterSourceSetting);
}

} // namespace vantrelle::app
