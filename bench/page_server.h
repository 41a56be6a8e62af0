#pragma once

#include <string>
#include <thread>

// A registrar stand-in for benchmarks: answers every HTTP request on 127.0.0.1
// with one file (sent with sendfile), on its own thread, so serving the page
// does not take turns with the client on the client's event loop.
class PageServer final {
public:
    explicit PageServer(std::string file);
    ~PageServer();
    PageServer(const PageServer &) = delete;
    PageServer &operator=(const PageServer &) = delete;

    // "127.0.0.1:PORT"
    std::string hostAndPort() const;

private:
    void serve();

    std::string m_file;
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};
