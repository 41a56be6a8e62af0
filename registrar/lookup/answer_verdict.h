#pragma once

#include "lookup/availability.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

namespace varnex::registrar {

// A registry's answer as the transport read it, HTTP/1.1 or HTTP/2 alike.
struct RegistryAnswer {
    int status = 0;         // the status exactly as sent, three digits, once; 0 when it was anything else
    QByteArray contentType; // lower-cased, parameters kept
    QByteArray body;
    QByteArray location;
    QByteArray retryAfter;
    bool complete = true; // framed to its end: a length, the last chunk, END_STREAM; not by a close
    bool bound = true;    // cannot be an answer to another question (first on its connection, or its own stream)
};

struct AskedQuestion {
    QString domain; // the name, lower case, in its xn-- form
    QUrl url;
    int redirects = 0; // followed so far
    bool onNewConnection = false;
    QList<QUrl> bases; // the bootstrap's base URLs for the name's ending: where a redirect may lead
};

// What to do with an answer.
struct Verdict {
    enum class Next {
        Settled,            // `availability` is the answer
        AskOnNewConnection, // the answer may belong to another question: ask once more where it cannot
        Follow,             // a redirect to the same question elsewhere on the registry: ask `target`
    };
    Next next = Next::Settled;
    Availability availability;
    QUrl target;
    QDateTime quietUntil; // after a 429: no question to this registry before then
};

// The one rule for every transport. "Not registered" needs a complete answer
// whose status was exactly 404 and whose body is empty or an RDAP JSON object
// (no member named twice) that holds no domain object and no domain's name at
// any depth; "registered" a 200 domain object for exactly the name asked. A
// redirect is followed only to one of the ending's base URLs followed by
// "domain/" and the same name, written so that no server could route it
// otherwise: no percent-escape, backslash, dot segment, query or fragment.
// Anything else is "could not be checked".
Verdict verdictOf(const RegistryAnswer &answer, const AskedQuestion &asked, int maxRedirects, const QDateTime &now);

} // namespace varnex::registrar
