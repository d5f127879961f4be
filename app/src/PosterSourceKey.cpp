#include "vantrelle/app/PosterSourceKey.h"

#include <QSettings>

namespace vantrelle::app {

namespace {

constexpr auto kKeyName = "posterSource/tmdbKey";

// $XDG_CONFIG_HOME/vantrelle/vantrelle.conf, an INI file (Qt's native format on Unix).
QSettings userSettings()
{
    return QSettings(QStringLiteral("vantrelle"), QStringLiteral("vantrelle"));
}

} // namespace

QString savedPosterSourceKey()
{
    return userSettings().value(QLatin1String(kKeyName)).toString();
}

bool savePosterSourceKey(const QString& key)
{
    QSettings settings = userSettings();
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
