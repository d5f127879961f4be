#include "TitleDataset.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrelle::bench {

namespace {

namespace fs = std::filesystem;

// A stateless random value per (row, purpose), so that the five files can be written independently and
// still agree on every title and person.
std::uint64_t mix(std::uint64_t row, std::uint64_t purpose)
{
    std::uint64_t z = row * 0x9E3779B97F4A7C15ull + purpose * 0xD1B54A32D192ED03ull + 0x632BE59BD9B4E019ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint32_t below(std::uint64_t row, std::uint64_t purpose, std::uint32_t limit)
{
    return static_cast<std::uint32_t>(mix(row, purpose) % limit);
}

// Numbers as sparse as the real ones (about one in three is used), strictly increasing.
std::uint32_t titleNumber(std::uint32_t title)
{
    return 3 * title + 1 + below(title, 1, 3);
}

std::uint32_t personNumber(std::uint32_t person)
{
    return person + person / 5 + 1;
}

// The title or person whose number that is, if any.
std::optional<std::uint32_t> titleOfNumber(std::uint32_t number, const TitleDatasetSize& size)
{
    const std::uint32_t title = (number - 1) / 3;
    if (number == 0 || title >= size.titles || titleNumber(title) != number)
        return std::nullopt;
    return title;
}

std::optional<std::uint32_t> personOfNumber(std::uint32_t number, const TitleDatasetSize& size)
{
    if (number == 0)
        return std::nullopt;
    const auto person = static_cast<std::uint32_t>((static_cast<std::uint64_t>(number) - 1) * 5 / 6);
    for (std::uint32_t candidate = person; candidate <= person + 1; ++candidate)
        if (candidate < size.people && personNumber(candidate) == number)
            return candidate;
    return std::nullopt;
}

// Calls `each` with every number below `end` in the order of their texts, which have at least 7 digits
// ("%07u"): 1047001, 10470010, ..., 10470019, 1047002. Under a 7-digit prefix of no leading zero come
// the 8-digit numbers that begin with it, and so on.
template <typename Each> void visitInTextOrder(std::uint64_t number, std::uint64_t end, Each& each)
{
    each(static_cast<std::uint32_t>(number));
    if (number < 1'000'000)
        return;
    for (std::uint64_t longer = number * 10; longer < number * 10 + 10 && longer < end; ++longer)
        visitInTextOrder(longer, end, each);
}

template <typename Each> void forEachInTextOrder(std::uint64_t end, Each&& each)
{
    for (std::uint64_t number = 0; number < std::min<std::uint64_t>(end, 10'000'000); ++number)
        visitInTextOrder(number, end, each);
}

template <typename Each> void forEachTitle(const TitleDatasetSize& size, Each&& each)
{
    forEachInTextOrder(3ull * size.titles + 4, [&](std::uint32_t number) {
        if (const auto title = titleOfNumber(number, size))
            each(*title);
    });
}

bool isEpisode(std::uint32_t title)
{
    return below(title, 2, 100) < 75;
}

const std::array<std::string_view, 9> kOtherTypes { "movie", "movie", "short", "tvSeries", "video", "tvMovie",
    "tvSpecial", "tvMiniSeries", "videoGame" };
const std::array<std::string_view, 28> kGenres { "Action", "Adult", "Adventure", "Animation", "Biography", "Comedy",
    "Crime", "Documentary", "Drama", "Family", "Fantasy", "Film-Noir", "Game-Show", "History", "Horror", "Music",
    "Musical", "Mystery", "News", "Reality-TV", "Romance", "Sci-Fi", "Short", "Sport", "Talk-Show", "Thriller", "War",
    "Western" };
const std::array<std::string_view, 12> kProfessions { "actor", "actress", "director", "writer", "producer", "composer",
    "editor", "cinematographer", "self", "soundtrack", "camera_department", "miscellaneous" };

// Pronounceable words of 2 to 10 letters, a few with accents, from which titles and names are made.
void appendWord(std::string& out, std::uint64_t seed, bool capital)
{
    static constexpr std::string_view kSyllables[]
        = { "ka", "lo", "mi", "ne", "ru", "sa", "to", "vel", "an", "ber", "cor", "di", "el", "fa", "gre", "ha", "is",
              "jo", "mar", "nor", "os", "pe", "qui", "ra", "st", "tur", "um", "vi", "wen", "ya", "zé", "ö" };
    const std::uint32_t syllables = 1 + below(seed, 3, 4);
    for (std::uint32_t i = 0; i < syllables; ++i) {
        std::string_view syllable = kSyllables[below(seed, 10 + i, std::size(kSyllables))];
        if (capital && i == 0 && syllable[0] >= 'a' && syllable[0] <= 'z') {
            out += static_cast<char>(syllable[0] - 'a' + 'A');
            syllable.remove_prefix(1);
        }
        out += syllable;
    }
}

void appendTitle(std::string& out, std::uint32_t title, std::uint64_t purpose)
{
    const std::uint32_t words = 1 + below(title, purpose, 4);
    for (std::uint32_t w = 0; w < words; ++w) {
        if (w > 0)
            out += ' ';
        appendWord(out, mix(title, purpose + 1 + w) % 40'000, true); // a vocabulary of 40,000 words
    }
}

void appendName(std::string& out, std::uint32_t person)
{
    appendWord(out, mix(person, 20) % 5'000, true);
    out += ' ';
    appendWord(out, mix(person, 21) % 30'000, true);
}

void appendNumber(std::string& out, const char* prefix, std::uint32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%s%07u", prefix, number);
    out += text;
}

void appendInt(std::string& out, std::uint32_t value)
{
    out += std::to_string(value);
}

// A list of 1 to `most` entries; nothing (\N) with the given chance in percent.
template <typename Append>
void appendList(std::string& out, std::uint64_t row, std::uint64_t purpose, std::uint32_t most,
    std::uint32_t nullPercent, Append&& append)
{
    if (below(row, purpose, 100) < nullPercent) {
        out += "\\N";
        return;
    }
    const std::uint32_t count = 1 + below(row, purpose + 1, most);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i > 0)
            out += ',';
        append(mix(row, purpose + 2 + i));
    }
}

// Writes lines through a buffer into a gzip file.
class GzipWriter {
public:
    explicit GzipWriter(const fs::path& file)
        : m_file(gzopen(file.c_str(), "wb1"))
    {
        if (!m_file)
            throw std::runtime_error("cannot write " + file.string());
        m_buffer.reserve(kFlushAt + 4096);
    }
    ~GzipWriter() { gzclose(m_file); }

    std::string& line() { return m_buffer; }
    void endLine()
    {
        m_buffer += '\n';
        if (m_buffer.size() >= kFlushAt)
            flush();
    }
    void flush()
    {
        if (!m_buffer.empty() && gzwrite(m_file, m_buffer.data(), static_cast<unsigned>(m_buffer.size())) <= 0)
            throw std::runtime_error("gzwrite failed");
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    gzFile m_file;
    std::string m_buffer;
};

void writeBasics(const fs::path& dir, const TitleDatasetSize& size)
{
    GzipWriter out(dir / "title.basics.tsv.gz");
    out.line() += "tconst\ttitleType\tprimaryTitle\toriginalTitle\tisAdult\tstartYear\tendYear\truntimeMinutes\tgenres";
    out.endLine();
    forEachTitle(size, [&](std::uint32_t t) {
        std::string& line = out.line();
        appendNumber(line, "tt", titleNumber(t));
        line += '\t';
        line += isEpisode(t) ? "tvEpisode" : kOtherTypes[below(t, 30, kOtherTypes.size())];
        line += '\t';
        const std::size_t titleStart = line.size();
        if (isEpisode(t) && below(t, 31, 2) == 0) {
            line += "Episode #";
            appendInt(line, 1 + below(t, 32, 9));
            line += '.';
            appendInt(line, 1 + below(t, 33, 30));
        } else {
            if (below(t, 43, 100) < 2) // as in 'The "Mad" Hatter'
                line += "The \"Mad\" ";
            appendTitle(line, t, 40);
        }
        const std::string primary = line.substr(titleStart);
        line += '\t';
        if (below(t, 34, 10) == 0)
            appendTitle(line, t, 50);
        else
            line += primary;
        line += below(t, 35, 1000) < 15 ? "\t1\t" : "\t0\t";
        if (below(t, 36, 100) < 10)
            line += "\\N";
        else
            appendInt(line, 1900 + below(t, 37, 126));
        line += '\t';
        line += below(t, 38, 100) < 5 ? std::to_string(2000 + below(t, 39, 25)) : "\\N";
        line += '\t';
        if (below(t, 41, 100) < 45)
            line += "\\N";
        else
            appendInt(line, 5 + below(t, 42, 150));
        line += '\t';
        appendList(line, t, 60, 3, 5, [&](std::uint64_t r) { line += kGenres[r % kGenres.size()]; });
        out.endLine();
    });
    out.flush();
}

void writeRatings(const fs::path& dir, const TitleDatasetSize& size)
{
    GzipWriter out(dir / "title.ratings.tsv.gz");
    out.line() += "tconst\taverageRating\tnumVotes";
    out.endLine();
    // Every step'th title; votes fall off like the real counts (a few titles with millions, most with a
    // few dozen).
    const std::uint32_t step = std::max<std::uint32_t>(1, size.titles / std::max<std::uint32_t>(1, size.ratings));
    const std::uint32_t first = below(0, 70, step);
    forEachTitle(size, [&](std::uint32_t t) {
        if (t % step != first)
            return;
        std::string& line = out.line();
        appendNumber(line, "tt", titleNumber(t));
        line += '\t';
        const std::uint32_t rating = 10 + below(t, 71, 91);
        appendInt(line, rating / 10);
        line += '.';
        appendInt(line, rating % 10);
        line += '\t';
        const double u = static_cast<double>(below(t, 72, 1'000'000) + 1) / 1'000'000.0;
        appendInt(line, static_cast<std::uint32_t>(5.0 / (u * u * u)) % 3'000'000 + 5);
        out.endLine();
    });
    out.flush();
}

void writeCrew(const fs::path& dir, const TitleDatasetSize& size)
{
    GzipWriter out(dir / "title.crew.tsv.gz");
    out.line() += "tconst\tdirectors\twriters";
    out.endLine();
    forEachTitle(size, [&](std::uint32_t t) {
        std::string& line = out.line();
        appendNumber(line, "tt", titleNumber(t));
        line += '\t';
        const auto person = [&](std::uint64_t r) { appendNumber(line, "nm", personNumber(r % size.people)); };
        appendList(line, t, 80, below(t, 79, 10) == 0 ? 3 : 1, 25, person);
        line += '\t';
        appendList(line, t, 90, 4, 35, person);
        out.endLine();
    });
    out.flush();
}

void writePrincipals(const fs::path& dir, const TitleDatasetSize& size)
{
    GzipWriter out(dir / "title.principals.tsv.gz");
    out.line() += "tconst\tordering\tnconst\tcategory\tjob\tcharacters";
    out.endLine();
    struct Category {
        std::string_view name;
        std::uint32_t percent;
        bool characters;
        std::string_view job;
    };
    static constexpr Category kCategories[] = {
        { "actor", 30, true, "\\N" },
        { "actress", 21, true, "\\N" },
        { "self", 14, true, "\\N" },
        { "director", 8, false, "\\N" },
        { "writer", 9, false, "\"based on the novel\"" },
        { "producer", 8, false, "producer" },
        { "composer", 3, false, "\\N" },
        { "cinematographer", 3, false, "director of photography" },
        { "editor", 3, false, "\\N" },
        { "archive_footage", 1, true, "\\N" },
    };
    forEachTitle(size, [&](std::uint32_t t) {
        // 1 to 2 * mean - 1 rows.
        const std::uint32_t rows = 1 + below(t, 100, 2 * size.principalsPerTitle - 1);
        for (std::uint32_t ordering = 1; ordering <= rows; ++ordering) {
            const std::uint64_t row = (static_cast<std::uint64_t>(t) << 6) + ordering;
            std::uint32_t pick = below(row, 102, 100);
            const Category* category = &kCategories[0];
            for (const Category& c : kCategories) {
                category = &c;
                if (pick < c.percent)
                    break;
                pick -= c.percent;
            }
            std::string& line = out.line();
            appendNumber(line, "tt", titleNumber(t));
            line += '\t';
            appendInt(line, ordering);
            line += '\t';
            // One in a hundred people is missing from name.basics, as in the published files.
            const std::uint32_t person
                = below(row, 107, 100) == 0 ? size.people + below(row, 108, 1000) : below(row, 103, size.people);
            appendNumber(line, "nm", personNumber(person));
            line += '\t';
            line += category->name;
            line += '\t';
            line += category->job;
            line += '\t';
            if (category->characters && below(row, 104, 100) < 85) {
                line += "[\"";
                appendName(line, static_cast<std::uint32_t>(mix(row, 105)));
                if (below(row, 109, 50) == 0)
                    line += " \\\"The Kid\\\""; // a JSON escape
                line += below(row, 106, 10) == 0 ? "\",\"Narrator\"]" : "\"]";
            } else {
                line += "\\N";
            }
            out.endLine();
        }
    });
    out.flush();
}

void writeNames(const fs::path& dir, const TitleDatasetSize& size)
{
    GzipWriter out(dir / "name.basics.tsv.gz");
    out.line() += "nconst\tprimaryName\tbirthYear\tdeathYear\tprimaryProfession\tknownForTitles";
    out.endLine();
    const std::uint64_t end = size.people == 0 ? 0 : std::uint64_t { personNumber(size.people - 1) } + 1;
    forEachInTextOrder(end, [&](std::uint32_t number) {
        const auto person = personOfNumber(number, size);
        if (!person)
            return;
        const std::uint32_t p = *person;
        std::string& line = out.line();
        appendNumber(line, "nm", number);
        line += '\t';
        appendName(line, p);
        if (below(p, 22, 100) == 0)
            line += " \"Red\"";
        line += '\t';
        const bool born = below(p, 110, 100) < 20;
        // A few born before the year 1000 (the dataset has people of antiquity).
        line += born ? std::to_string(below(p, 114, 100) == 0 ? 100 + below(p, 115, 900) : 1880 + below(p, 111, 120))
                     : "\\N";
        line += '\t';
        line += born && below(p, 112, 3) == 0 ? std::to_string(1950 + below(p, 113, 75)) : "\\N";
        line += '\t';
        if (below(p, 121, 100) >= 3) // else an empty field, which the published files have too
            appendList(line, p, 120, 3, 15, [&](std::uint64_t r) { line += kProfessions[r % kProfessions.size()]; });
        line += '\t';
        appendList(
            line, p, 130, 4, 10, [&](std::uint64_t r) { appendNumber(line, "tt", titleNumber(r % size.titles)); });
        out.endLine();
    });
    out.flush();
}

} // namespace

void generateTitleDataset(const fs::path& dir, const TitleDatasetSize& size)
{
    fs::create_directories(dir);
    // The principals are most of the work; the other four files share the second core.
    std::exception_ptr failure;
    std::thread principals([&] {
        try {
            writePrincipals(dir, size);
        } catch (...) {
            failure = std::current_exception();
        }
    });
    writeBasics(dir, size);
    writeRatings(dir, size);
    writeCrew(dir, size);
    writeNames(dir, size);
    principals.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vantrelle::bench
