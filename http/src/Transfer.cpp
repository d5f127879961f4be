#include "Transfer.h"

#include "vantrelle/http/Url.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

// How the original Internet client's progress notifications map onto libcurl:
//   resolving name      CURLOPT_RESOLVER_START_FUNCTION
//   name resolved,
//   connecting          CURLOPT_OPENSOCKETFUNCTION, with the address about to be tried
//   connected,
//   sending request     CURLOPT_PREREQFUNCTION, once the connection stands
//   request sent,
//   receiving response  the status line of the response (the request must be out by then)
//   response received   the end of the header text, and every piece of body
//   intermediate resp.  the end of a 1xx header block
//   redirect            the end of a followed 3xx response, once its target is known
//   closing, closed     CURLOPT_CLOSESOCKETFUNCTION, around close()
//   request complete    no counterpart: the worker runs the whole exchange itself, so there
//                       is no asynchronous completion to wait for and no read that can be
//                       left pending
//   state change        no counterpart: libcurl has no connected/offline state of the
//                       process, so OnStateChange is never raised

namespace vantrelle::http {

namespace {

constexpr long readPieceSize = 16384;
constexpr std::size_t maxAcceptTypes = 100;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::uint32_t clampCount(std::uint64_t count)
{
    return count > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(count);
}

std::uint32_t errorCodeOf(CURLcode result)
{
    switch (result) {
    case CURLE_OPERATION_TIMEDOUT:
        return errors::Timeout;
    case CURLE_URL_MALFORMAT:
        return errors::InvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return errors::NameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return errors::CannotConnect;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return errors::ConnectionAborted;
    case CURLE_RECV_ERROR:
        return errors::ConnectionReset;
    // Only http and https URLs reach libcurl, so this is a reply that is not HTTP/1.x
    // (libcurl refuses HTTP/0.9) or a version it does not speak.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP3:
        return errors::InvalidServerResponse;
    case CURLE_BAD_CONTENT_ENCODING:
        return errors::DecodingFailed;
    case CURLE_PEER_FAILED_VERIFICATION:
        return errors::InvalidCertificateAuthority;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return errors::SecureChannelError;
    case CURLE_FILESIZE_EXCEEDED:
        return errors::ResponseTooLarge;
    case CURLE_OUT_OF_MEMORY:
        return errors::OutOfMemory;
    default:
        return errors::ExtendedError;
    }
}

std::string addressText(const curl_sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(&address->addr)->sin_addr, text, sizeof text);
    else if (address->family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(&address->addr)->sin6_addr, text, sizeof text);
    return text;
}

bool isHeader(std::string_view line, std::string_view name)
{
    return startsWithNoCase(line, name) && line.size() > name.size() && line[name.size()] == ':';
}

bool hasHeader(const std::vector<std::string>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(), [name](const std::string& line) { return isHeader(line, name); });
}

// libcurl reports a malformed chunk as a receive failure; only its message tells the two apart.
bool isChunkFailure(CURLcode result, const char* message)
{
    return result == CURLE_RECV_ERROR && std::string_view(message).find("chunked-encoding") != std::string_view::npos;
}

} // namespace

void ensureCurlGlobalInit()
{
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

Transfer::Transfer(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, THttpRequestEvents events,
    RequestSettings settings, Credentials credentials)
    : m_owner(&owner)
    , m_delivery(std::move(delivery))
    , m_events(std::move(events))
    , m_settings(std::move(settings))
    , m_credentials(std::move(credentials))
{
}

Transfer::~Transfer()
{
    if (m_thread.joinable()) {
        // Only reached when the worker let go of the last reference (it is the current
        // thread) or has ended already.
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach();
        else
            m_thread.join();
    }
    closeRequest();
}

// ---------------------------------------------------------------------------------------
// Events and errors

void Transfer::raise(TNotifyEvent THttpRequestEvents::*event)
{
    const TNotifyEvent& handler = m_events.*event;
    if (!handler || m_stop)
        return;
    if (!m_delivery) {
        handler(*m_owner);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_inDelivery = true;
    }
    struct LeaveDelivery {
        Transfer& transfer;
        ~LeaveDelivery()
        {
            std::lock_guard lock(transfer.m_mutex);
            transfer.m_inDelivery = false;
        }
    } leave { *this };
    // The call may run after this request was abandoned (its owner may be gone by then):
    // it checks again on the user-interface thread, where the owner is destroyed.
    m_delivery->run([this, &handler] {
        if (!m_stop)
            handler(*m_owner);
    });
}

void Transfer::setErrorCode(std::uint32_t code)
{
    m_errorCode = code;
    results.errorCode = code;
}

void Transfer::setError(std::uint32_t code)
{
    setErrorCode(code);
    if (code != errors::Success && code != errors::IoPending)
        raise(&THttpRequestEvents::OnError);
}

void Transfer::fail(std::uint32_t code, const std::string& message)
{
    setError(code);
    throw EHttpError(message.empty() ? ErrorText(code) : message, code);
}

void Transfer::check(CURLcode result)
{
    if (result == CURLE_OK) {
        setErrorCode(errors::Success);
        return;
    }
    const std::uint32_t code
        = isChunkFailure(result, m_errorBuffer) ? errors::InvalidServerResponse : errorCodeOf(result);
    if (code != errors::ExtendedError)
        fail(code);
    // The extended-error format: the code's text, then libcurl's own number and words.
    const std::string details = m_errorBuffer[0] != '\0' ? m_errorBuffer : curl_easy_strerror(result);
    fail(code,
        ErrorText(code) + "\r\nExtended error:" + std::to_string(static_cast<int>(result)) + " - " + details + "\r\n");
}

// ---------------------------------------------------------------------------------------
// Life of a request

void Transfer::prepare()
{
    ensureCurlGlobalInit();
    m_easy.reset(curl_easy_init());
    CURLM* multi = curl_multi_init();
    {
        std::lock_guard lock(m_mutex);
        m_multi = multi;
    }
    if (!m_easy || !multi)
        fail(errors::InternalError);
    CURL* easy = m_easy.get();
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L); // the path goes out as the caller wrote it
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, readPieceSize);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::headerCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Transfer::openSocketCallback);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Transfer::closeSocketCallback);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_FUNCTION, &Transfer::resolverStartCallback);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_DATA, this);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Transfer::prereqCallback);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, m_settings.userAgent.c_str());
    // Without CURLOPT_PROXY libcurl takes http_proxy, https_proxy and no_proxy from the
    // environment: the system's preconfigured proxy on Linux.
    if (!m_settings.proxy.empty())
        curl_easy_setopt(easy, CURLOPT_PROXY, m_settings.proxy.c_str());
    if (m_settings.connectTimeout > 0)
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_settings.connectTimeout));
    // Honoured flags. ifIgnoreCertDateInvalid has no counterpart (libcurl checks the date as
    // part of the chain), the cache flags have nothing to act on (nothing is cached), and
    // redirects and authentication are handled by this class.
    if (m_settings.flags.contains(ifIgnoreCertCnInvalid))
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);

    m_headers.reset(headerList(true));
    m_foreignHeaders.reset(headerList(false));
}

// The request header lines; those that carry credentials only for the request's own origin.
curl_slist* Transfer::headerList(bool atOrigin) const
{
    curl_slist* list = nullptr;
    for (const std::string& line : m_settings.requestHeaders)
        if (!line.empty() && (atOrigin || (!isHeader(line, "Authorization") && !isHeader(line, "Cookie"))))
            list = curl_slist_append(list, line.c_str());
    std::string accept;
    for (std::size_t i = 0; i < m_settings.acceptTypes.size() && i < maxAcceptTypes; ++i) {
        if (m_settings.acceptTypes[i].empty())
            break;
        accept += (i > 0 ? ", " : "") + m_settings.acceptTypes[i];
    }
    if (!accept.empty())
        list = curl_slist_append(list, ("Accept: " + accept).c_str());
    else if (!hasHeader(m_settings.requestHeaders, "Accept"))
        list = curl_slist_append(list, "Accept:"); // no value: libcurl offers no "*/*" of its own
    if (m_settings.flags.contains(ifPragmaNoCache))
        list = curl_slist_append(list, "Pragma: no-cache");
    // Send a body at once, as the original client did, instead of waiting for 100-continue.
    if (!hasHeader(m_settings.requestHeaders, "Expect"))
        list = curl_slist_append(list, "Expect:");
    return list;
}

void Transfer::runSynchronously()
{
    exchange();
    closeRequest();
}

void Transfer::start()
{
    setErrorCode(errors::IoPending);
    m_thread = std::thread([self = shared_from_this()] {
        try {
            self->exchange();
        } catch (...) {
            // Ends this request only: OnError has been raised for a client failure, and a
            // handler's own exception has nowhere else to go.
        }
        self->closeRequest();
        std::lock_guard lock(self->m_mutex);
        self->m_finished = true;
        self->m_finishedChanged.notify_all();
    });
}

void Transfer::abandon()
{
    std::unique_lock lock(m_mutex);
    m_stop = true;
    if (m_multi)
        curl_multi_wakeup(m_multi);
    if (!m_thread.joinable())
        return;
    // A worker that waits in a delivery can only go on once the user-interface thread runs
    // the call; when that is this thread, waiting here would wait for ever. Left alone, the
    // worker sees the stop as soon as the call has run and ends by itself.
    const bool workerIsCaller = m_thread.get_id() == std::this_thread::get_id();
    const bool workerWaitsForCaller = m_inDelivery && m_delivery && m_delivery->isUiThread();
    if (workerIsCaller || workerWaitsForCaller) {
        m_thread.detach();
        return;
    }
    lock.unlock();
    m_thread.join();
}

bool Transfer::running() const
{
    std::lock_guard lock(m_mutex);
    return m_thread.joinable() && !m_finished;
}

void Transfer::wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void Transfer::setCredentials(const Credentials& credentials)
{
    std::lock_guard lock(m_mutex);
    m_credentials = credentials;
}

void Transfer::closeRequest()
{
    m_easy.reset();
    CURLM* multi;
    {
        std::lock_guard lock(m_mutex);
        multi = m_multi;
        m_multi = nullptr;
    }
    if (multi)
        curl_multi_cleanup(multi); // closes the cached connection: the closing events come here
    m_headers.reset();
}

void Transfer::rethrowHandlerFailure()
{
    if (m_handlerFailure)
        std::rethrow_exception(std::exchange(m_handlerFailure, nullptr));
}

// SendRequest and ProcessResponse, with the authentication attempts.
void Transfer::exchange()
{
    int attempts = 0;
    for (;;) {
        const Outcome outcome = send();
        if (outcome == Outcome::Stopped || m_stop)
            return;
        if (outcome == Outcome::Response) {
            finishResponse();
            return;
        }
        // Authentication needed. There is no credentials dialog, so DefaultUi true behaves as
        // false: the request is sent again with whatever credentials the handler of
        // OnNeedAuth or OnNeedProxyAuth left, until the attempts are used up.
        if (attempts >= m_settings.authRetries) {
            closeRequest();
            setError(errors::OperationCancelled);
            return;
        }
        ++attempts;
    }
}

Transfer::Outcome Transfer::send()
{
    Destination to { m_settings.url };
    for (int redirects = 0;;) {
        m_hop = Hop {};
        configureSending(to);
        const CURLcode result = performOnce();
        rethrowHandlerFailure();
        if (m_stop)
            return Outcome::Stopped;
        switch (m_hop.phase) {
        case Phase::Headers:
            check(result);
            fail(errors::InvalidServerResponse); // the transfer ended without a final response
        case Phase::Discard:
            if (m_hop.needsAuth)
                return Outcome::NeedsAuth;
            check(result);
            to = followRedirect(to, ++redirects);
            continue;
        case Phase::Body:
        case Phase::Ended:
            if (m_hop.phase == Phase::Body && !m_hop.abortedByUs) {
                try {
                    check(result);
                } catch (...) {
                    endBody(std::current_exception());
                }
            }
            return Outcome::Response;
        }
    }
}

void Transfer::finishResponse()
{
    closeRequest();
    rethrowHandlerFailure();
    if (m_stop)
        return;
    // A failed asynchronous request has nobody to hand a partial response to: it raises
    // OnError only. A synchronous one completes with what arrived, then fails.
    const bool failed = m_errorCode != errors::Success;
    if (!(failed && !m_settings.synchronous) && m_errorCode != errors::OperationCancelled)
        raise(&THttpRequestEvents::OnRequestComplete);
    if (m_responseFailure)
        std::rethrow_exception(m_responseFailure);
}

void Transfer::configureSending(const Destination& to)
{
    CURL* easy = m_easy.get();
    m_hop.atOrigin = to.atOrigin;
    curl_easy_setopt(easy, CURLOPT_URL, to.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, (to.atOrigin ? m_headers : m_foreignHeaders).get());
    applyCredentials(to.atOrigin);

    const std::string method = to.asGet || m_settings.method.empty() ? std::string("GET") : m_settings.method;
    const bool withBody = !to.asGet && !m_settings.body.empty();
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    if (withBody) {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_settings.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, m_settings.body.data());
    }
    m_hop.withoutBody = method == "HEAD";
    if (m_hop.withoutBody)
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    else if (method != (withBody ? "POST" : "GET"))
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
}

// The server's credentials go only to the request's origin, and only once it has asked for
// them (RFC 9110, 11.6.2): a first sending, or a hop elsewhere, never carries them.
void Transfer::applyCredentials(bool atOrigin)
{
    Credentials credentials;
    {
        std::lock_guard lock(m_mutex);
        credentials = m_credentials;
    }
    CURL* easy = m_easy.get();
    const bool authenticate = !m_settings.flags.contains(ifNoAuth);
    if (authenticate && atOrigin && m_challenged && !credentials.userName.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, credentials.userName.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, credentials.password.c_str());
    } else {
        curl_easy_setopt(easy, CURLOPT_USERNAME, nullptr);
        curl_easy_setopt(easy, CURLOPT_PASSWORD, nullptr);
    }
    if (authenticate && !credentials.proxyUserName.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, credentials.proxyUserName.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, credentials.proxyPassword.c_str());
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, nullptr);
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, nullptr);
    }
}

// How much longer a connected hop may go without a byte either way; zero or less once it has
// been quiet for InactivityTimeout. Bytes in come through the callbacks; bytes out (a request
// body) are counted here. Until the connection stands, ConnectTimeout is the limit.
std::chrono::milliseconds Transfer::idleTimeLeft()
{
    constexpr std::chrono::milliseconds notConnected { 1000 };
    if (!m_hop.connected)
        return notConnected;
    const auto now = std::chrono::steady_clock::now();
    curl_off_t uploaded = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
    if (uploaded != m_hop.uploaded) {
        m_hop.uploaded = uploaded;
        m_hop.lastActivity = now;
    }
    return std::chrono::milliseconds(m_settings.inactivityTimeout)
        - std::chrono::duration_cast<std::chrono::milliseconds>(now - m_hop.lastActivity);
}

// One transfer through the request's own multi handle, so that abandon() can wake it.
CURLcode Transfer::performOnce()
{
    CURLM* multi = m_multi; // only this thread and closeRequest change it
    CURL* easy = m_easy.get();
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (m_stop)
            break;
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left))
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                    result = message->data.result;
            break;
        }
        const auto idleLeft = idleTimeLeft();
        if (idleLeft.count() <= 0) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        // Woken by the sockets, by abandon(), or in time to end a quiet hop.
        const int pollLimit = static_cast<int>(std::min<std::chrono::milliseconds::rep>(idleLeft.count(), 1000));
        if (curl_multi_poll(multi, nullptr, 0, pollLimit, nullptr) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

Transfer::Destination Transfer::followRedirect(const Destination& from, int count)
{
    char* target = nullptr;
    curl_easy_getinfo(m_easy.get(), CURLINFO_REDIRECT_URL, &target);
    if (count > THttpRequest::MaxRedirects)
        fail(errors::TooManyRedirects);
    if (!target)
        fail(errors::RedirectFailed);
    const std::string url = target;
    UrlParts parts;
    try {
        parts = CrackUrl(url);
    } catch (const EHttpError&) {
        fail(errors::RedirectFailed);
    }
    if (!IsHttpScheme(parts.scheme))
        fail(errors::RedirectFailed);
    const bool fromHttps = startsWithNoCase(from.url, "https:");
    const bool toHttps = parts.scheme == "https";
    if (!fromHttps && toHttps && !m_settings.flags.contains(ifIgnoreRedirectToHttps))
        fail(errors::HttpToHttpsOnRedirect);
    if (fromHttps && !toHttps && !m_settings.flags.contains(ifIgnoreRedirectToHttp))
        fail(errors::HttpsToHttpOnRedirect);
    results.redirectUrl = url;
    raise(&THttpRequestEvents::OnRedirect);

    long status = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &status);
    // RFC 9110, 15.4: 303 turns any method but HEAD into GET; 301 and 302 turn POST into GET,
    // as every client does; 307 and 308 keep the method and body.
    const std::string& method = m_settings.method;
    const bool asGet
        = from.asGet || (status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST");
    return { url, SameOrigin(parts, m_settings.origin), asGet };
}

// ---------------------------------------------------------------------------------------
// libcurl callbacks. None lets an exception pass into libcurl: a handler's exception is
// kept and the transfer aborted, and the driver above rethrows it.

bool Transfer::onHeaderLine(std::string_view line)
{
    if (m_hop.phase != Phase::Headers)
        return true; // trailers after a chunked body, or the rest of a response we skip
    if (line.substr(0, 5) == "HTTP/") {
        if (!m_hop.responseStarted) {
            m_hop.responseStarted = true;
            curl_off_t requestSize = 0;
            curl_off_t uploaded = 0;
            curl_easy_getinfo(m_easy.get(), CURLINFO_REQUEST_SIZE, &requestSize);
            curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
            results.bytesSent = clampCount(static_cast<std::uint64_t>(requestSize + uploaded));
            raise(&THttpRequestEvents::OnRequestSent);
            raise(&THttpRequestEvents::OnReceivingResponse);
        }
        m_hop.headerText.clear();
        m_hop.headerLines.clear();
        m_hop.hasLocation = false;
    }
    m_hop.headerText += line;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty())
        return onEndOfHeaders();
    if (startsWithNoCase(line, "location:"))
        m_hop.hasLocation = true;
    m_hop.headerLines.emplace_back(line);
    return true;
}

bool Transfer::onEndOfHeaders()
{
    long status = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &status);
    results.bytesReceived = clampCount(m_hop.headerText.size());
    results.totalBytesReceived += results.bytesReceived;
    raise(&THttpRequestEvents::OnResponseReceived);
    if (status >= 100 && status < 200) {
        raise(&THttpRequestEvents::OnIntermediateResponse);
        return true;
    }
    const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    if (redirect && m_hop.hasLocation && !m_settings.flags.contains(ifNoAutoRedirect)) {
        m_hop.phase = Phase::Discard;
        return true;
    }
    results.statusCode = static_cast<std::uint32_t>(status);
    setErrorCode(errors::Success); // the status is known: that step succeeded
    if (status == 401 || status == 407) {
        m_hop.phase = Phase::Discard;
        m_hop.needsAuth = true;
        if (status == 401 && m_hop.atOrigin)
            m_challenged = true;
        raise(status == 401 ? &THttpRequestEvents::OnNeedAuth : &THttpRequestEvents::OnNeedProxyAuth);
        return true;
    }

    m_hop.phase = Phase::Body;
    results.responseHeaders.clear();
    results.responseStream.clear();
    // The original client read the header text into 8192 bytes, its terminating zero included.
    if (m_hop.headerText.size() >= THttpRequest::MaxHeaderText) {
        try {
            fail(errors::InsufficientBuffer);
        } catch (...) {
            if (m_settings.raiseExceptions) {
                // The body is not read; the response completes empty, then this fails.
                m_responseFailure = std::current_exception();
                m_hop.phase = Phase::Ended;
                m_hop.abortedByUs = true;
                return false;
            }
        }
    } else {
        results.responseHeaders = std::move(m_hop.headerLines);
    }
    curl_off_t length = -1;
    if (!m_hop.withoutBody)
        curl_easy_getinfo(m_easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length > 0 && static_cast<std::uint64_t>(length) > m_settings.maxResponseSize) {
        try {
            fail(errors::ResponseTooLarge);
        } catch (...) {
            endBody(std::current_exception());
            return false;
        }
    }
    if (length > 0)
        results.responseStream.reserve(static_cast<std::size_t>(length));
    return true;
}

// The body loop ends: a failure is passed on after OnRequestComplete when RaiseExceptions is
// true and swallowed otherwise.
void Transfer::endBody(std::exception_ptr failure)
{
    if (m_settings.raiseExceptions && !m_responseFailure)
        m_responseFailure = failure;
    m_hop.phase = Phase::Ended;
    m_hop.abortedByUs = true;
}

bool Transfer::onBody(const char* data, std::size_t size)
{
    if (m_hop.phase == Phase::Discard)
        return true;
    if (m_hop.phase != Phase::Body)
        return false;
    try {
        results.bytesReceived = clampCount(size);
        results.totalBytesReceived = clampCount(std::uint64_t { results.totalBytesReceived } + size);
        raise(&THttpRequestEvents::OnResponseReceived);
        std::vector<std::uint8_t>& stream = results.responseStream;
        if (size > m_settings.maxResponseSize - std::min<std::uint64_t>(stream.size(), m_settings.maxResponseSize))
            fail(errors::ResponseTooLarge);
        results.chunkOffset = clampCount(stream.size());
        stream.insert(stream.end(), data, data + size);
        results.chunkSize = clampCount(size);
        results.bytesRead = clampCount(std::uint64_t { results.bytesRead } + size);
        setErrorCode(errors::Success);
        raise(&THttpRequestEvents::OnDataAvailable);
    } catch (...) {
        endBody(std::current_exception());
        return false;
    }
    return !m_stop;
}

bool Transfer::onOpenSocket(const std::string& address)
{
    results.serverAddress = address;
    raise(&THttpRequestEvents::OnNameResolved);
    raise(&THttpRequestEvents::OnConnectingToServer);
    m_hop.connecting = true;
    return !m_stop;
}

bool Transfer::onConnected(const char* address)
{
    m_hop.connected = true;
    m_hop.lastActivity = std::chrono::steady_clock::now();
    if (m_hop.connecting) {
        m_hop.connecting = false;
        results.serverAddress = address ? address : "";
        raise(&THttpRequestEvents::OnConnectedToServer);
    }
    raise(&THttpRequestEvents::OnSendingRequest);
    return !m_stop;
}

// A handler's exception must not keep the socket open: the first one is kept for the driver.
void Transfer::raiseKeepingFailure(TNotifyEvent THttpRequestEvents::*event)
{
    try {
        raise(event);
    } catch (...) {
        if (!m_handlerFailure)
            m_handlerFailure = std::current_exception();
    }
}

void Transfer::onCloseSocket(curl_socket_t socket)
{
    raiseKeepingFailure(&THttpRequestEvents::OnClosingConnection);
    ::close(socket);
    raiseKeepingFailure(&THttpRequestEvents::OnConnectionClosed);
}

std::size_t Transfer::headerCallback(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    const std::size_t length = size * count;
    bool goOn = false;
    try {
        goOn = !transfer->m_stop && transfer->onHeaderLine(std::string_view(data, length));
    } catch (...) {
        transfer->m_handlerFailure = std::current_exception();
    }
    // After the handlers: the time they take is not the server's silence.
    transfer->m_hop.lastActivity = std::chrono::steady_clock::now();
    if (goOn)
        return length;
    transfer->m_hop.abortedByUs = true;
    return 0;
}

std::size_t Transfer::writeCallback(char* data, std::size_t size, std::size_t count, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    const std::size_t length = size * count;
    const bool goOn = !transfer->m_stop && transfer->onBody(data, length);
    transfer->m_hop.lastActivity = std::chrono::steady_clock::now();
    if (goOn)
        return length;
    transfer->m_hop.abortedByUs = true;
    return 0;
}

curl_socket_t Transfer::openSocketCallback(void* self, curlsocktype, curl_sockaddr* address)
{
    auto* transfer = static_cast<Transfer*>(self);
    try {
        if (!transfer->onOpenSocket(addressText(address)))
            return CURL_SOCKET_BAD;
    } catch (...) {
        transfer->m_handlerFailure = std::current_exception();
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int Transfer::closeSocketCallback(void* self, curl_socket_t socket)
{
    static_cast<Transfer*>(self)->onCloseSocket(socket);
    return 0;
}

int Transfer::resolverStartCallback(void*, void*, void* self)
{
    auto* transfer = static_cast<Transfer*>(self);
    try {
        transfer->raise(&THttpRequestEvents::OnResolvingName);
    } catch (...) {
        transfer->m_handlerFailure = std::current_exception();
        return 1;
    }
    return transfer->m_stop ? 1 : 0;
}

int Transfer::prereqCallback(void* self, char* primaryIp, char*, int, int)
{
    auto* transfer = static_cast<Transfer*>(self);
    try {
        if (transfer->onConnected(primaryIp))
            return CURL_PREREQFUNC_OK;
    } catch (...) {
        transfer->m_handlerFailure = std::current_exception();
    }
    return CURL_PREREQFUNC_ABORT;
}

} // namespace vantrelle::http
