#pragma once

// The reader of each kind of collection file. Each takes the file's bytes and the file's path (for pictures
// beside it) and throws ECollectionError with the reason alone; readCollection puts the file's name before it.

#include "vantrelle/collections/Collection.h"

#include <filesystem>
#include <string_view>

namespace vantrelle::collections {

std::vector<FileFilm> readPlainList(std::string_view text);

// A CSV export: IMDb's when its header names a "Const" column, Letterboxd's when it names "Name" or begins with a
// list export's header block. None when the text is no such export.
std::optional<Collection> readCsvExport(std::string_view text);

// An XML collection, by its root element; none when the text is not XML.
std::optional<Collection> readXmlCollection(std::string_view text, const std::filesystem::path& file);

// A Tellico .tc file: a zip holding tellico.xml and its images.
Collection readTellicoZip(std::string_view bytes, const std::filesystem::path& file);

} // namespace vantrelle::collections
