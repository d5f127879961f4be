#pragma once

// Bringing a picture file into the cover: the file is recognised by its first bytes, copied to a temporary file
// named after the recognised format, loaded by that name's extension and reduced to a palette bitmap.
//
// The temporary files are fixed names in the working directory: "Tmp" followed by the remembered extension, and
// "Picture.tmp" for a downloaded poster. A chosen file that is itself the temporary copy (the same file under
// any path) is neither overwritten nor deleted.

#include "vantrelle/pictures/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantrelle::pictures {

// How many bytes of the file are read to recognise it.
inline constexpr std::size_t kCoverHeadSize = 101;

// The file that holds a downloaded poster while it is imported.
inline constexpr const char* kDownloadedCoverName = "Picture.tmp";

// ".jpg" when the head holds "JFIF", else ".gif" when it holds "GIF", else `coverExtension` unchanged.
std::string recognizeCoverExtension(std::span<const std::uint8_t> head, const std::string& coverExtension);

// The name of the import's temporary copy: "Tmp" followed by the extension.
std::string coverTempName(const std::string& coverExtension);

// Makes the picture show the file as a palette bitmap (empty for a file that loads as an empty picture).
// `coverExtension` is the remembered extension with its leading "."; a recognised JPEG or GIF file changes it,
// also when the import then fails. Fails with EInOutError when the file cannot be opened for reading and
// writing, and with the loader's or the converter's error; the picture keeps its previous graphic on a failure
// to load, and holds the loaded, unconverted graphic on a failure to convert. The temporary copy is deleted
// unless loading failed.
void ImportCoverFile(TPicture& picture, std::string& coverExtension, const std::string& fileName);

// Writes a downloaded poster to "Picture.tmp", imports it and deletes it. After a failure "Picture.tmp" stays;
// EFileError "Cannot create file Picture.tmp" or "Stream write error" when it cannot be written.
void importDownloadedCover(TPicture& picture, std::string& coverExtension, std::span<const std::uint8_t> body);

} // namespace vantrelle::pictures
