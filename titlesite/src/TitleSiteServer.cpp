#include "vantrelle/titlesite/TitleSiteServer.h"

#include "BoundedHttpServer.h"
#include "vantrelle/Error.h"
#include "vantrelle/titlesite/OwnHosts.h"
#include "vantrelle/titlesite/ServiceRequest.h"
#include "vantrelle/titlesite/TitleSite.h"

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

int TitleSiteServer::start(int port, const ServerLimits& limits)
{
    if (m_server)
        throw Error("The title service is already running");
    auto server = std::make_unique<BoundedHttpServer>(
        [this](const RequestHead& head, int ownPort) {
            // A web page that reaches 127.0.0.1 under a name of its own (a rebound DNS name) names that.
            const std::string_view targetHost = targetAuthority(head.target);
            if (!isOwnHost(head.host, ownPort) || (!targetHost.empty() && !isOwnHost(targetHost, ownPort)))
                return ServiceAnswer { 421, "text/plain", {}, {} };
            // The target, not the path: in proxy form the host stands in front of the path.
            return m_service->answer(head.target, head.host);
        },
        limits);
    const int bound = server->start(port);
    m_server = std::move(server);
    return bound;
}

void TitleSiteServer::stop()
{
    m_server.reset();
}

} // namespace vantrelle::titlesite
