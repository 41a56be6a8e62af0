#pragma once

#include <stdexcept>
#include <string>

namespace varnex {

// A failure that ends a search: a network error, an HTTP status that is not 2xx,
// or a file error. The number is what the user is shown beside the description
// (a QNetworkReply error code, an HTTP status code, or an errno value).
class SearchError final : public std::runtime_error {
public:
    SearchError(int number, const std::string &description)
        : std::runtime_error(description), m_number(number) {}

    int number() const noexcept { return m_number; }

private:
    int m_number;
};

} // namespace varnex
