#include "service/whois_page.h"

#include "names/name_rules.h"

#include <algorithm>

namespace varnex::registrar {

namespace {

// HTML-escaped, and "=" too: a reader that takes fields by `name=` and `value=`
// (as Varnex does) must never find one in echoed text.
QByteArray escaped(const QString &text)
{
    // Names in their ASCII form, nearly all of what a page echoes, need no escaping.
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
    });
    if (plain)
        return text.toLatin1();
    return text.toHtmlEscaped()
        .replace(QLatin1Char('\''), QLatin1String("&#39;"))
        .replace(QLatin1Char('='), QLatin1String("&#61;"))
        .toUtf8();
}

QByteArray pageStart(const QString &requested)
{
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Domain search: "
           + escaped(requested) + "</title>\r\n</head>\r\n<body>\r\n<h1>Domain search: " + escaped(requested)
           + "</h1>\r\n";
}

const QByteArray kPageEnd = "</body>\r\n</html>\r\n";

// The name as registries write it, and as a person reads it where that differs.
QByteArray shown(const QString &domain)
{
    const QString display = displayName(domain);
    return display == domain ? escaped(domain) : escaped(domain) + " (" + escaped(display) + ")";
}

// An answer kept from an earlier page says how old it is; a fresh one says nothing.
QByteArray checkedWhen(const Availability &answer)
{
    if (!answer.age || *answer.age < std::chrono::seconds(1))
        return {};
    return "<td>checked " + QByteArray::number(qint64(answer.age->count())) + " s ago</td>";
}

QByteArray reasonText(const std::optional<Availability> &answer)
{
    if (!answer)
        return "could not be checked: no answer in time";
    switch (answer->state) {
    case Availability::State::Registered:
        return "registered";
    case Availability::State::Invalid:
        return "not available: " + escaped(answer->reason);
    case Availability::State::Unchecked:
        return "could not be checked: " + escaped(answer->reason);
    case Availability::State::NotRegistered:
        break;
    }
    return "not registered";
}

} // namespace

QByteArray whoisPage(const QString &requested, const QList<CheckedName> &names, qsizetype notAsked,
                     const QString &notAskedWhy, const QString &note)
{
    QByteArray offered;
    QByteArray others;
    int number = 0;
    int unchecked = 0;
    for (const CheckedName &name : names) {
        if (name.answer && name.answer->state == Availability::State::NotRegistered) {
            offered += "<tr><td><input type=\"checkbox\" name=\"domain" + QByteArray::number(++number) + "\" value=\""
                       + escaped(name.domain) + "\"></td><td>" + shown(name.domain) + "</td>"
                       + checkedWhen(*name.answer) + "</tr>\r\n";
        } else {
            others += "<li>" + shown(name.domain) + ": " + reasonText(name.answer) + "</li>\r\n";
            // Only a registry's own word settles a name; "invalid" from a registry is not one.
            if (!name.answer || !name.answer->isVerdict())
                ++unchecked;
        }
    }

    QByteArray page = pageStart(requested);
    page += "<p>\"Not registered\" is the registry's own answer, given just now unless the name says when it "
            "was checked. A reserved or premium name may still be refused at purchase.</p>\r\n";
    if (!note.isEmpty())
        page += "<p>" + escaped(note) + "</p>\r\n";
    page += "<form action=\"/whois.cgi\" method=\"get\">\r\n<h2>Not registered</h2>\r\n";
    if (!offered.isEmpty())
        page += "<table>\r\n" + offered + "</table>\r\n";
    else if (unchecked == 0)
        page += "<p>None of these names is free.</p>\r\n";
    else
        page += "<p>No name was found free, but " + QByteArray::number(unchecked) + " of "
                + QByteArray::number(names.size()) + " could not be checked: try again shortly.</p>\r\n";
    page += "</form>\r\n";
    if (!others.isEmpty())
        page += "<h2>Registered or not checked</h2>\r\n<ul>\r\n" + others + "</ul>\r\n";
    if (notAsked > 0)
        page += "<p>" + QByteArray::number(notAsked) + " more suggestions were not checked: " + escaped(notAskedWhy)
                + ".</p>\r\n";
    return page + kPageEnd;
}

QByteArray invalidNamePage(const QString &requested, const QString &refusal)
{
    return pageStart(requested) + "<p>This is not a name that can be registered: " + escaped(refusal)
           + ".</p>\r\n<p>A name is letters, digits and hyphens, 1 to 63 of them, with no hyphen at either end, "
             "or an internationalised name in one script.</p>\r\n"
           + kPageEnd;
}

} // namespace varnex::registrar
