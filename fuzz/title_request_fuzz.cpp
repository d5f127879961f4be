// Requests to the title service come from any program on the machine. The first line of the input is
// the Host header, the rest the request target: whatever they hold, the service answers with a page,
// a redirect or a 404, never with a failure, and never echoes a line break into a header.
#include "vantrelle/ScratchDir.h"
#include "vantrelle/titledata/Import.h"
#include "vantrelle/titlesite/TitleSite.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

using namespace vantrelle::titlesite;
using namespace vantrelle::titledata;
namespace fs = std::filesystem;

// A small index imported into `dir`.
fs::path writeIndex(const fs::path& dir)
{
    const std::pair<const char*, const char*> files[] = {
        { "title.basics.tsv",
            "tconst\ttitleType\tprimaryTitle\toriginalTitle\tisAdult\tstartYear\tendYear\truntimeMinutes\tgenres\n"
            "tt0133093\tmovie\tThe Matrix\tThe Matrix\t0\t1999\t\\N\t136\tAction,Sci-Fi\n"
            "tt0078748\tmovie\tAlien (1979)\t\\N\t0\t\\N\t\\N\t\\N\t\\N\n" },
        { "title.ratings.tsv", "tconst\taverageRating\tnumVotes\ntt0133093\t8.7\t9\ntt0078748\t8.5\t8\n" },
        { "title.crew.tsv", "tconst\tdirectors\twriters\ntt0133093\tnm0000001\t\\N\n" },
        { "title.principals.tsv",
            "tconst\tordering\tnconst\tcategory\tjob\tcharacters\ntt0133093\t1\tnm0000002\tactor\t\\N\t[\"Neo\"]\n" },
        { "name.basics.tsv",
            "nconst\tprimaryName\tbirthYear\tdeathYear\tprimaryProfession\tknownForTitles\n"
            "nm0000001\tLana Wachowski\t\\N\t\\N\t\\N\t\\N\nnm0000002\tSammy Davis, Jr.\t\\N\t\\N\t\\N\t\\N\n" },
    };
    for (const auto& [file, text] : files)
        std::ofstream(dir / file) << text;
    importTitles(dir, dir / "titles.db");
    return dir / "titles.db";
}

// Made once per run; the folder goes at exit, after the service.
struct Fixture {
    vantrelle::ScratchDir dir { "title-request-fuzz" };
    TitleSite service { writeIndex(dir.path()) };
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view host = newline == std::string_view::npos ? std::string_view() : input.substr(0, newline);
    const std::string_view target = newline == std::string_view::npos ? input : input.substr(newline + 1);
    const ServiceAnswer answer = fixture.service.answer(target, host);
    if (answer.status != 200 && answer.status != 302 && answer.status != 404)
        __builtin_trap();
    if ((answer.status == 302) != !answer.location.empty())
        __builtin_trap();
    if (answer.location.find_first_of("\r\n") != std::string::npos)
        __builtin_trap();
    return 0;
}
