#include "FilmText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>
#include <utility>

namespace vantrelle::collections {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t digitsAt(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - from;
}

std::optional<int> fourDigitYear(std::string_view digits)
{
    int year = 0;
    std::from_chars(digits.data(), digits.data() + 4, year);
    return year >= 1850 && year <= 2199 ? std::optional<int>(year) : std::nullopt;
}

// Letters in lower case and one blank between words: enough to tell two lines of one film in one file.
std::string plainKey(std::string_view title)
{
    std::string key;
    for (const char c : title) {
        if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!key.empty() && key.back() != ' ')
            key += ' ';
    }
    if (!key.empty() && key.back() == ' ')
        key.pop_back();
    return key;
}

} // namespace

std::string_view trimmedText(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string_view(first, last) : std::string_view();
}

std::optional<std::int64_t> titleNumberIn(std::string_view text)
{
    for (std::size_t at = text.find("tt"); at != std::string_view::npos; at = text.find("tt", at + 1)) {
        const std::size_t count = digitsAt(text, at + 2);
        const bool startsWord = at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]));
        if (!startsWord || count == 0 || count > 12)
            continue;
        std::int64_t number = 0;
        std::from_chars(text.data() + at + 2, text.data() + at + 2 + count, number);
        if (number > 0)
            return number;
    }
    return std::nullopt;
}

std::optional<int> yearIn(std::string_view text, bool anywhere)
{
    text = trimmedText(text);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t count = digitsAt(text, at);
        if (count == 4)
            if (auto year = fourDigitYear(text.substr(at)))
                return year;
        if (!anywhere)
            return std::nullopt;
        at += count;
    }
    return std::nullopt;
}

std::optional<int> countIn(std::string_view text)
{
    text = trimmedText(text);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.size() > 6 || error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

std::optional<int> minutesIn(std::string_view text)
{
    text = trimmedText(text);
    if (auto plain = countIn(text))
        return plain;
    int minutes = 0;
    bool read = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t count = digitsAt(text, at);
        if (count == 0 || count > 4)
            return std::nullopt;
        int value = 0;
        std::from_chars(text.data() + at, text.data() + at + count, value);
        at += count;
        while (at < text.size() && text[at] == ' ')
            ++at;
        const std::string_view unit = text.substr(at);
        if (unit.starts_with("h")) {
            minutes += value * 60;
            ++at;
        } else if (unit.starts_with("min")) {
            minutes += value;
            at += 3;
        } else if (unit.starts_with("m")) {
            minutes += value;
            ++at;
        } else {
            return std::nullopt;
        }
        read = true;
        while (at < text.size() && text[at] == ' ')
            ++at;
    }
    return read ? std::optional<int>(minutes) : std::nullopt;
}

std::vector<std::string> splitList(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (const std::string_view part = trimmedText(text.substr(start, end - start)); !part.empty())
            parts.emplace_back(part);
        if (end == text.size())
            return parts;
        start = end + 1;
    }
}

std::vector<FileFilm> distinctFilms(std::vector<FileFilm> films)
{
    std::set<std::int64_t> numbers;
    std::set<std::pair<std::string, std::optional<int>>> titles;
    std::vector<FileFilm> distinct;
    distinct.reserve(films.size());
    for (FileFilm& film : films) {
        if (film.title.empty() && !film.number)
            continue;
        const bool seenNumber = film.number && !numbers.insert(*film.number).second;
        const bool seenTitle = !titles.insert({ plainKey(film.title), film.year }).second && !film.number;
        if (seenNumber || seenTitle)
            continue;
        distinct.push_back(std::move(film));
    }
    return distinct;
}

} // namespace vantrelle::collections
