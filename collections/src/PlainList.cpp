// A plain list: one film a line, as people type them. "Title", "Title (1999)", "Title [1999]", "Title, 1999",
// a title number ("tt0133093", "0133093") or an IMDb title link; a line that begins with a quoted title takes
// that title, and reads the fields after it as a running time ("1h52m") and genres ("Action/Drama"). Blank
// lines and lines beginning with "#" are passed over. Each line is UTF-8, or else Windows-1252.

#include "FilmText.h"
#include "Readers.h"
#include "vantrelle/CodePage.h"

namespace vantrelle::collections {

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "Title (1999)", "Title [1999]", "Title, 1999": the title and the year; a title alone otherwise, also when
// the title is a year ("1917").
void readTitleAndYear(std::string_view text, FileFilm& film)
{
    const auto split = [&](std::size_t titleEnd, std::size_t yearAt) {
        const std::string_view title = trimmedText(text.substr(0, titleEnd));
        const auto year = yearIn(text.substr(yearAt, 4));
        if (title.empty() || !year)
            return false;
        film.title = title;
        film.year = year;
        return true;
    };
    const std::size_t n = text.size();
    if (n >= 6 && ((text[n - 6] == '(' && text[n - 1] == ')') || (text[n - 6] == '[' && text[n - 1] == ']'))
        && allDigits(text.substr(n - 5, 4)) && split(n - 6, n - 5))
        return;
    if (const std::size_t comma = text.rfind(','); comma != std::string_view::npos
        && allDigits(trimmedText(text.substr(comma + 1))) && trimmedText(text.substr(comma + 1)).size() == 4
        && split(comma, text.find_first_not_of(' ', comma + 1)))
        return;
    film.title = text;
}

// A line that begins with a quote: the quoted title ("" for a quote within it), then fields after commas.
void readQuotedLine(std::string_view line, FileFilm& film)
{
    std::size_t at = 1;
    std::string title;
    while (at < line.size()) {
        if (line[at] == '"') {
            if (at + 1 < line.size() && line[at + 1] == '"') {
                title += '"';
                at += 2;
                continue;
            }
            ++at;
            break;
        }
        title += line[at++];
    }
    readTitleAndYear(trimmedText(title), film);
    const std::vector<std::string> fields = splitList(line.substr(std::min(at, line.size())), ',');
    for (const std::string& field : fields) {
        if (auto minutes = minutesIn(field); minutes && !film.runtime)
            film.runtime = minutes;
        else if (film.genres.empty() && !allDigits(field))
            film.genres = splitList(field, '/');
    }
}

} // namespace

std::vector<FileFilm> readPlainList(std::string_view text)
{
    std::vector<FileFilm> films;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string utf8 = ansiToUtf8(trimmedText(text.substr(start, end - start)));
        start = end + 1;
        ++lineNumber;
        const std::string_view line = utf8;
        if (line.empty() || line.starts_with('#'))
            continue;
        FileFilm film;
        film.line = lineNumber;
        const bool number = (line.starts_with("tt") && allDigits(line.substr(2)))
            || (allDigits(line) && line.size() >= 7) || line.find("imdb.com/title/tt") != std::string_view::npos;
        if (number && allDigits(line))
            film.number = titleNumberIn("tt" + utf8);
        else if (number)
            film.number = titleNumberIn(line);
        else if (line.starts_with('"'))
            readQuotedLine(line, film);
        else
            readTitleAndYear(line, film);
        films.push_back(std::move(film));
    }
    return distinctFilms(std::move(films));
}

} // namespace vantrelle::collections
