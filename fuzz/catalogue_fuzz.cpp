// Opens the movies query on arbitrary bytes as the catalogue file, reads every column of every row and the
// warning about unreadable values, saves a change to the first film and opens the file again.
#include "vantrelle/Error.h"
#include "vantrelle/store/MoviesQuery.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path file
        = std::filesystem::temp_directory_path() / ("vantrelle-fuzz-" + std::to_string(getpid()) + ".mdb");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    vantrelle::store::MoviesQuery query;
    query.ConnectionString = vantrelle::store::connectionStringFor(file);
    try {
        query.open();
        std::size_t total = 0;
        for (int recNo = 1; recNo <= query.recordCount(); ++recNo)
            for (const vantrelle::store::Field* field : query.fields())
                total += query.displayTextAt(recNo, *field).size();
        total += query.openWarning().size();
        (void)total;
        if (!query.isEmpty()) {
            query.edit();
            query.aqMoviesGenre.setAsString("Drama");
            query.post();
            query.close();
            query.open();
        }
    } catch (const vantrelle::Error&) {
        // refused with a message: what a damaged file must give
    }
    // A write may leave a journal beside the file; none may reach the next input.
    std::error_code ignored;
    for (const char* suffix : { "", "-journal", "-wal", "-shm" })
        std::filesystem::remove(file.string() + suffix, ignored);
    return 0;
}
