#pragma once

#include <filesystem>

namespace vantrelle {

// The folder of the user's own Vantrelle files (the catalogue started from a desktop menu, the title
// index): $XDG_DATA_HOME/vantrelle, or ~/.local/share/vantrelle when XDG_DATA_HOME is unset, empty or
// not an absolute path (XDG Base Directory Specification). The folder may not exist yet. Throws
// vantrelle::Error when neither XDG_DATA_HOME nor HOME gives a place.
std::filesystem::path userDataDir();

// The folder of Vantrelle's caches (posters): $XDG_CACHE_HOME/vantrelle, or ~/.cache/vantrelle when
// XDG_CACHE_HOME is unset, empty or not an absolute path. The folder may not exist yet. Throws
// vantrelle::Error when neither XDG_CACHE_HOME nor HOME gives a place.
std::filesystem::path userCacheDir();

// The title index that the window serves to its lookups: the file named by VANTRELLE_TITLE_INDEX
// when that is set and not empty, else titles.db in userDataDir(). The file may not exist. Throws
// as userDataDir() does.
std::filesystem::path userTitleIndex();

} // namespace vantrelle
