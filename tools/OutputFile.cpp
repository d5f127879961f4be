#include "OutputFile.h"

#include "vantrelle/pictures/Errors.h"

#include <fstream>

namespace vantrelle::tool {

void writeOutputFile(const std::filesystem::path& file, std::span<const std::uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw pictures::EFileError("Cannot create file " + file.string());
}

} // namespace vantrelle::tool
