#pragma once

#include <QString>
#include <QUrl>

namespace varnex {

// The registrar's WHOIS page for a typed name: white space is removed (spaces,
// and the tabs, line ends and other spaces a pasted name brings, which the
// name box shows as spaces) and every byte of the name's UTF-8 form outside
// A-Z a-z 0-9 - . _ ~ is percent-encoded, so a name can neither add a query
// parameter nor a fragment. Case is kept as typed.
QUrl whoisRequestUrl(const QString &registrarHost, const QString &typedName);

} // namespace varnex
