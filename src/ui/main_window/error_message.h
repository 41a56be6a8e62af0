#pragma once

#include <QString>

namespace varnex {

class SearchError;

// The message box text for a failed search: the error's number and
// description; when the program's own registrar service on this machine
// refused the connection, how to start it; and when something without the
// service's Server mark answered in its place, that another program holds the
// port and how to see which.
QString searchErrorMessage(const SearchError &error, const QString &registrarHost);

} // namespace varnex
