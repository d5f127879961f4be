#include "vantrelle/http/HttpError.h"

namespace vantrelle::http {

std::string errorText(std::uint32_t code)
{
    switch (code) {
    case errors::InsufficientBuffer:
        return "The response header text is longer than 8192 bytes";
    case errors::IoPending:
        return "The request is in progress";
    case errors::Timeout:
        return "The request timed out";
    case errors::ExtendedError:
        return "The HTTP client reported an error";
    case errors::InternalError:
        return "An internal error occurred in the HTTP client";
    case errors::InvalidUrl:
        return "The URL is invalid";
    case errors::UnrecognizedScheme:
        return "The URL does not use a recognized protocol";
    case errors::NameNotResolved:
        return "The server name or address could not be resolved";
    case errors::OperationCancelled:
        return "The operation was cancelled";
    case errors::CannotConnect:
        return "A connection with the server could not be established";
    case errors::ConnectionAborted:
        return "The connection with the server was terminated abnormally";
    case errors::ConnectionReset:
        return "The connection with the server was reset";
    case errors::HttpToHttpsOnRedirect:
        return "The server redirected the request from http to https";
    case errors::HttpsToHttpOnRedirect:
        return "The server redirected the request from https to http";
    case errors::InvalidCertificateAuthority:
        return "The server's certificate is not trusted";
    case errors::InvalidServerResponse:
        return "The server returned an invalid or unrecognized response";
    case errors::RedirectFailed:
        return "The server redirected the request to a URL that is not http or https";
    case errors::SecureChannelError:
        return "An error occurred in the secure channel support";
    case errors::DecodingFailed:
        return "The content of the response could not be decoded";
    case errors::ResponseTooLarge:
        return "The response body is larger than the limit";
    case errors::TooManyRedirects:
        return "The server redirected the request more than 20 times";
    case errors::OutOfMemory:
        return "Not enough memory for the request";
    default:
        return {};
    }
}

} // namespace vantrelle::http
