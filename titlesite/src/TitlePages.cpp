#include "vantrelle/titlesite/TitlePages.h"

#include <cstdio>

namespace vantrelle::titlesite {

using titleindex::CastMember;
using titleindex::SearchHit;
using titleindex::Title;

namespace {

constexpr std::string_view kPlaceholderPoster = "http://ia.media-imdb.com/images/ph_title.gif";
// Shown in place of "<", where every value the reader cuts out ends.
constexpr std::string_view kLessThan = "\xE2\x80\xB9"; // U+2039 SINGLE LEFT-POINTING ANGLE QUOTATION MARK

// Appends text that the reader cuts out up to the next "<".
void appendText(std::string& page, std::string_view text)
{
    for (const char c : text) {
        if (c == '<')
            page += kLessThan;
        else
            page += c;
    }
}

// The name as the <TITLE> text carries it: the reader takes everything before the first "(" as
// the name and the 4 characters after it as the year, so the name's own brackets turn square.
void appendTitleName(std::string& page, std::string_view name)
{
    for (const char c : name) {
        if (c == '(')
            page += '[';
        else if (c == ')')
            page += ']';
        else if (c == '<')
            page += kLessThan;
        else
            page += c;
    }
}

std::string yearText(int year)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04d", year);
    return text;
}

// A year the reader can take as the 4 characters after "(".
bool showsYear(const std::optional<int>& year)
{
    return year && *year >= 0 && *year <= 9999;
}

void appendNameLink(std::string& page, std::string_view name)
{
    page += "<A HREF=\"/Name?";
    page += nameLinkValue(name);
    page += "\">";
    appendText(page, name);
    page += "</A>";
}

void appendCastRow(std::string& page, const CastMember* member)
{
    page += "<TR><TD VALIGN=\"TOP\">";
    appendNameLink(page, member ? std::string_view(member->name) : std::string_view());
    page += "</TD><TD NOWRAP> .... </TD><TD VALIGN=\"TOP\">";
    if (member)
        appendText(page, member->characters);
    page += "</TD></TR>\n";
}

} // namespace

std::string titleNumberText(std::int64_t number)
{
    char text[24];
    std::snprintf(text, sizeof text, "%07lld", static_cast<long long>(number));
    return text;
}

std::string nameLinkValue(std::string_view name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string value;
    value.reserve(name.size() + 3);
    if (name.find(',') != std::string_view::npos)
        value += "%2C";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || c == '-'
            || c == '.' || c == '_' || c == '~') {
            value += c;
        } else if (c == ' ') {
            value += '+';
        } else {
            value += '%';
            value += kHex[byte >> 4];
            value += kHex[byte & 0xF];
        }
    }
    return value;
}

std::string titlePage(const Title& title, std::string_view posterUrl, std::string_view tagline)
{
    std::string page;
    page.reserve(2048);
    page += "<HTML>\n<HEAD>\n<TITLE>";
    appendTitleName(page, title.title);
    if (showsYear(title.year))
        page.append("(").append(yearText(*title.year)).append(")");
    page += "</TITLE>\n</HEAD>\n<BODY BGCOLOR=\"#FFFFFF\">\n<TABLE><TR><TD VALIGN=\"TOP\"><IMG SRC=\"";
    page += posterUrl.empty() ? kPlaceholderPoster : posterUrl;
    page += posterUrl.empty() ? "\" ALT=\"No poster\"" : "\" ALT=\"poster\"";
    page += " WIDTH=\"90\" HEIGHT=\"130\"></TD>\n<TD VALIGN=\"TOP\">\n<H1>";
    appendText(page, title.title);
    if (showsYear(title.year))
        page.append(" (").append(yearText(*title.year)).append(")");
    page += "</H1>\n<B>Directed by</B><BR>\n";
    if (title.directors.empty())
        page += "<A HREF=\"/Name?\"></A><BR>\n";
    for (const std::string& director : title.directors) {
        appendNameLink(page, director);
        page += "<BR>\n";
    }
    page += "<B>Genre:</B> ";
    if (title.genres.empty())
        page += "<A HREF=\"/Sections/Genres//\"></A>";
    for (const std::string& genre : title.genres) {
        if (&genre != &title.genres.front())
            page += " / ";
        page += "<A HREF=\"/Sections/Genres/";
        appendText(page, genre);
        page += "/\">";
        appendText(page, genre);
        page += "</A>";
    }
    // The reader passes over the one character after the marker, the blank.
    page += "<BR>\n<B>Tagline: </B> ";
    appendText(page, tagline);
    page += "<BR>\n</TD></TR></TABLE>\n<B>Cast overview, first billed only:</B>\n<TABLE>\n";
    for (std::size_t row = 0; row < 4; ++row)
        appendCastRow(page, row < title.cast.size() ? &title.cast[row] : nullptr);
    page += "</TABLE>\n<TABLE><TR><TD><B>Runtime</B>:";
    if (title.runtime)
        page.append(" ").append(std::to_string(*title.runtime));
    page += "</TD></TR></TABLE>\n</BODY>\n</HTML>\n";
    return page;
}

std::string searchResultsPage(const std::vector<SearchHit>& hits)
{
    std::string page = "<HTML><HEAD><TITLE>IMDb title search</TITLE></HEAD>\n<BODY>\n<H1>IMDb title search</H1>\n"
                       "<P><B><A NAME=\"mov\">Movies</A></B></P>\n<OL>\n";
    for (const SearchHit& hit : hits) {
        page.append("<LI><A HREF=\"/Title?").append(titleNumberText(hit.number)).append("\">");
        appendText(page, hit.title);
        if (hit.year)
            page.append(" (").append(std::to_string(*hit.year)).append(")");
        page += "</A></LI>\n";
    }
    // The reader drops the list's last character with every link it reads, so blanks stand before
    // the end of the list for it to eat instead of the last links.
    page.append(hits.size(), ' ');
    return page + "\n</OL>\n</BODY></HTML>\n";
}

std::string noMatchesPage()
{
    return "<HTML><HEAD><TITLE>IMDb title search</TITLE></HEAD>\n<BODY>\n<H1>IMDb title search</H1>\n"
           "<P>No matches.</P>\n</BODY></HTML>\n";
}

std::string notFoundPage()
{
    return "<HTML><BODY><H1>Title not found</H1></BODY></HTML>\n";
}

} // namespace vantrelle::titlesite
