#pragma once

#include "CurlHandles.h"
#include "RequestSettings.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>

namespace vantrelle::http {

// What a CurlExchange reports while a sending runs, on the thread that runs it. A method may
// throw (an event handler's exception): the exchange keeps the first such exception, ends
// the sending and hands the exception back from takeFailure().
class ExchangeObserver {
public:
    virtual void resolvingName() = 0;
    // A new connection: the address about to be tried, and the address once it stands.
    virtual void connectingTo(const std::string& address) = 0;
    virtual void connectedTo(const std::string& address) = 0;
    // Every sending, on a new connection or on one kept from an earlier sending.
    virtual void sendingRequest() = 0;
    // One line of header text, with its line end; false ends the sending.
    virtual bool headerLine(std::string_view line) = 0;
    // A piece of body, at most 16384 bytes; false ends the sending.
    virtual bool bodyPiece(const char* data, std::size_t size) = 0;
    virtual void closingConnection() = 0;
    virtual void connectionClosed() = 0;

protected:
    ~ExchangeObserver() = default;
};

// One sending of a request: one hop of a redirect chain, or one attempt at authentication.
struct Sending {
    std::string url;
    std::string method;
    std::string_view body; // sent when not empty
    bool atOrigin = true; // the lines of RequestHeaders that carry credentials go along
    std::string userName; // empty: no credentials for the server
    std::string password;
    std::string proxyUserName; // empty: none for the proxy
    std::string proxyPassword;
};

// The libcurl side of one request: the easy and multi handles, the header lists, the C
// callbacks, and the loop that runs a sending. Every setup call is checked: open() and aim()
// give the first failure. The observer hears of each step in plain C++; nothing of libcurl
// goes past this class but its result codes.
//
// How the original Internet client's progress notifications map onto libcurl:
//   resolving name      CURLOPT_RESOLVER_START_FUNCTION
//   name resolved,
//   connecting          CURLOPT_OPENSOCKETFUNCTION, with the address about to be tried
//   connected,
//   sending request     CURLOPT_PREREQFUNCTION, once the connection stands
//   closing, closed     CURLOPT_CLOSESOCKETFUNCTION, around close()
// The rest (request sent, receiving and received, redirect, intermediate response) the
// observer works out from the header lines and body pieces.
class CurlExchange {
public:
    explicit CurlExchange(ExchangeObserver& observer);
    ~CurlExchange();
    CurlExchange(const CurlExchange&) = delete;
    CurlExchange& operator=(const CurlExchange&) = delete;

    // Creates the handles and sets what stays the same for every sending.
    CURLcode open(const RequestSettings& settings);
    // Sets what one sending needs.
    CURLcode aim(const Sending& sending);
    // Runs the sending aimed at. Once connected, a sending that neither sends nor receives a
    // byte for `inactivity` ends with CURLE_OPERATION_TIMEDOUT; after cancel() it ends with
    // CURLE_ABORTED_BY_CALLBACK.
    CURLcode perform(std::chrono::milliseconds inactivity);
    // Callable from any thread: the running perform() ends soon, and no later one runs.
    void cancel();
    // Frees the handles; a connection still open is closed now, with its closing steps.
    void close();
    // The first exception an observer method threw since the last call, or null.
    std::exception_ptr takeFailure();

    // About the latest sending.
    long responseCode() const;
    std::string redirectUrl() const; // empty when the response names none
    curl_off_t contentLength() const; // -1 when unknown
    std::uint64_t requestSize() const; // header text and body sent
    const char* errorText() const; // libcurl's own words for the latest failure, or ""

private:
    CURLcode buildHeaderLists(const RequestSettings& settings);
    template <typename Step> bool guarded(Step step) noexcept;
    std::chrono::milliseconds quietTimeLeft(std::chrono::milliseconds inactivity);
    void markActivity() { m_lastActivity = std::chrono::steady_clock::now(); }

    static std::size_t headerCallback(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* self);
    static curl_socket_t openSocketCallback(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int closeSocketCallback(void* self, curl_socket_t socket);
    static int resolverStartCallback(void* resolverState, void* reserved, void* self);
    static int prereqCallback(void* self, char* primaryIp, char* localIp, int primaryPort, int localPort);

    ExchangeObserver& m_observer;
    EasyHandle m_easy;
    MultiHandle m_multi; // guarded by m_mutex where another thread may look: cancel()
    std::mutex m_mutex;
    HeaderList m_originHeaders;
    HeaderList m_foreignHeaders; // without the lines that carry credentials
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    std::atomic<bool> m_cancelled { false };
    std::exception_ptr m_failure;

    // The sending that runs: whether it opened a connection of its own, and when a byte
    // last went either way (the clock runs once the connection stands).
    bool m_connecting = false;
    bool m_connected = false;
    curl_off_t m_uploaded = 0;
    std::chrono::steady_clock::time_point m_lastActivity;
};

} // namespace vantrelle::http
