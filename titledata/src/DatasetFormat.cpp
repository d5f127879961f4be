#include "vantrelle/titledata/DatasetFormat.h"

#include "vantrelle/CodePage.h"

#include <algorithm>
#include <charconv>

namespace vantrelle::titledata {

namespace {

constexpr std::string_view kNull = "\\N";

template <std::size_t N> std::array<std::string_view, N> splitFields(std::string_view line)
{
    std::array<std::string_view, N> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view field = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (count < N)
            fields[count] = field;
        ++count;
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (count != N)
        throw DatasetError(std::to_string(count) + (count == 1 ? " field" : " fields") + " where " + std::to_string(N)
            + " are expected");
    return fields;
}

std::optional<std::string_view> optionalText(std::string_view field)
{
    if (field == kNull)
        return std::nullopt;
    return field;
}

std::string quoted(std::string_view text)
{
    constexpr std::size_t kShown = 40;
    return "'" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...'" : "'");
}

// Plain decimal digits, at most 9 of them, so that the value fits an int.
int parseInteger(std::string_view text, std::string_view what)
{
    int value = 0;
    const bool digitsOnly = !text.empty() && text.size() <= 9
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digitsOnly || std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        throw DatasetError("bad " + std::string(what) + " " + quoted(text));
    return value;
}

std::optional<int> optionalInteger(std::string_view field, std::string_view what)
{
    if (field == kNull)
        return std::nullopt;
    return parseInteger(field, what);
}

std::uint32_t parseNumber(std::string_view text, std::string_view prefix, std::string_view what)
{
    const std::string_view digits = text.substr(std::min(prefix.size(), text.size()));
    const std::string_view significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    const bool wellFormed = text.starts_with(prefix) && digits.size() >= 7
        && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::uint64_t value = 0;
    if (wellFormed && significant.size() <= 10)
        std::from_chars(significant.data(), significant.data() + significant.size(), value);
    if (!wellFormed || significant.size() > 10 || value > kMaxNumber)
        throw DatasetError("bad " + std::string(what) + " " + quoted(text) + " (" + std::string(prefix)
            + " and 7 or more digits, at most " + std::to_string(kMaxNumber) + ")");
    return static_cast<std::uint32_t>(value);
}

// Reads the JSON array of strings of a cast entry's characters (RFC 8259, sections 5 and 7).
class CharactersReader {
public:
    explicit CharactersReader(std::string_view json)
        : m_json(json)
    {
    }

    void join(std::string& result)
    {
        result.clear();
        bool first = true;
        skipSpace();
        expect('[');
        skipSpace();
        if (peek() == ']') {
            ++m_at;
        } else {
            while (true) {
                if (!first)
                    result += " / ";
                first = false;
                readString(result);
                skipSpace();
                const char next = take();
                if (next == ']')
                    break;
                if (next != ',')
                    fail("',' or ']' expected");
                skipSpace();
            }
        }
        skipSpace();
        if (m_at != m_json.size())
            fail("text after the array");
    }

private:
    [[noreturn]] void fail(std::string_view what) const
    {
        throw DatasetError(
            "bad characters " + quoted(m_json) + ": " + std::string(what) + " at offset " + std::to_string(m_at));
    }

    char peek() const { return m_at < m_json.size() ? m_json[m_at] : '\0'; }

    char take()
    {
        if (m_at >= m_json.size())
            fail("unexpected end");
        return m_json[m_at++];
    }

    void expect(char c)
    {
        if (take() != c)
            fail(std::string("'") + c + "' expected");
    }

    void skipSpace()
    {
        while (m_at < m_json.size()
            && (m_json[m_at] == ' ' || m_json[m_at] == '\t' || m_json[m_at] == '\n' || m_json[m_at] == '\r'))
            ++m_at;
    }

    std::uint32_t readHex4()
    {
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = take();
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                fail("hexadecimal digit expected");
        }
        return code;
    }

    void readEscape(std::string& out)
    {
        const char c = take();
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out += c;
            return;
        case 'b':
            out += '\b';
            return;
        case 'f':
            out += '\f';
            return;
        case 'n':
            out += '\n';
            return;
        case 'r':
            out += '\r';
            return;
        case 't':
            out += '\t';
            return;
        case 'u':
            break;
        default:
            fail("unknown escape");
        }
        std::uint32_t code = readHex4();
        if (code >= 0xDC00 && code <= 0xDFFF)
            fail("lone low surrogate");
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (take() != '\\' || take() != 'u')
                fail("lone high surrogate");
            const std::uint32_t low = readHex4();
            if (low < 0xDC00 || low > 0xDFFF)
                fail("lone high surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        appendUtf8(out, static_cast<char32_t>(code));
    }

    void readString(std::string& out)
    {
        expect('"');
        while (true) {
            const char c = take();
            if (c == '"')
                return;
            if (c == '\\')
                readEscape(out);
            else if (static_cast<unsigned char>(c) < 0x20)
                fail("control character in a string");
            else
                out += c;
        }
    }

    std::string_view m_json;
    std::size_t m_at = 0;
};

} // namespace

const DatasetFileFormat& datasetFile(DatasetKind kind)
{
    return *std::find_if(kDatasetFiles.begin(), kDatasetFiles.end(),
        [kind](const DatasetFileFormat& file) { return file.kind == kind; });
}

std::uint32_t parseTitleNumber(std::string_view text)
{
    return parseNumber(text, "tt", "title number");
}

std::uint32_t parsePersonNumber(std::string_view text)
{
    return parseNumber(text, "nm", "person number");
}

void joinCharacters(std::string_view json, std::string& joined)
{
    CharactersReader(json).join(joined);
}

void parseTitleLine(std::string_view line, TitleRow& row)
{
    // tconst titleType primaryTitle originalTitle isAdult startYear endYear runtimeMinutes genres; the fields
    // the index does not keep (endYear here) are not checked.
    const auto fields = splitFields<9>(line);
    row.number = parseTitleNumber(fields[0]);
    row.type = optionalText(fields[1]);
    row.title = optionalText(fields[2]);
    row.originalTitle = optionalText(fields[3]);
    row.adult = optionalInteger(fields[4], "isAdult").value_or(0) != 0;
    row.year = optionalInteger(fields[5], "startYear");
    row.runtime = optionalInteger(fields[7], "runtimeMinutes");
    row.genres = optionalText(fields[8]);
}

void parseRatingLine(std::string_view line, RatingRow& row)
{
    // tconst averageRating numVotes
    const auto fields = splitFields<3>(line);
    row.number = parseTitleNumber(fields[0]);
    row.votes = static_cast<std::uint32_t>(optionalInteger(fields[2], "numVotes").value_or(0));
}

void parseCrewLine(std::string_view line, CrewRow& row)
{
    // tconst directors writers
    const auto fields = splitFields<3>(line);
    row.number = parseTitleNumber(fields[0]);
    row.directors.clear();
    if (fields[1] == kNull)
        return;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = fields[1].find(',', start);
        row.directors.push_back(parsePersonNumber(fields[1].substr(start, comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
}

void parsePrincipalLine(std::string_view line, PrincipalRow& row)
{
    // tconst ordering nconst category job characters
    const auto fields = splitFields<6>(line);
    row.number = parseTitleNumber(fields[0]);
    row.ordering = parseInteger(fields[1], "ordering");
    row.person = parsePersonNumber(fields[2]);
    row.category = fields[3];
    if (fields[5] == kNull)
        row.characters.clear();
    else
        joinCharacters(fields[5], row.characters);
}

void parseNameLine(std::string_view line, NameRow& row)
{
    // nconst primaryName birthYear deathYear primaryProfession knownForTitles
    const auto fields = splitFields<6>(line);
    row.person = parsePersonNumber(fields[0]);
    row.name = optionalText(fields[1]);
}

} // namespace vantrelle::titledata
