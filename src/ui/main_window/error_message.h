#pragma once

#include <QString>

namespace varnex {

class SearchError;

// The message box text for a failed search: the error's number and
// description, and, when the program's own registrar service on this machine
// refused the connection, how to start it.
QString searchErrorMessage(const SearchError &error, const QString &registrarHost);

} // namespace varnex
