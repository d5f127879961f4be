#include "vantrelle/http/HttpRequest.h"

#include "Transfer.h"

#include "vantrelle/http/Url.h"

#include <algorithm>
#include <stdexcept>

namespace vantrelle::http {

std::uint32_t RequestFlagWord(TInternetFlags flags)
{
    // INTERNET_FLAG_* values, in the order of InternetFlag.
    static constexpr std::uint32_t values[] = {
        0x00010000,
        0x04000000,
        0x00000400,
        0x00001000,
        0x00002000,
        0x00008000,
        0x00004000,
        0x00400000,
        0x00000010,
        0x00040000,
        0x00200000,
        0x04000000,
        0x00080000,
        0x00000200,
        0x00000100,
        0x80000000,
        0x00000800,
    };
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < std::size(values); ++i)
        if (flags.contains(static_cast<InternetFlag>(i)))
            word |= values[i];
    return word;
}

THttpRequest::THttpRequest(std::shared_ptr<EventDelivery> delivery)
    : m_delivery(std::move(delivery))
    , m_current(std::make_shared<Transfer>())
{
    rebuildUrl();
}

THttpRequest::~THttpRequest()
{
    retireCurrent();
    if (m_worker)
        m_worker->finish(true);
}

void THttpRequest::retireCurrent()
{
    m_current->abandon();
    // A request left to end by itself keeps the worker it runs on; the next one gets another.
    if (m_worker && m_current->running()) {
        m_worker->finish(false);
        m_worker.reset();
    }
}

std::shared_ptr<RequestWorker> THttpRequest::worker()
{
    if (!m_worker)
        m_worker = RequestWorker::start();
    return m_worker;
}

// ---------------------------------------------------------------------------------------
// Properties

void THttpRequest::setInactivityTimeout(int milliseconds)
{
    m_inactivityTimeout = milliseconds > 0 ? milliseconds : kDefaultInactivityTimeout;
}

// Splitting and building a URL are client steps like any other: a failure sets ErrorCode and
// raises OnError before the exception goes on to the assigner, and a success clears ErrorCode.
template <typename Step> auto THttpRequest::checkedUrlStep(Step step)
{
    try {
        auto result = step();
        m_current->results.errorCode = errors::kSuccess;
        return result;
    } catch (const EHttpError& failure) {
        m_current->results.errorCode = failure.code();
        if (OnError) {
            if (m_delivery)
                m_delivery->run([this] { OnError(*this); });
            else
                OnError(*this);
        }
        throw;
    }
}

std::string THttpRequest::builtUrl(
    bool ssl, const std::string& hostName, int port, const std::string& urlPath, const std::string& extraInfo)
{
    return checkedUrlStep([&] { return buildUrl(ssl, hostName, port, urlPath, extraInfo); });
}

void THttpRequest::rebuildUrl()
{
    m_url = builtUrl(m_ssl, m_hostName, m_port, m_urlPath, m_extraInfo);
}

void THttpRequest::SetSSL(bool value)
{
    m_ssl = value;
    rebuildUrl();
}

void THttpRequest::SetPort(int value)
{
    m_port = value;
    rebuildUrl();
}

void THttpRequest::SetURL(const std::string& value)
{
    // Everything is worked out first, so a URL that fails changes nothing.
    const UrlParts parts = checkedUrlStep([&value] { return crackUrl(value); });
    if (!isHttpScheme(parts.scheme))
        throw EHttpError("Invalid protocol", errors::kUnrecognizedScheme);
    m_url = value;
    // An http URL clears SSL as an https URL sets it: the scheme says how to connect.
    m_ssl = parts.scheme == "https";
    m_hostName = parts.hostName;
    m_urlPath = parts.urlPath;
    m_extraInfo = parts.extraInfo;
    m_port = parts.port;
    if (parts.hasUserName)
        m_userName = parts.userName;
    if (parts.hasPassword)
        m_password = parts.password;
    if (parts.hasUserName || parts.hasPassword)
        updateRunningCredentials();
}

void THttpRequest::SetURLPath(const std::string& value)
{
    m_url = builtUrl(m_ssl, m_hostName, m_port, value, m_extraInfo);
    m_urlPath = value;
}

void THttpRequest::SetExtraInfo(const std::string& value)
{
    const std::string stored = value.empty() || value.front() == '?' || value.front() == '#' ? value : "?" + value;
    m_url = builtUrl(m_ssl, m_hostName, m_port, m_urlPath, stored);
    m_extraInfo = stored;
}

void THttpRequest::SetHostName(const std::string& value)
{
    m_url = builtUrl(m_ssl, value, m_port, m_urlPath, m_extraInfo);
    m_hostName = value;
}

void THttpRequest::updateRunningCredentials()
{
    m_current->setCredentials({ m_userName, m_password, m_proxyUserName, m_proxyPassword });
}

void THttpRequest::SetUserName(const std::string& value)
{
    m_userName = value;
    updateRunningCredentials();
}

void THttpRequest::SetPassword(const std::string& value)
{
    m_password = value;
    updateRunningCredentials();
}

void THttpRequest::SetProxyUserName(const std::string& value)
{
    m_proxyUserName = value;
    updateRunningCredentials();
}

void THttpRequest::SetProxyPassword(const std::string& value)
{
    m_proxyPassword = value;
    updateRunningCredentials();
}

std::string THttpRequest::Text() const
{
    const std::vector<std::uint8_t>& body = ResponseStream();
    const auto end = std::find(body.begin(), body.end(), std::uint8_t { 0 });
    return std::string(body.begin(), end);
}

// ---------------------------------------------------------------------------------------
// Operations

bool THttpRequest::Execute(bool Synchronous)
{
    retireCurrent();
    RequestSettings settings;
    settings.synchronous = Synchronous;
    settings.method = m_method;
    settings.body = m_requestBody;
    settings.requestHeaders = m_requestHeaders;
    settings.acceptTypes = m_acceptTypes;
    settings.userAgent = m_userAgent;
    settings.proxy = m_proxy;
    settings.connectTimeout = m_connectTimeout;
    settings.inactivityTimeout = m_inactivityTimeout;
    settings.maxResponseSize = m_maxResponseSize;
    settings.raiseExceptions = m_raiseExceptions;
    settings.authRetries = m_authRetries;
    settings.flags = m_internetFlags;
    const bool raiseExceptions = m_raiseExceptions;
    try {
        settings.url = checkedUrlStep([this] { return requestUrl(m_ssl, m_hostName, m_port, m_urlPath, m_extraInfo); });
        settings.origin.scheme = m_ssl ? "https" : "http";
        settings.origin.hostName = m_hostName;
        settings.origin.port = m_port;
        const std::shared_ptr<RequestWorker> worker = Synchronous ? nullptr : this->worker();
        m_current = std::make_shared<Transfer>(*this, m_delivery, static_cast<const HttpRequestEvents&>(*this),
            std::move(settings), Credentials { m_userName, m_password, m_proxyUserName, m_proxyPassword });
        const std::shared_ptr<Transfer> transfer = m_current; // a handler may start the next request
        transfer->prepare();
        if (worker)
            transfer->start(*worker);
        else
            transfer->runSynchronously();
    } catch (...) {
        if (raiseExceptions)
            throw;
        return false;
    }
    return true;
}

bool THttpRequest::busy() const
{
    return m_current->running();
}

void THttpRequest::wait()
{
    if (m_delivery && m_delivery->isUiThread())
        throw std::logic_error("THttpRequest::wait on the user-interface thread would never end");
    m_current->wait();
}

// ---------------------------------------------------------------------------------------
// Results

const std::vector<std::uint8_t>& THttpRequest::ResponseStream() const
{
    return m_current->results.responseStream;
}
const std::vector<std::string>& THttpRequest::ResponseHeaders() const
{
    return m_current->results.responseHeaders;
}
std::uint32_t THttpRequest::StatusCode() const
{
    return m_current->results.statusCode;
}
std::uint32_t THttpRequest::ErrorCode() const
{
    return m_current->results.errorCode;
}
const std::string& THttpRequest::RedirectURL() const
{
    return m_current->results.redirectUrl;
}
const std::string& THttpRequest::ServerAddress() const
{
    return m_current->results.serverAddress;
}
std::uint32_t THttpRequest::BytesSent() const
{
    return m_current->results.bytesSent;
}
std::uint32_t THttpRequest::BytesReceived() const
{
    return m_current->results.bytesReceived;
}
std::uint32_t THttpRequest::TotalBytesReceived() const
{
    return m_current->results.totalBytesReceived;
}
std::uint32_t THttpRequest::ChunkSize() const
{
    return m_current->results.chunkSize;
}
std::uint32_t THttpRequest::BytesRead() const
{
    return m_current->results.bytesRead;
}
std::uint32_t THttpRequest::ChunkOffset() const
{
    return m_current->results.chunkOffset;
}

} // namespace vantrelle::http
