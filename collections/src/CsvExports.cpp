// The CSV exports of IMDb and Letterboxd, told apart by their headers.
//
// IMDb (ratings, watchlist, lists) has written three generations of header: 2011-16 all quoted and in lower
// case ("position","const",...,"Title",...), 2017-23 ("Position,Const,Created,...,Title,URL,Title Type,..."),
// 2024 on with "Original Title" and the type and genre names in the user's language. The "Const" column is the
// film's title number. Files re-saved by a spreadsheet end in empty rows, which are passed over.
//
// Letterboxd writes "Date,Name,Year,Letterboxd URI,..." for watched, ratings, diary, watchlist, likes and reviews;
// a list export begins with a header block ("Letterboxd list export v7", or an empty line in older ones, then
// "Date,Name,Tags,URL,Description" and one row), an empty line, then "Position,Name,Year,URL,Description".

#include "FilmText.h"
#include "Readers.h"
#include "vantrelle/CodePage.h"
#include "vantrelle/Csv.h"

#include <algorithm>
#include <strings.h>

namespace vantrelle::collections {

namespace {

// The columns of a CSV file by name, in any case.
class Columns {
public:
    explicit Columns(const std::vector<std::string>& names)
        : m_names(names)
    {
    }

    std::optional<std::size_t> find(std::string_view name) const
    {
        for (std::size_t k = 0; k < m_names.size(); ++k) {
            const std::string_view column = trimmedText(m_names[k]);
            if (column.size() == name.size() && strncasecmp(column.data(), name.data(), name.size()) == 0)
                return k;
        }
        return std::nullopt;
    }

private:
    const std::vector<std::string>& m_names;
};

// The text of a column of a record as UTF-8; empty when the file has no such column or the value is null.
std::string value(const Record& record, std::optional<std::size_t> column)
{
    if (!column || *column >= record.cells.size() || !record.cells[*column] || !record.cells[*column]->text)
        return {};
    return ansiToUtf8(trimmedText(*record.cells[*column]->text));
}

bool isEmptyRow(const Record& record)
{
    for (const auto& cell : record.cells)
        if (cell && cell->text && !trimmedText(*cell->text).empty())
            return false;
    return true;
}

// Reads every record of `text` with `read`, which makes a film of one; `firstLine` is the line `text` starts on.
template <typename ReadRow> std::vector<FileFilm> readRows(std::string_view text, int firstLine, const ReadRow& read)
{
    const auto reader = csvRecords(text);
    const Columns columns(reader->columns());
    std::vector<FileFilm> films;
    Record record;
    try {
        while (reader->next(record)) {
            if (isEmptyRow(record))
                continue;
            FileFilm film = read(columns, record);
            film.line = record.line + firstLine - 1;
            films.push_back(std::move(film));
        }
    } catch (const EDataFileError& e) {
        // The reader counts lines from the start of the text it was given.
        throw ECollectionError(std::string("not a CSV file as its program writes it (") + e.what()
            + ", counted from line " + std::to_string(firstLine) + ")");
    }
    return distinctFilms(std::move(films));
}

FileFilm imdbFilm(const Columns& columns, const Record& record)
{
    FileFilm film;
    film.number = titleNumberIn(value(record, columns.find("Const")));
    film.title = value(record, columns.find("Title"));
    film.originalTitle = value(record, columns.find("Original Title"));
    film.year = yearIn(value(record, columns.find("Year")));
    film.runtime = countIn(value(record, columns.find("Runtime (mins)")));
    film.genres = splitList(value(record, columns.find("Genres")), ',');
    film.directors = splitList(value(record, columns.find("Directors")), ',');
    return film;
}

FileFilm letterboxdFilm(const Columns& columns, const Record& record)
{
    FileFilm film;
    film.title = value(record, columns.find("Name"));
    film.year = yearIn(value(record, columns.find("Year")));
    return film;
}

// The text after its first `lines` lines.
std::string_view afterLines(std::string_view text, int lines)
{
    for (int k = 0; k < lines && !text.empty(); ++k) {
        const std::size_t end = text.find('\n');
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return text;
}

// A Letterboxd list export: the rows after the header block, or none when `text` does not begin with one.
std::optional<Collection> letterboxdList(std::string_view text)
{
    const int skipped
        = text.starts_with("Letterboxd list export") || text.starts_with("\n") || text.starts_with("\r\n") ? 1 : 0;
    const std::string_view block = afterLines(text, skipped);
    if (!block.starts_with("Date,Name,Tags,URL"))
        return std::nullopt;
    // The block is a header and one row, whose description may run over several lines.
    const auto reader = csvRecords(block);
    Record row;
    if (!reader->next(row))
        throw ECollectionError("the list export's header block has no row");
    std::string_view rest = block.substr(reader->position());
    const std::string_view read = block.substr(0, reader->position());
    int firstLine = skipped + 1 + static_cast<int>(std::count(read.begin(), read.end(), '\n'));
    while (rest.starts_with("\n") || rest.starts_with("\r\n")) {
        rest = afterLines(rest, 1);
        ++firstLine;
    }
    return Collection { CollectionKind::letterboxd, readRows(rest, firstLine, letterboxdFilm) };
}

} // namespace

std::optional<Collection> readCsvExport(std::string_view text)
{
    if (auto list = letterboxdList(text))
        return list;
    const std::string_view header = text.substr(0, text.find_first_of("\r\n"));
    std::vector<std::string> names;
    try {
        names = readCsv(header).columns;
    } catch (const EDataFileError&) {
        return std::nullopt;
    }
    const Columns columns(names);
    if (columns.find("Const") && columns.find("Title"))
        return Collection { CollectionKind::imdb, readRows(text, 1, imdbFilm) };
    if (columns.find("Name") && columns.find("Year"))
        return Collection { CollectionKind::letterboxd, readRows(text, 1, letterboxdFilm) };
    return std::nullopt;
}

} // namespace vantrelle::collections
