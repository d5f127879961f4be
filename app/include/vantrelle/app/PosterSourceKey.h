#pragma once

#include "vantrelle/postersource/TmdbSource.h"

#include <QString>

#include <string_view>

namespace vantrelle::app {

// Where the user sets the key, as the message about a refused one names it.
inline constexpr std::string_view kPosterSourceSetting = "\"Poster Source...\" in the Action menu";

// The TMDB key saved in the user's configuration ($XDG_CONFIG_HOME/vantrelle/vantrelle.conf); empty
// when none is saved.
QString savedPosterSourceKey();
// Saves the key, trimmed; an empty one removes the saved key. False when the configuration cannot
// be written.
bool savePosterSourceKey(const QString& key);

// The poster source's settings: VANTRELLE_TMDB_KEY when set, else the saved key (see
// postersource::tmdbSettingsFromEnvironment).
postersource::TmdbSettings posterSourceSettings();

} // namespace vantrelle::app
