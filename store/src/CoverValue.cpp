#include "vantrelle/store/CoverValue.h"

#include "vantrelle/ScratchDir.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/Picture.h"

#include <fstream>

namespace vantrelle::store {

namespace fs = std::filesystem;

bool isCoverBitmap(std::span<const std::uint8_t> bytes)
{
    const auto file = pictures::TBitmap::stripGraphicHeader(bytes);
    return file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
}

Bytes importCoverPicture(const fs::path& file, const std::string& extension)
{
    pictures::TPicture picture;
    std::string remembered = extension;
    pictures::ImportCoverFile(picture, remembered, file.string());
    // The cover control stores only bitmaps; anything else, or a bitmap without pixels, leaves the column null.
    const auto* bitmap = dynamic_cast<const pictures::TBitmap*>(picture.graphic());
    return bitmap ? bitmap->saveToBytes() : Bytes();
}

Bytes coverValue(Bytes bytes, const std::string& extension)
{
    if (isCoverBitmap(bytes)) {
        pictures::TBitmap().loadFromBlob(bytes);
        return bytes;
    }
    const ScratchDir scratch("cover");
    const fs::path file = scratch / ("cover" + extension);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw pictures::EFileError("Cannot create file " + file.string());
    out.close();
    Bytes reduced = importCoverPicture(file, extension);
    if (reduced.empty())
        throw pictures::EInvalidGraphic("not a picture that a cover can be made of");
    return reduced;
}

} // namespace vantrelle::store
