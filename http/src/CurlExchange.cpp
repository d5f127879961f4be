#include "CurlExchange.h"

#include "CurlSetup.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace vantrelle::http {

namespace {

constexpr long kReadPieceSize = 16384;
constexpr std::size_t kMaxAcceptTypes = 100;

bool hasHeader(const std::vector<std::string>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(), [name](const std::string& line) { return isHeader(line, name); });
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

} // namespace

CurlExchange::CurlExchange(ExchangeObserver& observer)
    : m_observer(observer)
{
}

CurlExchange::~CurlExchange()
{
    close();
}

CURLcode CurlExchange::open(const RequestSettings& settings)
{
    ensureCurlGlobalInit();
    m_easy.reset(curl_easy_init());
    {
        std::lock_guard lock(m_mutex);
        m_multi.reset(curl_multi_init());
    }
    if (!m_easy || !m_multi)
        return CURLE_FAILED_INIT;
    CurlOptions options(m_easy.get());
    options.set(CURLOPT_ERRORBUFFER, m_errorBuffer);
    options.set(CURLOPT_NOSIGNAL, 1L);
    options.set(CURLOPT_PROTOCOLS_STR, "http,https");
    options.set(CURLOPT_PATH_AS_IS, 1L); // the path goes out as the caller wrote it
    options.set(CURLOPT_BUFFERSIZE, kReadPieceSize);
    options.set(CURLOPT_HEADERFUNCTION, &CurlExchange::headerCallback);
    options.set(CURLOPT_HEADERDATA, this);
    options.set(CURLOPT_WRITEFUNCTION, &CurlExchange::writeCallback);
    options.set(CURLOPT_WRITEDATA, this);
    options.set(CURLOPT_OPENSOCKETFUNCTION, &CurlExchange::openSocketCallback);
    options.set(CURLOPT_OPENSOCKETDATA, this);
    options.set(CURLOPT_CLOSESOCKETFUNCTION, &CurlExchange::closeSocketCallback);
    options.set(CURLOPT_CLOSESOCKETDATA, this);
    options.set(CURLOPT_RESOLVER_START_FUNCTION, &CurlExchange::resolverStartCallback);
    options.set(CURLOPT_RESOLVER_START_DATA, this);
    options.set(CURLOPT_PREREQFUNCTION, &CurlExchange::prereqCallback);
    options.set(CURLOPT_PREREQDATA, this);
    options.set(CURLOPT_USERAGENT, settings.userAgent.c_str());
    // Without CURLOPT_PROXY libcurl takes http_proxy, https_proxy and no_proxy from the
    // environment: the system's preconfigured proxy on Linux.
    if (!settings.proxy.empty())
        options.set(CURLOPT_PROXY, settings.proxy.c_str());
    if (settings.connectTimeout > 0)
        options.set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connectTimeout));
    // Honoured flags. ifIgnoreCertDateInvalid has no counterpart (libcurl checks the date as
    // part of the chain), the cache flags have nothing to act on (nothing is cached), and
    // redirects and authentication are the Transfer's.
    if (settings.flags.contains(ifIgnoreCertCnInvalid))
        options.set(CURLOPT_SSL_VERIFYHOST, 0L);
    if (options.result() != CURLE_OK)
        return options.result();
    return buildHeaderLists(settings);
}

// The request header lines. Those that carry credentials go only to the request's origin.
CURLcode CurlExchange::buildHeaderLists(const RequestSettings& settings)
{
    std::string accept;
    for (std::size_t i = 0; i < settings.acceptTypes.size() && i < kMaxAcceptTypes; ++i) {
        if (settings.acceptTypes[i].empty())
            break;
        accept += (i > 0 ? ", " : "") + settings.acceptTypes[i];
    }
    std::vector<std::string> ours;
    if (!accept.empty())
        ours.push_back("Accept: " + accept);
    else if (!hasHeader(settings.requestHeaders, "Accept"))
        ours.push_back("Accept:"); // no value: libcurl offers no "*/*" of its own
    if (settings.flags.contains(ifPragmaNoCache))
        ours.push_back("Pragma: no-cache");
    // Send a body at once, as the original client did, instead of waiting for 100-continue.
    if (!hasHeader(settings.requestHeaders, "Expect"))
        ours.push_back("Expect:");

    CURLcode result = CURLE_OK;
    for (const std::string& line : settings.requestHeaders) {
        if (line.empty())
            continue;
        if (result == CURLE_OK)
            result = appendHeader(m_originHeaders, line);
        if (result == CURLE_OK && !isHeader(line, "Authorization") && !isHeader(line, "Cookie"))
            result = appendHeader(m_foreignHeaders, line);
    }
    for (const std::string& line : ours) {
        if (result == CURLE_OK)
            result = appendHeader(m_originHeaders, line);
        if (result == CURLE_OK)
            result = appendHeader(m_foreignHeaders, line);
    }
    return result;
}

CURLcode CurlExchange::aim(const Sending& sending)
{
    CurlOptions options(m_easy.get());
    options.set(CURLOPT_URL, sending.url.c_str());
    options.set(CURLOPT_HTTPHEADER, (sending.atOrigin ? m_originHeaders : m_foreignHeaders).get());

    const bool withUser = !sending.userName.empty();
    if (withUser)
        options.set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    options.set(CURLOPT_USERNAME, withUser ? sending.userName.c_str() : nullptr);
    options.set(CURLOPT_PASSWORD, withUser ? sending.password.c_str() : nullptr);
    const bool withProxyUser = !sending.proxyUserName.empty();
    if (withProxyUser)
        options.set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    options.set(CURLOPT_PROXYUSERNAME, withProxyUser ? sending.proxyUserName.c_str() : nullptr);
    options.set(CURLOPT_PROXYPASSWORD, withProxyUser ? sending.proxyPassword.c_str() : nullptr);

    // Back to a plain GET first, then what this sending differs in.
    const bool withBody = !sending.body.empty();
    options.set(CURLOPT_CUSTOMREQUEST, nullptr);
    options.set(CURLOPT_HTTPGET, 1L);
    if (withBody) {
        options.set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sending.body.size()));
        options.set(CURLOPT_POSTFIELDS, sending.body.data());
    }
    if (sending.method == "HEAD")
        options.set(CURLOPT_NOBODY, 1L);
    else if (sending.method != (withBody ? "POST" : "GET"))
        options.set(CURLOPT_CUSTOMREQUEST, sending.method.c_str());
    return options.result();
}

// How much longer the sending may go without a byte either way; zero or less once it has
// been quiet for `inactivity`. Bytes in are marked by the callbacks; bytes out (a request
// body) are counted here. Until the connection stands, the connect time-out is the limit.
std::chrono::milliseconds CurlExchange::quietTimeLeft(std::chrono::milliseconds inactivity)
{
    constexpr std::chrono::milliseconds kNotConnected { 1000 };
    if (!m_connected)
        return kNotConnected;
    curl_off_t uploaded = 0;
    if (curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded) == CURLE_OK && uploaded != m_uploaded) {
        m_uploaded = uploaded;
        markActivity();
    }
    return inactivity
        - std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_lastActivity);
}

// Through the multi interface, so that cancel() can wake the wait.
CURLcode CurlExchange::perform(std::chrono::milliseconds inactivity)
{
    m_connecting = false;
    m_connected = false;
    m_uploaded = 0;
    if (m_cancelled)
        return CURLE_ABORTED_BY_CALLBACK;
    CURLM* multi = m_multi.get(); // only close(), on this thread, changes it
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
        if (m_cancelled)
            break;
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left))
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                    result = message->data.result;
            break;
        }
        const std::chrono::milliseconds quietLeft = quietTimeLeft(inactivity);
        if (quietLeft.count() <= 0) {
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        const int wait = static_cast<int>(std::min<std::chrono::milliseconds::rep>(quietLeft.count(), 1000));
        if (curl_multi_poll(multi, nullptr, 0, wait, nullptr) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

void CurlExchange::cancel()
{
    m_cancelled = true;
    std::lock_guard lock(m_mutex);
    if (m_multi)
        curl_multi_wakeup(m_multi.get());
}

void CurlExchange::close()
{
    m_easy.reset();
    MultiHandle multi;
    {
        std::lock_guard lock(m_mutex);
        multi = std::move(m_multi);
    }
    multi.reset(); // closes the cached connection: the closing steps come here
    m_originHeaders.reset();
    m_foreignHeaders.reset();
}

std::exception_ptr CurlExchange::takeFailure()
{
    return std::exchange(m_failure, nullptr);
}

long CurlExchange::responseCode() const
{
    return responseStatus(m_easy.get());
}

std::string CurlExchange::redirectUrl() const
{
    char* target = nullptr;
    return curl_easy_getinfo(m_easy.get(), CURLINFO_REDIRECT_URL, &target) == CURLE_OK && target ? target : "";
}

curl_off_t CurlExchange::contentLength() const
{
    curl_off_t length = -1;
    return curl_easy_getinfo(m_easy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK ? length : -1;
}

std::uint64_t CurlExchange::requestSize() const
{
    curl_off_t header = 0;
    curl_off_t body = 0;
    curl_easy_getinfo(m_easy.get(), CURLINFO_REQUEST_SIZE, &header);
    curl_easy_getinfo(m_easy.get(), CURLINFO_SIZE_UPLOAD_T, &body);
    return static_cast<std::uint64_t>(std::max<curl_off_t>(header, 0) + std::max<curl_off_t>(body, 0));
}

const char* CurlExchange::errorText() const
{
    return m_errorBuffer;
}

// ---------------------------------------------------------------------------------------
// libcurl callbacks. No exception passes into libcurl: the first one an observer throws is
// kept for takeFailure(), and the sending is ended.

template <typename Step> bool CurlExchange::guarded(Step step) noexcept
{
    if (m_cancelled)
        return false;
    try {
        return step() && !m_cancelled;
    } catch (...) {
        if (!m_failure)
            m_failure = std::current_exception();
        return false;
    }
}

std::size_t CurlExchange::headerCallback(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& exchange = *static_cast<CurlExchange*>(self);
    const std::size_t length = size * count;
    const bool goOn = exchange.guarded([&] { return exchange.m_observer.headerLine({ data, length }); });
    exchange.markActivity(); // after the observer: the time its handlers take is not silence
    return goOn ? length : 0;
}

std::size_t CurlExchange::writeCallback(char* data, std::size_t size, std::size_t count, void* self)
{
    auto& exchange = *static_cast<CurlExchange*>(self);
    const std::size_t length = size * count;
    const bool goOn = exchange.guarded([&] { return exchange.m_observer.bodyPiece(data, length); });
    exchange.markActivity();
    return goOn ? length : 0;
}

curl_socket_t CurlExchange::openSocketCallback(void* self, curlsocktype, curl_sockaddr* address)
{
    auto& exchange = *static_cast<CurlExchange*>(self);
    const bool goOn = exchange.guarded([&] {
        exchange.m_observer.connectingTo(addressText(address));
        return true;
    });
    if (!goOn)
        return CURL_SOCKET_BAD;
    exchange.m_connecting = true;
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

int CurlExchange::closeSocketCallback(void* self, curl_socket_t socket)
{
    // A failing handler must not keep the socket open.
    auto& exchange = *static_cast<CurlExchange*>(self);
    exchange.guarded([&] {
        exchange.m_observer.closingConnection();
        return true;
    });
    ::close(socket);
    exchange.guarded([&] {
        exchange.m_observer.connectionClosed();
        return true;
    });
    return 0;
}

int CurlExchange::resolverStartCallback(void*, void*, void* self)
{
    auto& exchange = *static_cast<CurlExchange*>(self);
    const bool goOn = exchange.guarded([&] {
        exchange.m_observer.resolvingName();
        return true;
    });
    return goOn ? 0 : 1;
}

int CurlExchange::prereqCallback(void* self, char* primaryIp, char*, int, int)
{
    auto& exchange = *static_cast<CurlExchange*>(self);
    const bool goOn = exchange.guarded([&] {
        if (exchange.m_connecting)
            exchange.m_observer.connectedTo(primaryIp ? primaryIp : "");
        exchange.m_connecting = false;
        exchange.m_observer.sendingRequest();
        return true;
    });
    exchange.m_connected = true;
    exchange.markActivity();
    return goOn ? CURL_PREREQFUNC_OK : CURL_PREREQFUNC_ABORT;
}

} // namespace vantrelle::http
