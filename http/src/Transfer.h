#pragma once

#include "CurlHandles.h"

#include "vantrelle/http/HttpRequest.h"
#include "vantrelle/http/Url.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrelle::http {

// What THttpRequest hands to one request when Execute starts it.
struct RequestSettings {
    bool synchronous = true;
    std::string url; // as RequestUrl builds it
    UrlParts origin; // scheme, host and port of url: where the credentials may go
    std::string method;
    std::string body;
    std::vector<std::string> requestHeaders;
    std::vector<std::string> acceptTypes;
    std::string userAgent;
    std::string proxy;
    int connectTimeout = 0;
    int inactivityTimeout = 0;
    std::uint64_t maxResponseSize = 0;
    bool raiseExceptions = true;
    int authRetries = 0;
    TInternetFlags flags;
};

struct Credentials {
    std::string userName;
    std::string password;
    std::string proxyUserName;
    std::string proxyPassword;
};

// The results THttpRequest shows for its latest request.
struct Results {
    std::vector<std::uint8_t> responseStream;
    std::vector<std::string> responseHeaders;
    std::uint32_t statusCode = 0;
    // Atomic so that the caller may look at IoPending while the worker runs.
    std::atomic<std::uint32_t> errorCode { 0 };
    std::string redirectUrl;
    std::string serverAddress;
    std::uint32_t bytesSent = 0;
    std::uint32_t bytesReceived = 0;
    std::uint32_t totalBytesReceived = 0;
    std::uint32_t chunkSize = 0;
    std::uint32_t bytesRead = 0;
    std::uint32_t chunkOffset = 0;
};

// One request of a THttpRequest: its libcurl handles, its results and, when asynchronous,
// its worker thread. Each Execute makes a new one, so a request that is being cancelled never
// shares anything with the one that replaces it. The worker holds a reference, so a
// Transfer outlives its THttpRequest when the worker had to be left running (see abandon).
class Transfer : public std::enable_shared_from_this<Transfer> {
public:
    // The empty results a THttpRequest shows before its first request.
    Transfer() = default;
    Transfer(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, THttpRequestEvents events,
        RequestSettings settings, Credentials credentials);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Creates the handles and sets what stays the same for every sending.
    void prepare();
    // The whole exchange on the calling thread.
    void runSynchronously();
    // The exchange on a worker thread; returns at once.
    void start();
    // Stops the request for good: no event is raised from now on. Waits for the worker to
    // end unless that worker waits for the user-interface thread, which is then the caller
    // (or is the worker itself); such a worker is left to end by itself.
    void abandon();
    bool running() const;
    void wait();
    void setCredentials(const Credentials& credentials);

    Results results;

private:
    enum class Phase { Headers, Discard, Body, Ended };
    enum class Outcome { Response, NeedsAuth, Stopped };

    // Where one sending goes.
    struct Destination {
        std::string url;
        bool atOrigin = true; // the credentials may go there
        bool asGet = false; // a redirect turned the method into GET
    };

    // The state of one sending (one hop of a redirect chain).
    struct Hop {
        Phase phase = Phase::Headers;
        bool responseStarted = false;
        bool connecting = false;
        bool hasLocation = false;
        bool needsAuth = false;
        bool abortedByUs = false;
        bool withoutBody = false; // a HEAD request
        bool atOrigin = true;
        // When a byte last went out or came in; the clock runs once the connection stands.
        bool connected = false;
        std::chrono::steady_clock::time_point lastActivity;
        curl_off_t uploaded = 0;
        std::string headerText;
        std::vector<std::string> headerLines;
    };

    curl_slist* headerList(bool atOrigin) const;
    void exchange();
    Outcome send();
    void finishResponse();
    void configureSending(const Destination& to);
    void applyCredentials(bool atOrigin);
    CURLcode performOnce();
    std::chrono::milliseconds idleTimeLeft();
    Destination followRedirect(const Destination& from, int count);
    void closeRequest();
    void rethrowHandlerFailure();

    void raise(TNotifyEvent THttpRequestEvents::*event);
    void raiseKeepingFailure(TNotifyEvent THttpRequestEvents::*event);
    void setErrorCode(std::uint32_t code);
    void setError(std::uint32_t code);
    [[noreturn]] void fail(std::uint32_t code, const std::string& message = {});
    void check(CURLcode result);
    void endBody(std::exception_ptr failure);

    bool onHeaderLine(std::string_view line);
    bool onEndOfHeaders();
    bool onBody(const char* data, std::size_t size);
    bool onOpenSocket(const std::string& address);
    bool onConnected(const char* address);
    void onCloseSocket(curl_socket_t socket);

    static std::size_t headerCallback(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* self);
    static curl_socket_t openSocketCallback(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int closeSocketCallback(void* self, curl_socket_t socket);
    static int resolverStartCallback(void* resolverState, void* reserved, void* self);
    static int prereqCallback(void* self, char* primaryIp, char* localIp, int primaryPort, int localPort);

    THttpRequest* m_owner = nullptr;
    std::shared_ptr<EventDelivery> m_delivery;
    THttpRequestEvents m_events;
    RequestSettings m_settings;

    EasyHandle m_easy;
    CURLM* m_multi = nullptr; // owned; guarded by m_mutex so abandon() can wake it
    HeaderList m_headers;
    HeaderList m_foreignHeaders; // without the lines that carry credentials, for other origins
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    Hop m_hop;
    // The origin has answered with a 401, so the credentials may go to it from now on.
    bool m_challenged = false;
    // The latest code of this request, apart from what the results show: the thread that
    // assigns a URL may write those.
    std::uint32_t m_errorCode = 0;
    // An exception a handler threw inside a libcurl callback, outside the body.
    std::exception_ptr m_handlerFailure;
    // The failure that ended reading the response, passed on after OnRequestComplete.
    std::exception_ptr m_responseFailure;

    mutable std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    std::atomic<bool> m_stop { false };
    bool m_inDelivery = false;
    bool m_finished = false;
    Credentials m_credentials;
    std::thread m_thread;
};

} // namespace vantrelle::http
