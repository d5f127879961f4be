// vantrelle-tool cover FILE OUT.bmp [--extension .jpg]: imports a picture file as the window does when it becomes
// a film's cover (recognised by its first bytes, copied, loaded by extension, reduced) and writes the bytes that
// the Cover column would store. --extension gives the remembered extension, as a poster URL leaves it.
#include "CommandRegistry.h"

#include "vantrelle/pictures/Bitmap.h"
#include "vantrelle/pictures/CoverImport.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/pictures/Picture.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fresh directory made the working directory while the object lives, so that the import's temporary files
// never meet anyone else's; it is removed with whatever the import left in it.
class ScratchWorkingDir {
public:
    ScratchWorkingDir()
        : m_previous(fs::current_path())
    {
        std::random_device seed;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            fs::path candidate = fs::temp_directory_path() / ("vantrelle-cover-" + std::to_string(seed()));
            if (fs::create_directory(candidate))
                m_path = std::move(candidate);
        }
        if (m_path.empty())
            throw std::runtime_error("cannot create a temporary directory");
        fs::current_path(m_path);
    }
    ~ScratchWorkingDir()
    {
        std::error_code ignored;
        fs::current_path(m_previous, ignored);
        fs::remove_all(m_path, ignored);
    }
    ScratchWorkingDir(const ScratchWorkingDir&) = delete;
    ScratchWorkingDir& operator=(const ScratchWorkingDir&) = delete;

private:
    fs::path m_previous;
    fs::path m_path;
};

int cover(const vantrelle::tool::Arguments& args)
{
    using namespace vantrelle::pictures;
    std::string extension;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--extension" && i + 1 < args.size())
            extension = args[++i];
        else
            files.push_back(args[i]);
    }
    if (files.size() != 2)
        throw vantrelle::tool::UsageError { "cover needs a picture file and an output file" };
    const std::string in = fs::absolute(files[0]).string();
    const std::string out = fs::absolute(files[1]).string();

    TPicture picture;
    {
        const ScratchWorkingDir scratch;
        ImportCoverFile(picture, extension, in);
    }
    // The cover control stores only bitmaps; anything else, or a bitmap without pixels, leaves the column null.
    const auto* bitmap = dynamic_cast<const TBitmap*>(picture.Graphic());
    const std::vector<std::uint8_t> bytes = bitmap ? bitmap->SaveToBytes() : std::vector<std::uint8_t>();
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush())
        throw EFileError("Cannot create file " + out);
    if (bytes.empty())
        std::cout << "empty cover: the Cover column stays null\n";
    return 0;
}

const vantrelle::tool::RegisterCommand registration("cover",
    { "cover FILE OUT.bmp [--extension .EXT]",
        "import a picture file as a film's cover and write the bytes the Cover column stores", cover });

} // namespace
