#include "FilmRecord.h"

#include "FilmText.h"

#include "vantrelle/store/MoviesQuery.h"

#include <array>

namespace vantrelle::collections {

namespace {

using store::FieldValue;
using store::MovieRecord;

// Shown on the title page in place of "<", where the page's reader ends every value.
constexpr std::string_view kLessThan = "\xE2\x80\xB9";
constexpr int kCastRows = 4;

// The columns' conversions (UTF-8, cut to the column's size), as a bound box applies them; never opened.
store::MoviesQuery& columns()
{
    static store::MoviesQuery query;
    return query;
}

void set(MovieRecord& row, std::string_view column, std::string_view text)
{
    const store::Field& field = columns().fieldByName(column);
    row[static_cast<std::size_t>(field.index())] = field.valueFromText(text);
}

std::size_t at(std::string_view column)
{
    return static_cast<std::size_t>(columns().fieldByName(column).index());
}

std::string shown(std::string_view text)
{
    std::string page;
    for (const char c : text) {
        if (c == '<')
            page += kLessThan;
        else
            page += c;
    }
    return page;
}

// The page's <TITLE> turns the name's own brackets square, so that its reader finds the year after the first "(".
std::string titleName(std::string_view title)
{
    std::string name = shown(title);
    for (char& c : name) {
        if (c == '(')
            c = '[';
        else if (c == ')')
            c = ']';
    }
    return name;
}

// The genres as the reader joins the page's genre links: each name up to a "/" without its blanks, " / " between.
std::string genreText(const std::vector<std::string>& genres)
{
    std::string text;
    for (const std::string& genre : genres) {
        if (&genre != &genres.front())
            text += " / ";
        const std::string name = shown(genre);
        for (const char c : std::string_view(name).substr(0, name.find('/'))) {
            if (c == ',')
                text += " / ";
            else if (c != ' ')
                text += c;
        }
    }
    return text;
}

// A cast name comes back from its link as stored; one with a comma comes back trimmed.
std::string castName(const std::string& name)
{
    return name.find(',') == std::string::npos ? name : std::string(trimmedText(name));
}

bool isEmpty(const FieldValue& value)
{
    if (std::holds_alternative<std::monostate>(value))
        return true;
    if (const auto* text = std::get_if<std::string>(&value))
        return text->empty();
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number == 0;
    return false;
}

void fillEmpty(MovieRecord& row, std::string_view column, std::string_view text)
{
    if (isEmpty(row[at(column)]) && !text.empty())
        set(row, column, text);
}

std::string joinedGenres(const std::vector<std::string>& genres)
{
    std::string text;
    for (const std::string& genre : genres)
        text.append(text.empty() ? "" : " / ").append(genre);
    return text;
}

} // namespace

MovieRecord lookupRecord(const titleindex::Title& title, std::string_view tagline)
{
    MovieRecord row;
    set(row, "Director", title.directors.empty() ? std::string() : shown(title.directors.front()));
    set(row, "NameOfMovie", titleName(title.title));
    if (title.year && *title.year >= 0 && *title.year <= 9999)
        row[store::kYearColumn] = static_cast<std::int32_t>(*title.year);
    set(row, "Genre", genreText(title.genres));
    setLookupTagline(row, tagline);
    for (int k = 0; k < kCastRows; ++k) {
        const auto* member
            = static_cast<std::size_t>(k) < title.cast.size() ? &title.cast[static_cast<std::size_t>(k)] : nullptr;
        const std::string number = std::to_string(k + 1);
        set(row, "CastMemberName" + number, member ? castName(member->name) : std::string());
        set(row, "Character" + number, member ? std::string(trimmedText(shown(member->characters))) : std::string());
    }
    row[at("Runtime")] = static_cast<std::int32_t>(title.runtime.value_or(0));
    return row;
}

void setLookupTagline(MovieRecord& row, std::string_view tagline)
{
    set(row, "Tagline", shown(tagline));
}

void setCover(MovieRecord& row, store::Bytes cover)
{
    row[at("Cover")] = std::move(cover);
}

void fillFromFile(MovieRecord& row, const FileFilm& film)
{
    fillEmpty(row, "NameOfMovie", film.title.empty() ? film.originalTitle : film.title);
    if (isEmpty(row[store::kYearColumn]) && film.year)
        row[store::kYearColumn] = static_cast<std::int32_t>(*film.year);
    fillEmpty(row, "Genre", joinedGenres(film.genres));
    fillEmpty(row, "Director", film.directors.empty() ? std::string() : film.directors.front());
    fillEmpty(row, "Tagline", film.tagline);
    const bool castEmpty = isEmpty(row[at("CastMemberName1")]);
    for (std::size_t k = 0; castEmpty && k < film.cast.size() && k < kCastRows; ++k) {
        set(row, "CastMemberName" + std::to_string(k + 1), film.cast[k].name);
        set(row, "Character" + std::to_string(k + 1), film.cast[k].character);
    }
    if (isEmpty(row[at("Runtime")]) && film.runtime)
        row[at("Runtime")] = static_cast<std::int32_t>(*film.runtime);
    fillEmpty(row, "Format", film.format);
    if (isEmpty(row[at("NoOfCds")]) && film.discs)
        row[at("NoOfCds")] = static_cast<std::int32_t>(*film.discs);
}

MovieRecord fileRecord(const FileFilm& film)
{
    MovieRecord row;
    fillFromFile(row, film);
    return row;
}

} // namespace vantrelle::collections
