#include "PageServer.h"

#include <httplib.h>

#include <chrono>
#include <stdexcept>

namespace vantrelle::test {

PageServer::PageServer(std::map<std::string, ServedPage> pages)
    : m_pages(std::move(pages))
    , m_server(std::make_unique<httplib::Server>())
{
    m_server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        const auto found = m_pages.find(request.target);
        if (found == m_pages.end()) {
            response.status = 404;
            response.set_content("<html>Not Found</html>", "text/html");
            return;
        }
        const ServedPage& page = found->second;
        std::this_thread::sleep_for(std::chrono::milliseconds(page.delayMilliseconds));
        response.status = page.status;
        if (!page.cut) {
            response.set_content(page.body, "application/octet-stream");
            return;
        }
        response.set_content_provider(page.body.size() * 2, "application/octet-stream",
            [&page](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                return offset < page.body.size() && sink.write(page.body.data(), page.body.size());
            });
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the page server cannot bind");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

PageServer::~PageServer()
{
    m_server->stop();
    m_thread.join();
}

std::string PageServer::proxy() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

std::string titlePage(const std::string& title, const std::string& posterUrl)
{
    const std::string cover = posterUrl.empty() ? "http://i.imdb.com/Images/ph_title.gif" : posterUrl;
    return "<HTML><HEAD><TITLE>" + title
        + "</TITLE></HEAD><BODY>Directed by <A HREF=\"/Name?Quill,+Edda\">Edda "
          "Quill</A><BR><IMG SRC=\""
        + cover + "\" WIDTH=\"95\"><B>Runtime</B>: 101 </TD></BODY></HTML>";
}

} // namespace vantrelle::test
