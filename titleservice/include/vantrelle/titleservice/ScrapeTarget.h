#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleservice {

// The outcome of the "Please select" dialog: confirmed (OK) or not (Cancel), and on OK the
// 0-based index of the selected line, -1 when no line was selected.
struct ListChoice {
    bool confirmed = false;
    int index = -1;
};

// Where the title page scraper writes what it reads: the row being inserted and the cover control
// of the main window. The scraper calls it on the caller's thread, in page order; an exception
// thrown by any member ends the scrape right there and leaves the scraper unchanged, so the
// columns written before it keep their values.
//
// Text arguments are the page's own 8-bit text; converting them to the stored text (the code page
// rule of vantrelle/CodePage.h) is the target's job.
class ScrapeTarget {
public:
    virtual ~ScrapeTarget() = default;

    // Sets a column of the row being inserted through its text setter. The scraper writes the text
    // columns Director, NameOfMovie, Genre, Tagline, CastMemberName1..4, Character1..4 (cut to the
    // column's width by the setter) and the integer columns Year and Runtime (empty text stores no
    // value; text that is no integer throws the column's "is not a valid integer value" error).
    virtual void setColumnText(std::string_view column, std::string_view text) = 0;

    // Sets an integer column to a value (Runtime := 0 when no running time is chosen).
    virtual void setColumnInteger(std::string_view column, std::int32_t value) = 0;

    // Shows the items (views of the page) in the modal "Please select" dialog and returns the user's choice.
    virtual ListChoice chooseFromList(const std::vector<std::string_view>& items) = 0;

    // Puts the placeholder picture (the window's never-visible Image1) into the cover control.
    virtual void usePlaceholderCover() = 0;

    // Remembers the extension, with its leading ".", that the downloaded cover is loaded by; may be empty.
    virtual void setCoverExtension(std::string_view extension) = 0;
};

} // namespace vantrelle::titleservice
