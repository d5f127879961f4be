#include "ProxyGet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace vantrelle::test {

HttpAnswer proxyGet(int port, const std::string& host, const std::string& path)
{
    HttpAnswer answer;
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(sock);
        return answer;
    }
    const std::string request = "GET http://" + host + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
    if (write(sock, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        close(sock);
        return answer;
    }
    std::string raw;
    char buffer[4096];
    for (ssize_t n; (n = read(sock, buffer, sizeof buffer)) > 0;)
        raw.append(buffer, static_cast<std::size_t>(n));
    close(sock);
    const std::size_t split = raw.find("\r\n\r\n");
    if (raw.size() < 12 || split == std::string::npos)
        return answer;
    answer.status = std::stoi(raw.substr(9, 3));
    answer.headers = raw.substr(0, split);
    answer.body = raw.substr(split + 4);
    return answer;
}

} // namespace vantrelle::test
