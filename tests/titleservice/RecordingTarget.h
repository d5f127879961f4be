#pragma once

#include "vantrelle/Error.h"
#include "vantrelle/titleservice/ScrapeTarget.h"

#include <cctype>
#include <string>
#include <vector>

namespace vantrelle::test {

// A scrape target that writes down every call as one line, in order: "Director=Ridley Scott",
// "Year=1979", "Year=null", "choose[a|b]", "placeholder", "extension=.jpg", "download=http://...".
// Year and Runtime are set from text as the movies query does it: empty text is no value, leading
// blanks and digits are a number, anything else fails with the query's message.
class RecordingTarget : public titleservice::ScrapeTarget {
public:
    std::vector<std::string> calls;
    titleservice::ListChoice answer; // what the selection dialog returns

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
    void startCoverDownload(std::string_view url) override { record("download", std::string(url)); }

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
