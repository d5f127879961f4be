// Feeds arbitrary bytes to the GIF reader and checks what it gives: every frame holds exactly
// width x height pixels, and reading never ends in anything but EGIFError.
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/GIFImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vantrelle::pictures;
    TGIFGraphic image;
    Stream stream(std::span<const std::uint8_t>(data, size));
    try {
        image.loadFromStream(stream);
    } catch (const EGIFError&) {
        if (stream.position() != 0 || !image.empty())
            __builtin_trap();
        return 0;
    }
    for (const auto& frame : image.frames()) {
        if (!frame->empty() && frame->pixels.size() != std::size_t(frame->width) * frame->height)
            __builtin_trap();
        (void)frame->activeColorTable();
    }
    return 0;
}
