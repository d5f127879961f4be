// vantrelle-tool scrape: runs the title page scraper on a page file against an empty new row and
// prints what it wrote as one JSON object.

#include "CommandRegistry.h"
#include "vantrelle/CodePage.h"
#include "vantrelle/Error.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace vantrelle;
using namespace vantrelle::titleservice;

namespace {

std::string json(std::string_view utf8)
{
    std::string quoted = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string jsonOrNull(const std::optional<std::string>& utf8)
{
    return utf8 ? json(*utf8) : "null";
}

// Integer columns set from text: empty text is no value; otherwise leading blanks, an optional
// sign and decimal digits (or hexadecimal ones after "$", "x", "X" or "0x"), nothing after them,
// within 32 bits.
std::optional<std::int32_t> integerFromText(std::string_view column, std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const auto invalid = [&] {
        return Error("'" + ansiToUtf8(text) + "' is not a valid integer value for field '" + std::string(column) + "'");
    };
    std::string_view rest = text.substr(std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    int base = 10;
    for (const std::string_view prefix : { "0x", "0X", "$", "x", "X" })
        if (rest.starts_with(prefix)) {
            base = 16;
            rest.remove_prefix(prefix.size());
            break;
        }
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, base);
    if (rest.empty() || error != std::errc() || end != rest.data() + rest.size() || rest.front() == '-'
        || rest.front() == '+')
        throw invalid();
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        throw invalid();
    return static_cast<std::int32_t>(value);
}

// A new row and its cover, as the scraper leaves them.
class NewRow : public ScrapeTarget {
public:
    explicit NewRow(std::optional<ListChoice> answer)
        : m_answer(answer)
    {
    }

    void setColumnText(std::string_view column, std::string_view text) override
    {
        if (column == "Year" || column == "Runtime") {
            const std::optional<std::int32_t> value = integerFromText(column, text);
            write(column, value ? std::to_string(*value) : "null");
            return;
        }
        const std::size_t width = column == "Tagline" ? 200 : 50;
        write(column, json(utf8Prefix(ansiToUtf8(text), width)));
    }

    void setColumnInteger(std::string_view column, std::int32_t value) override
    {
        write(column, std::to_string(value));
    }

    // Without an answer given, the dialog counts as cancelled.
    ListChoice chooseFromList(const std::vector<std::string>&) override { return m_answer.value_or(ListChoice {}); }

    void usePlaceholderCover() override { placeholder = true; }
    void setCoverExtension(std::string_view extension) override { coverExtension = ansiToUtf8(extension); }
    void startCoverDownload(std::string_view url) override { posterUrl = ansiToUtf8(url); }

    std::vector<std::string> columns; // "\"Name\": value", in the order written
    bool placeholder = false;
    std::optional<std::string> posterUrl, coverExtension;

private:
    void write(std::string_view column, const std::string& value) { columns.push_back(json(column) + ": " + value); }

    std::optional<ListChoice> m_answer;
};

std::optional<ListChoice> parseChoice(const std::string& text)
{
    if (text == "cancel")
        return ListChoice { false, -1 };
    int index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || index < -1)
        throw tool::UsageError { "--choose takes a line number from 0, -1 for no line, or cancel" };
    return ListChoice { true, index };
}

int scrape(const tool::Arguments& arguments)
{
    std::optional<ListChoice> answer;
    std::string pageFile;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--choose" && i + 1 < arguments.size())
            answer = parseChoice(arguments[++i]);
        else if (pageFile.empty() && !arguments[i].starts_with("--"))
            pageFile = arguments[i];
        else
            throw tool::UsageError { "unexpected argument '" + arguments[i] + "'" };
    }
    if (pageFile.empty())
        throw tool::UsageError { "no page file given" };
    std::ifstream in(pageFile, std::ios::binary);
    if (!in)
        throw Error("Cannot open file \"" + pageFile + "\"");
    const std::string page(std::istreambuf_iterator<char>(in), {});

    NewRow row(answer);
    TURLDecoder decoder;
    TitlePageScraper scraper(row, decoder);
    std::optional<std::string> error;
    try {
        scraper.scrape(page);
    } catch (const Error& e) {
        error = e.what();
    }

    std::ostringstream out;
    out << "{\"columns\": {";
    for (std::size_t i = 0; i < row.columns.size(); ++i)
        out << (i ? ", " : "") << row.columns[i];
    out << "}, \"placeholder\": " << (row.placeholder ? "true" : "false")
        << ", \"posterUrl\": " << jsonOrNull(row.posterUrl)
        << ", \"coverExtension\": " << jsonOrNull(row.coverExtension) << ", \"runtimeEntries\": [";
    const auto& entries = scraper.runtimeEntries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        out << (i ? ", " : "") << json(ansiToUtf8(entries[i]));
    out << "], \"error\": " << jsonOrNull(error) << "}\n";
    std::cout << out.str();
    return 0;
}

const tool::RegisterCommand registration("scrape",
    { "scrape [--choose N|cancel] PAGE.html",
        "run the title page scraper on a saved page and print the new row it fills in as JSON", scrape });

} // namespace
