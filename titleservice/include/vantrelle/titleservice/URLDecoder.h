#pragma once

#include <functional>
#include <string>

namespace vantrelle::titleservice {

class URLDecoder;

// Reports a failed decoding: the decoder, what it was doing and why it failed.
using TOnErrorEvent = std::function<void(URLDecoder& Sender, const std::string& Operation, const std::string& ErrMsg)>;

// Decodes URL-encoded text ("+" for a space, "%" and two hexadecimal digits for a byte). Assign
// the text to InputString, then read UrlDecode(). Text with a malformed escape comes back
// undecoded, and OnError, when set, hears why.
class URLDecoder {
public:
    std::string InputString;
    TOnErrorEvent OnError;

    std::string UrlDecode();
};

} // namespace vantrelle::titleservice
