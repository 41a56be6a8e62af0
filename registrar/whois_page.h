#pragma once

#include "availability.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace varnex::registrar {

struct CheckedName {
    QString domain;
    std::optional<Availability> answer; // none: no answer in time
};

// The result page. Every name a registry called not registered becomes a
// check-box field written exactly as
//   <input type="checkbox" name="domainN" value="NAME">
// numbered from 1 in candidate order; the others are listed as plain text with
// their reason. Everything echoed back is HTML-escaped.
QByteArray whoisPage(const QString &requested, const QList<CheckedName> &names);

// The page for a name that is not a valid label: it says so and offers nothing.
QByteArray invalidNamePage(const QString &requested);

} // namespace varnex::registrar
