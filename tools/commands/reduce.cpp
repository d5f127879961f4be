// vantrelle-tool reduce IN OUT.bmp: loads a picture file by its extension, brings it down to a palette
// bitmap as the cover import does, and writes the BMP bytes that the Cover column would store.
#include "CommandRegistry.h"

#include "vantrelle/Error.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Picture.h"
#include "vantrelle/pictures/PictureFormats.h"

#include <malloc.h>

#include <string>

namespace {

int reduce(const vantrelle::tool::Arguments& args)
{
    using namespace vantrelle::pictures;
    if (args.size() != 2)
        throw vantrelle::tool::UsageError { "reduce needs an input and an output file" };
    // The picture's buffers, megabytes each, follow one another: taken from the heap rather than mapped
    // one by one, the file's bytes, once decoded, make room for the result, its frame's pixels and the
    // output, which then need no fresh pages from the system.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    TPicture picture;
    LoadPictureFile(picture, args[0]);
    TGIFGraphic converter;
    converter.setReductionMode(TReductionMode::OptimalWithSystemColors);
    converter.Assign(picture.graphic());
    const TBitmap* bitmap = converter.Bitmap();
    if (bitmap == nullptr || bitmap->empty())
        throw vantrelle::Error("The picture " + args[0] + " has no pixels: the cover would be empty");
    bitmap->saveToFile(args[1]);
    return 0;
}

const vantrelle::tool::RegisterCommand registration("reduce",
    { "reduce IN OUT.bmp", "reduce a picture to a palette bitmap as a cover import does, and write its BMP bytes",
        reduce });

} // namespace
