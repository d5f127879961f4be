#pragma once

// Bringing a picture file into the cover: the file is recognised by its first bytes, copied to a temporary file
// named after the recognised format, loaded by that name's extension and reduced to a palette bitmap.
//
// The temporary files, "Tmp" followed by the remembered extension and "Picture.tmp" for a downloaded poster, live
// in a private folder made for the one import under the system's temporary folder (mkdtemp, mode 0700), which is
// removed on every path, failures included. The working directory is never written to.

#include "vantrelle/pictures/Picture.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantrelle::pictures {

// How many bytes of the file are read to recognise it.
inline constexpr std::size_t kCoverHeadSize = 101;

// The name of the file that holds a downloaded poster while it is imported.
inline constexpr const char* kDownloadedCoverName = "Picture.tmp";

// ".jpg" when the head begins with a JPEG marker or holds "JFIF", else ".gif" when it holds "GIF", else the
// extension of a BMP, ICO, WMF or EMF file by its signature, else `coverExtension` unchanged. A picture of a kind
// that no loader takes (PNG, TIFF, WebP) fails with EInvalidGraphic naming the kind.
std::string recognizeCoverExtension(std::span<const std::uint8_t> head, const std::string& coverExtension);

// The name of the import's temporary copy within its folder: "Tmp" followed by the extension.
std::string coverTempName(const std::string& coverExtension);

// Makes the picture show the file as a palette bitmap (empty for a file that loads as an empty picture), scaled
// down first when both its sides are larger than a cover needs (CoverSize.h).
// `coverExtension` is the remembered extension with its leading "."; a recognised JPEG or GIF file changes it,
// also when the import then fails. Fails with EInOutError when the file cannot be opened for reading, EFileError
// when it cannot be copied, and with the loader's or the converter's error; the picture keeps its previous
// graphic on a failure to load, and holds the loaded, unconverted graphic on a failure to convert.
void ImportCoverFile(TPicture& picture, std::string& coverExtension, const std::string& fileName);

// Writes a downloaded poster to a private "Picture.tmp" and imports it; EFileError "Cannot create file
// Picture.tmp" or "Stream write error" when it cannot be written.
void importDownloadedCover(TPicture& picture, std::string& coverExtension, std::span<const std::uint8_t> body);

} // namespace vantrelle::pictures
