#include "vantrelle/titleservice/TitlePageLayout.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantrelle::titleservice;

namespace {

// A title page of the layout the scraper reads, as the service sent it.
const std::string kOldLayout
    = "<HTML><HEAD><TITLE>Harbour Lights (1987)</TITLE></HEAD>\n<BODY>\n"
      "<B>Directed by</B><BR><A HREF=\"/Name?Quill,+Edda\">Edda Quill</A><BR>\n"
      "<B>Genre:</B> <A HREF=\"/Sections/Genres/Drama/\">Drama</A>\n"
      "<B>Cast overview, first billed only:</B>\n<TABLE><TR><TD><A HREF=\"/Name?Marsh,+Oren\">Oren Marsh</A></TD>"
      "<TD NOWRAP> ... </TD><TD VALIGN=\"TOP\">Captain Rook</TD></TR></TABLE>\n"
      "<TR><TD><B>Runtime</B>: USA:112</TD></TR>\n</BODY></HTML>\n";

// Today's layout: the film in JSON-LD and a script block of page data, a lower-case <title>, and the old
// markers only in pieces ("Directed by" in the description, "Runtime" as a caption, "/name/" links).
const std::string kTodaysLayout
    = "<!DOCTYPE html><html lang=\"en-US\"><head><meta charset=\"utf-8\"/>"
      "<title>Harbour Lights (1987) - IMDb</title>"
      "<meta name=\"description\" content=\"Harbour Lights: Directed by Edda Quill. With Oren Marsh, Ida Vell.\"/>"
      "<script type=\"application/ld+json\">{\"@context\":\"https://schema.org\",\"@type\":\"Movie\","
      "\"url\":\"/title/tt0100001/\",\"name\":\"Harbour Lights\",\"genre\":[\"Drama\",\"Thriller\"],"
      "\"director\":[{\"@type\":\"Person\",\"url\":\"/name/nm0000001/\",\"name\":\"Edda Quill\"}],"
      "\"duration\":\"PT1H52M\"}</script></head><body>"
      "<section data-testid=\"title-details\"><span class=\"ipc-metadata-list-item__label\">Runtime</span>"
      "<div>1<!-- -->h<!-- --> <!-- -->52<!-- -->m</div></section>"
      "<script id=\"__NEXT_DATA__\" type=\"application/json\">{\"props\":{\"pageProps\":{\"tconst\":\"tt0100001\","
      "\"taglines\":{\"edges\":[{\"node\":{\"text\":\"The sea keeps its secrets.\"}}]}}}}</script></body></html>";

} // namespace

TEST(TitlePageLayout, TellsTheScrapersLayoutFromOthers)
{
    struct Case {
        std::string name;
        std::string page;
        bool titlePage;
    } const cases[] = {
        { "the old layout", kOldLayout, true },
        { "the old layout with a title and a cast only",
            "<TITLE>Short</TITLE><B>Cast overview, first billed only:</B><A HREF=\"/Name?Lee,+Ann\">", true },
        { "the old layout with a title and a running time only", "<TITLE>Short</TITLE><B>Runtime</B>: 9</TD>", true },
        { "today's layout", kTodaysLayout, false },
        { "an old page that also describes itself in JSON-LD",
            kOldLayout + "<SCRIPT TYPE=\"application/ld+json\">{}</SCRIPT>", false },
        { "the old markers under a lower-case title", "<title>Short</title>Directed by <a href=\"/Name?x\">", false },
        { "an error page with a title", "<HTML><HEAD><TITLE>503 Service Unavailable</TITLE></HEAD></HTML>", false },
        { "the old markers without a title", "Directed by <A HREF=\"/Name?x\">x</A>", false },
        { "an empty answer", "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isTitlePage(c.page), c.titlePage) << c.name;
}
