#include "vantrelle/titlesite/PosterFolder.h"

#include "vantrelle/Error.h"
#include "vantrelle/titlesite/ServiceRequest.h"
#include "vantrelle/titlesite/TitlePages.h"

namespace vantrelle::titlesite {

namespace fs = std::filesystem;

std::map<std::int64_t, fs::path> posterFiles(const fs::path& folder)
{
    if (!fs::is_directory(folder))
        throw Error("The poster folder \"" + folder.string() + "\" does not exist");
    std::map<std::int64_t, fs::path> posters;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto number = requestedTitleNumber(entry.path().stem().string());
        // A symlink, a folder or a fifo is no poster: only plain files of the folder itself are served.
        if (entry.symlink_status().type() == fs::file_type::regular && number
            && entry.path().stem() == titleNumberText(*number))
            posters[*number] = entry.path();
    }
    return posters;
}

} // namespace vantrelle::titlesite
