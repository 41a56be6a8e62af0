#include "whois_page.h"

namespace varnex::registrar {

namespace {

// HTML-escaped, and "=" too: a reader that takes fields by `name=` and `value=`
// (as Varnex does) must never find one in echoed text.
QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped()
        .replace(QLatin1Char('\''), QLatin1String("&#39;"))
        .replace(QLatin1Char('='), QLatin1String("&#61;"))
        .toUtf8();
}

QByteArray pageStart(const QString &requested)
{
    return "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>Domain search: " + escaped(requested)
           + "</title>\r\n</head>\r\n<body>\r\n<h1>Domain search: " + escaped(requested) + "</h1>\r\n";
}

const QByteArray kPageEnd = "</body>\r\n</html>\r\n";

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

QByteArray whoisPage(const QString &requested, const QList<CheckedName> &names)
{
    QByteArray offered;
    QByteArray others;
    int number = 0;
    for (const CheckedName &name : names) {
        if (name.answer && name.answer->state == Availability::State::NotRegistered) {
            offered += "<tr><td><input type=\"checkbox\" name=\"domain" + QByteArray::number(++number) + "\" value=\""
                       + escaped(name.domain) + "\"></td><td>" + escaped(name.domain) + "</td></tr>\r\n";
        } else {
            others += "<li>" + escaped(name.domain) + ": " + reasonText(name.answer) + "</li>\r\n";
        }
    }

    QByteArray page = pageStart(requested);
    page += "<p>\"Not registered\" is the registry's own answer just now. A reserved or premium name may "
            "still be refused at purchase.</p>\r\n";
    page += "<form action=\"/whois.cgi\" method=\"get\">\r\n<h2>Not registered</h2>\r\n";
    page += offered.isEmpty() ? QByteArray("<p>None of these names is free.</p>\r\n")
                              : "<table>\r\n" + offered + "</table>\r\n";
    page += "</form>\r\n";
    if (!others.isEmpty())
        page += "<h2>Registered or not checked</h2>\r\n<ul>\r\n" + others + "</ul>\r\n";
    return page + kPageEnd;
}

QByteArray invalidNamePage(const QString &requested)
{
    return pageStart(requested)
           + "<p>This is not a name that can be registered: use letters, digits and hyphens, 1 to 63 of them, "
             "with no hyphen at either end.</p>\r\n"
           + kPageEnd;
}

} // namespace varnex::registrar
