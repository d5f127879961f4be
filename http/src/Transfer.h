#pragma once

#include "CurlExchange.h"
#include "RequestEvents.h"
#include "RequestSettings.h"
#include "RequestWorker.h"

#include "vantrelle/http/HttpRequest.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vantrelle::http {

// The results THttpRequest shows for its latest request.
struct Results {
    std::vector<std::uint8_t> responseStream;
    std::vector<std::string> responseHeaders;
    std::uint32_t statusCode = 0;
    // Atomic so that the caller may look at kIoPending while the worker runs.
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

// One request of a THttpRequest: what it sends where (redirects, authentication, limits), its
// results and events. Its CurlExchange does the talking; an asynchronous one runs on the
// THttpRequest's RequestWorker. Each Execute makes a new one, so a request that is being
// cancelled never shares anything with the one that replaces it. The worker's job holds a
// reference, so a Transfer outlives its THttpRequest when it had to be left running (see
// abandon).
class Transfer final : public std::enable_shared_from_this<Transfer>, private ExchangeObserver {
public:
    // The empty results a THttpRequest shows before its first request.
    Transfer();
    Transfer(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, HttpRequestEvents events,
        RequestSettings settings, Credentials credentials);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Creates the handles and sets what stays the same for every sending.
    void prepare();
    // The whole exchange on the calling thread.
    void runSynchronously();
    // The exchange on the worker's thread; returns at once.
    void start(RequestWorker& worker);
    // Stops the request for good: no event is raised from now on. Waits for the exchange to
    // end unless it waits for the user-interface thread, which is then the caller (or runs
    // on the caller, the worker); such an exchange is left to end by itself.
    void abandon();
    bool running() const;
    // Until the exchange has ended; at once on the worker itself.
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
        bool hasLocation = false;
        bool needsAuth = false;
        bool withoutBody = false; // a HEAD request
        bool atOrigin = true;
        std::string headerText;
        std::vector<std::string> headerLines;
    };

    void exchange();
    Outcome send();
    CURLcode sendTo(const Destination& to);
    void finishResponse();
    Destination followRedirect(const Destination& from, int count);
    void closeRequest();

    void setErrorCode(std::uint32_t code);
    void setError(std::uint32_t code);
    std::exception_ptr failure(std::uint32_t code, const std::string& message = {});
    std::exception_ptr failureOf(CURLcode result);
    [[noreturn]] void fail(std::uint32_t code);
    void check(CURLcode result);
    void endBody(std::exception_ptr failure);
    bool endOfHeaders();

    // ExchangeObserver
    void resolvingName() override;
    void connectingTo(const std::string& address) override;
    void connectedTo(const std::string& address) override;
    void sendingRequest() override;
    bool headerLine(std::string_view line) override;
    bool bodyPiece(const char* data, std::size_t size) override;
    void closingConnection() override;
    void connectionClosed() override;

    RequestEvents m_events;
    RequestSettings m_settings;
    CurlExchange m_exchange;

    Hop m_hop;
    // The origin has answered with a 401, so the credentials may go to it from now on.
    bool m_challenged = false;
    // The latest code of this request, apart from what the results show: the thread that
    // assigns a URL may write those.
    std::uint32_t m_errorCode = 0;
    // Set by the worker of an asynchronous request for itself; see setErrorCode.
    bool m_onWorker = false;
    // The failure that ended reading the response, passed on after OnRequestComplete.
    std::exception_ptr m_responseFailure;

    mutable std::mutex m_mutex; // for the members below: the caller's thread looks at them
    std::condition_variable m_ended;
    bool m_started = false;
    bool m_finished = false;
    std::thread::id m_worker; // the thread that runs the exchange, once started
    Credentials m_credentials;
};

} // namespace vantrelle::http
