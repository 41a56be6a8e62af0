// Fuzzes what the registrar makes of a requested name: the label, the candidate
// names without word knowledge, and the pages Varnex then scans (the page is
// cheap and made of these names, so it is checked here rather than in a target
// of its own). The word suggestions have suggestions_fuzzer, which is slower.
//
// Input: the requested name as raw bytes (any UTF-8, valid or not) up to the
// first NUL. What follows the NUL picks each candidate's answer (one byte per
// name, cycling) and is also the reason text. Without a NUL the name's own
// bytes do both, so every input reaches the page.

#include "lookup/availability.h"
#include "names/candidates.h"
#include "names/name_rules.h"
#include "names/registrable.h"
#include "service/whois_page.h"

#include "search/page_scan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using varnex::registrar::Availability;
using varnex::registrar::CheckedName;
using Names = std::vector<std::string>;

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "name_rules_fuzzer: check failed: %s\n", what);
        __builtin_trap();
    }
}

bool isLabelChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-';
}

// ^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$ spelt out, so it does not share the
// regular expression the rules use.
bool isValidLabel(const QString &label)
{
    if (label.isEmpty() || label.size() > 63)
        return false;
    for (const QChar c : label) {
        if (!isLabelChar(c))
            return false;
    }
    return label.front() != u'-' && label.back() != u'-';
}

// What the page must turn echoed text into.
QByteArray htmlEscaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\'':
            out += QStringLiteral("&#39;");
            break;
        case u'=':
            out += QStringLiteral("&#61;");
            break; // no "name=" or "value=" in echoed text
        default:
            out += c;
        }
    }
    return out.toUtf8();
}

Names scan(const QByteArray &page)
{
    varnex::PageScanner scanner;
    scanner.feed(std::string_view(page.constData(), static_cast<std::size_t>(page.size())));
    return std::move(scanner).finish();
}

void checkCandidates(const QString &label, const QStringList &candidates)
{
    static const QStringList kEndings{QStringLiteral("com"), QStringLiteral("net"),  QStringLiteral("org"),
                                      QStringLiteral("biz"), QStringLiteral("info"), QStringLiteral("us")};
    check(candidates.size() >= 6 && candidates.size() <= 18, "6 names and at most 12 suggestions");
    const QString ascii = varnex::registrar::asciiLabel(label).value_or(QString());
    for (qsizetype i = 0; i < 6; ++i)
        check(candidates[i] == ascii + u'.' + kEndings[i], "the label under every ending first");
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString &name = candidates[i];
        const qsizetype dot = name.indexOf(u'.');
        check(dot > 0 && name.indexOf(u'.', dot + 1) < 0, "one dot");
        check(isValidLabel(name.left(dot)), "candidate label part");
        // An A-label reads back to a label the rules accept as it is.
        const QString unicode = varnex::registrar::displayName(name.left(dot));
        check(varnex::registrar::asciiLabel(unicode) == name.left(dot), "candidate round-trips");
        check(kEndings.contains(name.mid(dot + 1)), "candidate ending");
        if (i >= 6)
            check(name.endsWith(QLatin1String(".com")) || name.endsWith(QLatin1String(".net")),
                  "suggestions under .com or .net");
    }
}

void checkWhoisPage(const QString &requested, const QString &reason, const QList<CheckedName> &names)
{
    const QByteArray page = varnex::registrar::whoisPage(requested, names);

    Names offered;
    bool reasonShown = false;
    for (const CheckedName &name : names) {
        if (name.answer && name.answer->state == Availability::State::NotRegistered)
            offered.push_back(name.domain.toStdString());
        reasonShown = reasonShown
                      || (name.answer
                          && (name.answer->state == Availability::State::Invalid
                              || name.answer->state == Availability::State::Unchecked));
    }

    // What Varnex would offer is exactly the names called not registered, in order:
    // nothing echoed from the request or a reason may read as a field.
    check(scan(page) == offered, "scanned names are the not-registered ones");
    check(page.count("<input") == static_cast<qsizetype>(offered.size()), "one <input per offered name");

    // The echoed text is escaped: the same page made from harmless text has the
    // same count of every character markup is made of.
    QList<CheckedName> plain = names;
    for (CheckedName &name : plain) {
        if (name.answer)
            name.answer->reason = QStringLiteral("x");
    }
    const QByteArray plainPage = varnex::registrar::whoisPage(QStringLiteral("x"), plain);
    for (const char c : {'<', '>', '"', '\'', '='})
        check(page.count(c) == plainPage.count(c), "markup characters come from the page alone");
    check(page.contains(htmlEscaped(requested)), "requested name echoed escaped");
    if (reasonShown)
        check(page.contains(htmlEscaped(reason)), "reason echoed escaped");
}

void checkInvalidNamePage(const QString &requested)
{
    const QByteArray page = varnex::registrar::invalidNamePage(requested, QStringLiteral("x"));
    check(scan(page).empty(), "the invalid-name page offers nothing");
    check(!page.contains("<input"), "the invalid-name page has no field");
    const QByteArray plainPage = varnex::registrar::invalidNamePage(QStringLiteral("x"), QStringLiteral("x"));
    for (const char c : {'<', '>', '"', '\'', '='})
        check(page.count(c) == plainPage.count(c), "markup characters come from the page alone");
    check(page.contains(htmlEscaped(requested)), "requested name echoed escaped");
}

// What each ending's registry sells reads the same in the label's two forms;
// .com and .net take any valid label, and a plain LDH label is refused only
// for the .us reserved numbers.
void checkRegistrable(const QString &label, const QString &ascii)
{
    for (const QString &ending : varnex::registrar::kEndings) {
        const std::optional<QString> why = varnex::registrar::whyNotRegistrable(label + QLatin1Char('.') + ending);
        check(why == varnex::registrar::whyNotRegistrable(ascii + QLatin1Char('.') + ending),
              "registrable: the same in both forms");
        if (!why)
            continue;
        check(why->startsWith(QStringLiteral("not registrable under .") + ending + QLatin1String(": ")),
              "registrable: the reason names the ending");
        check(ending != QLatin1String("com") && ending != QLatin1String("net"), "registrable: .com and .net take all");
        check(label != ascii || ending == QLatin1String("us"), "registrable: LDH labels refused only by .us");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<qsizetype>(size);
    qsizetype nul = 0;
    while (nul < length && bytes[nul] != '\0')
        ++nul;
    const QString requested = QString::fromUtf8(bytes, nul);
    const QByteArray answers = nul < length ? QByteArray(bytes + nul + 1, length - nul - 1) : QByteArray(bytes, nul);
    const QString reason = QString::fromUtf8(answers);

    checkInvalidNamePage(requested);

    const std::optional<QString> label = varnex::registrar::labelFor(requested);
    if (!label) {
        checkWhoisPage(requested, reason, {});
        return 0;
    }
    const std::optional<QString> ascii = varnex::registrar::asciiLabel(*label);
    check(ascii && isValidLabel(*ascii), "label shape");
    check(varnex::registrar::labelFor(*label) == label, "a label is its own label");

    const QStringList candidates = varnex::registrar::candidatesFor(*label);
    checkCandidates(*label, candidates);
    checkRegistrable(*label, *ascii);

    QList<CheckedName> names;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        CheckedName name{candidates[i], std::nullopt};
        // Five answers: the four states and no answer in time.
        const int pick = answers.isEmpty() ? 0 : static_cast<unsigned char>(answers[i % answers.size()]) % 5;
        if (pick < 4)
            name.answer = Availability{static_cast<Availability::State>(pick), reason};
        names.append(name);
    }
    checkWhoisPage(requested, reason, names);
    return 0;
}
