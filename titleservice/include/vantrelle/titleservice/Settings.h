#pragma once

#include <string_view>

namespace vantrelle::titleservice {

// Scheme and host of the title service: title pages and searches.
inline constexpr std::string_view TitleServiceBaseURL = "http://us.imdb.com";
// Scheme and host of the server that holds posters.
inline constexpr std::string_view PosterBaseURL = "http://posters.imdb.com";
// PosterBaseURL cut after the first label of its host name: a page that contains it links a poster there.
inline constexpr std::string_view PosterMarker = "http://posters";
// Scheme and host of a second server that holds cover images.
inline constexpr std::string_view ImageBaseURL = "http://ia.media-imdb.com";

static_assert(PosterBaseURL.substr(0, PosterMarker.size() + 1) == "http://posters.");

} // namespace vantrelle::titleservice
