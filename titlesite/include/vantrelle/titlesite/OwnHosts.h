#pragma once

#include <string_view>

namespace vantrelle::titlesite {

// Whether a request naming `host` (a Host header, or the host of a proxy-form target) is meant for
// the title service listening on 127.0.0.1:`port`: its own address ("127.0.0.1:PORT",
// "localhost:PORT") or one of the hosts whose requests reach it through the proxy setting (the title
// service's, the posters' and the images' host, with or without ":80"). Any other name, as a web page
// turned towards 127.0.0.1 by a rebound DNS name would send, is not.
bool isOwnHost(std::string_view host, int port);

} // namespace vantrelle::titlesite
