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
        bitmap.LoadFromBlob(std::span<const std::uint8_t>(data, size));
    } catch (const vantrelle::pictures::EInvalidGraphic&) {
        return 0;
    }
    // Writing back and re-reading is checked on small pictures only, to keep the runs fast.
    if (!bitmap.Empty() && std::int64_t { bitmap.Width() } * bitmap.Height() <= 1 << 20) {
        const auto bytes = bitmap.SaveToBytes();
        vantrelle::pictures::TBitmap again;
        again.LoadFromBlob(bytes);
        if (again.SaveToBytes() != bytes)
            __builtin_trap();
        (void)bitmap.PixelColor(bitmap.Width() - 1, bitmap.Height() - 1);

        if (std::int64_t { bitmap.Width() } * bitmap.Height() > 1 << 16)
            return 0;
        vantrelle::pictures::TGIFGraphic converter;
        converter.Assign(&bitmap);
        const vantrelle::pictures::TBitmap* reduced = converter.Bitmap();
        if (reduced == nullptr || reduced->Width() != bitmap.Width() || reduced->BitsPerPixel() > 8)
            __builtin_trap();
    }
    return 0;
}
