// vantrelle-tool reduce IN OUT.bmp: brings a picture down to a palette bitmap as the cover import
// does and writes the BMP bytes that the Cover column would store.
#include "CommandRegistry.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/ColorReduction.h"
#include "vantrelle/pictures/Errors.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

std::string extensionOf(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of("/\\:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string extension = fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

int reduce(const vantrelle::tool::Arguments& args)
{
    using namespace vantrelle::pictures;
    if (args.size() != 2)
        throw vantrelle::tool::UsageError { "reduce needs an input and an output file" };
    const std::string extension = extensionOf(args[0]);
    if (extension != "bmp")
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    TBitmap source;
    source.LoadFromFile(args[0]);
    // Palette pictures keep their own colours; deeper ones are reduced.
    if (source.BitsPerPixel() <= 8) {
        source.SaveToFile(args[1]);
        return 0;
    }
    ReduceToPaletteBitmap(source, TReductionMode::OptimalWithSystemColors, TDitherKind::NearestColor)
        ->SaveToFile(args[1]);
    return 0;
}

const vantrelle::tool::RegisterCommand registration(
    "reduce", { "reduce IN OUT.bmp", "reduce a picture to a 256-colour palette bitmap, as a stored cover", reduce });

} // namespace
