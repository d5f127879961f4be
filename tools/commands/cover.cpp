// vantrelle-tool cover FILE OUT.bmp [--extension .jpg]: imports a picture file as the window does when it becomes
// a film's cover (recognised by its first bytes, copied, loaded by extension, reduced) and writes the bytes that
// the Cover column would store. --extension gives the remembered extension, as a poster URL leaves it.
#include "CommandRegistry.h"
#include "OutputFile.h"

#include "vantrelle/store/CoverValue.h"

#include <filesystem>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;

namespace {

int cover(const vantrelle::tool::Arguments& args)
{
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

    const std::vector<std::uint8_t> bytes = vantrelle::store::importCoverPicture(in, extension);
    vantrelle::tool::writeOutputFile(out, bytes);
    if (bytes.empty())
        std::cout << "empty cover: the Cover column stays null\n";
    return 0;
}

const vantrelle::tool::RegisterCommand registration("cover",
    { "cover FILE OUT.bmp [--extension .EXT]",
        "import a picture file as a film's cover and write the bytes the Cover column stores", cover });

} // namespace
