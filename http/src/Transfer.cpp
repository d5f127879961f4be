#include "Transfer.h"

#include "CurlErrors.h"

#include "vantrelle/http/Url.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace vantrelle::http {

namespace {

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

} // namespace

Transfer::Transfer()
    : m_exchange(*this)
{
}

Transfer::Transfer(THttpRequest& owner, std::shared_ptr<EventDelivery> delivery, HttpRequestEvents events,
    RequestSettings settings, Credentials credentials)
    : m_events(owner, std::move(delivery), std::move(events), [this] { results.errorCode = m_errorCode; })
    , m_settings(std::move(settings))
    , m_exchange(*this)
    , m_credentials(std::move(credentials))
{
}

Transfer::~Transfer()
{
    closeRequest(); // while every member the closing steps reach is still there
}

// ---------------------------------------------------------------------------------------
// Events and errors

// The worker of an asynchronous request shows its code only to the handlers it raises and
// once it has ended: until then the caller sees kIoPending, however far the worker has got.
void Transfer::setErrorCode(std::uint32_t code)
{
    m_errorCode = code;
    if (!m_onWorker)
        results.errorCode = code;
}

void Transfer::setError(std::uint32_t code)
{
    setErrorCode(code);
    if (code != errors::kSuccess && code != errors::kIoPending)
        m_events.raise(&HttpRequestEvents::OnError);
}

// A failed client step: ErrorCode and OnError now, and the exception to pass on. An exception
// of the OnError handler takes the place of ours.
std::exception_ptr Transfer::failure(std::uint32_t code, const std::string& message)
{
    try {
        setError(code);
    } catch (...) {
        return std::current_exception();
    }
    return std::make_exception_ptr(EHttpError(message.empty() ? errorText(code) : message, code));
}

std::exception_ptr Transfer::failureOf(CURLcode result)
{
    const std::uint32_t code = errorCodeOf(result, m_exchange.errorText());
    return failure(code, errorMessageOf(code, result, m_exchange.errorText()));
}

void Transfer::fail(std::uint32_t code)
{
    std::rethrow_exception(failure(code));
}

void Transfer::check(CURLcode result)
{
    if (result != CURLE_OK)
        std::rethrow_exception(failureOf(result));
    setErrorCode(errors::kSuccess);
}

// ---------------------------------------------------------------------------------------
// Life of a request

void Transfer::prepare()
{
    check(m_exchange.open(m_settings));
}

void Transfer::runSynchronously()
{
    exchange();
    closeRequest();
}

void Transfer::start(RequestWorker& worker)
{
    setErrorCode(errors::kIoPending);
    // Known before the job runs: a handler on the worker may wait for this request.
    {
        std::lock_guard lock(m_mutex);
        m_started = true;
        m_worker = worker.threadId();
    }
    try {
        worker.post([self = shared_from_this()] {
            self->m_onWorker = true;
            try {
                self->exchange();
            } catch (...) {
                // Ends this request only: OnError has been raised for a client failure, and a
                // handler's own exception has nowhere else to go.
            }
            self->closeRequest();
            self->results.errorCode = self->m_errorCode;
            {
                std::lock_guard lock(self->m_mutex);
                self->m_finished = true;
            }
            self->m_ended.notify_all();
        });
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_started = false;
        throw;
    }
}

void Transfer::abandon()
{
    const bool workerWaitsForCaller = m_events.stop();
    m_exchange.cancel();
    // A worker that waits in a delivery can only go on once the user-interface thread runs
    // the call; when that is this thread, waiting here would wait for ever. Left alone, the
    // worker sees the stop as soon as the call has run and ends the request by itself.
    if (workerWaitsForCaller)
        return;
    wait();
}

bool Transfer::running() const
{
    std::lock_guard lock(m_mutex);
    return m_started && !m_finished;
}

void Transfer::wait()
{
    std::unique_lock lock(m_mutex);
    if (m_worker != std::this_thread::get_id())
        m_ended.wait(lock, [this] { return !m_started || m_finished; });
}

void Transfer::setCredentials(const Credentials& credentials)
{
    std::lock_guard lock(m_mutex);
    m_credentials = credentials;
}

void Transfer::closeRequest()
{
    m_exchange.close();
}

// SendRequest and ProcessResponse, with the authentication attempts.
void Transfer::exchange()
{
    int attempts = 0;
    for (;;) {
        const Outcome outcome = send();
        if (outcome == Outcome::Stopped || m_events.stopped())
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
            setError(errors::kOperationCancelled);
            return;
        }
        ++attempts;
    }
}

// One sending and the redirects that follow from it.
Transfer::Outcome Transfer::send()
{
    Destination to { m_settings.url };
    for (int redirects = 0;;) {
        const CURLcode result = sendTo(to);
        if (std::exception_ptr handlerFailure = m_exchange.takeFailure())
            std::rethrow_exception(handlerFailure);
        if (m_events.stopped())
            return Outcome::Stopped;
        switch (m_hop.phase) {
        case Phase::Headers:
            check(result);
            fail(errors::kInvalidServerResponse); // the transfer ended without a final response
        case Phase::Discard:
            if (m_hop.needsAuth)
                return Outcome::NeedsAuth;
            check(result);
            to = followRedirect(to, ++redirects);
            continue;
        case Phase::Body: // the whole body arrived, or libcurl could not read it all
            if (result == CURLE_OK)
                setErrorCode(errors::kSuccess);
            else
                endBody(failureOf(result));
            return Outcome::Response;
        case Phase::Ended: // we ended the body; endBody has the failure
            return Outcome::Response;
        }
    }
}

CURLcode Transfer::sendTo(const Destination& to)
{
    m_hop = Hop {};
    m_hop.atOrigin = to.atOrigin;
    Sending sending;
    sending.url = to.url;
    sending.method = to.asGet || m_settings.method.empty() ? std::string("GET") : m_settings.method;
    m_hop.withoutBody = sending.method == "HEAD";
    if (!to.asGet)
        sending.body = m_settings.body;
    sending.atOrigin = to.atOrigin;
    Credentials credentials;
    {
        std::lock_guard lock(m_mutex);
        credentials = m_credentials;
    }
    // The server's credentials go only to the request's origin, and only once it has asked
    // for them (RFC 9110, 11.6.2): a first sending, or a hop elsewhere, never carries them.
    // The proxy is the same for every hop.
    if (!m_settings.flags.contains(ifNoAuth)) {
        if (to.atOrigin && m_challenged) {
            sending.userName = credentials.userName;
            sending.password = credentials.password;
        }
        sending.proxyUserName = credentials.proxyUserName;
        sending.proxyPassword = credentials.proxyPassword;
    }
    check(m_exchange.aim(sending));
    return m_exchange.perform(std::chrono::milliseconds(m_settings.inactivityTimeout));
}

void Transfer::finishResponse()
{
    closeRequest();
    if (std::exception_ptr handlerFailure = m_exchange.takeFailure())
        std::rethrow_exception(handlerFailure);
    if (m_events.stopped())
        return;
    // A failed asynchronous request has nobody to hand a partial response to: it raises
    // OnError only. A synchronous one completes with what arrived, then fails.
    const bool failed = m_errorCode != errors::kSuccess;
    if (!(failed && !m_settings.synchronous) && m_errorCode != errors::kOperationCancelled)
        m_events.raise(&HttpRequestEvents::OnRequestComplete);
    if (m_responseFailure)
        std::rethrow_exception(m_responseFailure);
}

Transfer::Destination Transfer::followRedirect(const Destination& from, int count)
{
    if (count > THttpRequest::kMaxRedirects)
        fail(errors::kTooManyRedirects);
    const std::string url = m_exchange.redirectUrl();
    UrlParts parts;
    try {
        parts = crackUrl(url);
    } catch (const EHttpError&) {
        fail(errors::kRedirectFailed); // no target, or one that cannot be split
    }
    if (!isHttpScheme(parts.scheme))
        fail(errors::kRedirectFailed);
    const bool fromHttps = startsWithNoCase(from.url, "https:");
    const bool toHttps = parts.scheme == "https";
    if (!fromHttps && toHttps && !m_settings.flags.contains(ifIgnoreRedirectToHttps))
        fail(errors::kHttpToHttpsOnRedirect);
    if (fromHttps && !toHttps && !m_settings.flags.contains(ifIgnoreRedirectToHttp))
        fail(errors::kHttpsToHttpOnRedirect);
    results.redirectUrl = url;
    m_events.raise(&HttpRequestEvents::OnRedirect);

    // RFC 9110, 15.4: 303 turns any method but HEAD into GET; 301 and 302 turn POST into GET,
    // as every client does; 307 and 308 keep the method and body.
    const long status = m_exchange.responseCode();
    const std::string& method = m_settings.method;
    const bool asGet
        = from.asGet || (status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST");
    return { url, sameOrigin(parts, m_settings.origin), asGet };
}

// ---------------------------------------------------------------------------------------
// What the exchange reports

void Transfer::resolvingName()
{
    m_events.raise(&HttpRequestEvents::OnResolvingName);
}

void Transfer::connectingTo(const std::string& address)
{
    results.serverAddress = address;
    m_events.raise(&HttpRequestEvents::OnNameResolved);
    m_events.raise(&HttpRequestEvents::OnConnectingToServer);
}

void Transfer::connectedTo(const std::string& address)
{
    results.serverAddress = address;
    m_events.raise(&HttpRequestEvents::OnConnectedToServer);
}

void Transfer::sendingRequest()
{
    m_events.raise(&HttpRequestEvents::OnSendingRequest);
}

void Transfer::closingConnection()
{
    m_events.raise(&HttpRequestEvents::OnClosingConnection);
}

void Transfer::connectionClosed()
{
    m_events.raise(&HttpRequestEvents::OnConnectionClosed);
}

bool Transfer::headerLine(std::string_view line)
{
    if (m_hop.phase != Phase::Headers)
        return true; // trailers after a chunked body, or the rest of a response we skip
    if (line.substr(0, 5) == "HTTP/") {
        if (!m_hop.responseStarted) {
            // The request must be out once its response begins.
            m_hop.responseStarted = true;
            results.bytesSent = clampCount(m_exchange.requestSize());
            m_events.raise(&HttpRequestEvents::OnRequestSent);
            m_events.raise(&HttpRequestEvents::OnReceivingResponse);
        }
        m_hop.headerText.clear();
        m_hop.headerLines.clear();
        m_hop.hasLocation = false;
    }
    m_hop.headerText += line;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty())
        return endOfHeaders();
    if (startsWithNoCase(line, "location:"))
        m_hop.hasLocation = true;
    m_hop.headerLines.emplace_back(line);
    return true;
}

bool Transfer::endOfHeaders()
{
    const long status = m_exchange.responseCode();
    results.bytesReceived = clampCount(m_hop.headerText.size());
    results.totalBytesReceived += results.bytesReceived;
    m_events.raise(&HttpRequestEvents::OnResponseReceived);
    if (status >= 100 && status < 200) {
        m_events.raise(&HttpRequestEvents::OnIntermediateResponse);
        return true;
    }
    const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    if (redirect && m_hop.hasLocation && !m_settings.flags.contains(ifNoAutoRedirect)) {
        m_hop.phase = Phase::Discard;
        return true;
    }
    results.statusCode = static_cast<std::uint32_t>(status);
    setErrorCode(errors::kSuccess); // the status is known: that step succeeded
    if (status == 401 || status == 407) {
        m_hop.phase = Phase::Discard;
        m_hop.needsAuth = true;
        if (status == 401 && m_hop.atOrigin)
            m_challenged = true;
        m_events.raise(status == 401 ? &HttpRequestEvents::OnNeedAuth : &HttpRequestEvents::OnNeedProxyAuth);
        return true;
    }

    m_hop.phase = Phase::Body;
    results.responseHeaders.clear();
    results.responseStream.clear();
    // The original client read the header text into 8192 bytes, its terminating zero included.
    if (m_hop.headerText.size() >= THttpRequest::kMaxHeaderText) {
        std::exception_ptr tooLong = failure(errors::kInsufficientBuffer);
        if (m_settings.raiseExceptions) {
            // The body is not read; the response completes empty, then this fails.
            m_responseFailure = tooLong;
            m_hop.phase = Phase::Ended;
            return false;
        }
    } else {
        results.responseHeaders = std::move(m_hop.headerLines);
    }
    const curl_off_t length = m_hop.withoutBody ? -1 : m_exchange.contentLength();
    if (length > 0 && static_cast<std::uint64_t>(length) > m_settings.maxResponseSize) {
        endBody(failure(errors::kResponseTooLarge));
        return false;
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
}

bool Transfer::bodyPiece(const char* data, std::size_t size)
{
    if (m_hop.phase == Phase::Discard)
        return true;
    if (m_hop.phase != Phase::Body)
        return false;
    // A handler's exception ends the body loop like any failure in it.
    try {
        results.bytesReceived = clampCount(size);
        results.totalBytesReceived = clampCount(std::uint64_t { results.totalBytesReceived } + size);
        m_events.raise(&HttpRequestEvents::OnResponseReceived);
        std::vector<std::uint8_t>& stream = results.responseStream;
        if (size > m_settings.maxResponseSize - std::min<std::uint64_t>(stream.size(), m_settings.maxResponseSize)) {
            endBody(failure(errors::kResponseTooLarge));
            return false;
        }
        results.chunkOffset = clampCount(stream.size());
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data); // same type, so one memcpy
        stream.insert(stream.end(), bytes, bytes + size);
        results.chunkSize = clampCount(size);
        results.bytesRead = clampCount(std::uint64_t { results.bytesRead } + size);
        setErrorCode(errors::kSuccess);
        m_events.raise(&HttpRequestEvents::OnDataAvailable);
    } catch (...) {
        endBody(std::current_exception());
        return false;
    }
    return true;
}

} // namespace vantrelle::http
