#pragma once

// A film as a collection file gives it, before it is matched against the title index.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::collections {

// A cover picture that the file gives for a film: bytes taken out of the file itself (a zip's member, inline
// data), or a picture file beside the collection. Both empty: none.
struct CoverPicture {
    std::vector<std::uint8_t> bytes;
    std::filesystem::path file; // read only when the film is added
    std::string extension; // with its ".", as the file names the picture (".jpeg"); may be empty

    bool empty() const { return bytes.empty() && file.empty(); }
    bool operator==(const CoverPicture&) const = default;
};

// One billed cast member as the file names them.
struct FileCastMember {
    std::string name;
    std::string character;

    bool operator==(const FileCastMember&) const = default;
};

// One film of a collection file. Texts are UTF-8 (files in Windows-1252 are converted as they are read);
// what the file does not give is empty.
struct FileFilm {
    // Where the film stands: the line of a text file (from 1) or the entry's position among the file's
    // entries (from 1) in an XML collection; a film repeated in the file keeps its first place.
    int line = 0;
    std::string title;
    std::string originalTitle;
    std::optional<int> year;
    // The title number the file gives ("tt0133093", "0133093", an IMDb title link), without "tt".
    std::optional<std::int64_t> number;

    // The file's own details.
    std::vector<std::string> genres;
    std::vector<std::string> directors;
    std::vector<FileCastMember> cast; // in billing order
    std::optional<int> runtime; // minutes
    std::string format; // the medium: "DVD", "Blu-ray", "VHS"
    std::optional<int> discs;
    std::string tagline;
    std::string notes; // the file's plot, overview or comments
    CoverPicture cover;

    bool operator==(const FileFilm&) const = default;
};

} // namespace vantrelle::collections
