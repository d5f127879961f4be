// Feeds arbitrary bytes to the metafile reader and draws what it reads, when the picture is small
// enough for a quick run.
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/Metafile.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantrelle::pictures;
    TMetafile metafile;
    Stream stream(std::span<const std::uint8_t>(data, size));
    try {
        metafile.loadFromStream(stream);
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    if (std::int64_t(metafile.width()) * metafile.height() <= 512 * 512) {
        const TMetafile::Rendering rendering = metafile.render();
        if (rendering.skippedRecords < 0)
            __builtin_trap();
    }
    return 0;
}
