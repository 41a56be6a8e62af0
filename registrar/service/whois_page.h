#pragma once

#include "lookup/availability.h"

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
// their reason; an internationalised name shows its Unicode form beside it.
// Everything echoed back is HTML-escaped.
// `notAsked` more suggestions were left unchecked, for the reason given.
// `note`, when given, is one line on what was asked ("longer than a name").
QByteArray whoisPage(const QString &requested, const QList<CheckedName> &names, qsizetype notAsked = 0,
                     const QString &notAskedWhy = {}, const QString &note = {});

// The page for a name that cannot be registered: it says why and offers nothing.
QByteArray invalidNamePage(const QString &requested, const QString &refusal);

} // namespace varnex::registrar
