#pragma once

#include <map>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace vantrelle::test {

// One answer of a PageServer.
struct ServedPage {
    int status = 200;
    std::string body;
    bool cut = false; // claims twice the body's length, sends the body and drops the connection
    int delayMilliseconds = 0; // before the answer starts
};

// A server on 127.0.0.1 that a request reaches as its proxy, answering each request target (the absolute URL,
// "http://us.imdb.com/Title?1") with its page, and 404 for any other. For title pages and posters that the
// stand-in service's data never has: a film without a year, posters that fail.
class PageServer {
public:
    explicit PageServer(std::map<std::string, ServedPage> pages);
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    // "http://127.0.0.1:PORT"
    std::string proxy() const;

private:
    std::map<std::string, ServedPage> m_pages;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
    std::thread m_thread;
};

// A title page in the title service's layout with a title, and with the poster at `posterUrl` (empty: the
// placeholder).
std::string titlePage(const std::string& title, const std::string& posterUrl);

} // namespace vantrelle::test
