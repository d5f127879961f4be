#include "vantrelle/pictures/Graphic.h"

#include "vantrelle/pictures/Errors.h"

#include <fstream>
#include <memory>
#include <span>

namespace vantrelle::pictures {

void TGraphic::loadFromFile(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in)
        throw EFileError("Cannot open file " + fileName);
    // One read of the whole file: byte-by-byte iteration costs more than decoding a large bitmap.
    const std::streamoff size = in.tellg();
    if (size < 0)
        throw EFileError("Cannot open file " + fileName);
    // Not zeroed first: the read fills every byte, and a picture file may be megabytes.
    const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(size)))
        throw EFileError("Cannot open file " + fileName);
    Stream stream(std::span<const std::uint8_t>(bytes.get(), static_cast<std::size_t>(size)));
    loadFromStream(stream);
}

} // namespace vantrelle::pictures
