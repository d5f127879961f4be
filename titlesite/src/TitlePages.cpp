#include "vantrelle/titlesite/TitlePages.h"

#include "vantrelle/titleservice/Settings.h"
#include "vantrelle/titleservice/TitlePageMarkers.h"

#include <cstdio>

namespace vantrelle::titlesite {

using titleindex::CastMember;
using titleindex::SearchHit;
using titleindex::Title;
using namespace titleservice;

namespace {

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
    page.append("<A HREF=\"").append(kNameLink);
    page += nameLinkValue(name);
    page += "\">";
    appendText(page, name);
    page += "</A>";
}

void appendCastRow(std::string& page, const CastMember* member)
{
    page.append("<TR><TD ").append(kCharacterText);
    appendNameLink(page, member ? std::string_view(member->name) : std::string_view());
    page.append("</TD><TD ").append(kCharacterCell).append("> .... </TD><TD ").append(kCharacterText);
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
    page.append("<HTML>\n<HEAD>\n").append(kTitleTag);
    appendTitleName(page, title.title);
    if (showsYear(title.year))
        page.append("(").append(yearText(*title.year)).append(")");
    page += "</TITLE>\n</HEAD>\n<BODY BGCOLOR=\"#FFFFFF\">\n<TABLE><TR><TD VALIGN=\"TOP\"><IMG SRC=\"";
    if (posterUrl.empty())
        page.append(ImageBaseURL).append("/images/").append(kPlaceholderImage);
    else
        page += posterUrl;
    page += posterUrl.empty() ? "\" ALT=\"No poster\"" : "\" ALT=\"poster\"";
    page += " WIDTH=\"90\" HEIGHT=\"130\"></TD>\n<TD VALIGN=\"TOP\">\n<H1>";
    appendText(page, title.title);
    if (showsYear(title.year))
        page.append(" (").append(yearText(*title.year)).append(")");
    page.append("</H1>\n<B>").append(kDirectorMarker).append("</B><BR>\n");
    if (title.directors.empty()) {
        appendNameLink(page, {});
        page += "<BR>\n";
    }
    for (const std::string& director : title.directors) {
        appendNameLink(page, director);
        page += "<BR>\n";
    }
    page += "<B>Genre:</B> ";
    if (title.genres.empty())
        page.append("<A HREF=\"").append(kGenreLink).append("/\"></A>");
    for (const std::string& genre : title.genres) {
        if (&genre != &title.genres.front())
            page += " / ";
        page.append("<A HREF=\"").append(kGenreLink);
        appendText(page, genre);
        page += "/\">";
        appendText(page, genre);
        page += "</A>";
    }
    // The reader passes over the one character after the marker, the blank.
    page.append("<BR>\n<B>").append(kTaglineMarker).append(" ");
    appendText(page, tagline);
    page.append("<BR>\n</TD></TR></TABLE>\n<B>").append(kCastMarker).append("</B>\n<TABLE>\n");
    for (std::size_t row = 0; row < 4; ++row)
        appendCastRow(page, row < title.cast.size() ? &title.cast[row] : nullptr);
    page.append("</TABLE>\n<TABLE><TR><TD><B>").append(kRuntimeMarker);
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
