#pragma once

// The answers of The Movie Database's API (v3) that the poster source reads, as its documentation
// gives them: /3/find/{external_id} and /3/movie/{id} or /3/tv/{id}.
//
// Limitations: an answer that is not a JSON object, or whose fields have other types than documented,
// reads as "nothing found"; a poster path is taken only when it is a single file name under "/"
// made of letters, digits, "-", "_" and "." (as TMDB's are: "/f89U3ADr1oiB1s9GkdPOEpXUk5H.jpg"),
// since it is appended to the image host's address.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::postersource {

// The first film of a find answer (movie_results), else its first series (tv_results).
struct FoundTitle {
    enum class Kind { Movie, Tv };
    Kind kind = Kind::Movie;
    std::int64_t id = 0;
    std::string posterPath; // empty when TMDB has no poster (null)
};

struct FindAnswer {
    bool readable = false; // a JSON object: without a title, TMDB does not know the number
    std::optional<FoundTitle> title;
};

FindAnswer readFindAnswer(std::string_view json);

// The tagline of a movie's or series' details; empty when there is none or the answer is unreadable.
std::string readTagline(std::string_view json);

// The poster path as it may go into an image address, or empty (see Limitations).
std::string checkedPosterPath(std::string_view path);

} // namespace vantrelle::postersource
