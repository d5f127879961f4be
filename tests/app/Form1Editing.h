#pragma once

#include "Catalogue.h"

#include "vantrelle/app/ErrorHandler.h"

#include <QCoreApplication>
#include <QString>

#include <vector>

namespace vantrelle::test {

// Films with taglines and runtimes, which the editing tests of the window open.
inline const std::vector<Film> threeFilms {
    { "Zulu", 1964, "Dwarfing the mightiest!", 138 },
    { "Alien", 1979, "In space no one can hear you scream.", 117 },
    { "Brazil", 1985, "", 142 },
};

inline QString errorCaption()
{
    return app::applicationTitle(QCoreApplication::applicationFilePath());
}

} // namespace vantrelle::test
