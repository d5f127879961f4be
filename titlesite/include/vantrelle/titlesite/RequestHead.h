#pragma once

// The head of an HTTP request (request line and header lines), read as its bytes arrive, within
// bounds: a line longer than `line` bytes, a head longer than `total` bytes or of more than `lines`
// lines is refused as soon as it passes the bound, so a flood costs no more than the bound.
//
// Limitations: only what the title service needs is kept (method, target, version, Host,
// keep-alive, whether a body follows); obsolete line folding is refused; a line may end in "\n" alone.

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrelle::titlesite {

struct HeadLimits {
    std::size_t line = 8 * 1024;
    std::size_t total = 64 * 1024;
    std::size_t lines = 100;
};

struct RequestHead {
    std::string method;
    std::string target;
    std::string host; // the Host header; empty when none
    bool keepAlive = false; // the connection stays open after the answer
    bool hasBody = false; // Content-Length other than 0, or Transfer-Encoding
};

class RequestHeadReader {
public:
    enum class State { Reading, Complete, Refused };

    explicit RequestHeadReader(HeadLimits limits = {});

    // Takes the bytes that arrived; returns how many belong to the head (the rest is the next request's).
    std::size_t feed(std::string_view bytes);

    State state() const { return m_state; }
    // The status to refuse with: 400, 414 (request line too long) or 431 (headers too large).
    int refusal() const { return m_refusal; }
    const RequestHead& head() const { return m_head; }

private:
    void takeLine(std::string_view line);
    void takeRequestLine(std::string_view line);
    void takeHeader(std::string_view line);
    void refuse(int status);

    HeadLimits m_limits;
    State m_state = State::Reading;
    int m_refusal = 0;
    std::string m_line;
    std::size_t m_total = 0;
    std::size_t m_lines = 0;
    bool m_requestLineRead = false;
    bool m_hasHost = false;
    int m_minorVersion = 1;
    bool m_close = false;
    bool m_keepAliveAsked = false;
    RequestHead m_head;
};

} // namespace vantrelle::titlesite
