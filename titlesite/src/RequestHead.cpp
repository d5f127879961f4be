#include "vantrelle/titlesite/RequestHead.h"

#include <algorithm>
#include <cctype>

namespace vantrelle::titlesite {

namespace {

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

std::string_view trimmedBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The characters of a header name or a method.
bool isToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c)
            || std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
    });
}

// Whether a comma-separated header value ("keep-alive, Upgrade") names `option`.
bool namesOption(std::string_view value, std::string_view option)
{
    const std::string lower = lowerCase(value);
    std::string_view rest = lower;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (trimmedBlanks(rest.substr(0, comma)) == option)
            return true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return false;
}

} // namespace

RequestHeadReader::RequestHeadReader(HeadLimits limits)
    : m_limits(limits)
{
}

std::size_t RequestHeadReader::feed(std::string_view bytes)
{
    std::size_t used = 0;
    while (m_state == State::Reading && used < bytes.size()) {
        const std::size_t newline = bytes.find('\n', used);
        const std::size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        m_line.append(bytes.substr(used, end - used));
        m_total += end - used;
        used = end;
        // The line's bound does not count its line break ("\r\n").
        if (m_line.size() > m_limits.line + 2) {
            refuse(m_requestLineRead ? 431 : 414);
        } else if (m_total > m_limits.total) {
            refuse(431);
        } else if (newline != std::string_view::npos) {
            std::string_view line = m_line;
            line.remove_suffix(1);
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            takeLine(line);
            m_line.clear();
        }
    }
    return used;
}

void RequestHeadReader::takeLine(std::string_view line)
{
    if (++m_lines > m_limits.lines)
        return refuse(431);
    if (!m_requestLineRead) {
        // Blank lines before a request are passed over.
        if (!line.empty())
            takeRequestLine(line);
        return;
    }
    if (!line.empty())
        return takeHeader(line);
    if (!m_hasHost && m_minorVersion == 1)
        return refuse(400);
    m_head.keepAlive = m_minorVersion == 1 ? !m_close : m_keepAliveAsked && !m_close;
    m_state = State::Complete;
    m_line = std::string(); // gives the line's memory back
}

void RequestHeadReader::takeRequestLine(std::string_view line)
{
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last)
        return refuse(400);
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, last - first - 1);
    const std::string_view version = line.substr(last + 1);
    if (!isToken(method) || target.empty() || target.find_first_of(" \t") != std::string_view::npos
        || (version != "HTTP/1.1" && version != "HTTP/1.0"))
        return refuse(400);
    m_head.method = method;
    m_head.target = target;
    m_minorVersion = version.back() - '0';
    m_requestLineRead = true;
}

void RequestHeadReader::takeHeader(std::string_view line)
{
    const std::size_t colon = line.find(':');
    // A line that begins with a blank continues the last one (obsolete folding): refused, as a Host
    // split over two lines could be read in two ways.
    if (colon == std::string_view::npos || !isToken(line.substr(0, colon)))
        return refuse(400);
    const std::string name = lowerCase(line.substr(0, colon));
    const std::string_view value = trimmedBlanks(line.substr(colon + 1));
    if (name == "host") {
        if (m_hasHost)
            return refuse(400);
        m_hasHost = true;
        m_head.host = value;
    } else if (name == "connection") {
        m_close = m_close || namesOption(value, "close");
        m_keepAliveAsked = m_keepAliveAsked || namesOption(value, "keep-alive");
    } else if (name == "transfer-encoding" || (name == "content-length" && value != "0")) {
        m_head.hasBody = true;
    }
}

void RequestHeadReader::refuse(int status)
{
    m_state = State::Refused;
    m_refusal = status;
    m_line = std::string();
}

} // namespace vantrelle::titlesite
