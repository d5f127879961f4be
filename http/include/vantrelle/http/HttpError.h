#pragma once

#include "vantrelle/Error.h"

#include <cstdint>
#include <string>

namespace vantrelle::http {

// The codes that THttpRequest::ErrorCode takes. Where the original Internet client had a
// code for the same failure its number is kept, so texts and handlers written against
// those numbers still fit; failures it never had get numbers from 13001 on.
namespace errors {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kInsufficientBuffer = 122; // the response header text is over 8192 bytes
inline constexpr std::uint32_t kIoPending = 997; // an asynchronous request is under way
inline constexpr std::uint32_t kTimeout = 12002;
inline constexpr std::uint32_t kExtendedError = 12003; // any other client failure; the message carries its details
inline constexpr std::uint32_t kInternalError = 12004;
inline constexpr std::uint32_t kInvalidUrl = 12005;
inline constexpr std::uint32_t kUnrecognizedScheme = 12006;
inline constexpr std::uint32_t kNameNotResolved = 12007;
inline constexpr std::uint32_t kOperationCancelled = 12017; // authentication given up
inline constexpr std::uint32_t kCannotConnect = 12029;
inline constexpr std::uint32_t kConnectionAborted = 12030;
inline constexpr std::uint32_t kConnectionReset = 12031;
inline constexpr std::uint32_t kHttpToHttpsOnRedirect = 12039;
inline constexpr std::uint32_t kHttpsToHttpOnRedirect = 12040;
inline constexpr std::uint32_t kInvalidCertificateAuthority = 12045;
inline constexpr std::uint32_t kInvalidServerResponse = 12152;
inline constexpr std::uint32_t kRedirectFailed = 12156; // a redirect to a URL that is not http or https
inline constexpr std::uint32_t kSecureChannelError = 12157;
inline constexpr std::uint32_t kDecodingFailed = 12175;
inline constexpr std::uint32_t kResponseTooLarge = 13001; // the body is larger than maxResponseSize()
inline constexpr std::uint32_t kTooManyRedirects = 13002; // more than 20 redirects in one request
inline constexpr std::uint32_t kOutOfMemory = 13003;
} // namespace errors

// The text of one of the codes above; empty for 0 and for a code it does not know.
std::string errorText(std::uint32_t code);

// A failure of the HTTP client or of a URL. The message is the text the user sees.
class EHttpError : public Error {
public:
    EHttpError(const std::string& message, std::uint32_t code)
        : Error(message)
        , m_code(code)
    {
    }
    std::uint32_t code() const { return m_code; }

private:
    std::uint32_t m_code;
};

} // namespace vantrelle::http
