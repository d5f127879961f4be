#include "vantrelle/http/HttpError.h"

namespace vantrelle::http {

std::string errorText(std::uint32_t code)
{
    switch (code) {
    case errors::kInsufficientBuffer:
        return "The response header text is longer than 8192 bytes";
    case errors::kIoPending:
        return "The request is in progress";
    case errors::kTimeout:
        return "The request timed out";
    case errors::kExtendedError:
        return "The HTTP client reported an error";
    case errors::kInternalError:
        return "An internal error occurred in the HTTP client";
    case errors::kInvalidUrl:
        return "The URL is invalid";
    case errors::kUnrecognizedScheme:
        return "The URL does not use a recognized protocol";
    case errors::kNameNotResolved:
        return "The server name or address could not be resolved";
    case errors::kOperationCancelled:
        return "The operation was cancelled";
    case errors::kCannotConnect:
        return "A connection with the server could not be established";
    case errors::kConnectionAborted:
        return "The connection with the server was terminated abnormally";
    case errors::kConnectionReset:
        return "The connection with the server was reset";
    case errors::kHttpToHttpsOnRedirect:
        return "The server redirected the request from http to https";
    case errors::kHttpsToHttpOnRedirect:
        return "The server redirected the request from https to http";
    case errors::kInvalidCertificateAuthority:
        return "The server's certificate is not trusted";
    case errors::kInvalidServerResponse:
        return "The server returned an invalid or unrecognized response";
    case errors::kRedirectFailed:
        return "The server redirected the request to a URL that is not http or https";
    case errors::kSecureChannelError:
        return "An error occurred in the secure channel support";
    case errors::kDecodingFailed:
        return "The content of the response could not be decoded";
    case errors::kResponseTooLarge:
        return "The response body is larger than the limit";
    case errors::kTooManyRedirects:
        return "The server redirected the request more than 20 times";
    case errors::kOutOfMemory:
        return "Not enough memory for the request";
    default:
        return {};
    }
}

} // namespace vantrelle::http
