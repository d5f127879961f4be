#pragma once

#include <curl/curl.h>

#include <memory>

namespace vantrelle::http {

// Owners of libcurl handles; copying is deleted by unique_ptr.
struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// libcurl wants curl_global_init before the first handle, once per process, and it is not
// thread-safe in this version: the first request does it from a function-local static. Every module
// that makes handles calls this one, so the process initialises libcurl once. Returns whether libcurl
// could be initialised.
bool ensureCurlGlobalInit();

} // namespace vantrelle::http
