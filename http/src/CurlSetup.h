#pragma once

#include "CurlHandles.h"

#include <string>
#include <string_view>

namespace vantrelle::http {

// Sets options on an easy handle and keeps the first failure, so that a run of settings is
// checked once at its end.
class CurlOptions {
public:
    explicit CurlOptions(CURL* easy)
        : m_easy(easy)
    {
    }
    template <typename Value> void set(CURLoption option, Value value)
    {
        if (m_result == CURLE_OK)
            m_result = curl_easy_setopt(m_easy, option, value);
    }
    CURLcode result() const { return m_result; }

private:
    CURL* m_easy;
    CURLcode m_result = CURLE_OK;
};

// Appends a header line; the list stays as it was when that fails.
CURLcode appendHeader(HeaderList& list, const std::string& line);

// Whether a header line is the field `name` (compared blind to case).
bool isHeader(std::string_view line, std::string_view name);

// The value of a header line: the text after its colon, without surrounding blanks and line end.
std::string_view headerValue(std::string_view line);

// The status of the latest response; 0 when there is none.
long responseStatus(CURL* easy);

} // namespace vantrelle::http
