#pragma once

#include "vantrelle/Error.h"
#include "vantrelle/titleservice/LookupUser.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrelle::test {

// A scrape target, and a title lookup's user, that writes down every call as one line, in order:
// "Director=Ridley Scott", "Year=1979", "Year=null", "choose[a|b]", "placeholder", "extension=.jpg",
// "ask[IMDB Number|Type the IMDB number]", "message=...", "focus", "new film", and after a scrape the
// poster URL that it returns, "download=http://...".
// Year and Runtime are set from text as the movies query does it: empty text is no value, leading
// blanks and digits are a number, anything else fails with the query's message.
// The downloaded cover and the download's failures are kept apart in `cover` and `coverFailures`: they
// may arrive on the download's worker thread.
class RecordingTarget : public titleservice::LookupUser {
public:
    std::vector<std::string> calls;
    titleservice::ListChoice answer; // what the selection dialog returns
    std::string typed; // what the input box returns
    std::vector<std::uint8_t> cover;
    std::string coverReadError; // what useDownloadedCover fails with; empty: it takes the body
    std::vector<std::string> coverFailures; // what coverDownloadFailed was told
    int requestsRunning = 0; // synchronous requests under way, and the most at once
    int mostRequestsRunning = 0;

    void setColumnText(std::string_view column, std::string_view text) override
    {
        if (column != "Year" && column != "Runtime") {
            record(column, std::string(text));
            return;
        }
        const std::size_t digits = text.find_first_not_of(' ');
        const bool number = digits != std::string_view::npos && text.size() - digits <= 9
            && text.find_first_not_of("0123456789", digits) == std::string_view::npos;
        if (text.empty())
            record(column, "null");
        else if (number)
            record(column, std::to_string(std::stoi(std::string(text.substr(digits)))));
        else
            throw Error(
                "'" + std::string(text) + "' is not a valid integer value for field '" + std::string(column) + "'");
    }

    void setColumnInteger(std::string_view column, std::int32_t value) override
    {
        record(column, std::to_string(value));
    }

    titleservice::ListChoice chooseFromList(const std::vector<std::string_view>& items) override
    {
        std::string shown = "choose[";
        for (const auto& item : items)
            shown += (&item == &items.front() ? "" : "|") + std::string(item);
        calls.push_back(shown + "]");
        return answer;
    }

    void usePlaceholderCover() override { calls.push_back("placeholder"); }
    void setCoverExtension(std::string_view extension) override { record("extension", std::string(extension)); }

    std::string inputBox(std::string_view caption, std::string_view prompt) override
    {
        calls.push_back("ask[" + std::string(caption) + "|" + std::string(prompt) + "]");
        return typed;
    }
    void showMessage(std::string_view text) override { record("message", std::string(text)); }
    void focusNumberOfDiscs() override { calls.push_back("focus"); }
    void startNewFilm() override { calls.push_back("new film"); }
    void useDownloadedCover(std::span<const std::uint8_t> body) override
    {
        if (!coverReadError.empty())
            throw Error(coverReadError);
        cover.assign(body.begin(), body.end());
    }
    void coverDownloadFailed(std::string_view message) override { coverFailures.emplace_back(message); }
    void requestStarted() override { mostRequestsRunning = std::max(mostRequestsRunning, ++requestsRunning); }
    void requestEnded() override { --requestsRunning; }

    // Runs `scraper`, made with this target, on the page.
    void scrape(titleservice::TitlePageScraper& scraper, std::string_view page)
    {
        if (const auto poster = scraper.scrape(page))
            record("download", std::string(*poster));
    }

    // The calls whose line starts with `prefix`.
    std::vector<std::string> callsOf(std::string_view prefix) const
    {
        std::vector<std::string> found;
        for (const auto& call : calls)
            if (std::string_view(call).starts_with(prefix))
                found.push_back(call);
        return found;
    }

private:
    void record(std::string_view column, const std::string& value)
    {
        calls.push_back(std::string(column) + "=" + value);
    }
};

} // namespace vantrelle::test
