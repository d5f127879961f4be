#include "vantrelle/pictures/Graphic.h"

#include "vantrelle/pictures/Errors.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace vantrelle::pictures {

void TGraphic::LoadFromFile(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EFileError("Cannot open file " + fileName);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw EFileError("Cannot open file " + fileName);
    TStream stream(bytes);
    LoadFromStream(stream);
}

} // namespace vantrelle::pictures
