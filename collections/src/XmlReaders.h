#pragma once

// The readers of the XML collections, each given the document's root element.

#include "vantrelle/collections/Collection.h"

#include <libxml/tree.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrelle::collections {

// The bytes of a picture that Tellico keeps inside its zip ("images/ID"); empty when there is none.
using ZipPictures = std::function<std::vector<std::uint8_t>(const std::string& id)>;

std::vector<FileFilm> readTellico(const xmlNode* root, const std::filesystem::path& file, const ZipPictures& inZip);
std::vector<FileFilm> readGcstar(const xmlNode* root, const std::filesystem::path& file);
std::vector<FileFilm> readDvdProfiler(const xmlNode* root);
std::vector<FileFilm> readKodi(const xmlNode* root);

} // namespace vantrelle::collections
