#pragma once

#include <string>

namespace vantrelle::test {

struct HttpAnswer {
    int status = 0; // 0 when nothing came back
    std::string headers; // the status line and header lines, without the blank line
    std::string body;
};

// One GET in proxy form ("GET http://HOST/PATH HTTP/1.0", with "Host: HOST"), the way the program
// asks through http_proxy, to a server on 127.0.0.1:`port`. The path goes out byte for byte.
HttpAnswer proxyGet(int port, const std::string& host, const std::string& path);

} // namespace vantrelle::test
