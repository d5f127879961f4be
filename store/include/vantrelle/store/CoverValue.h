#pragma once

#include "vantrelle/store/Field.h"

#include <filesystem>
#include <span>
#include <string>

namespace vantrelle::store {

// True when the bytes are what the Cover column holds: a BMP file, perhaps behind the 8-byte graphic header.
bool isCoverBitmap(std::span<const std::uint8_t> bytes);

// The bytes the Cover column stores for a picture file brought in by the cover import (recognised, loaded by
// extension, reduced to a palette bitmap); empty when the file loads as an empty picture. `extension` is the
// remembered extension with its "." that decides the loader when the file is not recognised by its first bytes.
// Fails with the cover import's errors.
Bytes importCoverPicture(const std::filesystem::path& file, const std::string& extension);

// A cover from a data file: bitmap bytes are kept as they are once they read as a bitmap ("Bitmap image is not
// valid" otherwise); any other picture goes through importCoverPicture. Fails when that leaves no picture.
Bytes coverValue(Bytes bytes, const std::string& extension);

} // namespace vantrelle::store
