#pragma once

// The text markers of the title page format. TitlePageScraper cuts each value out of a page at them,
// isTitlePage (TitlePageLayout.h) looks for them, and the title site writes its pages around them;
// all three take them from here, so that a page written for the reader is read as it was meant.

#include <string_view>

namespace vantrelle::titleservice {

inline constexpr std::string_view kTitleTag = "<TITLE>";
inline constexpr std::string_view kDirectorMarker = "Directed by";
inline constexpr std::string_view kNameLink = "/Name?";
inline constexpr std::string_view kGenreLink = "/Sections/Genres/";
inline constexpr std::string_view kTaglineMarker = "Tagline: </B>";
inline constexpr std::string_view kCastMarker = "Cast overview, first billed only:";
// A cast row: the name's cell and the character's carry kCharacterText, the cell between kCharacterCell.
inline constexpr std::string_view kCharacterCell = "NOWRAP";
inline constexpr std::string_view kCharacterText = "VALIGN=\"TOP\">";
inline constexpr std::string_view kRuntimeMarker = "Runtime</B>:";
// The picture a page without a poster shows, under ImageBaseURL's "/images/" (Settings.h).
inline constexpr std::string_view kPlaceholderImage = "ph_title.gif";

} // namespace vantrelle::titleservice
