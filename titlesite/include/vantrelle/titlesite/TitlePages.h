#pragma once

// The pages of the title service, written for the program's title page scraper and search reading.
// Those readers never parse HTML: they cut values out of the page at fixed text markers. So each
// page below is laid out to make every value come out clean through exactly those cuts:
//   - the <TITLE> text is "Name(Year)" with no blank before "(", so the name keeps no trailing
//     blank; "(" and ")" inside a name show as "[" and "]", so the year is always the text after
//     the first "("; no year, no "(";
//   - "Directed by" is followed by a name link in every case, an empty one when there is no
//     director, so the first cast member's name never takes its place;
//   - the genre links end with "/" even when there is none ("/Sections/Genres//"), which reads as
//     an empty genre;
//   - the tagline follows its marker after one blank, which the reader passes over; the runtime is
//     empty (stored as 0) when unknown;
//   - exactly four cast rows, empty ones after the billed cast, so no column keeps a value from an
//     earlier lookup; cast names travel URL-encoded in the link and come back exactly as stored;
//   - "<" in any shown text becomes "‹" (U+2039), since every value ends at the next "<".
// Texts are written as UTF-8 and never entity-encoded ("&" stays "&"): the reader takes valid
// UTF-8 as UTF-8 and does not decode entities.

#include "vantrelle/titleindex/Title.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titlesite {

// A title number as the pages show it: at least 7 digits ("0100001").
std::string titleNumberText(std::int64_t number);

// The page of one title. `posterUrl` is the poster to show; empty for the placeholder picture. The
// datasets have no taglines; `tagline` (UTF-8) comes from the poster source.
std::string titlePage(const titleindex::Title& title, std::string_view posterUrl, std::string_view tagline = {});

// The results of a search with several matches, best first: one "/Title?" link per hit, its text
// "Name (Year)". The reader shortens the list by one character per link it reads, so the list
// ends in as many blanks as it has links.
std::string searchResultsPage(const std::vector<titleindex::SearchHit>& hits);

// The answer to a search without matches: a page without a results list.
std::string noMatchesPage();

// The body of a 404 answer.
std::string notFoundPage();

// How a cast name travels in its "/Name?" link so that the reader's URL decoding and its turning
// of "Last, First" around give the name back as it stands: every byte but letters, digits and
// "-._~" percent-encoded, blanks as "+", and a name holding a comma led by one more comma (an
// empty last name), so ",Sammy Davis, Jr." turns around into "Sammy Davis, Jr.".
std::string nameLinkValue(std::string_view name);

} // namespace vantrelle::titlesite
