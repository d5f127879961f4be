#pragma once

// What the title site asks of a poster source, whichever it is (TmdbSource.h is one): a title's
// tagline and poster by its number, and whether the source takes the key it was given.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrelle::postersource {

// What a poster source adds to a title's page.
struct FilmExtras {
    std::string tagline; // UTF-8; empty when there is none
    std::string poster; // the poster's file, of the source's PosterFormat; empty when there is none
};

// How a source takes its key.
enum class KeyCheck { Accepted, Refused, Unreachable };

// The kind of file every poster of a source is.
struct PosterFormat {
    std::string_view extension; // ".jpg"
    std::string_view mediaType; // "image/jpeg"
};

// A source of taglines and posters. A failure of any kind gives no extras and never throws.
// Thread-safe. Threads: the title site's answering threads ask extras() at once; checkKey() comes
// from the window's user-interface thread ("Poster Source...").
class PosterSource {
public:
    virtual ~PosterSource() = default;

    // Whether the source is to be asked at all (it has a key).
    virtual bool enabled() const = 0;
    virtual FilmExtras extras(std::int64_t titleNumber) const = 0;
    // Asks the source whether it takes the key.
    virtual KeyCheck checkKey() const = 0;
    virtual PosterFormat posterFormat() const = 0;
};

} // namespace vantrelle::postersource
