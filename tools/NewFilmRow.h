#pragma once

// The new film that `scrape` and `lookup` fill in: an empty new row of the movies query in a
// scratch catalogue, with the answers to the questions a lookup asks given beforehand.

#include "vantrelle/ScratchDir.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/titleservice/LookupUser.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::tool {

// "--choose" answers every list dialog: a line number from 0, -1 for no line, or "cancel".
titleservice::ListChoice parseChoice(const std::string& text);

// What a lookup or a scrape ended with, besides the row (8-bit texts of the page).
struct FillOutcome {
    std::optional<std::string> posterUrl;
    std::vector<std::string_view> runtimeEntries;
    std::optional<std::string> error;
};

class NewFilmRow : public titleservice::LookupUser {
public:
    // `typed` answers the input box; `choice` every list dialog (none: cancelled).
    NewFilmRow(std::string typed, std::optional<titleservice::ListChoice> choice);

    void setColumnText(std::string_view column, std::string_view text) override;
    void setColumnInteger(std::string_view column, std::int32_t value) override;
    titleservice::ListChoice chooseFromList(const std::vector<std::string_view>& items) override;
    void usePlaceholderCover() override { m_placeholder = true; }
    void setCoverExtension(std::string_view extension) override { m_coverExtension = extension; }
    std::string inputBox(std::string_view caption, std::string_view prompt) override;
    void showMessage(std::string_view text) override { m_message = text; }
    void focusNumberOfDiscs() override { }
    // The row is new and one lookup fills it: nothing to empty.
    void startNewFilm() override { }
    void useDownloadedCover(std::span<const std::uint8_t> body) override
    {
        m_downloadedCover.assign(body.begin(), body.end());
        m_coverBytes = body.size();
    }
    void coverDownloadFailed(std::string_view message) override { m_message = message; }

    // The bytes the row's Cover column would store: the downloaded cover imported as the window imports
    // it; empty without a download (the placeholder). Fails with the cover import's errors.
    store::Bytes storedCover() const;

    // One JSON object: {"columns": {NAME: VALUE, ...}, "placeholder": BOOL, "posterUrl": URL,
    // "coverExtension": TEXT, "runtimeEntries": [TEXT, ...], "error": TEXT}, the columns in the
    // order first written, null for what is missing. A lookup adds "coverBytes" (the downloaded
    // cover's size) and "message" (what a message box showed).
    void print(std::ostream& out, const FillOutcome& outcome, bool lookedUp);

private:
    void written(std::string_view column);

    ScratchDir m_folder { "lookup" }; // holds the scratch catalogue
    store::MoviesQuery m_query;
    std::string m_typed;
    std::optional<titleservice::ListChoice> m_choice;
    std::vector<std::string> m_columns;
    bool m_placeholder = false;
    std::optional<std::string> m_coverExtension;
    std::optional<std::string> m_message;
    std::optional<std::size_t> m_coverBytes;
    store::Bytes m_downloadedCover;
};

} // namespace vantrelle::tool
