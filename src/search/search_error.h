#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace varnex {

// A failure that ends a search: a network error, an HTTP status that is not 2xx,
// or a file error. The number is what the user is shown beside the description
// (a QNetworkReply error code, an HTTP status code, or an errno value).
class SearchError final : public std::runtime_error {
public:
    SearchError(int number, const std::string &description, std::string server = {})
        : std::runtime_error(description), m_number(number), m_server(std::move(server))
    {
    }

    int number() const noexcept { return m_number; }
    // An HTTP error answer's Server header, which tells who answered; empty otherwise.
    const std::string &server() const noexcept { return m_server; }

private:
    int m_number;
    std::string m_server;
};

} // namespace varnex
