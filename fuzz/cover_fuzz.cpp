// Imports arbitrary bytes as a cover file: the first byte picks the extension remembered before the import, the
// rest is the file. Whatever is recognised or loaded, a successful import must leave a bitmap (a palette bitmap,
// an empty one, or the white screen of a GIF whose first frame is smaller than it) and no temporary copy.
#include "vantrelle/Error.h"
#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/CoverImport.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

// One private working directory per process, for the file and the import's temporary copy.
void enterScratchDirectory()
{
    static const bool entered = [] {
        const auto dir
            = std::filesystem::temp_directory_path() / ("vantrelle-cover-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        return true;
    }();
    (void)entered;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const remembered[] = { "", ".jpg", ".gif", ".bmp", ".ico", ".wmf", ".emf", ".png" };
    if (size == 0)
        return 0;
    enterScratchDirectory();
    std::ofstream("poster", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));

    vantrelle::pictures::TPicture picture;
    std::string extension = remembered[data[0] % 8];
    try {
        vantrelle::pictures::ImportCoverFile(picture, extension, "poster");
    } catch (const vantrelle::Error&) {
        return 0;
    }
    if (picture.graphic() != nullptr && dynamic_cast<const vantrelle::pictures::TBitmap*>(picture.graphic()) == nullptr)
        __builtin_trap();
    if (std::filesystem::exists(vantrelle::pictures::coverTempName(extension)))
        __builtin_trap();
    return 0;
}
