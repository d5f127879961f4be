#include "CurlSetup.h"

#include <algorithm>
#include <cctype>

namespace vantrelle::http {

CURLcode appendHeader(HeaderList& list, const std::string& line)
{
    curl_slist* longer = curl_slist_append(list.get(), line.c_str());
    if (!longer)
        return CURLE_OUT_OF_MEMORY;
    (void)list.release(); // longer is the same list, or a new one when it was empty
    list.reset(longer);
    return CURLE_OK;
}

bool isHeader(std::string_view line, std::string_view name)
{
    return line.size() > name.size() && line[name.size()] == ':'
        && std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string_view headerValue(std::string_view line)
{
    const std::size_t colon = line.find(':');
    const std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : value.substr(first, last - first + 1);
}

long responseStatus(CURL* easy)
{
    long status = 0;
    if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return 0;
    return status;
}

} // namespace vantrelle::http
