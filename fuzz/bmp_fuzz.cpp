// Feeds arbitrary bytes to the BMP reader (as a stored cover value, with or without the graphic
// header), writes back whatever it reads, and converts small pictures as a cover import would.
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vantrelle::pictures::TBitmap bitmap;
    try {
        bitmap.loadFromBlob(std::span<const std::uint8_t>(data, size));
    } catch (const vantrelle::pictures::EInvalidGraphic&) {
        return 0;
    }
    // Writing back and re-reading is checked on small pictures only, to keep the runs fast.
    if (!bitmap.empty() && std::int64_t { bitmap.width() } * bitmap.height() <= 1 << 20) {
        const auto bytes = bitmap.saveToBytes();
        vantrelle::pictures::TBitmap again;
        again.loadFromBlob(bytes);
        if (again.saveToBytes() != bytes)
            __builtin_trap();
        (void)bitmap.pixelColor(bitmap.width() - 1, bitmap.height() - 1);

        if (std::int64_t { bitmap.width() } * bitmap.height() > 1 << 16)
            return 0;
        vantrelle::pictures::TGIFGraphic converter;
        converter.Assign(&bitmap);
        const vantrelle::pictures::TBitmap* reduced = converter.Bitmap();
        if (reduced == nullptr || reduced->width() != bitmap.width() || reduced->bitsPerPixel() > 8)
            __builtin_trap();
    }
    return 0;
}
