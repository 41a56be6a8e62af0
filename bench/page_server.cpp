#include "page_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

PageServer::PageServer(std::string file) : m_file(std::move(file))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, 16) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::perror("page server");
        std::exit(1);
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

PageServer::~PageServer()
{
    ::shutdown(m_listener, SHUT_RDWR); // ends the accept() the thread waits in
    m_thread.join();
    ::close(m_listener);
}

std::string PageServer::hostAndPort() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

void PageServer::serve()
{
    for (;;) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        // The request's head, up to its blank line; its contents do not matter.
        std::string head;
        char buffer[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = ::read(client, buffer, sizeof buffer);
            if (got <= 0)
                break;
            head.append(buffer, static_cast<std::size_t>(got));
        }
        const int page = ::open(m_file.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info { };
        if (page >= 0 && ::fstat(page, &info) == 0) {
            const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                                       + std::to_string(info.st_size) + "\r\nConnection: close\r\n\r\n";
            bool sent = ::write(client, answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
            off_t offset = 0;
            while (sent && offset < info.st_size)
                sent = ::sendfile(client, page, &offset, static_cast<std::size_t>(info.st_size - offset)) > 0;
        }
        if (page >= 0)
            ::close(page);
        ::close(client);
    }
}
