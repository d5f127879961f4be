#include "CurlHandles.h"

namespace vantrelle::http {

bool ensureCurlGlobalInit()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

} // namespace vantrelle::http
