#include "TitleDataset.h"

#include "TestFiles.h"
#include "vantrelle/titledata/Import.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace vantrelle::test {

namespace {

std::string orNone(const std::optional<int>& value)
{
    return value ? std::to_string(*value) : "\\N";
}

std::string titleNumber(std::int64_t number)
{
    char text[24];
    std::snprintf(text, sizeof text, "tt%07lld", static_cast<long long>(number));
    return text;
}

// The characters of a cast entry: a JSON array of one string (RFC 8259, 7), or none.
std::string characters(const std::string& text)
{
    if (text.empty())
        return "\\N";
    std::string json = "[\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            json += '\\';
        json += c;
    }
    return json + "\"]";
}

} // namespace

void writeTitleDataset(const std::filesystem::path& dir, const std::vector<titleindex::Title>& titles)
{
    std::string basics = "tconst\ttitleType\tprimaryTitle\toriginalTitle\tisAdult\tstartYear\tendYear\truntimeMinutes\t"
                         "genres\n";
    std::string ratings = "tconst\taverageRating\tnumVotes\n";
    std::string crew = "tconst\tdirectors\twriters\n";
    std::string principals = "tconst\tordering\tnconst\tcategory\tjob\tcharacters\n";
    std::string names = "nconst\tprimaryName\tbirthYear\tdeathYear\tprimaryProfession\tknownForTitles\n";
    std::map<std::string, std::string> people;
    const auto person = [&](const std::string& name) {
        const auto [found, added] = people.emplace(name, "");
        if (added) {
            char number[16];
            std::snprintf(number, sizeof number, "nm%07zu", people.size());
            found->second = number;
            names += found->second + "\t" + name + "\t\\N\t\\N\t\\N\t\\N\n";
        }
        return found->second;
    };
    // As published: sorted by title number as text, so tt10470010 comes between tt1047001 and tt1047002.
    std::vector<const titleindex::Title*> inTextOrder;
    for (const titleindex::Title& title : titles)
        inTextOrder.push_back(&title);
    std::sort(inTextOrder.begin(), inTextOrder.end(),
        [](const auto* a, const auto* b) { return titleNumber(a->number) < titleNumber(b->number); });
    for (const titleindex::Title* each : inTextOrder) {
        const titleindex::Title& title = *each;
        const std::string number = titleNumber(title.number);
        std::string genres;
        for (const std::string& genre : title.genres)
            genres += (genres.empty() ? "" : ",") + genre;
        basics += number + "\t" + title.type + "\t" + title.title + "\t" + title.title + "\t0\t" + orNone(title.year)
            + "\t\\N\t" + orNone(title.runtime) + "\t" + (genres.empty() ? "\\N" : genres) + "\n";
        if (title.votes > 0)
            ratings += number + "\t7.0\t" + std::to_string(title.votes) + "\n";
        std::string directors;
        for (const std::string& director : title.directors)
            directors += (directors.empty() ? "" : ",") + person(director);
        crew += number + "\t" + (directors.empty() ? "\\N" : directors) + "\t\\N\n";
        // Last billed first: the importer orders them by their ordering, not by their lines.
        for (std::size_t i = title.cast.size(); i-- > 0;)
            principals += number + "\t" + std::to_string(i + 1) + "\t" + person(title.cast[i].name) + "\tactor\t\\N\t"
                + characters(title.cast[i].characters) + "\n";
    }
    std::filesystem::create_directories(dir);
    writeFile(dir / "title.basics.tsv", basics);
    writeFile(dir / "title.ratings.tsv", ratings);
    writeFile(dir / "title.crew.tsv", crew);
    writeFile(dir / "title.principals.tsv", principals);
    writeFile(dir / "name.basics.tsv", names);
}

std::filesystem::path importedIndex(const std::filesystem::path& dir, const std::vector<titleindex::Title>& titles)
{
    writeTitleDataset(dir / "dataset", titles);
    titledata::importTitles(dir / "dataset", dir / "titles.db");
    return dir / "titles.db";
}

} // namespace vantrelle::test
