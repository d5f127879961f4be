#include "CurlErrors.h"

#include "vantrelle/http/HttpError.h"

#include <string_view>

namespace vantrelle::http {

std::uint32_t errorCodeOf(CURLcode result, const char* details)
{
    switch (result) {
    case CURLE_OK:
        return errors::kSuccess;
    case CURLE_FAILED_INIT:
        return errors::kInternalError;
    case CURLE_OPERATION_TIMEDOUT:
        return errors::kTimeout;
    case CURLE_URL_MALFORMAT:
        return errors::kInvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return errors::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return errors::kCannotConnect;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return errors::kConnectionAborted;
    case CURLE_RECV_ERROR:
        if (std::string_view(details).find("chunked-encoding") != std::string_view::npos)
            return errors::kInvalidServerResponse;
        return errors::kConnectionReset;
    // Only http and https URLs reach libcurl, so this is a reply that is not HTTP/1.x
    // (libcurl refuses HTTP/0.9) or a version it does not speak.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP3:
        return errors::kInvalidServerResponse;
    case CURLE_BAD_CONTENT_ENCODING:
        return errors::kDecodingFailed;
    case CURLE_PEER_FAILED_VERIFICATION:
        return errors::kInvalidCertificateAuthority;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return errors::kSecureChannelError;
    case CURLE_FILESIZE_EXCEEDED:
        return errors::kResponseTooLarge;
    case CURLE_OUT_OF_MEMORY:
        return errors::kOutOfMemory;
    default:
        return errors::kExtendedError;
    }
}

std::string errorMessageOf(std::uint32_t code, CURLcode result, const char* details)
{
    if (code != errors::kExtendedError)
        return errorText(code);
    const std::string words = details[0] != '\0' ? details : curl_easy_strerror(result);
    return errorText(code) + "\r\nExtended error:" + std::to_string(static_cast<int>(result)) + " - " + words + "\r\n";
}

} // namespace vantrelle::http
