#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vantrelle::app {

// The catalogue the window opens at start-up: `file` when the command line names one; otherwise
// "Movies.mdb" in the working directory when there is one; otherwise the user's own catalogue,
// userDataDir() / "Movies.mdb", which is created empty, folder and all, when it does not exist yet.
// The path is absolute, so that every message about the catalogue names a file the user can find.
// A named file that does not exist is not created: opening it reports it missing.
// Throws vantrelle::Error when the user's catalogue has no place or cannot be created.
std::filesystem::path startupCatalogue(const std::optional<std::string>& file);

// A catalogue named on the command line that does not exist: asks whether to create an empty one there. Yes
// creates it and gives true; No gives false, and the program ends rather than show a window in which every
// action fails. A file that exists gives true at once. Throws vantrelle::Error when the file cannot be created.
bool offerToCreateCatalogue(const std::filesystem::path& file);

} // namespace vantrelle::app
