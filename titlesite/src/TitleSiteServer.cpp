#include "vantrelle/titlesite/TitleSiteServer.h"

#include "vantrelle/Error.h"
#include "vantrelle/postersource/PosterSource.h"
#include "vantrelle/titlesite/TitleSite.h"

#include <httplib.h>

#include <chrono>

namespace vantrelle::titlesite {

TitleSiteServer::TitleSiteServer(const std::filesystem::path& index, const std::filesystem::path& posters,
    std::shared_ptr<const postersource::PosterSource> posterSource)
    : m_service(std::make_unique<TitleSite>(index, posters, std::move(posterSource)))
{
}

TitleSiteServer::~TitleSiteServer()
{
    stop();
}

int TitleSiteServer::start(int port)
{
    if (m_server)
        throw Error("The title service is already running");
    auto server = std::make_unique<httplib::Server>();
    // Reuse the address of a socket in TIME_WAIT, but never share a port with another server
    // (httplib's default also sets SO_REUSEPORT, which would split the requests between the two).
    server->set_socket_options([](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Headers and body go out in separate writes; without this the body waits for the client's
    // delayed acknowledgement of the headers (tens of milliseconds per page).
    server->set_tcp_nodelay(true);
    server->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        // The target, not the path: in proxy form the host stands in front of the path.
        const ServiceAnswer answer = m_service->answer(request.target, request.get_header_value("Host"));
        response.status = answer.status;
        if (!answer.location.empty())
            response.set_header("Location", answer.location);
        response.set_content(answer.body, answer.contentType.c_str());
    });
    const int bound
        = port == 0 ? server->bind_to_any_port("127.0.0.1") : (server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
        throw Error("Cannot listen on 127.0.0.1:" + std::to_string(port));
    m_server = std::move(server);
    m_listening = true;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_listening = false;
    });
    // stop() only reaches a server that has begun to listen.
    while (m_listening && !m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return bound;
}

void TitleSiteServer::stop()
{
    if (!m_server)
        return;
    m_server->stop();
    m_thread.join();
    m_server.reset();
}

} // namespace vantrelle::titlesite
