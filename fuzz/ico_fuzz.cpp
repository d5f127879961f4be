// Feeds arbitrary bytes to the icon reader and asks it for its largest image.
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/Icon.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantrelle::pictures;
    TIcon icon;
    Stream stream(std::span<const std::uint8_t>(data, size));
    try {
        icon.loadFromStream(stream);
        const TBitmap image = icon.largestImage();
        if (!image.empty())
            (void)image.pixelColor(image.width() - 1, image.height() - 1);
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
