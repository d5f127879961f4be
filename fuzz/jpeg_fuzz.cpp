// Feeds arbitrary bytes to the JPEG reader: the header is always read, and small pictures are decoded too.
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/JPEGImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantrelle::pictures;
    TJPEGImage image;
    Stream stream(std::span<const std::uint8_t>(data, size));
    try {
        image.loadFromStream(stream);
        if (std::int64_t(image.width()) * image.height() <= 256 * 256) {
            const TBitmap& bitmap = image.Bitmap();
            if (!bitmap.empty() && (bitmap.width() != image.width() || bitmap.height() != image.height()))
                __builtin_trap();
        }
    } catch (const EJPEG&) {
    }
    return 0;
}
