// vantrelle-tool picture-info FILE: loads a picture file as the program does (by its extension) and
// prints the class that read it, its size and frame count, or the reader's error.
#include "CommandRegistry.h"

#include "vantrelle/Error.h"
#include "vantrelle/pictures/GIFImage.h"
#include "vantrelle/pictures/Picture.h"
#include "vantrelle/pictures/PictureFormats.h"

#include <iostream>

using namespace vantrelle::pictures;

namespace {

int pictureInfo(const vantrelle::tool::Arguments& arguments)
{
    if (arguments.size() != 1)
        throw vantrelle::tool::UsageError { "picture-info takes one file name" };
    const std::string& fileName = arguments[0];
    const GraphicClass* graphicClass = FindPictureFormat(pictureFileExtension(fileName));
    if (graphicClass)
        std::cout << "class: " << graphicClass->create()->className() << "\n";
    TPicture picture;
    try {
        LoadPictureFile(picture, fileName);
    } catch (const vantrelle::Error& e) {
        std::cout << "error: " << e.what() << "\n";
        return 1;
    }
    const TGraphic* graphic = picture.graphic();
    std::size_t frames = graphic->empty() ? 0 : 1;
    if (const auto* gif = dynamic_cast<const TGIFGraphic*>(graphic))
        frames = gif->frames().size();
    std::cout << "width: " << graphic->width() << "\nheight: " << graphic->height() << "\nframes: " << frames << "\n";
    return 0;
}

vantrelle::tool::RegisterCommand reg("picture-info",
    { "picture-info FILE", "load a picture file by its extension and print its class, size and frames", pictureInfo });

} // namespace
