// Title pages come from the network: the scraper must turn any bytes into values without reading
// outside the page, and only the target's own setters may fail.
#include "vantrelle/titleservice/TitlePageLayout.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace vantrelle::titleservice;

// Takes every value; the dialog picks a line chosen by the page's length, sometimes none.
class AcceptingTarget : public ScrapeTarget {
public:
    std::size_t written = 0;
    void setColumnText(std::string_view, std::string_view text) override { written += text.size(); }
    void setColumnInteger(std::string_view, std::int32_t) override { ++written; }
    ListChoice chooseFromList(const std::vector<std::string_view>& items) override
    {
        return { written % 3 != 0, static_cast<int>(written % (items.size() + 1)) - 1 };
    }
    void usePlaceholderCover() override { ++written; }
    void setCoverExtension(std::string_view extension) override { written += extension.size(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    // The lookups ask first whether the page is one; the scraper must cope with any page all the same.
    static_cast<void>(isTitlePage(page));
    AcceptingTarget target;
    URLDecoder decoder;
    TitlePageScraper scraper(target, decoder);
    const auto poster = scraper.scrape(page);
    if (poster && poster->size() > size)
        __builtin_trap();
    for (const auto& entry : scraper.runtimeEntries())
        if (entry.size() > size)
            __builtin_trap();
    return 0;
}
