#pragma once

#include "vantrelle/http/EventDelivery.h"
#include "vantrelle/http/HttpError.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vantrelle::http {

class THttpRequest;
class Transfer;
class RequestWorker;

// Every event handler receives the request that raised it.
using NotifyEvent = std::function<void(THttpRequest& Sender)>;

// The request flags a caller can ask for, in their published order.
enum InternetFlag : std::uint8_t {
    ifCacheIfNetFail,
    ifDontCache,
    ifHyperLink,
    ifIgnoreCertCnInvalid,
    ifIgnoreCertDateInvalid,
    ifIgnoreRedirectToHttp,
    ifIgnoreRedirectToHttps,
    ifKeepConnection,
    ifNeedFile,
    ifNoAuth,
    ifNoAutoRedirect,
    ifNoCacheWrite,
    ifNoCookies,
    ifNoUi,
    ifPragmaNoCache,
    ifReload,
    ifResynchronize,
};

// A set of InternetFlag.
class TInternetFlags {
public:
    constexpr TInternetFlags() = default;
    constexpr TInternetFlags(std::initializer_list<InternetFlag> flags)
    {
        for (InternetFlag flag : flags)
            m_bits |= bit(flag);
    }
    constexpr bool contains(InternetFlag flag) const { return (m_bits & bit(flag)) != 0; }
    constexpr TInternetFlags& insert(InternetFlag flag)
    {
        m_bits |= bit(flag);
        return *this;
    }
    constexpr TInternetFlags& erase(InternetFlag flag)
    {
        m_bits &= ~bit(flag);
        return *this;
    }
    constexpr bool operator==(const TInternetFlags&) const = default;

    // The set every new request starts with: certificate name and date errors ignored,
    // redirects between http and https followed, keep-alive, no dialogs, always reload.
    static constexpr TInternetFlags Design()
    {
        return { ifIgnoreCertCnInvalid, ifIgnoreCertDateInvalid, ifIgnoreRedirectToHttp, ifIgnoreRedirectToHttps,
            ifKeepConnection, ifNoUi, ifReload };
    }

private:
    static constexpr std::uint32_t bit(InternetFlag flag) { return std::uint32_t { 1 } << flag; }
    std::uint32_t m_bits = 0;
};

// The request-flag word of a set: the OR of the INTERNET_FLAG_* value of each member
// (ifDontCache and ifNoCacheWrite share 0x04000000).
std::uint32_t RequestFlagWord(TInternetFlags flags);

// The events of THttpRequest. A handler that is not assigned is skipped. A request takes a
// copy of the handlers when Execute starts it; assigning a handler later affects the next
// request.
struct HttpRequestEvents {
    // Progress, in the order they come: OnResolvingName, OnNameResolved and
    // OnConnectingToServer (ServerAddress is the address), OnConnectedToServer,
    // OnSendingRequest, OnRequestSent (BytesSent), OnReceivingResponse, OnResponseReceived
    // (BytesReceived: once for the header text and once per piece of body),
    // OnIntermediateResponse (a 1xx response), OnRedirect (RedirectURL is the new absolute
    // URL), OnClosingConnection and OnConnectionClosed. OnStateChange is never raised (see
    // Transfer.cpp). Name resolution and connecting are skipped when a connection is reused.
    NotifyEvent OnClosingConnection;
    NotifyEvent OnConnectedToServer;
    NotifyEvent OnConnectingToServer;
    NotifyEvent OnConnectionClosed;
    NotifyEvent OnIntermediateResponse;
    NotifyEvent OnNameResolved;
    NotifyEvent OnReceivingResponse;
    NotifyEvent OnResponseReceived;
    NotifyEvent OnRedirect;
    // Once per exchange that got a response (any status, 404 included), after the whole
    // body has arrived and the connection has been closed. Not raised when authentication
    // was given up, nor for an asynchronous request that failed.
    NotifyEvent OnRequestComplete;
    NotifyEvent OnRequestSent;
    NotifyEvent OnResolvingName;
    NotifyEvent OnSendingRequest;
    NotifyEvent OnStateChange;
    // After each piece of body (ChunkOffset, ChunkSize, BytesRead) has been appended.
    NotifyEvent OnDataAvailable;
    // A 401 or 407 response; the handler may set UserName and Password (or ProxyUserName
    // and ProxyPassword), which the next sending of this request carries.
    NotifyEvent OnNeedAuth;
    NotifyEvent OnNeedProxyAuth;
    // A client failure; ErrorCode holds its code.
    NotifyEvent OnError;
};

// One HTTP or HTTPS request at a time, over libcurl.
//
// Execute(true) runs the whole exchange on the calling thread: every event, OnRequestComplete
// included, has been handled when it returns. Execute(false) returns at once; a worker thread
// of the request runs the exchange, and every event is raised through the EventDelivery given
// to the constructor, so with the window's delivery the handlers run on the user-interface
// thread while the worker waits. Without a delivery, handlers run on the thread that raises
// them (the worker, for an asynchronous request).
//
// Failures: every client failure sets ErrorCode and raises OnError, then throws EHttpError
// with the code's text; so does assigning a URL, or a part of one, that cannot be split or
// built (kInvalidUrl, kUnrecognizedScheme). Execute lets such an exception (and one thrown by a
// handler) reach its caller when RaiseExceptions is true, and returns false instead when it
// is false. In an asynchronous request an exception ends that request only.
//
// A second Execute while a request of the same instance still runs cancels the running one:
// it raises no further event, its worker is stopped, and the new request starts with fresh
// results. (The window starts the cover download again when another film is looked up; the
// older picture is no longer wanted.)
//
// A body cut short (the connection drops, a stall, a body over the limit) is reported
// differently by the two modes:
// - Execute(true) raises OnError, then OnRequestComplete with the part that arrived
//   (ResponseStream, Text), then throws. With RaiseExceptions false it returns true, as for
//   a whole body. A completion handler that must not use a partial body checks ErrorCode:
//   it is 0 only for a whole body.
// - Execute(false) raises OnError only: nobody would learn that the body is cut, so no
//   OnRequestComplete is raised for it.
//
// Credentials: UserName and Password (assigned, or taken from the URL) go only to the scheme,
// host and port of the request's URL, and only after that server has asked for them with a
// 401: the first sending never carries them. A redirect to another host or port, or from
// https to http, drops them; a line "Authorization:" or "Cookie:" of RequestHeaders is dropped
// there too. ProxyUserName and ProxyPassword go to the proxy with every sending, before any
// 407: the proxy is the same for every hop, and without them no proxy that asks could ever be
// passed.
//
// Limits that protect the program: a body larger than maxResponseSize() (64 MiB) ends the
// request with kResponseTooLarge; at most 20 redirects per request, only to http and https
// URLs; connecting must succeed within ConnectTimeout, and once connected a request that
// neither sends nor receives a byte for inactivityTimeout() ends with kTimeout. A transfer that
// keeps moving, however slowly, is never cut.
//
// Properties are assigned, and Execute and the destructor called, on one thread (the
// user-interface thread). Results describe the latest request; read them from handlers,
// after a synchronous Execute, or after wait().
class THttpRequest : public HttpRequestEvents {
public:
    static constexpr int kDefaultConnectTimeout = 30000;
    static constexpr int kDefaultInactivityTimeout = 60000;
    static constexpr std::uint64_t kDefaultMaxResponseSize = 64ull * 1024 * 1024;
    static constexpr int kMaxRedirects = 20;
    static constexpr std::size_t kMaxHeaderText = 8192;

    // `delivery` runs the handlers on the user-interface thread; null runs them directly.
    explicit THttpRequest(std::shared_ptr<EventDelivery> delivery = nullptr);
    // Stops a running request; no event is raised once destruction has begun. Never waits
    // for a worker that waits for the user-interface thread.
    ~THttpRequest();
    THttpRequest(const THttpRequest&) = delete;
    THttpRequest& operator=(const THttpRequest&) = delete;

    // --- Properties -------------------------------------------------------------------
    // Milliseconds allowed for connecting (30000). Zero or less: libcurl's default.
    int ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(int milliseconds) { m_connectTimeout = milliseconds; }
    // Milliseconds a connected request may go without sending or receiving a byte (60000).
    // Zero or less restores the default: a request that stalls always ends.
    int inactivityTimeout() const { return m_inactivityTimeout; }
    void setInactivityTimeout(int milliseconds);
    // Largest body accepted, in bytes (64 MiB).
    std::uint64_t maxResponseSize() const { return m_maxResponseSize; }
    void setMaxResponseSize(std::uint64_t bytes) { m_maxResponseSize = bytes; }

    bool RaiseExceptions() const { return m_raiseExceptions; }
    void SetRaiseExceptions(bool value) { m_raiseExceptions = value; }
    // "Quorvane WinInet Component"
    const std::string& UserAgent() const { return m_userAgent; }
    void SetUserAgent(const std::string& value) { m_userAgent = value; }
    // Empty: the system's proxy settings (http_proxy, https_proxy, no_proxy), else the proxy
    // to use, as libcurl takes it ("host:port", "http://host:port").
    const std::string& Proxy() const { return m_proxy; }
    void SetProxy(const std::string& value) { m_proxy = value; }

    // URL and its parts. Assigning URL splits it into SSL (https sets it, http clears it),
    // HostName, Port, URLPath, ExtraInfo and, when the URL has them, UserName and Password;
    // a URL that cannot be split, or whose scheme is not http or https ("Invalid protocol"),
    // throws and leaves every property as it was. Assigning a part rebuilds URL from the
    // parts; HostName, URLPath and ExtraInfo are put back when that fails.
    bool SSL() const { return m_ssl; }
    void SetSSL(bool value);
    const std::string& URL() const { return m_url; }
    void SetURL(const std::string& value);
    const std::string& URLPath() const { return m_urlPath; }
    void SetURLPath(const std::string& value);
    // A value that begins with neither "?" nor "#" gets "?" in front of it.
    const std::string& ExtraInfo() const { return m_extraInfo; }
    void SetExtraInfo(const std::string& value);
    int Port() const { return m_port; }
    void SetPort(int value);
    // "localhost" by default.
    const std::string& HostName() const { return m_hostName; }
    void SetHostName(const std::string& value);

    // Credentials. Assigned while a request runs (say from OnNeedAuth), they reach that
    // request at once, so its next sending carries them. Basic authentication.
    const std::string& UserName() const { return m_userName; }
    void SetUserName(const std::string& value);
    const std::string& Password() const { return m_password; }
    void SetPassword(const std::string& value);
    const std::string& ProxyUserName() const { return m_proxyUserName; }
    void SetProxyUserName(const std::string& value);
    const std::string& ProxyPassword() const { return m_proxyPassword; }
    void SetProxyPassword(const std::string& value);
    // There is no credentials dialog: true behaves as false.
    bool DefaultUi() const { return m_defaultUi; }
    void SetDefaultUi(bool value) { m_defaultUi = value; }
    int AuthRetries() const { return m_authRetries; }
    void SetAuthRetries(int value) { m_authRetries = value; }

    // Extra request header lines ("Name: value"), sent with every request.
    const std::vector<std::string>& RequestHeaders() const { return m_requestHeaders; }
    void SetRequestHeaders(const std::vector<std::string>& lines) { m_requestHeaders = lines; }
    // The media types offered in Accept: the lines up to the first empty one, at most 100.
    // Empty: no Accept header.
    const std::vector<std::string>& AcceptTypes() const { return m_acceptTypes; }
    void SetAcceptTypes(const std::vector<std::string>& lines) { m_acceptTypes = lines; }
    // "GET"
    const std::string& Method() const { return m_method; }
    void SetMethod(const std::string& value) { m_method = value; }
    TInternetFlags InternetFlags() const { return m_internetFlags; }
    void SetInternetFlags(TInternetFlags flags) { m_internetFlags = flags; }
    std::uint32_t RequestFlags() const { return RequestFlagWord(m_internetFlags); }

    // Reading: the response body up to (not including) its first zero byte.
    std::string Text() const;
    // Assigning: the request body, sent with every later request until assigned again.
    void SetText(const std::string& body) { m_requestBody = body; }

    // --- Operations -------------------------------------------------------------------
    // Starts a request for the current URL parts with the current Method (see the class
    // comment). Returns false when it failed and RaiseExceptions is false, true otherwise.
    bool Execute(bool Synchronous);
    // True while an asynchronous request of this instance runs.
    bool busy() const;
    // Waits until the running asynchronous request, if any, has ended. Must not be called
    // on the delivery's user-interface thread (its handlers could never run): throws
    // std::logic_error there.
    void wait();

    // --- Results of the latest request ----------------------------------------------
    // The response body, every byte.
    const std::vector<std::uint8_t>& ResponseStream() const;
    // The header lines of the final response, status line first.
    const std::vector<std::string>& ResponseHeaders() const;
    std::uint32_t StatusCode() const;
    // 0 after a step that succeeded, kIoPending while an asynchronous request runs,
    // kOperationCancelled when authentication was given up, otherwise a code of `errors`.
    std::uint32_t ErrorCode() const;
    // The absolute URL of the latest redirect of this request; empty when none.
    const std::string& RedirectURL() const;
    // The address of the latest name-resolved, connecting or connected notification.
    const std::string& ServerAddress() const;
    std::uint32_t BytesSent() const;
    std::uint32_t BytesReceived() const;
    std::uint32_t TotalBytesReceived() const;
    std::uint32_t ChunkSize() const;
    std::uint32_t BytesRead() const;
    std::uint32_t ChunkOffset() const;

private:
    template <typename Step> auto checkedUrlStep(Step step);
    std::string builtUrl(
        bool ssl, const std::string& hostName, int port, const std::string& urlPath, const std::string& extraInfo);
    void rebuildUrl();
    void updateRunningCredentials();
    void retireCurrent();
    std::shared_ptr<RequestWorker> worker();

    std::shared_ptr<EventDelivery> m_delivery;
    std::shared_ptr<Transfer> m_current;
    // Runs the asynchronous requests, one at a time; never one but m_current.
    std::shared_ptr<RequestWorker> m_worker;

    int m_connectTimeout = kDefaultConnectTimeout;
    int m_inactivityTimeout = kDefaultInactivityTimeout;
    std::uint64_t m_maxResponseSize = kDefaultMaxResponseSize;
    bool m_raiseExceptions = true;
    std::string m_userAgent = "Quorvane WinInet Component";
    std::string m_proxy;
    bool m_ssl = false;
    std::string m_url;
    std::string m_urlPath;
    std::string m_extraInfo;
    int m_port = 80;
    std::string m_userName;
    std::string m_password;
    std::string m_proxyUserName;
    std::string m_proxyPassword;
    std::string m_hostName = "localhost";
    bool m_defaultUi = true;
    std::vector<std::string> m_requestHeaders;
    std::vector<std::string> m_acceptTypes;
    std::string m_method = "GET";
    std::string m_requestBody;
    int m_authRetries = 3;
    TInternetFlags m_internetFlags = TInternetFlags::Design();
};

} // namespace vantrelle::http
